// The start with huge pages: the program runs with the C library's huge-page setting where the
// system gives huge pages only on request, and its environment is again the one it was started
// with. Run as `startup_test EXPECTED`, EXPECTED being the GLIBC_TUNABLES the test was started
// with, or "-" for none.
#include "Startup.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
    if (ok) return;
    std::printf("FAIL: %s\n", what.c_str());
    ++failures;
}

// The environment this process image was started with, as the C library read it.
std::string StartEnvironment() {
    std::ifstream in("/proc/self/environ", std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

bool SystemGivesHugePagesOnRequest() {
    std::ifstream mode("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(mode, modes);
    return modes.find("[madvise]") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    UseHugePages(argv);

    const std::string expected = argv[1];
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    Check(expected == "-" ? tunables == nullptr : tunables && expected == tunables,
          "GLIBC_TUNABLES is as started: " + std::string(tunables ? tunables : "(unset)"));
    Check(std::getenv("KALVEX_FIRST_TUNABLES") == nullptr, "no marker is left behind");

    const bool userChose = expected.find("glibc.malloc.hugetlb") != std::string::npos;
    const bool toolPreloaded = std::getenv("LD_PRELOAD") != nullptr;
    const bool restarted = StartEnvironment().find("glibc.malloc.hugetlb=1") != std::string::npos;
    if (userChose || toolPreloaded)
        Check(StartEnvironment().find("KALVEX_FIRST_TUNABLES") == std::string::npos,
              "the user's own setting or a preloaded tool stands: no restart");
    else
        Check(restarted == SystemGivesHugePagesOnRequest(),
              "restarted exactly where huge pages come only on request");
    std::printf("%s, %d failed\n", restarted ? "running with huge pages" : "as started", failures);
    return failures == 0 ? 0 : 1;
}
