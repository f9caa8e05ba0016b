// The code page 932 width table where mistakes are likely; every unit is compared with the system
// under wine (tests/windows), and sums of widths are fuzzed (fuzz/width_fuzz.cpp).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "engine/modConvert.h"

namespace {

using modConvert::AnsiByteLength;

TEST(AnsiByteLength, KnownWidthOfEachUnit) {
    // clang-format off
    const std::pair<char32_t, std::int64_t> known[] = {
        // ASCII, the control characters and the two ASCII positions Japanese fonts redraw
        {0x0000, 1}, {0x0009, 1}, {'A', 1}, {0x005C, 1}, {0x007E, 1}, {0x007F, 1}, {0x0080, 1},
        // Latin-1: best-fit single bytes beside double-byte symbols
        {0x00A1, 1}, {0x00A2, 2}, {0x00A5, 1}, {0x00B7, 2}, {0x00D7, 2},
        // kana, kanji, NEC and IBM extensions, full-width and half-width forms
        {U'あ', 2}, {U'ア', 2}, {U'漢', 2}, {U'髙', 2}, {U'①', 2}, {0x2116, 2}, {0x3000, 2},
        {0xFA0E, 2}, {0xFA2D, 2}, {0xFA2E, 1}, {U'ｱ', 1}, {0xFF61, 1}, {0xFF9F, 1}, {0xFF0D, 2},
        {0xFF5E, 2}, {0xFF5F, 1}, {0xFFE5, 2}, {0xFFE6, 1},
        // the look-alikes that code page 932 does not map to two bytes
        {0x301C, 1}, {0x2212, 1}, {0x203E, 1},
        // user-defined area, surrogates, unmapped units
        {0xE000, 2}, {0xE757, 2}, {0xE758, 1}, {0xD800, 1}, {0xDFFF, 1}, {0x20AC, 1}, {0xFFFD, 1},
        {0xFFFF, 1}};
    // clang-format on
    for (const auto& [unit, bytes] : known) {
        EXPECT_EQ(AnsiByteLength(std::u16string(1, char16_t(unit))), bytes)
            << "U+" << std::hex << std::uppercase << std::uint32_t(unit);
    }
}

TEST(AnsiByteLength, AddsTheWidthsOfALongText) {
    EXPECT_EQ(AnsiByteLength(std::u16string(100000, u'漢')), 200000);
}

}  // namespace
