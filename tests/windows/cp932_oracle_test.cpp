// The engine's code page 932 widths against the system's own conversion, for every UTF-16 code
// unit. Run under wine (or Windows) as a Japanese system.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/cp932_table.h"
#include "engine/modConvert.h"

namespace {

// Bytes the system gives for the units with its default conversion (default character '?'
// for a unit with no mapping, a lone surrogate included).
int SystemWidth(const std::u16string& units) {
    return WideCharToMultiByte(932, 0, reinterpret_cast<const wchar_t*>(units.data()),
                               static_cast<int>(units.size()), nullptr, 0, nullptr, nullptr);
}

// Without the Japanese system code page the other test would compare against another one.
TEST(Cp932Oracle, SystemCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

// Unit by unit against the system's conversion there and back: the width, and the generated
// sets and codes.
TEST(Cp932Oracle, EveryUnitHasTheSystemsWidthAndBytesAndComesBackAsTheSystemSays) {
    std::u16string all;
    int disagreements = 0;
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const wchar_t unit = static_cast<wchar_t>(u);
        unsigned char bytes[4];
        const int n = WideCharToMultiByte(932, 0, &unit, 1, reinterpret_cast<char*>(bytes), 4,
                                          nullptr, nullptr);
        wchar_t back[4];
        const int m = MultiByteToWideChar(932, 0, reinterpret_cast<char*>(bytes), n, back, 4);
        const unsigned code = n == 2 ? bytes[0] << 8 | bytes[1] : bytes[0];
        const auto c = static_cast<char16_t>(u);
        const auto width = modConvert::AnsiByteLength(std::u16string(1, c));
        const bool agree = width == n && modConvert::detail::Cp932Code(c) == code &&
                           modConvert::detail::EndsIn5C(c) == (n == 2 && bytes[1] == 0x5C) &&
                           modConvert::detail::IsLossy(c) == !(m == 1 && back[0] == unit);
        if (!agree && ++disagreements <= 50)
            ADD_FAILURE() << std::hex << "U+" << unsigned(u) << ": engine width " << width
                          << ", system " << n;
        all += c;
    }
    EXPECT_EQ(disagreements, 0);
    // All units in one text: adjacent surrogates there form pairs, each half still one byte.
    EXPECT_EQ(modConvert::AnsiByteLength(all), SystemWidth(all));
}

}  // namespace
