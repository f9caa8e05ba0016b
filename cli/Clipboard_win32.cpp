#include <windows.h>

#include <cstring>
#include <new>

#include "cli/Clipboard.h"
#include "cli/Messages.h"

namespace cli {
namespace {

// Another program may hold the clipboard for a moment.
bool Open(HWND owner) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(50);
    }
    return false;
}

[[noreturn]] void FailToReach() {
    throw Failure{Say("クリップボードを開けません", "cannot open the clipboard")};
}

}  // namespace

std::u16string ReadClipboard() {
    if (!Open(nullptr)) FailToReach();
    std::u16string text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* units = data ? static_cast<const char16_t*>(GlobalLock(data)) : nullptr;
    if (units) {
        const std::size_t most = GlobalSize(data) / sizeof(char16_t);
        std::size_t n = 0;
        while (n < most && units[n] != 0) ++n;
        text.assign(units, n);
        GlobalUnlock(data);
    }
    CloseClipboard();
    if (!units)
        throw Failure{Say("クリップボードに文字列がありません", "the clipboard holds no text")};
    return text;
}

void WriteClipboard(std::u16string_view text) {
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    void* units = data ? GlobalLock(data) : nullptr;
    if (!units) throw std::bad_alloc();
    std::memcpy(units, text.data(), text.size() * sizeof(char16_t));
    static_cast<char16_t*>(units)[text.size()] = 0;
    GlobalUnlock(data);
    // The clipboard takes data only from an owner window.
    HWND owner = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 nullptr, nullptr);
    const bool opened = owner && Open(owner);
    const bool put = opened && EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, data);
    if (opened) CloseClipboard();
    if (owner) DestroyWindow(owner);
    if (!put) {
        GlobalFree(data);
        FailToReach();
    }
}

}  // namespace cli
