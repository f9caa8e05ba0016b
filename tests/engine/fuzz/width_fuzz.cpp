// Fuzzes the width count and the digit test. Input: the string.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "tests/engine/fuzz/FuzzInput.h"
#include "engine/modConvert.h"

namespace {

using namespace modConvert;
using namespace kalvex_fuzz;

// Suffixes from the first few offsets too, so that a count that works in blocks meets every
// alignment of the string's start.
constexpr std::size_t kOffsets = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const Units units = in.Rest();
    const std::u16string_view s = units.view();

    // suffixWidth[k]: the summed widths of the units from k on, each measured alone.
    std::vector<std::int64_t> suffixWidth(s.size() + 1, 0);
    bool nonDigit = false;
    for (std::size_t k = s.size(); k-- > 0;) {
        const std::int64_t w = AnsiByteLength(s.substr(k, 1));
        KALVEX_CHECK(w == 1 || w == 2);
        suffixWidth[k] = suffixWidth[k + 1] + w;
        nonDigit = nonDigit || s[k] < u'0' || s[k] > u'9';
    }
    for (std::size_t k = 0; k <= s.size() && k < kOffsets; ++k) {
        KALVEX_CHECK(AnsiByteLength(s.substr(k)) == suffixWidth[k]);
    }
    KALVEX_CHECK(HasNonDigit(s) == nonDigit);
    return 0;
}
