// The native hooks on the Win32 API: each form is a top-level window whose controls, menus and
// tooltips are built from the window's design tables. Keyboard navigation is the runtime's own
// (the windows are not dialogs): Tab in tab-index order, Enter for the default button, arrows
// between the option buttons of a frame.
#include "forms/win32/NativeForm.h"

#include <algorithm>
#include <utility>

#include "forms/Guard.h"
#include "forms/Rules.h"
#include "forms/win32/TextBoxes.h"

namespace forms {

namespace {

constexpr wchar_t kClassName[] = L"KalvexForm";
constexpr UINT kOnScreen = WM_APP + 1;  // posted once, after the window's first showing
constexpr int kFirstControlId = 100;
constexpr int kFirstMenuId = 1000;
constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;

// Every form with a window.
std::vector<ToolkitForm*> live;

DWORD StyleOf(Border border) {
    return WS_OVERLAPPED | WS_CAPTION | (IsTool(border) ? 0 : WS_SYSMENU) |
           (IsFixedSize(border) ? 0 : WS_THICKFRAME) | (CanMinimize(border) ? WS_MINIMIZEBOX : 0);
}

std::wstring WideOf(std::u16string_view text) {
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

HICON AppIcon(int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"IDI_ICON1", IMAGE_ICON, size,
                                         size, LR_DEFAULTCOLOR | LR_SHARED));
}

void RegisterFormClass(WNDPROC proc) {
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = AppIcon(GetSystemMetrics(SM_CXICON));
    wc.hIconSm = AppIcon(GetSystemMetrics(SM_CXSMICON));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) throw std::runtime_error("Kalvex: no window class");
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

bool IsDown(int key) { return GetKeyState(key) < 0; }

// As in a dialog, a push button with the focus is the default one while it has it, and wears
// the default border: Enter presses it.
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR form) {
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
        auto* owner = reinterpret_cast<ToolkitForm*>(form);
        Guarded([&] { owner->MarkDefault(message == WM_SETFOCUS ? hwnd : nullptr); });
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ButtonProc, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// A clickable label shows the hand.
LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR) {
    if (message == WM_SETCURSOR) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, LabelProc, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<NativeForm> NativeForm::Make(Form& form, const Window& design,
                                             std::span<const Control> controls,
                                             std::span<const MenuItem> menus) {
    return std::make_unique<ToolkitForm>(form, design, controls, menus);
}

ToolkitForm::ToolkitForm(Form& form, const Window& design, std::span<const Control> controls,
                         std::span<const MenuItem> menus)
    : form_(form), border_(design.border) {
    RegisterFormClass(&ToolkitForm::Proc);
    const Form* ownerForm = form.Owner();
    HWND owner = ownerForm ? static_cast<ToolkitForm&>(ownerForm->Native()).hwnd_ : nullptr;
    const std::wstring caption = WideOf(design.caption);
    // The window procedure takes this from the creation parameters on WM_NCCREATE.
    Made(CreateWindowExW(0, kClassName, caption.c_str(), StyleOf(border_), CW_USEDEFAULT,
                         CW_USEDEFAULT, Px(design.clientWidth), Px(design.clientHeight), owner,
                         nullptr, GetModuleHandleW(nullptr), this),
         "a window");
    live.push_back(this);
    try {
        controls_.reserve(controls.size() + menus.size());
        AddControls();
        AddMenus(menus);
        AddToolTips();
    } catch (...) {
        Destroy();  // a window half made goes at once, before any message reaches it
        throw;
    }
    defaultButton_ = Find(design.defaultButton);
    MarkDefault(nullptr);
    SetClientSize(Px(design.clientWidth), Px(design.clientHeight));
    // The first in the tab order has the focus when the window opens.
    if (const auto stops = TabStops(); !stops.empty()) focus_ = Find(stops.front()->name)->hwnd;
}

ToolkitForm::~ToolkitForm() { Destroy(); }

// Destroyed with its form: no unload step, and nothing of this object is used again.
void ToolkitForm::Destroy() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        EnableAgain(disabled_);
        DestroyWindow(hwnd_);
        std::erase(live, this);
        hwnd_ = nullptr;
    }
    if (shortcuts_) DestroyAcceleratorTable(std::exchange(shortcuts_, nullptr));
}

NativeControl* ToolkitForm::Find(std::string_view name) {
    for (NativeControl& control : controls_)
        if (!name.empty() && control.name == name) return &control;
    return nullptr;
}

NativeControl* ToolkitForm::Find(HWND hwnd, int id) {
    for (NativeControl& control : controls_)
        if (hwnd ? control.hwnd == hwnd : control.id == id) return &control;
    return nullptr;
}

void ToolkitForm::AddMenus(std::span<const MenuItem> menus) {
    if (menus.empty()) return;
    HMENU bar = Made(CreateMenu(), "a menu bar");
    std::vector<std::pair<std::string_view, HMENU>> popups;
    std::vector<ACCEL> keys;
    for (const MenuItem& item : menus) {
        const int id = kFirstMenuId + int(controls_.size());
        std::wstring caption = WideOf(item.caption);
        const MenuPlace place = PlaceOf(item, menus, form_.Controls());
        if (place == MenuPlace::ContextMenu) {
            // Shown by the box's own context menu.
        } else if (place == MenuPlace::Menu) {
            HMENU popup = Made(CreatePopupMenu(), "a menu");
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
        made.item = &item;
        made.id = place == MenuPlace::Menu ? 0 : id;
    }
    SetMenu(hwnd_, bar);
    if (!keys.empty())
        shortcuts_ = Made(CreateAcceleratorTableW(keys.data(), int(keys.size())), "the shortcuts");
}

void ToolkitForm::AddControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const Control& design : form_.Controls()) {
        // Controls in a frame are the window's children like every other: only their place is
        // counted from the frame's.
        Pixels at = Px(design.at);
        for (const Control& frame : form_.Controls())
            if (!design.frame.empty() && frame.name == design.frame) {
                at.left += Px(frame.at.left);
                at.top += Px(frame.at.top);
            }
        const ControlClass cls = ClassOf(design.kind);
        const int id = kFirstControlId + int(controls_.size());
        const std::wstring caption = WideOf(design.caption);
        HWND hwnd = Made(CreateWindowExW(cls.exStyle, cls.name, caption.c_str(), cls.style, at.left,
                                         at.top, at.width, at.height, hwnd_,
                                         reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr),
                         "a control");
        SendMessageW(hwnd, WM_SETFONT,
                     reinterpret_cast<WPARAM>(JapaneseFont(Resolved(design.font))), FALSE);
        const int textHeight = TextHeight(hwnd) + (design.kind == Kind::Option ? 2 : 0);
        const Pixels grown = GrownToText(design, at, textHeight);
        MoveWindow(hwnd, grown.left, grown.top, grown.width, grown.height, FALSE);
        NativeControl& made = controls_.emplace_back();
        made.name = design.name;
        made.kind = design.kind;
        made.design = &design;
        made.hwnd = hwnd;
        made.id = id;
        made.form = this;
        if (IsTextBox(design.kind)) MakeTextBox(made);
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

void ToolkitForm::AddToolTips() {
    tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
    // Every control gets a tool, so that a tip set later only needs its text.
    for (const Control& design : form_.Controls())
        SetTip(*Find(design.name), design.tip, TTM_ADDTOOLW);
}

std::vector<const NativeControl*> ToolkitForm::ContextItems(const NativeControl& box) const {
    std::vector<const NativeControl*> items;
    for (const NativeControl& control : controls_)
        if (control.item && control.item->menu == box.name) items.push_back(&control);
    return items;
}

void ToolkitForm::SetTip(const NativeControl& control, std::u16string_view tip, UINT message) {
    std::wstring text = WideOf(tip);
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(control.hwnd);
    tool.lpszText = text.data();
    SendMessageW(tips_, message, 0, reinterpret_cast<LPARAM>(&tool));
}

// The design gives the client size under the menu bar; the frame and the menu bar, however
// many rows it takes, come on top of it.
void ToolkitForm::SetClientSize(int width, int height) {
    const Pixels outer = Outer(), client = Client();
    fixedSize_ = {width + outer.width - client.width, height + outer.height - client.height};
    SetWindowPos(hwnd_, nullptr, 0, 0, fixedSize_.cx, fixedSize_.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK ToolkitForm::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* made =
            static_cast<ToolkitForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        made->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
    }
    auto* self = reinterpret_cast<ToolkitForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return Guarded(LRESULT(0), [&] { return self->Handle(message, wParam, lParam); });
}

LRESULT ToolkitForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return Colour(message, wParam, lParam);
        case WM_SIZE:
            Resized(form_);
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
            if (IsFixedSize(border_) && fixedSize_.cx > 0) {
                auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
                info->ptMinTrackSize = info->ptMaxTrackSize = {fixedSize_.cx, fixedSize_.cy};
                return 0;
            }
            break;
        case WM_SYSCOMMAND:
            // No window has a maximize button.
            if ((wParam & 0xFFF0) == SC_MAXIMIZE) return 0;
            // The input window has no close box.
            if ((wParam & 0xFFF0) == SC_CLOSE && IsTool(border_)) return 0;
            break;
        case WM_CLOSE:
            if (!IsTool(border_)) Close();
            return 0;
        case kOnScreen:
            OnScreen(form_);
            return 0;
        case WM_NCDESTROY:
            Detach();
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void ToolkitForm::OnCommand(int id, int code, HWND from) {
    NativeControl* control = Find(from, id);
    if (!control) return;
    if (!from || code == BN_CLICKED || code == STN_CLICKED) {
        if (control->kind == Kind::Option) SelectOption(*control);
        if (control->click) control->click();
    } else if (code == EN_CHANGE && control->change) {
        control->change();
    }
}

LRESULT ToolkitForm::Colour(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT brush = DefWindowProcW(hwnd_, message, wParam, lParam);
    const NativeControl* control = Find(reinterpret_cast<HWND>(lParam));
    if (control && control->design->colour != kDefaultColour) {
        const Rgb c = RgbOf(control->design->colour);
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(c.red, c.green, c.blue));
    }
    return brush;
}

void ToolkitForm::MarkDefault(HWND focusedButton) {
    HWND chosen = focusedButton;
    if (!chosen && defaultButton_) chosen = defaultButton_->hwnd;
    for (const NativeControl& control : controls_)
        if (control.kind == Kind::Button && control.hwnd)
            SendMessageW(control.hwnd, BM_SETSTYLE,
                         control.hwnd == chosen ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void ToolkitForm::SelectOption(NativeControl& option) {
    for (NativeControl& other : controls_)
        if (other.kind == Kind::Option && other.design->frame == option.design->frame)
            SendMessageW(other.hwnd, BM_SETCHECK, &other == &option ? BST_CHECKED : BST_UNCHECKED,
                         0);
}

std::vector<const Control*> ToolkitForm::TabStops() {
    const auto open = [this](const Control& c) {
        HWND hwnd = Find(c.name)->hwnd;
        return IsWindowEnabled(hwnd) && (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE);
    };
    const auto selected = [this](const Control& c) {
        return SendMessageW(Find(c.name)->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
    };
    return forms::TabStops(form_.Controls(), open, selected);
}

void ToolkitForm::MoveFocus(bool backwards) {
    const auto stops = TabStops();
    NativeControl* focus = Find(GetFocus());
    const Control* to = Next(stops, focus ? focus->design : nullptr, backwards);
    if (!to) return;
    HWND target = Find(to->name)->hwnd;
    SetFocus(target);
    // Tabbing into a text box selects its text, as in a dialog.
    if (to->kind == Kind::TextBox || to->kind == Kind::ColumnBox)
        SendMessageW(target, EM_SETSEL, 0, -1);
}

void ToolkitForm::MoveAmongOptions(NativeControl& from, bool backwards) {
    const auto group = OptionGroup(form_.Controls(), *from.design, [this](const Control& c) {
        return IsWindowEnabled(Find(c.name)->hwnd) != FALSE;
    });
    NativeControl* next = Find(Next(group, from.design, backwards)->name);
    SetFocus(next->hwnd);
    SelectOption(*next);
    if (next->click) next->click();
}

void ToolkitForm::RestoreFocus() {
    if (!focus_ || !IsWindow(focus_) || !IsWindowEnabled(focus_)) {
        const auto stops = TabStops();
        focus_ = stops.empty() ? nullptr : Find(stops.front()->name)->hwnd;
    }
    if (focus_) SetFocus(focus_);
}

bool ToolkitForm::PreviewKey(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    for (ToolkitForm* form : live)
        if (form->hwnd_ == root) return form->KeyPressed(msg);
    return false;
}

bool ToolkitForm::KeyPressed(MSG& msg) {
    // Menu shortcuts come first: Ctrl+C copies the whole result, not the box's selection.
    if (shortcuts_ && TranslateAcceleratorW(hwnd_, shortcuts_, &msg)) return true;
    if (msg.message != WM_KEYDOWN) return false;
    const int key = int(msg.wParam);
    const bool repeat = (msg.lParam & (1 << 30)) != 0;
    NativeControl* control = Find(msg.hwnd);
    if (control && control->keyDown && control->keyDown({key, repeat})) return true;
    if (!control && msg.hwnd == hwnd_ && KeyDown(form_, {key, repeat})) return true;
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

void ToolkitForm::ShowModeless() {
    if (!hwnd_) return;
    const bool activates = !IsTool(border_);
    ShowWindow(hwnd_, !activates ? SW_SHOWNOACTIVATE : IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
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
void ToolkitForm::ShowModal() {
    disabled_ = DisableOthers(hwnd_);
    ShowModeless();
    RunMessages([this] { return !IsOpen(); });
}

std::vector<HWND> DisableOthers(HWND except) {
    std::vector<HWND> disabled;
    for (HWND hwnd = GetTopWindow(nullptr); hwnd; hwnd = GetWindow(hwnd, GW_HWNDNEXT)) {
        DWORD process = 0;
        GetWindowThreadProcessId(hwnd, &process);
        if (process != GetCurrentProcessId() || hwnd == except || !IsWindowVisible(hwnd) ||
            !IsWindowEnabled(hwnd))
            continue;
        EnableWindow(hwnd, FALSE);
        disabled.push_back(hwnd);
    }
    return disabled;
}

void EnableAgain(std::vector<HWND>& windows) {
    for (HWND hwnd : windows)
        if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
    windows.clear();
}

void ToolkitForm::Close() {
    if (!hwnd_) return;
    Unloading(form_);
    if (!hwnd_) return;      // the unload step may have closed it already
    EnableAgain(disabled_);  // before the window goes, so that its owner takes the activation
    DestroyWindow(hwnd_);
}

// The window has gone; this object stays with its form, which may still be running a handler.
void ToolkitForm::Detach() {
    EnableAgain(disabled_);
    hwnd_ = nullptr;
    std::erase(live, this);
    if (live.empty()) PostQuitMessage(0);
}

void ToolkitForm::HideAll() {
    for (ToolkitForm* form : live) ShowWindow(form->hwnd_, SW_HIDE);
}

Pixels ToolkitForm::Outer() const {
    RECT outer{};
    if (hwnd_) GetWindowRect(hwnd_, &outer);
    return {outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top};
}

void ToolkitForm::SetOuter(const Pixels& outer) {
    if (hwnd_)
        SetWindowPos(hwnd_, nullptr, outer.left, outer.top, outer.width, outer.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

// Only the place: the window keeps its size.
void ToolkitForm::CentreOver(const NativeForm* other) {
    RECT area;
    if (other) {
        const Pixels o = other->Outer();
        area = {o.left, o.top, o.left + o.width, o.top + o.height};
    } else {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    Pixels outer = Outer();
    outer.left = (area.left + area.right - outer.width) / 2;
    outer.top = (area.top + area.bottom - outer.height) / 2;
    SetOuter(outer);
}

Pixels ToolkitForm::Client() const {
    RECT client{};
    if (hwnd_) GetClientRect(hwnd_, &client);
    return {0, 0, client.right, client.bottom};
}

void ToolkitForm::SetMinimized(bool minimized) {
    // The system hides an owned window while its owner is minimized and shows it again with
    // the owner: minimized on its own as well, it would come back iconic and elsewhere.
    if (form_.Owner() && minimized) return;
    ShowWindow(hwnd_, minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
}

void ToolkitForm::SetCaption(std::u16string_view caption) {
    if (hwnd_) SetWindowTextW(hwnd_, WideOf(caption).c_str());
}

void ToolkitForm::OnClick(NativeControl& control, std::function<void()> handler) {
    if (control.kind == Kind::Label && control.hwnd) {
        SetWindowLongW(control.hwnd, GWL_STYLE,
                       GetWindowLongW(control.hwnd, GWL_STYLE) | SS_NOTIFY);
        SetWindowSubclass(control.hwnd, LabelProc, 0, 0);
    }
    control.click = std::move(handler);
}

void ToolkitForm::OnChange(NativeControl& control, std::function<void()> handler) {
    control.change = std::move(handler);
}

void ToolkitForm::OnKeyDown(NativeControl& control, std::function<bool(Key)> handler) {
    control.keyDown = std::move(handler);
}

}  // namespace forms
