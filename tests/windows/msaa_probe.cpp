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

std::string Text(HWND hwnd, bool cls = false) {  // its text without "&", or its class
    wchar_t text[512] = {};
    cls ? GetClassNameW(hwnd, text, 512) : GetWindowTextW(hwnd, text, 512);
    std::wstring wide(text);
    if (const auto at = wide.find(L'&'); at != wide.npos && !cls) wide.erase(at, 1);
    std::string out(wide.size() * 3 + 1, '\0');
    out.resize(std::size_t(WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()),
                                               out.data(), int(out.size()), nullptr, nullptr)));
    return out;
}

std::string Utf8(BSTR text) {
    std::string out(SysStringLen(text) * 3 + 1, '\0');
    out.resize(std::size_t(WideCharToMultiByte(CP_UTF8, 0, text ? text : L"",
                                               int(SysStringLen(text)), out.data(),
                                               int(out.size()), nullptr, nullptr)));
    SysFreeString(text);
    return out;
}

// name, role, description, as the control's own MSAA object gives them
void Read(HWND control, std::string& name, const char*& role, std::string& description) {
    IAccessible* reader = nullptr;
    role = "other";
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&reader))))
        return;
    VARIANT self{}, number{};
    self.vt = VT_I4;
    BSTR got[2] = {};
    reader->get_accName(self, &got[0]);
    reader->get_accDescription(self, &got[1]);
    reader->get_accRole(self, &number);
    reader->Release();
    name = Utf8(got[0]), description = Utf8(got[1]);
    const std::pair<LONG, const char*> words[] = {
        {ROLE_SYSTEM_STATICTEXT, "label"}, {ROLE_SYSTEM_TEXT, "text"},
        {ROLE_SYSTEM_PUSHBUTTON, "button"}, {ROLE_SYSTEM_RADIOBUTTON, "option"},
        {ROLE_SYSTEM_GROUPING, "group"},    {ROLE_SYSTEM_LINK, "link"}};
    for (const auto& [number_, word] : words)
        if (number.vt == VT_I4 && number.lVal == number_) role = word;
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
        std::string name, description, label, group;
        const char* role;
        Read(control, name, role, description);
        const RECT at = Place(control);
        for (HWND before = control; (before = GetWindow(before, GW_HWNDPREV));) {
            const RECT frame = Place(before);
            if (label.empty() && Text(before, true) == "Static" && Text(before) == name &&
                Text(control, true) != "Static")
                label = name;
            if (group.empty() && Text(before, true) == "Button" &&
                (GetWindowLongW(before, GWL_STYLE) & 0xF) == BS_GROUPBOX && at.left >= frame.left &&
                at.right <= frame.right && at.top >= frame.top && at.bottom <= frame.bottom)
                group = Text(before);
        }
        std::printf("%s|%s|%s|%s|%s|%s|%ld %ld %ld %ld\n", Text(window).c_str(), name.c_str(), role,
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
        std::string name, description;
        const char* role;
        Read(info.hwndFocus, name, role, description);
        std::printf("%s|%s\n", name.c_str(), role);
    } else {
        EnumWindows(PrintWindow, 0);
    }
    std::fflush(stdout);
    return 0;
}
