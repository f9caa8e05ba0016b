// The program around the windows on the Win32 API: start-up and the message loop, application
// information from the module and its version resource, the shell, the message box, the
// clipboard, the end, fonts and large texts.
#include "forms/win32/NativeForm.h"
// After <windows.h>, which the headers below assume.
#include <objbase.h>
#include <shellapi.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <tuple>

#include "forms/App.h"
#include "forms/Guard.h"
#include "forms/Rules.h"

namespace forms {

namespace {

HWND clipboardOwner = nullptr;
int loopDepth = 0;
constexpr UINT kRefreshCursor = WM_APP + 2;

// The cursor the window under it asks for, as a mouse move would set it.
void RefreshCursor() {
    POINT at{};
    GetCursorPos(&at);
    HWND under = WindowFromPoint(at);
    if (!under || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return;
    }
    const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    if (!SendMessageW(under, WM_SETCURSOR, WPARAM(under), MAKELPARAM(hit, WM_MOUSEMOVE)))
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

LRESULT CALLBACK HelperProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR) {
    if (message == kRefreshCursor) {
        RefreshCursor();
        return 0;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

struct FaceProbe {
    bool fixedPitch;
    bool found = false;
};

// A face is taken only with the pitch asked for: where a proportional face is missing the
// system may stand a fixed one in under its name (wine does), which would not be the face.
bool HasFace(const wchar_t* name, bool fixedPitch) {
    LOGFONTW wanted{};
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    lstrcpynW(wanted.lfFaceName, name, LF_FACESIZE);
    FaceProbe probe{fixedPitch};
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(
        dc, &wanted,
        [](const LOGFONTW*, const TEXTMETRICW* metrics, DWORD, LPARAM data) -> int {
            auto* probe = reinterpret_cast<FaceProbe*>(data);
            // The bit, despite its name, is set for a variable pitch.
            const bool fixed = !(metrics->tmPitchAndFamily & TMPF_FIXED_PITCH);
            probe->found = fixed == probe->fixedPitch;
            return probe->found ? 0 : 1;
        },
        reinterpret_cast<LPARAM>(&probe), 0);
    ReleaseDC(nullptr, dc);
    return probe.found;
}

// The first face the system has; otherwise none, and the system chooses by pitch and character set.
const wchar_t* FaceName(Face face) {
    for (std::u16string_view name : FaceNames(face)) {
        // The names are literals: their NUL follows them.
        const auto* wide = reinterpret_cast<const wchar_t*>(name.data());
        if (HasFace(wide, face == Face::Gothic)) return wide;
    }
    return L"";
}

}  // namespace

// Another program, or the system's own clipboard manager, may hold the clipboard for a moment.
bool OpenClipboardWaiting(HWND owner) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(10);
    }
    return false;
}

int ScreenDpi() {
    static const int dpi = [] {
        HDC dc = GetDC(nullptr);
        const int perInch = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        return perInch > 0 ? perInch : 96;
    }();
    return dpi;
}

HFONT JapaneseFont(const Font& font) {
    static std::map<std::tuple<Face, int, bool>, HFONT> made;
    const int height = -int(std::lround(font.points * ScreenDpi() / 72.0));
    HFONT& handle = made[{font.face, height, font.bold}];
    if (handle) return handle;
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = SHIFTJIS_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily =
        font.face == Face::Gothic ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS;
    lstrcpynW(lf.lfFaceName, FaceName(font.face), LF_FACESIZE);
    handle = CreateFontIndirectW(&lf);
    return handle;
}

void Fatal(const std::string& message) {
    FatalAppExitA(0, message.c_str());
    std::abort();
}

std::optional<int> RunMessages(const std::function<bool()>& done) {
    ++loopDepth;
    std::optional<int> exitCode;
    MSG msg;
    while (!(done && done())) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            exitCode = got == 0 ? int(msg.wParam) : 1;
            break;
        }
        // A handler that fails takes its key with it.
        if (!Guarded(true, [&] { return Win32Form::PreviewKey(msg); })) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    --loopDepth;
    // An inner loop leaves the end to the loops around it.
    if (exitCode && loopDepth > 0) PostQuitMessage(*exitCode);
    return exitCode;
}

struct Application::Native {};

Application::Application(const char*) : native_(std::make_unique<Native>()) {
    // Screen readers' questions are answered through COM, and the shell wants it too.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    // The clipboard wants an owner window for its data, and the busy cursor a window to hear when
    // the program is back at its messages; this one lives as long as the program.
    clipboardOwner = Created(CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                             nullptr, GetModuleHandleW(nullptr), nullptr),
                             "the clipboard's window");
    SetWindowSubclass(clipboardOwner, HelperProc, 0, 0);
}

Application::~Application() = default;

int Application::Exec() { return RunMessages({}).value_or(0); }

namespace {

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD got = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (got < path.size()) {
            path.resize(got);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The version numbers and the copyright, as the executable's version resource holds them.
void ReadVersion(const std::wstring& module, AppInfo& info) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(module.c_str(), &ignored);
    if (size == 0) return;
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(module.c_str(), 0, size, block.data())) return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed) {
        info.major = HIWORD(fixed->dwFileVersionMS);
        info.minor = LOWORD(fixed->dwFileVersionMS);
        info.revision = HIWORD(fixed->dwFileVersionLS);
    }
    wchar_t* copyright = nullptr;
    if (VerQueryValueW(block.data(), L"\\StringFileInfo\\041104b0\\LegalCopyright",
                       reinterpret_cast<void**>(&copyright), &length) &&
        copyright && length > 0)
        info.legalCopyright = std::u16string(copyright, copyright + length - 1);
}

}  // namespace

AppInfo App() {
    const std::wstring module = ModulePath();
    const std::size_t slash = module.find_last_of(L"\\/");
    const std::wstring_view folder(module.data(), slash == std::wstring::npos ? 0 : slash);
    std::wstring_view name(module);
    name.remove_prefix(slash == std::wstring::npos ? 0 : slash + 1);
    AppInfo info;
    name = name.substr(0, name.rfind(L'.'));
    info.exeName = std::u16string(name.begin(), name.end());
    info.path = std::u16string(folder.begin(), folder.end());
    ReadVersion(module, info);
    return info;
}

namespace {
HWND WindowOf(const Form* form) {
    return form ? static_cast<const Win32Form&>(form->Native()).Hwnd() : nullptr;
}
}  // namespace

void ShellOpen(const Form* owner, std::u16string_view address) {
    const std::u16string file(address);
    const std::u16string folder = App().path;
    ShellExecuteW(WindowOf(owner), L"Open", Wide(file), nullptr, Wide(folder), SW_SHOWNORMAL);
}

// The message box disables its owner; the program's other windows wait with it.
void MsgBox(const Form* owner, std::u16string_view prompt, std::u16string_view title) {
    const HWND ownerHwnd = WindowOf(owner);
    std::vector<HWND> disabled = DisableOthers(ownerHwnd);
    const std::u16string text(prompt), caption(title);
    MessageBoxW(ownerHwnd, Wide(text), Wide(caption), MB_OK | MB_ICONEXCLAMATION);
    EnableAgain(disabled);
}

namespace {

// The text in memory the clipboard can own; null when there is no room for it.
HGLOBAL ClipboardCopy(std::u16string_view text) {
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    auto* units = data ? static_cast<char16_t*>(GlobalLock(data)) : nullptr;
    if (!units) {
        if (data) GlobalFree(data);
        return nullptr;
    }
    std::copy(text.begin(), text.end(), units);
    units[text.size()] = u'\0';
    GlobalUnlock(data);
    return data;
}

}  // namespace

// A copy that fails (the clipboard held by another program, or no memory for the text) is
// told with the alert; the text is still in its box to copy again.
void CopyToClipboard(std::u16string_view text) {
    HGLOBAL data = ClipboardCopy(text);
    if (!data || !OpenClipboardWaiting(clipboardOwner)) {
        if (data) GlobalFree(data);
        Alert();
        return;
    }
    EmptyClipboard();
    const bool copied = SetClipboardData(CF_UNICODETEXT, data) != nullptr;
    CloseClipboard();
    if (!copied) {
        GlobalFree(data);
        Alert();
    }
}

void CopyToClipboard(const LargeText& text) {
    CopyToClipboard(text.Native() ? std::u16string_view(text.Native()->text) : u"");
}

void Beep() noexcept { MessageBeep(MB_ICONEXCLAMATION); }

// The wait cursor stays until the next WM_SETCURSOR, which a mouse move sends; the message
// posted here sends one once the program is back at its messages, moved or not.
void ShowBusy() {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    PostMessageW(clipboardOwner, kRefreshCursor, 0, 0);
}

void End() {
    Win32Form::HideAll();
    PostQuitMessage(0);
}

// Not filled first: the caller writes every unit. The size given back is the one asked for:
// GCC 12's library passes the grown capacity when it allocates.
std::shared_ptr<NativeText> NewNativeText(std::size_t size, char16_t*& units) {
    auto text = std::make_shared<NativeText>();
    text->text.resize_and_overwrite(size, [size](char16_t*, std::size_t) { return size; });
    units = text->text.data();
    return text;
}

}  // namespace forms
