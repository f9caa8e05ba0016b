// The native hooks on the Win32 API: each form is a top-level window whose controls, menus and
// tooltips are built from the window's design tables. The keyboard is in Keys.cpp.
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
std::vector<Win32Form*> live;

DWORD StyleOf(Border border) {
    return WS_OVERLAPPED | WS_CAPTION | (IsTool(border) ? 0 : WS_SYSMENU) |
           (IsFixedSize(border) ? 0 : WS_THICKFRAME) | (CanMinimize(border) ? WS_MINIMIZEBOX : 0);
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

// Dialog conventions, which screen readers read: a stop of the tab order has WS_TABSTOP, and
// each group of stops starts with WS_GROUP (an option group with its first option).
ControlClass ClassOf(std::span<const Control> controls, const Control& design) {
    const Kind kind = design.kind;
    DWORD child = WS_CHILD | WS_VISIBLE | (TakesFocus(kind) ? WS_TABSTOP | WS_GROUP : 0);
    if (kind == Kind::Option && OptionGroup(controls, design, [](auto&) { return true; })
                                        .front() != &design)
        child &= ~WS_GROUP;
    // A label shows an "&" as it is, unless it gives its box a letter.
    const DWORD prefix = LetterOf(design.caption) && BoxOf(controls, design) ? 0 : SS_NOPREFIX;
    switch (kind) {
        case Kind::Label:
            return {WC_STATICW, child | SS_LEFT | prefix, 0};
        case Kind::Link:
            return {WC_STATICW, child | SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0};
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

// As in a dialog, a push button with the focus is the default one while it has it, and wears
// the default border: Enter presses it.
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR form) {
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS) {
        auto* owner = reinterpret_cast<Win32Form*>(form);
        Guarded([&] { owner->MarkDefault(message == WM_SETFOCUS ? hwnd : nullptr); });
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ButtonProc, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// A link shows the hand, and the focus as a button does.
LRESULT CALLBACK LinkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR) {
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(hwnd, nullptr, TRUE);
            break;
        case WM_PAINT:
            if (GetFocus() == hwnd) {
                const LRESULT painted = DefSubclassProc(hwnd, message, wParam, lParam);
                RECT client;
                GetClientRect(hwnd, &client);
                HDC dc = GetDC(hwnd);
                DrawFocusRect(dc, &client);
                ReleaseDC(hwnd, dc);
                return painted;
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, LinkProc, 0);
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

std::unique_ptr<NativeForm> NativeForm::Make(Form& form, const Window& design) {
    return std::make_unique<Win32Form>(form, design);
}

Win32Form::Win32Form(Form& form, const Window& design) : form_(form), border_(design.border) {
    RegisterFormClass(&Win32Form::Proc);
    const Form* ownerForm = form.Owner();
    HWND owner = ownerForm ? static_cast<Win32Form&>(ownerForm->Native()).hwnd_ : nullptr;
    const std::u16string caption(design.caption);
    // The window procedure takes this from the creation parameters on WM_NCCREATE.
    Created(CreateWindowExW(0, kClassName, Wide(caption), StyleOf(border_), CW_USEDEFAULT,
                            CW_USEDEFAULT, Px(design.clientWidth), Px(design.clientHeight), owner,
                            nullptr, GetModuleHandleW(nullptr), this),
            "a window");
    live.push_back(this);
    try {
        controls_.reserve(form.Controls().size() + form.Menus().size());
        AddControls();
        AddMenus();
        AddToolTips();
    } catch (...) {
        Destroy();  // a window half made goes at once, before any message reaches it
        throw;
    }
    defaultButton_ = Find(design.defaultButton);
    MarkDefault(nullptr);
    SetClientSize(Px(design.clientWidth), Px(design.clientHeight));
    if (const Control* first = FirstStop(form.Controls())) focus_ = Find(first->name)->hwnd;
}

Win32Form::~Win32Form() { Destroy(); }

// Destroyed with its form: no unload step, and nothing of this object is used again.
void Win32Form::Destroy() {
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        EnableAgain(disabled_);
        DestroyWindow(hwnd_);
        std::erase(live, this);
        hwnd_ = nullptr;
    }
    if (shortcuts_) DestroyAcceleratorTable(std::exchange(shortcuts_, nullptr));
}

NativeControl* Win32Form::Find(std::string_view name) { return FindNamed(controls_, name); }

NativeControl* Win32Form::Find(HWND hwnd, int id) {
    for (NativeControl& control : controls_)
        if (hwnd ? control.hwnd == hwnd : control.id == id) return &control;
    return nullptr;
}

void Win32Form::AddMenus() {
    const std::span<const MenuItem> menus = form_.Menus();
    if (menus.empty()) return;
    HMENU bar = Created(CreateMenu(), "a menu bar");
    std::vector<std::pair<std::string_view, HMENU>> popups;
    std::vector<ACCEL> keys;
    for (const MenuItem& item : menus) {
        const int id = kFirstMenuId + int(controls_.size());
        std::u16string caption(item.caption);
        const MenuPlace place = PlaceOf(item, menus, form_.Controls());
        HMENU menu = place == MenuPlace::OnBar ? bar : nullptr;
        for (const auto& [name, popup] : popups)
            if (name == item.menu) menu = popup;
        if (place == MenuPlace::Menu) {
            HMENU popup = Created(CreatePopupMenu(), "a menu");
            popups.emplace_back(item.name, popup);
            AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(popup),
                        Wide(caption));
        } else if (menu) {
            if (item.shortcut == Shortcut::Copy) {
                caption += u"\tCtrl+C";
                keys.push_back({FCONTROL | FVIRTKEY, 'C', WORD(id)});
            }
            AppendMenuW(menu, MF_STRING, UINT_PTR(id), Wide(caption));
        }  // else shown by a box's own context menu, or a submenu of it
        NativeControl& made = controls_.emplace_back();
        made.name = item.name;
        made.item = &item;
        made.id = place == MenuPlace::Menu || place == MenuPlace::SubMenu ? 0 : id;
    }
    SetMenu(hwnd_, bar);
    if (!keys.empty())
        shortcuts_ =
            Created(CreateAcceleratorTableW(keys.data(), int(keys.size())), "the shortcuts");
}

void Win32Form::AddControls() {
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
        const ControlClass cls = ClassOf(form_.Controls(), design);
        const int id = kFirstControlId + int(controls_.size());
        const std::u16string caption(design.caption);
        HWND hwnd =
            Created(CreateWindowExW(cls.exStyle, cls.name, Wide(caption), cls.style, at.left,
                                    at.top, at.width, at.height, hwnd_,
                                    reinterpret_cast<HMENU>(INT_PTR(id)), instance, nullptr),
                    "a control");
        SendMessageW(hwnd, WM_SETFONT,
                     reinterpret_cast<WPARAM>(JapaneseFont(Resolved(design.font))), FALSE);
        const int textHeight = TextHeight(hwnd) + (design.kind == Kind::Option ? 2 : 0);
        const Pixels grown = GrownToText(design, at, textHeight, ScreenDpi());
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
        if (design.kind == Kind::Link) SetWindowSubclass(hwnd, LinkProc, 0, 0);
        MakeReadable(made);
    }
    Stack();
}

// The z-order is the reading order, first on top: the system names a box by the label before
// it, and a screen reader finds a control's group in the frame before it.
void Win32Form::Stack() {
    for (const Control* design : ReadingOrder(form_.Controls()))
        SetWindowPos(Find(design->name)->hwnd, HWND_BOTTOM, 0, 0, 0, 0, kKeepPlace);
}

void Win32Form::AddToolTips() {
    tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
    // Every control gets a tool, so that a tip set later only needs its text.
    for (const Control& design : form_.Controls())
        SetTip(*Find(design.name), design.tip, TTM_ADDTOOLW);
}

std::vector<NativeControl*> Win32Form::ContextItems(std::string_view menu) {
    std::vector<NativeControl*> items;
    for (NativeControl& control : controls_)
        if (control.item && control.item->menu == menu) items.push_back(&control);
    return items;
}

void Win32Form::SetTip(NativeControl& control, std::u16string_view tip, UINT message) {
    control.tip = tip;
    std::wstring text(tip.begin(), tip.end());  // the tool takes it as writable
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
void Win32Form::SetClientSize(int width, int height) {
    const Pixels outer = Outer(), client = Client();
    fixedSize_ = {width + outer.width - client.width, height + outer.height - client.height};
    SetWindowPos(hwnd_, nullptr, 0, 0, fixedSize_.cx, fixedSize_.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK Win32Form::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* made =
            static_cast<Win32Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        made->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
    }
    auto* self = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return Guarded(LRESULT(0), [&] { return self->Handle(message, wParam, lParam); });
}

LRESULT Win32Form::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return Colour(message, wParam, lParam);
        case WM_SIZE:
            SendResize(form_);
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
            SendOnScreen(form_);
            return 0;
        case WM_NCDESTROY:
            Detach();
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void Win32Form::OnCommand(int id, int code, HWND from) {
    NativeControl* control = Find(from, id);
    if (!control) return;
    if (!from || code == BN_CLICKED || code == STN_CLICKED) {
        if (control->kind == Kind::Option) SelectOption(*control);
        if (control->click) control->click();
    } else if (code == EN_CHANGE && control->change) {
        control->change();
    }
}

LRESULT Win32Form::Colour(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT brush = DefWindowProcW(hwnd_, message, wParam, lParam);
    const NativeControl* control = Find(reinterpret_cast<HWND>(lParam));
    if (control && control->design->colour != kDefaultColour) {
        const Rgb c = RgbOf(control->design->colour);
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(c.red, c.green, c.blue));
    }
    return brush;
}

void Win32Form::MarkDefault(HWND focusedButton) {
    HWND chosen = focusedButton;
    if (!chosen && defaultButton_) chosen = defaultButton_->hwnd;
    for (const NativeControl& control : controls_)
        if (control.kind == Kind::Button && control.hwnd)
            SendMessageW(control.hwnd, BM_SETSTYLE,
                         control.hwnd == chosen ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void Win32Form::SelectOption(NativeControl& option) {
    for (NativeControl& other : controls_)
        if (other.kind == Kind::Option && other.design->frame == option.design->frame)
            SendMessageW(other.hwnd, BM_SETCHECK, &other == &option ? BST_CHECKED : BST_UNCHECKED,
                         0);
}

bool Win32Form::IsReachable(const NativeControl& control) const {
    return IsWindowEnabled(control.hwnd) && (GetWindowLongW(control.hwnd, GWL_STYLE) & WS_VISIBLE);
}

bool Win32Form::IsSelected(const NativeControl& control) const {
    return SendMessageW(control.hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32Form::RestoreFocus() {
    if (!focus_ || !IsWindow(focus_) || !IsWindowEnabled(focus_)) {
        const Control* first = FirstStop(form_.Controls());
        focus_ = first ? Find(first->name)->hwnd : nullptr;
    }
    if (focus_) SetFocus(focus_);
}

Win32Form* Win32Form::Showing(HWND window) {
    for (Win32Form* form : live)
        if (form->hwnd_ == window) return form;
    return nullptr;
}

void Win32Form::ShowModeless() {
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
void Win32Form::ShowModal() {
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

void Win32Form::Close() {
    SendUnload(form_);
    if (!hwnd_) return;      // the unload step may have closed it already
    EnableAgain(disabled_);  // before the window goes, so that its owner takes the activation
    DestroyWindow(hwnd_);
}

// The window has gone; this object stays with its form, which may still be running a handler.
void Win32Form::Detach() {
    EnableAgain(disabled_);
    hwnd_ = nullptr;
    std::erase(live, this);
    if (live.empty()) PostQuitMessage(0);
}

void Win32Form::HideAll() {
    for (Win32Form* form : live) ShowWindow(form->hwnd_, SW_HIDE);
}

Pixels Win32Form::Outer() const {
    RECT outer{};
    GetWindowRect(hwnd_, &outer);
    return {outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top};
}

void Win32Form::SetOuter(const Pixels& outer) {
    SetWindowPos(hwnd_, nullptr, outer.left, outer.top, outer.width, outer.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Only the place: the window keeps its size.
void Win32Form::CentreOver(const NativeForm* other) {
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

Pixels Win32Form::Client() const {
    RECT client{};
    GetClientRect(hwnd_, &client);
    return {0, 0, client.right, client.bottom};
}

void Win32Form::SetMinimized(bool minimized) {
    // The system hides an owned window while its owner is minimized and shows it again with
    // the owner: minimized on its own as well, it would come back iconic and elsewhere.
    if (form_.Owner() && minimized) return;
    ShowWindow(hwnd_, minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
}

void Win32Form::Activate() { SetForegroundWindow(hwnd_); }

void Win32Form::SetCaption(std::u16string_view caption) {
    SetWindowTextW(hwnd_, Wide(std::u16string(caption)));
}

void Win32Form::OnClick(NativeControl& control, std::function<void()> handler) {
    control.click = std::move(handler);
}

void Win32Form::OnChange(NativeControl& control, std::function<void()> handler) {
    control.change = std::move(handler);
}

void Win32Form::OnKeyDown(NativeControl& control, std::function<bool(Key)> handler) {
    control.keyDown = std::move(handler);
}

}  // namespace forms
