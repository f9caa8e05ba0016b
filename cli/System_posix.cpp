#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "cli/System.h"

namespace cli::sys {

std::vector<std::string> Arguments(int argc, char** argv) { return {argv + 1, argv + argc}; }

bool Japanese() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return std::string_view(value).starts_with("ja");
    }
    return false;
}

void UseBinaryStreams() {}
bool IsConsole(std::FILE*) { return false; }
void ToConsole(std::FILE*, std::u16string_view) {}

std::FILE* OpenToRead(const std::string& path) { return std::fopen(path.c_str(), "rb"); }

std::FILE* CreateBeside(const std::string& path, std::string& temp) {
    temp = path + ".kalvex-XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return nullptr;
    // The file gets the mode the one it replaces has, or a new file would get.
    struct stat old;
    mode_t mode;
    if (stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    fchmod(fd, mode);
    std::FILE* file = fdopen(fd, "wb");
    if (!file) close(fd);
    return file;
}

bool Replace(const std::string& temp, const std::string& path) {
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

void Remove(const std::string& path) { std::remove(path.c_str()); }

}  // namespace cli::sys
