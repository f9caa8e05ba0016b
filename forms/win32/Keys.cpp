// The keyboard on Win32: the windows are not dialogs, so the runtime does what a dialog's
// manager would: Tab in tab-index order, Enter for the default button, arrows between the option
// buttons of a frame, Alt and a label's letter, and the controls' and the form's KeyDown handlers
// before them all; and F6 between a window and its tool windows.
#include "forms/Rules.h"
#include "forms/win32/NativeForm.h"

namespace forms {

namespace {

bool IsDown(int key) { return GetKeyState(key) < 0; }

}  // namespace

bool Win32Form::PreviewKey(MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    Win32Form* form = Showing(GetAncestor(msg.hwnd, GA_ROOT));
    return form && form->KeyPressed(msg);
}

bool Win32Form::KeyPressed(MSG& msg) {
    // Menu shortcuts come first: Ctrl+C copies the whole result, not the box's selection.
    if (shortcuts_ && TranslateAcceleratorW(hwnd_, shortcuts_, &msg)) return true;
    const int key = int(msg.wParam);
    if (msg.message == WM_SYSKEYDOWN) {
        const Control* box = LabelledBy(form_.Controls(), char16_t(key));
        if (box && IsReachable(*Find(box->name))) SetFocus(Find(box->name)->hwnd);
        return box != nullptr;
    }
    if (msg.message != WM_KEYDOWN) return false;
    const bool repeat = (msg.lParam & (1 << 30)) != 0;
    NativeControl* control = Find(msg.hwnd);
    if (control && control->keyDown && control->keyDown({key, repeat})) return true;
    if (!control && msg.hwnd == hwnd_ && SendKeyDown(form_, {key, repeat})) return true;
    if (IsDown(VK_CONTROL) || IsDown(VK_MENU)) return false;
    const Kind kind = control ? control->kind : Kind::Label;
    switch (key) {
        case VK_TAB:
            // A multi-line box takes a typed tab as text.
            if (kind == Kind::MultiLineBox) return false;
            MoveFocus(IsDown(VK_SHIFT));
            return true;
        case VK_F6:
            SendPaneKey(form_, IsDown(VK_SHIFT));
            return true;
        case VK_SPACE:
            if (kind != Kind::Link) return false;
            [[fallthrough]];
        case VK_RETURN:
            if (kind == Kind::MultiLineBox) return false;
            if (kind == Kind::Link) {
                if (control->click) control->click();
                return true;
            }
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

void Win32Form::MoveFocus(bool backwards) {
    const auto stops = TabStops(form_.Controls());
    NativeControl* focus = Find(GetFocus());
    const Control* to = Next(stops, focus ? focus->design : nullptr, backwards);
    if (!to) return;
    HWND target = Find(to->name)->hwnd;
    SetFocus(target);
    // Tabbing into a text box selects its text, as in a dialog.
    if (to->kind == Kind::TextBox || to->kind == Kind::ColumnBox)
        SendMessageW(target, EM_SETSEL, 0, -1);
}

void Win32Form::MoveAmongOptions(NativeControl& from, bool backwards) {
    const auto group = OptionGroup(form_.Controls(), *from.design, [this](const Control& c) {
        return IsWindowEnabled(Find(c.name)->hwnd) != FALSE;
    });
    NativeControl* next = Find(Next(group, from.design, backwards)->name);
    SetFocus(next->hwnd);
    SelectOption(*next);
    if (next->click) next->click();
}

}  // namespace forms
