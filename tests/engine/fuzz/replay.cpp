// Runs a fuzz target's property checks without libFuzzer, so that the normal and sanitizer
// suites check them too: on every seed in the corpus folders given, then on random inputs made
// of the bytes that the input coding and the engine treat specially.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[i])) {
            std::ifstream file(entry.path(), std::ios::binary);
            const std::vector<std::uint8_t> seed(std::istreambuf_iterator<char>(file), {});
            LLVMFuzzerTestOneInput(seed.data(), seed.size());
        }
    }
    // Line ends, quotes, backslashes, spaces, tabs, apostrophes, digits and NUL; what opens and
    // closes the literal forms; small numbers for modes and columns; bytes that open a 16-bit
    // unit and the high bytes of surrogates, kana and kanji.
    constexpr std::uint8_t kBytes[] = {'\r', '\n', '\r', '\n', '"',  '\\', ' ',  '\t', '\'', '0',
                                       '9',  'a',  0,    1,    2,    3,    40,   0x80, 0xFF, 0xD8,
                                       0xDC, 0x30, 0x4E, 0xFF, 0x5C, 0x22, '`',  '$',  '{',  ')',
                                       'R',  'd',  '[',  ','};
    std::mt19937 random(1);
    std::vector<std::uint8_t> input;
    for (int run = 0; run < 6000; ++run) {
        input.resize(random() % 400);
        for (std::uint8_t& byte : input) byte = kBytes[random() % std::size(kBytes)];
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    return 0;
}
