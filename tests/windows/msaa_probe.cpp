// What a screen reader on Windows reads of the program's windows, through MSAA from another
// process: a line per control of every visible window, as the AT-SPI reader prints them on Linux:
//   window|name|role|label|group|description|left top width height (client pixels)
// The label is the static before the control in z-order whose text names it (the system's rule);
// the group is the nearest group box before it in z-order that holds it, as screen readers find it.
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
    wchar_t text[512] = {};
    GetWindowTextW(hwnd, text, 512);
    std::wstring caption(text);
    if (const auto at = caption.find(L'&'); at != caption.npos) caption.erase(at, 1);
    return caption;
}

bool IsClass(HWND hwnd, const wchar_t* name) {
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    return lstrcmpiW(cls, name) == 0;
}

bool IsGroupBox(HWND hwnd) {
    return IsClass(hwnd, L"Button") && (GetWindowLongW(hwnd, GWL_STYLE) & 0xF) == BS_GROUPBOX;
}

RECT ClientRect(HWND control) {
    RECT at{};
    GetWindowRect(control, &at);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&at), 2);
    return at;
}

const char* RoleWord(LONG role) {
    switch (role) {
        case ROLE_SYSTEM_STATICTEXT: return "label";
        case ROLE_SYSTEM_TEXT: return "text";
        case ROLE_SYSTEM_PUSHBUTTON: return "button";
        case ROLE_SYSTEM_RADIOBUTTON: return "option";
        case ROLE_SYSTEM_GROUPING: return "group";
        case ROLE_SYSTEM_LINK: return "link";
    }
    return "other";
}

struct Read {
    std::wstring name, description;
    const char* role = "other";
};

Read ReadOf(HWND control) {
    Read read;
    IAccessible* reader = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&reader))))
        return read;
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr, description = nullptr;
    VARIANT role{};
    reader->get_accName(self, &name);
    reader->get_accDescription(self, &description);
    reader->get_accRole(self, &role);
    reader->Release();
    read.name = Taken(name);
    read.description = Taken(description);
    if (role.vt == VT_I4) read.role = RoleWord(role.lVal);
    return read;
}

void Print(const std::wstring& window, HWND control) {
    const Read read = ReadOf(control);
    const std::wstring& spoken = read.name;
    std::wstring label, group;
    const RECT at = ClientRect(control);
    for (HWND before = GetWindow(control, GW_HWNDPREV); before;
         before = GetWindow(before, GW_HWNDPREV)) {
        if (label.empty() && IsClass(before, L"Static") && !IsClass(control, L"Static") &&
            Caption(before) == spoken)
            label = spoken;
        const RECT frame = ClientRect(before);
        if (group.empty() && IsGroupBox(before) && at.left >= frame.left &&
            at.right <= frame.right && at.top >= frame.top && at.bottom <= frame.bottom)
            group = Caption(before);
    }
    std::printf("%s|%s|%s|%s|%s|%s|%ld %ld %ld %ld\n", Utf8(window).c_str(), Utf8(spoken).c_str(),
                read.role, Utf8(label).c_str(), Utf8(group).c_str(),
                Utf8(read.description).c_str(), at.left, at.top, at.right - at.left,
                at.bottom - at.top);
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM) {
    if (IsWindowVisible(window) && IsClass(window, L"KalvexForm"))
        for (HWND control = GetWindow(window, GW_CHILD); control;
             control = GetWindow(control, GW_HWNDNEXT))
            Print(Caption(window), control);
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (argc > 1 && std::string(argv[1]) == "focus") {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(GetWindowThreadProcessId(GetForegroundWindow(), nullptr), &info);
        const Read read = ReadOf(info.hwndFocus);
        std::printf("%s|%s\n", Utf8(read.name).c_str(), info.hwndFocus ? read.role : "none");
    } else {
        EnumWindows(PrintWindow, 0);
    }
    std::fflush(stdout);
    CoUninitialize();
    return 0;
}
