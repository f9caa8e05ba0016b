#include "Startup.h"

#include <QApplication>
#include <cstdlib>
#include <fstream>
#include <string>

#include "AppIcon.h"
#include "Services.h"

#if defined(__linux__) && defined(__GLIBC__)
#include <unistd.h>
#endif

namespace {

constexpr char kTunables[] = "GLIBC_TUNABLES";
constexpr char kHugePages[] = "glibc.malloc.hugetlb=1";
// Set in the restarted program: "+" and the tunables it was first started with, or "-" for none.
constexpr char kFirstTunables[] = "KALVEX_FIRST_TUNABLES";

bool HugePagesOnlyWhenAsked() {
    std::ifstream mode("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(mode, modes);
    return modes.find("[madvise]") != std::string::npos;
}

void RestoreTunables(const std::string& first) {
    if (first.starts_with('+'))
        setenv(kTunables, first.c_str() + 1, 1);
    else
        unsetenv(kTunables);
    unsetenv(kFirstTunables);
}

}  // namespace

void UseHugePages([[maybe_unused]] char** argv) {
#if defined(__linux__) && defined(__GLIBC__)
    if (const char* first = std::getenv(kFirstTunables)) {
        RestoreTunables(first);
        return;
    }
    // A process that a tool preloads itself into (valgrind, memory profilers) stays the one the
    // tool started: a new program image would run outside the tool.
    if (std::getenv("LD_PRELOAD")) return;
    const char* tunables = std::getenv(kTunables);
    const std::string own = tunables ? tunables : "";
    // The user's own choice of the setting stands.
    if (own.find("glibc.malloc.hugetlb") != std::string::npos || !HugePagesOnlyWhenAsked()) return;
    const std::string first = tunables ? "+" + own : "-";
    setenv(kFirstTunables, first.c_str(), 1);
    setenv(kTunables, (own.empty() ? std::string() : own + ":").append(kHugePages).c_str(), 1);
    execv("/proc/self/exe", argv);
    RestoreTunables(first);  // not restarted: go on as started
#endif
}

void PrepareApplication() {
    QApplication::setApplicationName(forms::App().exeName);
    // The windows' default font, as on a Japanese desktop.
    QApplication::setFont(forms::JapaneseFont(forms::Face::PGothic, 9));
    QApplication::setWindowIcon(KalvexIcon());
}
