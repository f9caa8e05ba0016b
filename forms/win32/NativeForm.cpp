// forms::Form on the Win32 API: each form is a top-level window whose controls, menus and
// tooltips are built from the window's design tables. Keyboard navigation is the runtime's own
// (the windows are not dialogs): Tab in tab-index order, Enter for the default button, arrows
// between the option buttons of a frame.
#include "forms/win32/Native.h"
// After <windows.h>, which the headers below assume.
#include <commctrl.h>

#include <algorithm>

#include "forms/Guard.h"

namespace forms {

namespace {

constexpr wchar_t kClassName[] = L"KalvexForm";
constexpr UINT kOnScreen = WM_APP + 1;  // posted once, after the window's first showing
constexpr int kFirstControlId = 100;
constexpr int kFirstMenuId = 1000;
constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

// Every form with a window, and the forms whose windows have gone but whose handlers may still
// be running further up the stack.
std::vector<NativeForm*> live;
std::vector<NativeForm*> closed;

DWORD StyleOf(Border border) {
    switch (border) {
        case Border::FixedMain:
            return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        case Border::SizableTool:
            return WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
        case Border::SizableModal:
            return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
        case Border::FixedDialog:
            return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    }
    return WS_OVERLAPPEDWINDOW;
}

bool IsFixed(Border border) { return border == Border::FixedMain || border == Border::FixedDialog; }

bool TakesFocus(Kind kind) { return kind != Kind::Label && kind != Kind::Frame; }

std::wstring WideOf(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

HICON AppIcon(int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"IDI_ICON1", IMAGE_ICON, size,
                                         size, LR_DEFAULTCOLOR | LR_SHARED));
}

void RegisterFormClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = AppIcon(GetSystemMetrics(SM_CXICON));
    wc.hIconSm = AppIcon(GetSystemMetrics(SM_CXSMICON));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    registered = true;
}

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassOf(Kind kind) {
    constexpr DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    switch (kind) {
        case Kind::Label:
            return {WC_STATICW, child | SS_LEFT | SS_NOPREFIX, 0};
        case Kind::TextBox:
            return {WC_EDITW, child | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case Kind::ColumnBox:
            return {WC_EDITW, child | ES_AUTOHSCROLL | ES_RIGHT, WS_EX_CLIENTEDGE};
        case Kind::MultiLineBox:
            return {WC_EDITW,
                    child | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL | ES_WANTRETURN |
                        ES_NOHIDESEL | WS_HSCROLL | WS_VSCROLL,
                    WS_EX_CLIENTEDGE};
        case Kind::Button:
            return {WC_BUTTONW, child | BS_PUSHBUTTON, 0};
        case Kind::Option:
            return {WC_BUTTONW, child | BS_RADIOBUTTON, 0};
        case Kind::Frame:
            return {WC_BUTTONW, child | BS_GROUPBOX, 0};
    }
    return {WC_STATICW, child, 0};
}

int TextHeight(HWND control) {
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return metrics.tmHeight;
}

// The design heights of labels and option buttons are a little short for the fallback faces;
// grow them so no text is cut off.
void GrowToText(HWND control, RECT at, int height, bool keepTop) {
    if (at.bottom - at.top >= height) return;
    const int top = keepTop ? at.top : at.top - (height - (at.bottom - at.top)) / 2;
    MoveWindow(control, at.left, top, at.right - at.left, height, FALSE);
}

bool IsDown(int key) { return GetKeyState(key) < 0; }

// As in a dialog, a push button with the focus is the default one while it has it, and wears
// the default border: Enter presses it.
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR form) {
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
        auto* owner = reinterpret_cast<NativeForm*>(form);
        Guarded([&] { owner->MarkDefault(message == WM_SETFOCUS ? hwnd : nullptr); });
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ButtonProc, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

NativeForm::NativeForm(Form& form, const Window& design, std::span<const Control> controls,
                       std::span<const MenuItem> menus)
    : form_(&form), border_(design.border) {
    RegisterFormClass();
    HWND owner = form.Owner() && form.Owner()->Native() ? form.Owner()->Native()->hwnd_ : nullptr;
    const std::wstring caption = WideOf(design.caption);
    hwnd_ = CreateWindowExW(0, kClassName, caption.c_str(), StyleOf(border_), CW_USEDEFAULT,
                            CW_USEDEFAULT, Px(design.clientWidth), Px(design.clientHeight), owner,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NativeForm::Proc));
    live.push_back(this);
    controls_.reserve(controls.size() + menus.size());
    AddControls(controls);
    AddMenus(menus);
    AddToolTips(controls);
    defaultButton_ = Find(design.defaultButton);
    MarkDefault(nullptr);
    SetClientSize(Px(design.clientWidth), Px(design.clientHeight));
    // The first in the tab order has the focus when the window opens.
    if (const auto stops = TabStops(); !stops.empty()) focus_ = stops.front()->hwnd;
}

NativeForm::~NativeForm() {
    if (hwnd_) {
        // Destroyed with its form: no unload step, and nothing of this object is used again.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        EnableOthers();
        DestroyWindow(hwnd_);
        std::erase(live, this);
    }
    if (shortcuts_) DestroyAcceleratorTable(shortcuts_);
}

NativeControl* NativeForm::Find(std::string_view name) {
    for (NativeControl& control : controls_)
        if (!name.empty() && control.name == name) return &control;
    return nullptr;
}

NativeControl* NativeForm::Named(std::string_view name) {
    NativeControl* control = Find(name);
    if (!control)
        FatalAppExitA(0, ("Kalvex: no control or menu item named " + std::string(name)).c_str());
    return control;
}

NativeControl* NativeForm::Find(HWND hwnd) {
    for (NativeControl& control : controls_)
        if (hwnd && control.hwnd == hwnd) return &control;
    return nullptr;
}

NativeControl* NativeForm::FindId(int id) {
    for (NativeControl& control : controls_)
        if (control.id == id) return &control;
    return nullptr;
}

void NativeForm::AddMenus(std::span<const MenuItem> menus) {
    if (menus.empty()) return;
    HMENU bar = CreateMenu();
    std::vector<std::pair<std::string_view, HMENU>> popups;
    std::vector<ACCEL> keys;
    for (const MenuItem& item : menus) {
        const int id = kFirstMenuId + int(controls_.size());
        std::wstring caption = WideOf(item.caption);
        const bool isMenu =
            std::any_of(menus.begin(), menus.end(), [&](auto& m) { return m.menu == item.name; });
        const NativeControl* box = Find(item.menu);
        if (box && box->hwnd) {
            // Shown by the box's own context menu.
        } else if (isMenu) {
            HMENU popup = CreatePopupMenu();
            popups.emplace_back(item.name, popup);
            AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                        caption.c_str());
        } else {
            if (item.shortcut == Shortcut::Copy) {
                caption += L"\tCtrl+C";
                keys.push_back({FCONTROL | FVIRTKEY, 'C', WORD(id)});
            }
            HMENU menu = bar;
            for (const auto& [name, popup] : popups)
                if (name == item.menu) menu = popup;
            AppendMenuW(menu, MF_STRING, UINT_PTR(id), caption.c_str());
        }
        NativeControl& made = controls_.emplace_back();
        made.name = item.name;
        made.kind = Kind::Label;
        made.id = isMenu ? 0 : id;
        made.menu = item.menu;
        made.caption = item.caption;
    }
    SetMenu(hwnd_, bar);
    if (!keys.empty()) shortcuts_ = CreateAcceleratorTableW(keys.data(), int(keys.size()));
}

void NativeForm::AddControls(std::span<const Control> controls) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const Control& design : controls) {
        // Controls in a frame are the window's children like every other: only their place is
        // counted from the frame's.
        int left = Px(design.at.left), top = Px(design.at.top);
        for (const Control& frame : controls)
            if (!design.frame.empty() && frame.name == design.frame) {
                left += Px(frame.at.left);
                top += Px(frame.at.top);
            }
        const ControlClass cls = ClassOf(design.kind);
        const int id = kFirstControlId + int(controls_.size());
        const std::wstring caption = WideOf(design.caption);
        HWND hwnd = CreateWindowExW(cls.exStyle, cls.name, caption.c_str(), cls.style, left, top,
                                    Px(design.at.width), Px(design.at.height), hwnd_,
                                    reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(design.font)), FALSE);
        RECT at{left, top, left + Px(design.at.width), top + Px(design.at.height)};
        if (design.kind == Kind::Label) GrowToText(hwnd, at, TextHeight(hwnd), true);
        // Options stand 16 pixels apart at 96 DPI; taller would overlap the next one.
        if (design.kind == Kind::Option)
            GrowToText(hwnd, at, std::min(TextHeight(hwnd) + 2, Px(240)), false);
        NativeControl& made = controls_.emplace_back();
        made.name = design.name;
        made.kind = design.kind;
        made.hwnd = hwnd;
        made.id = id;
        made.tabIndex = design.tabIndex;
        made.frame = design.frame;
        made.colour = design.colour;
        made.form = this;
        if (design.kind == Kind::TextBox || design.kind == Kind::ColumnBox ||
            design.kind == Kind::MultiLineBox)
            MakeTextBox(made);
        if (design.kind == Kind::Button)
            SetWindowSubclass(hwnd, ButtonProc, 0, reinterpret_cast<DWORD_PTR>(this));
    }
    // Where controls overlap, the later one lies on top; a frame lies beneath all it holds.
    for (const NativeControl& control : controls_)
        if (control.hwnd && control.kind != Kind::Frame)
            SetWindowPos(control.hwnd, HWND_TOP, 0, 0, 0, 0, kKeepPlace);
    for (const NativeControl& control : controls_)
        if (control.kind == Kind::Frame)
            SetWindowPos(control.hwnd, HWND_BOTTOM, 0, 0, 0, 0, kKeepPlace);
}

void NativeForm::AddToolTips(std::span<const Control> controls) {
    tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
    for (const Control& design : controls) {
        // Every control gets a tool, so that a tip set later only needs its text.
        std::wstring tip = WideOf(design.tip);
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd_;
        tool.uId = reinterpret_cast<UINT_PTR>(Find(design.name)->hwnd);
        tool.lpszText = tip.data();
        SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

std::vector<const NativeControl*> NativeForm::ContextItems(const NativeControl& box) const {
    std::vector<const NativeControl*> items;
    for (const NativeControl& control : controls_)
        if (!control.hwnd && control.menu == box.name) items.push_back(&control);
    return items;
}

void NativeForm::SetTip(const NativeControl& control, std::u16string_view tip) {
    std::wstring text = WideOf(tip);
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(control.hwnd);
    tool.lpszText = text.data();
    SendMessageW(tips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

// The design gives the client size under the menu bar; the frame and the menu bar, however
// many rows it takes, come on top of it.
void NativeForm::SetClientSize(int width, int height) {
    RECT window, client;
    GetWindowRect(hwnd_, &window);
    GetClientRect(hwnd_, &client);
    const int outerWidth = width + (window.right - window.left) - client.right;
    const int outerHeight = height + (window.bottom - window.top) - client.bottom;
    fixedSize_ = {outerWidth, outerHeight};
    SetWindowPos(hwnd_, nullptr, 0, 0, outerWidth, outerHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK NativeForm::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<NativeForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return Guarded(LRESULT(0), [&] { return self->Handle(message, wParam, lParam); });
}

LRESULT NativeForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return Colour(message, wParam, lParam);
        case WM_SIZE:
            if (form_ && loaded_) form_->Form_Resize();
            return 0;
        case WM_ACTIVATE:
            // As a dialog does: the focus goes back to the control that had it.
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (HWND focus = GetFocus(); Find(focus)) focus_ = focus;
            } else if (!HIWORD(wParam)) {
                RestoreFocus();
            }
            return 0;
        case WM_SETFOCUS:
            RestoreFocus();
            return 0;
        case WM_GETMINMAXINFO:
            if (IsFixed(border_) && fixedSize_.cx > 0) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize = info->ptMaxTrackSize = {fixedSize_.cx, fixedSize_.cy};
                return 0;
            }
            break;
        case WM_SYSCOMMAND:
            // No window has a maximize button.
            if ((wParam & 0xFFF0) == SC_MAXIMIZE) return 0;
            // The input window has no close box.
            if ((wParam & 0xFFF0) == SC_CLOSE && border_ == Border::SizableTool) return 0;
            break;
        case WM_CLOSE:
            if (border_ != Border::SizableTool) Close();
            return 0;
        case kOnScreen:
            if (form_) form_->Form_OnScreen();
            return 0;
        case WM_NCDESTROY:
            Detach();
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void NativeForm::OnCommand(int id, int code, HWND from) {
    NativeControl* control = from ? Find(from) : FindId(id);
    if (!control) return;
    if (!from || code == BN_CLICKED || code == STN_CLICKED) {
        if (control->kind == Kind::Option) SelectOption(*control);
        if (control->click) control->click();
    } else if (code == EN_CHANGE && control->change) {
        control->change();
    }
}

LRESULT NativeForm::Colour(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT brush = DefWindowProcW(hwnd_, message, wParam, lParam);
    const NativeControl* control = Find(reinterpret_cast<HWND>(lParam));
    if (control && control->colour != kDefaultColour) {
        const int c = control->colour;
        SetTextColor(reinterpret_cast<HDC>(wParam),
                     RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
    }
    return brush;
}

void NativeForm::MarkDefault(HWND focusedButton) {
    HWND chosen = focusedButton;
    if (!chosen && defaultButton_) chosen = defaultButton_->hwnd;
    for (const NativeControl& control : controls_)
        if (control.kind == Kind::Button && control.hwnd)
            SendMessageW(control.hwnd, BM_SETSTYLE,
                         control.hwnd == chosen ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void NativeForm::SelectOption(NativeControl& option) {
    for (NativeControl& other : controls_)
        if (other.kind == Kind::Option && other.frame == option.frame)
            SendMessageW(other.hwnd, BM_SETCHECK, &other == &option ? BST_CHECKED : BST_UNCHECKED,
                         0);
}

// The controls Tab visits, in tab-index order: enabled and visible, and of the option buttons
// in a frame only the selected one (the first, while none is).
std::vector<NativeControl*> NativeForm::TabStops() {
    std::vector<NativeControl*> stops;
    for (NativeControl& control : controls_) {
        if (!control.hwnd || !TakesFocus(control.kind) || !IsWindowEnabled(control.hwnd) ||
            !(GetWindowLongW(control.hwnd, GWL_STYLE) & WS_VISIBLE))
            continue;
        if (control.kind == Kind::Option) {
            auto first = std::find_if(stops.begin(), stops.end(), [&](NativeControl* c) {
                return c->kind == Kind::Option && c->frame == control.frame;
            });
            const bool checked = SendMessageW(control.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (first != stops.end()) {
                if (checked) *first = &control;
                continue;
            }
        }
        stops.push_back(&control);
    }
    std::stable_sort(stops.begin(), stops.end(),
                     [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
    return stops;
}

void NativeForm::MoveFocus(bool backwards) {
    const auto stops = TabStops();
    if (stops.empty()) return;
    const HWND focus = GetFocus();
    auto at = std::find_if(stops.begin(), stops.end(), [&](auto* c) { return c->hwnd == focus; });
    std::size_t next = 0;
    if (at != stops.end()) {
        const std::size_t i = std::size_t(at - stops.begin());
        next = backwards ? (i + stops.size() - 1) % stops.size() : (i + 1) % stops.size();
    }
    NativeControl* target = stops[next];
    SetFocus(target->hwnd);
    // Tabbing into a text box selects its text, as in a dialog.
    if (target->kind == Kind::TextBox || target->kind == Kind::ColumnBox)
        SendMessageW(target->hwnd, EM_SETSEL, 0, -1);
}

void NativeForm::MoveAmongOptions(NativeControl& from, bool backwards) {
    std::vector<NativeControl*> group;
    for (NativeControl& c : controls_)
        if (c.kind == Kind::Option && c.frame == from.frame && IsWindowEnabled(c.hwnd))
            group.push_back(&c);
    std::stable_sort(group.begin(), group.end(),
                     [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
    auto at = std::find(group.begin(), group.end(), &from);
    if (at == group.end()) return;
    const std::size_t i = std::size_t(at - group.begin());
    NativeControl* next =
        group[backwards ? (i + group.size() - 1) % group.size() : (i + 1) % group.size()];
    SetFocus(next->hwnd);
    SelectOption(*next);
    if (next->click) next->click();
}

void NativeForm::RestoreFocus() {
    if (!focus_ || !IsWindow(focus_) || !IsWindowEnabled(focus_)) {
        const auto stops = TabStops();
        focus_ = stops.empty() ? nullptr : stops.front()->hwnd;
    }
    if (focus_) SetFocus(focus_);
}

bool NativeForm::PreviewKey(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    for (NativeForm* form : live)
        if (form->hwnd_ == root) return form->Key(msg);
    return false;
}

bool NativeForm::Key(MSG& msg) {
    // Menu shortcuts come first: Ctrl+C copies the whole result, not the box's selection.
    if (shortcuts_ && TranslateAcceleratorW(hwnd_, shortcuts_, &msg)) return true;
    if (msg.message != WM_KEYDOWN) return false;
    const int key = int(msg.wParam);
    const bool repeat = (msg.lParam & (1 << 30)) != 0;
    NativeControl* control = Find(msg.hwnd);
    if (control && control->keyDown && control->keyDown({key, repeat})) return true;
    if (!control && msg.hwnd == hwnd_ && form_ && form_->Form_KeyDown({key, repeat})) return true;
    if (IsDown(VK_CONTROL) || IsDown(VK_MENU)) return false;
    const Kind kind = control ? control->kind : Kind::Label;
    switch (key) {
        case VK_TAB:
            // A multi-line box takes a typed tab as text.
            if (kind == Kind::MultiLineBox) return false;
            MoveFocus(IsDown(VK_SHIFT));
            return true;
        case VK_RETURN:
            if (kind == Kind::MultiLineBox) return false;
            if (kind == Kind::Button) {
                SendMessageW(control->hwnd, BM_CLICK, 0, 0);
                return true;
            }
            if (!defaultButton_) return false;
            if (IsWindowEnabled(defaultButton_->hwnd) && defaultButton_->click)
                defaultButton_->click();
            return true;
        case VK_UP:
        case VK_DOWN:
        case VK_LEFT:
        case VK_RIGHT:
            if (kind != Kind::Option) return false;
            MoveAmongOptions(*control, key == VK_UP || key == VK_LEFT);
            return true;
    }
    return false;
}

void NativeForm::ShowModeless() {
    if (!hwnd_) return;
    const bool activates = border_ != Border::SizableTool;
    if (IsIconic(hwnd_))
        ShowWindow(hwnd_, activates ? SW_RESTORE : SW_SHOWNOACTIVATE);
    else
        ShowWindow(hwnd_, activates ? SW_SHOW : SW_SHOWNOACTIVATE);
    if (activates)
        SetForegroundWindow(hwnd_);
    else
        SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (!shown_) {
        shown_ = true;
        PostMessageW(hwnd_, kOnScreen, 0, 0);
    }
}

// Every other window of the program takes no input until this one has closed.
void NativeForm::ShowModal() {
    for (NativeForm* other : live) {
        if (other == this || !IsWindowEnabled(other->hwnd_)) continue;
        EnableWindow(other->hwnd_, FALSE);
        disabled_.push_back(other->hwnd_);
    }
    ShowModeless();
}

// Before the modal window goes, so that the activation passes to its owner.
void NativeForm::EnableOthers() {
    for (HWND hwnd : disabled_)
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    disabled_.clear();
}

void NativeForm::Close() {
    if (!hwnd_) return;
    if (form_) form_->Form_Unload();
    if (!hwnd_) return;  // the unload step may have closed it already
    EnableOthers();
    DestroyWindow(hwnd_);
}

void NativeForm::Detach() {
    EnableOthers();
    hwnd_ = nullptr;
    if (form_) {
        form_->closed_ = true;
        form_->native_ = nullptr;
        form_ = nullptr;
    }
    std::erase(live, this);
    closed.push_back(this);
    if (live.empty()) PostQuitMessage(0);
}

void NativeForm::DeleteClosed() {
    for (NativeForm* form : closed) delete form;
    closed.clear();
}

void NativeForm::HideAll() {
    for (NativeForm* form : live) ShowWindow(form->hwnd_, SW_HIDE);
}

RECT NativeForm::Outer() const {
    RECT outer{};
    if (hwnd_) GetWindowRect(hwnd_, &outer);
    return outer;
}

void NativeForm::SetOuter(const RECT& outer) {
    SetWindowPos(hwnd_, nullptr, outer.left, outer.top, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- Form ---

Form::Form(const Window& design, std::span<const Control> controls, std::span<const MenuItem> menus,
           Form* owner)
    : owner_(owner), native_(new NativeForm(*this, design, controls, menus)) {}

Form::~Form() {
    if (!native_) return;
    native_->form_ = nullptr;
    delete native_;
}

void Form::Load() {
    if (native_) native_->loaded_ = true;
    Form_Load();
}

void Form::ShowModeless() {
    if (native_) native_->ShowModeless();
}

void Form::ShowModal() {
    if (!native_) return;
    native_->ShowModal();
    RunMessages([this] { return IsClosed(); });
}

void Form::Unload() {
    if (native_) native_->Close();
}

bool Form::IsClosed() const { return closed_ || !native_; }

void Form::SetCaption(std::u16string_view caption) {
    if (native_) SetWindowTextW(native_->Hwnd(), WideOf(caption).c_str());
}

Twips Form::Outer() const {
    if (!native_) return {};
    const RECT r = native_->Outer();
    return {ToTwips(r.left), ToTwips(r.top), ToTwips(r.right - r.left), ToTwips(r.bottom - r.top)};
}

void Form::Move(const Twips& outer) {
    if (!native_) return;
    const int x = Px(outer.left), y = Px(outer.top);
    native_->SetOuter({x, y, x + Px(outer.width), y + Px(outer.height)});
}

// Only the place: the window keeps its size.
void Form::CentreOver(const Form* other) {
    if (!native_) return;
    RECT area;
    if (other && other->native_)
        area = other->native_->Outer();
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT outer = native_->Outer();
    const int width = outer.right - outer.left, height = outer.bottom - outer.top;
    const int left = (area.left + area.right - width) / 2;
    const int top = (area.top + area.bottom - height) / 2;
    native_->SetOuter({left, top, left + width, top + height});
}

Twips Form::Client() const {
    RECT client{};
    if (native_) GetClientRect(native_->Hwnd(), &client);
    return {0, 0, ToTwips(client.right), ToTwips(client.bottom)};
}

WindowState Form::State() const {
    return native_ && IsIconic(native_->Hwnd()) ? kMinimized : kNormal;
}

void Form::SetState(WindowState state) {
    if (!native_ || state == State()) return;
    // The system hides an owned window while its owner is minimized and shows it again with
    // the owner: minimized on its own as well, it would come back iconic and elsewhere.
    if (owner_ && state == kMinimized) return;
    if (state == kMinimized)
        ShowWindow(native_->Hwnd(), SW_SHOWMINNOACTIVE);
    else
        ShowWindow(native_->Hwnd(), SW_SHOWNOACTIVATE);
}

Ctl Form::C(std::string_view name) const { return Ctl(native_ ? native_->Named(name) : nullptr); }

void Form::OnClick(std::string_view name, std::function<void()> handler) {
    NativeControl* control = native_ ? native_->Named(name) : nullptr;
    if (!control) return;
    if (control->kind == Kind::Label && control->hwnd) {
        SetWindowLongW(control->hwnd, GWL_STYLE,
                       GetWindowLongW(control->hwnd, GWL_STYLE) | SS_NOTIFY);
        MakeClickable(control->hwnd);
    }
    control->click = std::move(handler);
}

void Form::OnChange(std::string_view name, std::function<void()> handler) {
    if (NativeControl* control = native_ ? native_->Named(name) : nullptr)
        control->change = std::move(handler);
}

void Form::OnKeyDown(std::string_view name, std::function<bool(Key)> handler) {
    if (NativeControl* control = native_ ? native_->Named(name) : nullptr)
        control->keyDown = std::move(handler);
}

}  // namespace forms
