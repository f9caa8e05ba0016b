// Writes the benchmarks' sample text as a UTF-8 file: kalvex_make_sample [--dense] MB OUT
// (MB million characters; Japanese lines make the file a little larger; --dense for the
// escape-dense sample).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/sample_text.h"
#include "cli/Text.h"

int main(int argc, char** argv) {
    const bool dense = argc == 4 && std::strcmp(argv[1], "--dense") == 0;
    if (argc != 3 + dense) {
        std::fprintf(stderr, "usage: kalvex_make_sample [--dense] MB OUT\n");
        return 2;
    }
    const std::size_t units = std::strtoull(argv[1 + dense], nullptr, 10) * 1000000;
    const std::u16string text = dense ? kalvex_bench::MakeDenseSampleText(units)
                                      : kalvex_bench::MakeSampleText(units);
    const std::string bytes = cli::ToUtf8(text);
    std::FILE* out = std::fopen(argv[2 + dense], "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() ||
        std::fclose(out) != 0) {
        std::fprintf(stderr, "kalvex_make_sample: cannot write %s\n", argv[2 + dense]);
        return 1;
    }
    return 0;
}
