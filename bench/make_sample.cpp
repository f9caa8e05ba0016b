// Writes the benchmarks' sample text as a UTF-8 file: kalvex_make_sample MB OUT
// (MB million characters; Japanese lines make the file a little larger).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sample_text.h"
#include "utf8.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: kalvex_make_sample MB OUT\n");
        return 2;
    }
    const std::u16string text =
        kalvex_bench::MakeSampleText(std::strtoull(argv[1], nullptr, 10) * 1000000);
    std::vector<char> bytes(3 * text.size());
    const char* end =
        kalvex_bench::EncodeUtf8(text.data(), text.data() + text.size(), bytes.data());
    std::FILE* out = std::fopen(argv[2], "wb");
    const std::size_t count = end - bytes.data();
    if (!out || std::fwrite(bytes.data(), 1, count, out) != count || std::fclose(out) != 0) {
        std::fprintf(stderr, "kalvex_make_sample: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
