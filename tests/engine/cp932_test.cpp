// The code page 932 width table at the units where mistakes are likely; every unit is compared
// with the system's own conversion under wine (tests/windows).
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "engine/modConvert.h"

namespace {

using modConvert::AnsiByteLength;

std::int64_t Width(char32_t unit) { return AnsiByteLength(std::u16string(1, char16_t(unit))); }

struct KnownWidth {
    char32_t unit;
    std::int64_t bytes;
};

void PrintTo(const KnownWidth& k, std::ostream* os) {
    *os << "U+" << std::hex << std::uppercase << static_cast<std::uint32_t>(k.unit);
}

class Cp932KnownWidth : public testing::TestWithParam<KnownWidth> {};

TEST_P(Cp932KnownWidth, Matches) { EXPECT_EQ(Width(GetParam().unit), GetParam().bytes); }

INSTANTIATE_TEST_SUITE_P(
    Units, Cp932KnownWidth,
    testing::Values(
        // ASCII, the control characters and the two ASCII positions Japanese fonts redraw
        KnownWidth{0x0000, 1}, KnownWidth{0x0009, 1}, KnownWidth{'A', 1}, KnownWidth{0x005C, 1},
        KnownWidth{0x007E, 1}, KnownWidth{0x007F, 1}, KnownWidth{0x0080, 1},
        // Latin-1: best-fit single bytes beside double-byte symbols
        KnownWidth{0x00A1, 1}, KnownWidth{0x00A2, 2}, KnownWidth{0x00A5, 1}, KnownWidth{0x00B7, 2},
        KnownWidth{0x00D7, 2},
        // kana, kanji, NEC and IBM extensions, full-width and half-width forms
        KnownWidth{U'あ', 2}, KnownWidth{U'ア', 2}, KnownWidth{U'漢', 2}, KnownWidth{U'髙', 2},
        KnownWidth{U'①', 2}, KnownWidth{0x2116, 2}, KnownWidth{0x3000, 2}, KnownWidth{0xFA0E, 2},
        KnownWidth{0xFA2D, 2}, KnownWidth{0xFA2E, 1}, KnownWidth{U'ｱ', 1}, KnownWidth{0xFF61, 1},
        KnownWidth{0xFF9F, 1}, KnownWidth{0xFF0D, 2}, KnownWidth{0xFF5E, 2}, KnownWidth{0xFF5F, 1},
        KnownWidth{0xFFE5, 2}, KnownWidth{0xFFE6, 1},
        // the look-alikes that code page 932 does not map to two bytes
        KnownWidth{0x301C, 1}, KnownWidth{0x2212, 1}, KnownWidth{0x203E, 1},
        // user-defined area, surrogates, unmapped units
        KnownWidth{0xE000, 2}, KnownWidth{0xE757, 2}, KnownWidth{0xE758, 1}, KnownWidth{0xD800, 1},
        KnownWidth{0xDFFF, 1}, KnownWidth{0x20AC, 1}, KnownWidth{0xFFFD, 1},
        KnownWidth{0xFFFF, 1}));

TEST(AnsiByteLength, AddsTheWidthsOfAllUnits) {
    EXPECT_EQ(AnsiByteLength(u""), 0);
    EXPECT_EQ(AnsiByteLength(u"\U0001F600"), 2);  // two surrogates, one byte each
    EXPECT_EQ(AnsiByteLength(u"A\tあｱ①¥\U0001F600"), 1 + 1 + 2 + 1 + 2 + 1 + 2);
    EXPECT_EQ(AnsiByteLength(std::u16string(100000, u'漢')), 200000);
}

}  // namespace
