#include <windows.h>
// after windows.h, which they need
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "cli/System.h"

namespace cli::sys {
namespace {

std::wstring Wide(const std::string& utf8) {
    std::wstring wide(utf8.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                      wide.data(), static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return wide;
}

std::string Utf8(const wchar_t* wide) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(n > 0 ? n : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), n, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    return utf8;
}

HANDLE HandleOf(std::FILE* stream) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

}  // namespace

// The wide command line, so that a head or tail holds any character, not only code page 932's.
std::vector<std::string> Arguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) args.push_back(Utf8(wide[i]));
    LocalFree(wide);
    return args;
}

bool Japanese() { return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE; }

void UseBinaryStreams() {
    for (std::FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
}

bool IsConsole(std::FILE* stream) {
    DWORD mode;
    return GetConsoleMode(HandleOf(stream), &mode) != 0;
}

void ToConsole(std::FILE* stream, std::u16string_view text) {
    std::fflush(stream);
    while (!text.empty()) {
        const DWORD n = static_cast<DWORD>(std::min<std::size_t>(text.size(), 16384));
        DWORD written = 0;
        if (!WriteConsoleW(HandleOf(stream), text.data(), n, &written, nullptr) || written == 0)
            return;
        text.remove_prefix(written);
    }
}

std::FILE* OpenToRead(const std::string& path) { return _wfopen(Wide(path).c_str(), L"rb"); }

std::FILE* CreateBeside(const std::string& path, std::string& temp) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temp = path + ".kalvex-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(attempt);
        const int fd = _wopen(Wide(temp).c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                              _S_IREAD | _S_IWRITE);
        if (fd >= 0) {
            std::FILE* file = _fdopen(fd, "wb");
            if (!file) _close(fd);
            return file;
        }
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

bool Replace(const std::string& temp, const std::string& path) {
    return MoveFileExW(Wide(temp).c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void Remove(const std::string& path) { DeleteFileW(Wide(path).c_str()); }

}  // namespace cli::sys
