// What a screen reader on Windows reads of the program's windows, through MSAA from another
// process, a line per control of every visible window, as the AT-SPI reader prints them:
//   window|name|role|label|group|description|left top width height (client pixels)
// The label is a static before the control in z-order whose text names it (the system's rule);
// the group the nearest group box before it that holds it, as screen readers find it.
// With "focus": name|role of the control that has the keyboard focus.
#include <windows.h>
// After <windows.h>.
#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3 + 1, '\0');
    out.resize(std::size_t(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()),
                                               out.data(), int(out.size()), nullptr, nullptr)));
    return out;
}

std::wstring Taken(BSTR text) {
    std::wstring out = text ? std::wstring(text, SysStringLen(text)) : L"";
    SysFreeString(text);
    return out;
}

std::wstring Caption(HWND hwnd) {
    wchar_t text[512] = {}, cls[64] = {};
    GetWindowTextW(hwnd, text, 512);
    GetClassNameW(hwnd, cls, 64);
    std::wstring caption(text);
    if (const auto at = caption.find(L'&'); at != caption.npos) caption.erase(at, 1);
    return std::wstring(cls) + L'|' + caption;  // the class, then the text
}

std::wstring TextOf(HWND hwnd) { return Caption(hwnd).substr(Caption(hwnd).find(L'|') + 1); }

RECT ClientRect(HWND control) {
    RECT at{};
    GetWindowRect(control, &at);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&at), 2);
    return at;
}

// name|role|description, as the control's own MSAA object gives them
std::wstring Read(HWND control) {
    IAccessible* reader = nullptr;
    std::wstring name, description, role = L"other";
    if (SUCCEEDED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&reader)))) {
        VARIANT self{}, number{};
        self.vt = VT_I4;
        BSTR got = nullptr;
        reader->get_accName(self, &got);
        name = Taken(got);
        got = nullptr;
        reader->get_accDescription(self, &got);
        description = Taken(got);
        reader->get_accRole(self, &number);
        const struct { LONG role; const wchar_t* word; } words[] = {
            {ROLE_SYSTEM_STATICTEXT, L"label"}, {ROLE_SYSTEM_TEXT, L"text"},
            {ROLE_SYSTEM_PUSHBUTTON, L"button"}, {ROLE_SYSTEM_RADIOBUTTON, L"option"},
            {ROLE_SYSTEM_GROUPING, L"group"}, {ROLE_SYSTEM_LINK, L"link"}};
        for (const auto& w : words)
            if (number.vt == VT_I4 && number.lVal == w.role) role = w.word;
        reader->Release();
    }
    return name + L'|' + role + L'|' + description;
}

void Print(HWND window, HWND control) {
    const std::wstring read = Read(control), name = read.substr(0, read.find(L'|'));
    const RECT at = ClientRect(control);
    std::wstring label, group;
    for (HWND before = control; (before = GetWindow(before, GW_HWNDPREV));) {
        const RECT frame = ClientRect(before);
        if (label.empty() && Caption(before) == L"Static|" + name &&
            Caption(control).rfind(L"Static|", 0) != 0)
            label = name;
        if (group.empty() && (GetWindowLongW(before, GWL_STYLE) & 0xF) == BS_GROUPBOX &&
            Caption(before).rfind(L"Button|", 0) == 0 && at.left >= frame.left &&
            at.right <= frame.right && at.top >= frame.top && at.bottom <= frame.bottom)
            group = TextOf(before);
    }
    const std::size_t role = read.find(L'|') + 1, description = read.find(L'|', role) + 1;
    std::printf("%s|%s|%s|%s|%s|%ld %ld %ld %ld\n", Utf8(TextOf(window)).c_str(),
                Utf8(read.substr(0, description - 1)).c_str(), Utf8(label).c_str(),
                Utf8(group).c_str(), Utf8(read.substr(description)).c_str(), at.left, at.top,
                at.right - at.left, at.bottom - at.top);
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM) {
    if (IsWindowVisible(window) && Caption(window).rfind(L"KalvexForm|", 0) == 0)
        for (HWND control = GetWindow(window, GW_CHILD); control;
             control = GetWindow(control, GW_HWNDNEXT))
            Print(window, control);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (argc > 1 && std::string(argv[1]) == "focus") {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(GetWindowThreadProcessId(GetForegroundWindow(), nullptr), &info);
        const std::wstring read = Read(info.hwndFocus);
        std::printf("%s\n", Utf8(read.substr(0, read.rfind(L'|'))).c_str());
    } else {
        EnumWindows(PrintWindow, 0);
    }
    std::fflush(stdout);
    return 0;
}
