// forms::Ctl on the Win32 API. A control whose window has closed does nothing.
#include "forms/Rules.h"
#include "forms/win32/TextBoxes.h"

namespace forms {

namespace {

HWND HwndOf(const NativeControl* control) {
    return control && control->hwnd && IsWindow(control->hwnd) ? control->hwnd : nullptr;
}

}  // namespace

std::u16string Ctl::Text() const {
    HWND hwnd = HwndOf(native_);
    return hwnd ? BoxText(hwnd) : std::u16string();
}

void Ctl::SetText(std::u16string_view text) {
    HWND hwnd = HwndOf(native_);
    if (!hwnd) return;
    const std::u16string value(text);
    // Setting the text it already holds raises no Change.
    if (IsTextBox(native_->kind) && native_->kind != Kind::MultiLineBox && BoxText(hwnd) == value)
        return;
    SetWindowTextW(hwnd, Wide(value));
    if (native_->kind == Kind::MultiLineBox) SendMessageW(hwnd, EM_EMPTYUNDOBUFFER, 0, 0);
}

// Selected and replaced, so that Ctrl+Z brings the text back.
void Ctl::Clear() {
    HWND hwnd = HwndOf(native_);
    if (!hwnd || !IsTextBox(native_->kind)) return;
    SendMessageW(hwnd, EM_SETSEL, 0, -1);
    SendMessageW(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}

void Ctl::Fill(const LargeText& text) {
    HWND hwnd = HwndOf(native_);
    if (!hwnd || native_->kind != Kind::MultiLineBox) return;
    SetWindowTextW(hwnd, text.Native() ? Wide(text.Native()->text) : L"");
    SendMessageW(hwnd, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(hwnd, EM_SETMODIFY, FALSE, 0);
}

bool Ctl::IsModified() const {
    HWND hwnd = HwndOf(native_);
    return hwnd && native_->kind == Kind::MultiLineBox && SendMessageW(hwnd, EM_GETMODIFY, 0, 0);
}

void Ctl::SetEnabled(bool enabled) {
    if (native_ && !native_->hwnd) native_->enabled = enabled;  // a menu item
    HWND hwnd = HwndOf(native_);
    if (!hwnd) return;
    // A control that loses the focus this way leaves it with its window, not with nothing.
    if (!enabled && GetFocus() == hwnd) ::SetFocus(GetParent(hwnd));
    EnableWindow(hwnd, enabled);
}

void Ctl::SetFocus() {
    if (HWND hwnd = HwndOf(native_); hwnd && IsWindowEnabled(hwnd)) ::SetFocus(hwnd);
}

void Ctl::SetToolTip(std::u16string_view tip) {
    if (HwndOf(native_)) native_->form->SetTip(*native_, tip);
}

bool Ctl::Value() const {
    HWND hwnd = HwndOf(native_);
    return hwnd && native_->kind == Kind::Option &&
           SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Ctl::SetValue(bool selected) {
    HWND hwnd = HwndOf(native_);
    if (!hwnd || native_->kind != Kind::Option) return;
    if (selected)
        native_->form->SelectOption(*native_);
    else
        SendMessageW(hwnd, BM_SETCHECK, BST_UNCHECKED, 0);
}

void Ctl::Move(const Twips& at) {
    if (HWND hwnd = HwndOf(native_))
        MoveWindow(hwnd, Px(at.left), Px(at.top), Px(at.width), Px(at.height), TRUE);
}

}  // namespace forms
