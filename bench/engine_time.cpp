// Benchmark driver, not part of the product: the engine's own time on a UTF-8 file's text, for
// bench/compare.sh to set kalvex-cli beside. The file is read and decoded as kalvex-cli decodes
// it before the timing starts; then, with backslash escaping, head `out.println("` and tail `");`:
//   window:  ConvertLines on the whole text in one call, into fresh memory, as the window does;
//   pieces:  the same text converted by pieces of about 64 K units into memory already written,
//            as kalvex-cli converts it, with no reading, decoding, encoding or writing.
// Prints the median seconds of each over RUNS runs.
//
//   kalvex_engine_time FILE [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/Text.h"
#include "engine/modConvert.h"

namespace {

const std::u16string kHead = u"out.println(\"";
const std::u16string kTail = u"\");";

template <typename F>
double Median(int runs, F&& f) {
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: kalvex_engine_time FILE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    std::ifstream file(argv[1], std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(file), {});
    const std::u16string text = cli::FromUtf8(bytes);

    std::size_t size = 0;
    const double window = Median(runs, [&] {
        const std::u16string out =
            modConvert::ConvertLines(modConvert::kEscapeBackslash, text, kHead, kTail);
        size = out.size();
    });
    std::u16string out;
    const double pieces = Median(runs, [&] {
        for (std::size_t at = 0; at <= text.size();) {
            // A piece ends before a CR LF, which is dropped, as kalvex-cli cuts them.
            std::size_t end = text.find(u"\r\n", std::min(text.size(), at + 65536));
            if (end == std::u16string::npos) end = text.size();
            out.clear();
            modConvert::AppendConverted(out, modConvert::kEscapeBackslash,
                                        std::u16string_view(text).substr(at, end - at), kHead,
                                        kTail);
            at = end + 2;
        }
    });
    std::printf("window %.4f\npieces %.4f\nunits %zu\n", window, pieces, size);
    return 0;
}
