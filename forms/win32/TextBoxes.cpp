// The edit control as the program's text boxes: what it pastes, how much it holds, and the
// keys it lacks.
#include "forms/win32/Native.h"
// After <windows.h>, which the headers below assume.
#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <new>

namespace forms {

namespace {

std::u16string ClipboardText(HWND owner) {
    std::u16string text;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboardWaiting(owner)) return text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* units = data ? static_cast<const char16_t*>(GlobalLock(data)) : nullptr;
    auto release = [&] {
        if (units) GlobalUnlock(data);
        CloseClipboard();
    };
    try {
        if (units) text.assign(units, std::find(units, units + GlobalSize(data) / 2, u'\0'));
    } catch (...) {
        release();  // the clipboard is not left open for everyone else
        throw;
    }
    release();
    return text;
}

// A single-line box keeps the first line of a pasted text.
std::u16string FirstLine(std::u16string text) {
    text.erase(std::min(text.find(u'\r'), text.find(u'\n')), std::u16string::npos);
    return text;
}

// The edit control breaks lines at CR LF only; a pasted text's lone CR, lone LF and paragraph
// separators become CR LF, so that every line break the user sees is one the conversion sees.
std::u16string WithCrLf(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n' || c == u'\u2029') {
            out += u"\r\n";
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else {
            out += c;
        }
    }
    return out;
}

LRESULT CALLBACK BoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                         DWORD_PTR kind) {
    const bool multiLine = Kind(kind) == Kind::MultiLineBox;
    switch (message) {
        case WM_PASTE: {
            if (GetWindowLongW(hwnd, GWL_STYLE) & ES_READONLY) return 0;
            // A text too large to copy beside what the program holds is not pasted; nothing
            // may leave this window procedure by an exception.
            try {
                const std::u16string text = ClipboardText(hwnd);
                const std::u16string pasted = multiLine ? WithCrLf(text) : FirstLine(text);
                SendMessageW(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(pasted)));
            } catch (const std::bad_alloc&) {
                MessageBeep(MB_ICONEXCLAMATION);
            }
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
                SendMessageW(hwnd, EM_SETSEL, 0, -1);
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

void MakeTextBox(NativeControl& box) {
    if (box.kind == Kind::ColumnBox) {
        // Three half-width digits at most, so the input method stays off.
        SendMessageW(box.hwnd, EM_SETLIMITTEXT, 3, 0);
        ImmAssociateContextEx(box.hwnd, nullptr, 0);
    } else {
        // As much as the control can hold: a large text is pasted or shown whole.
        SendMessageW(box.hwnd, EM_SETLIMITTEXT, 0, 0);
    }
    SetWindowSubclass(box.hwnd, BoxProc, 0, DWORD_PTR(box.kind));
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

void MakeClickable(HWND label) { SetWindowSubclass(label, LabelProc, 0, 0); }

}  // namespace forms
