// The edit control as the program's text boxes: what it pastes, how much it holds, the keys it
// lacks, and its context menu.
#include "forms/win32/TextBoxes.h"
// After <windows.h>, which the headers below assume.
#include <imm.h>
#include <windowsx.h>

#include <algorithm>

#include "forms/App.h"
#include "forms/Guard.h"
#include "forms/Paste.h"
#include "forms/Rules.h"

namespace forms {

namespace {

std::u16string ClipboardText(HWND owner) {
    std::u16string text;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboardWaiting(owner)) return text;
    // Closed again whatever happens, so that the clipboard is not left open for everyone else.
    struct Open {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const char16_t* units = data ? static_cast<const char16_t*>(GlobalLock(data)) : nullptr;
        ~Open() {
            if (units) GlobalUnlock(data);
            CloseClipboard();
        }
    } open;
    if (open.units)
        text.assign(open.units,
                    std::find(open.units, open.units + GlobalSize(open.data) / 2, u'\0'));
    return text;
}

bool IsReadOnly(HWND box) { return GetWindowLongW(box, GWL_STYLE) & ES_READONLY; }

// Every way of pasting ends here: Ctrl+V, Shift+Insert and the context menu all send WM_PASTE.
void Paste(HWND box, bool multiLine) {
    if (IsReadOnly(box)) return;
    if (multiLine) ShowBusy();  // a large text takes the control a while to lay out
    const std::u16string text = ClipboardText(box);
    const std::u16string pasted = multiLine ? WithCrLf(text) : FirstLine(text);
    SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(pasted)));
}

// The items the window gives a box's menu, or a submenu of it, and their ids; a submenu's Click
// comes as the menu opens, so that it can grey its items.
void AppendItems(HMENU menu, Win32Form& form, std::string_view name, std::vector<UINT>& ids) {
    for (NativeControl* item : form.ContextItems(name)) {
        const std::u16string caption(item->item->caption);
        const UINT grey = item->enabled ? 0 : MF_GRAYED;
        if (form.ContextItems(item->name).empty()) {
            AppendMenuW(menu, MF_STRING | grey, UINT_PTR(item->id), Wide(caption));
            ids.push_back(UINT(item->id));
            continue;
        }
        if (item->click) item->click();
        HMENU sub = CreatePopupMenu();  // destroyed with the menu it is in
        if (!sub) continue;
        AppendItems(sub, form, item->name, ids);
        AppendMenuW(menu, MF_POPUP | grey, reinterpret_cast<UINT_PTR>(sub), Wide(caption));
    }
}

// The edit control's own menu, as the system words it, with every command sent as the keys
// send it; then the items the window gives the box, sent to the window as menu commands.
void ShowContextMenu(HWND box, const NativeControl& control, LPARAM at) {
    DWORD from = 0, to = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    const bool selection = from != to, editable = !IsReadOnly(box) && IsWindowEnabled(box);
    const UINT length = UINT(GetWindowTextLengthW(box));
    struct Item {
        const wchar_t* caption;
        UINT message;
        bool enabled;
    };
    const Item items[] = {
        {L"元に戻す(&U)", EM_UNDO, editable && SendMessageW(box, EM_CANUNDO, 0, 0) != 0},
        {nullptr, 0, false},
        {L"切り取り(&T)", WM_CUT, editable && selection},
        {L"コピー(&C)", WM_COPY, selection},
        {L"貼り付け(&P)", WM_PASTE, editable && IsClipboardFormatAvailable(CF_UNICODETEXT)},
        {L"削除(&D)", WM_CLEAR, editable && selection},
        {nullptr, 0, false},
        {L"すべて選択(&A)", EM_SETSEL, length > 0 && !(from == 0 && to == length)},
    };
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (const Item& item : items) {
        if (!item.caption)
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu, MF_STRING | (item.enabled ? 0 : MF_GRAYED), item.message,
                        item.caption);
    }
    std::vector<UINT> extra;
    if (!control.form->ContextItems(control.name).empty())
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendItems(menu, *control.form, control.name, extra);
    POINT point{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    if (at == -1) {  // from the keyboard: at the caret
        GetCaretPos(&point);
        ClientToScreen(box, &point);
    }
    SetFocus(box);
    const UINT chosen = UINT(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                            point.x, point.y, 0, box, nullptr));
    DestroyMenu(menu);
    if (chosen == EM_SETSEL)
        SendMessageW(box, EM_SETSEL, 0, -1);
    else if (std::find(extra.begin(), extra.end(), chosen) != extra.end())
        SendMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    else if (chosen)
        SendMessageW(box, chosen, 0, 0);
}

LRESULT CALLBACK BoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                         DWORD_PTR data) {
    const NativeControl& control = *reinterpret_cast<const NativeControl*>(data);
    const bool multiLine = control.kind == Kind::MultiLineBox;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0,
               alt = GetKeyState(VK_MENU) < 0;
    switch (message) {
        case WM_PASTE:
            Guarded([&] { Paste(hwnd, multiLine); });
            return 0;
        case WM_CONTEXTMENU:
            Guarded([&] { ShowContextMenu(hwnd, control, lParam); });
            return 0;
        case WM_KEYDOWN:
            if (wParam == 'A' && ctrl && !alt) {
                SendMessageW(hwnd, EM_SETSEL, 0, -1);
                return 0;
            }
            // The control pastes Shift+Insert its own way, past WM_PASTE.
            if (wParam == VK_INSERT && shift && !ctrl && !alt) {
                SendMessageW(hwnd, WM_PASTE, 0, 0);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wParam == 0x01) return 0;  // Ctrl+A's character: the selection is made
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, BoxProc, 0);
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void MakeTextBox(NativeControl& box) {
    if (box.kind == Kind::ColumnBox) {
        // Three half-width digits at most, so the input method stays off.
        SendMessageW(box.hwnd, EM_SETLIMITTEXT, kColumnDigits, 0);
        ImmAssociateContextEx(box.hwnd, nullptr, 0);
    } else {
        // As much as the control can hold: a large text is pasted or shown whole.
        SendMessageW(box.hwnd, EM_SETLIMITTEXT, 0, 0);
    }
    SetWindowSubclass(box.hwnd, BoxProc, 0, reinterpret_cast<DWORD_PTR>(&box));
}

std::u16string BoxText(HWND box) {
    std::u16string text(std::size_t(GetWindowTextLengthW(box)), u'\0');
    if (!text.empty()) {
        const int got =
            GetWindowTextW(box, reinterpret_cast<wchar_t*>(text.data()), int(text.size()) + 1);
        text.resize(std::size_t(std::max(got, 0)));
    }
    return text;
}

}  // namespace forms
