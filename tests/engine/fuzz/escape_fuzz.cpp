// Fuzzes escaping. Input: an escape mode (16 bits, any value), then the line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "tests/engine/fuzz/FuzzInput.h"
#include "engine/modConvert.h"

namespace {

using namespace modConvert;
using namespace kalvex_fuzz;

std::u16string ReplaceAll(std::u16string_view s, char16_t from, std::u16string_view to) {
    std::u16string out;
    for (const char16_t c : s) c == from ? out.append(to) : out.append(1, c);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const EscapeMode mode = in.Int16();
    const Units line = in.Rest();
    const std::u16string plain = line.str();

    const std::u16string c = EscapeForC(line.view());
    KALVEX_CHECK(TerminatorIntact(c));
    // Backslashes doubled first, then quotation marks escaped.
    KALVEX_CHECK(c == ReplaceAll(ReplaceAll(plain, u'\\', u"\\\\"), u'"', u"\\\""));
    KALVEX_CHECK(EscapeLine(kEscapeBackslash, line.view()) == c);

    const std::u16string vb = EscapeForVB(line.view());
    KALVEX_CHECK(TerminatorIntact(vb));
    KALVEX_CHECK(vb == ReplaceAll(plain, u'"', u"\"\""));
    KALVEX_CHECK(EscapeLine(kEscapeQuoteDoubling, line.view()) == vb);

    const std::u16string any = EscapeLine(mode, line.view());
    KALVEX_CHECK(TerminatorIntact(any));
    // Every other mode copies the line.
    KALVEX_CHECK(any == (mode == kEscapeBackslash ? c : mode == kEscapeQuoteDoubling ? vb : plain));
    return 0;
}
