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

std::string Utf8(std::wstring text, bool ampersand = true) {
    if (const auto at = text.find(L'&'); at != text.npos && !ampersand) text.erase(at, 1);
    std::string out(text.size() * 3 + 1, '\0');
    out.resize(std::size_t(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()),
                                               out.data(), int(out.size()), nullptr, nullptr)));
    return out;
}

std::string Text(HWND hwnd, bool cls = false) {  // its text without "&", or its class
    wchar_t text[512] = {};
    cls ? GetClassNameW(hwnd, text, 512) : GetWindowTextW(hwnd, text, 512);
    return Utf8(text, cls);
}

std::string Taken(BSTR text) {
    const std::string out = Utf8(text ? std::wstring(text, SysStringLen(text)) : L"");
    SysFreeString(text);
    return out;
}

// name|role, and the description, as the control's own MSAA object gives them
std::string Read(HWND control, std::string* description = nullptr) {
    IAccessible* reader = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&reader))))
        return "|other";
    VARIANT self{}, role{};
    self.vt = VT_I4;
    BSTR got[2] = {};
    reader->get_accName(self, &got[0]);
    reader->get_accDescription(self, &got[1]);
    reader->get_accRole(self, &role);
    reader->Release();
    const std::string name = Taken(got[0]), about = Taken(got[1]);
    if (description) *description = about;
    const char* word = "other";
    for (const auto& [number, what] : {std::pair<LONG, const char*>{ROLE_SYSTEM_STATICTEXT, "label"},
                                       {ROLE_SYSTEM_TEXT, "text"}, {ROLE_SYSTEM_PUSHBUTTON, "button"},
                                       {ROLE_SYSTEM_RADIOBUTTON, "option"},
                                       {ROLE_SYSTEM_GROUPING, "group"}, {ROLE_SYSTEM_LINK, "link"}})
        if (role.vt == VT_I4 && role.lVal == number) word = what;
    return name + "|" + word;
}

RECT Place(HWND control) {
    RECT at{};
    GetWindowRect(control, &at);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&at), 2);
    return at;
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window) || Text(window, true) != "KalvexForm") return TRUE;
    for (HWND control = GetWindow(window, GW_CHILD); control;
         control = GetWindow(control, GW_HWNDNEXT)) {
        std::string description, label, group;
        const std::string read = Read(control, &description), name = read.substr(0, read.find('|'));
        const RECT at = Place(control);
        for (HWND before = control; (before = GetWindow(before, GW_HWNDPREV));) {
            const RECT f = Place(before);
            if (label.empty() && Text(before, true) == "Static" && Text(before) == name &&
                Text(control, true) != "Static")
                label = name;
            if (group.empty() && Text(before, true) == "Button" &&
                (GetWindowLongW(before, GWL_STYLE) & 0xF) == BS_GROUPBOX && at.left >= f.left &&
                at.right <= f.right && at.top >= f.top && at.bottom <= f.bottom)
                group = Text(before);
        }
        std::printf("%s|%s|%s|%s|%s|%ld %ld %ld %ld\n", Text(window).c_str(), read.c_str(),
                    label.c_str(), group.c_str(), description.c_str(), at.left, at.top,
                    at.right - at.left, at.bottom - at.top);
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (argc > 1 && std::string(argv[1]) == "focus") {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(GetWindowThreadProcessId(GetForegroundWindow(), nullptr), &info);
        std::printf("%s\n", Read(info.hwndFocus).c_str());
    } else {
        EnumWindows(PrintWindow, 0);
    }
    std::fflush(stdout);
    return 0;
}
