// The code page 932 tables (generated into cp932_table.cpp by tools/gen_cp932_table.py).
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <iterator>

namespace modConvert::detail {

// Two levels keep each set small (the double-byte set takes 3.5 KB, not 8 KB): the high byte of a
// unit picks one of the distinct 256-bit blocks, the low byte picks the bit.
extern const std::uint8_t kCp932BlockIndex[256];
extern const std::uint64_t kCp932Blocks[][4];
extern const std::uint8_t kCp932Trail5CIndex[256];
extern const std::uint64_t kCp932Trail5CBlocks[][4];
extern const std::uint8_t kCp932LossyIndex[256];
extern const std::uint64_t kCp932LossyBlocks[][4];

// The codes of the two-byte units in unit order, the number of them below each 256-unit block,
// and unit << 8 | byte for each unit from 0x80 up that becomes one byte other than '?'.
extern const std::uint16_t kCp932DoubleRank[256];
extern const std::uint16_t kCp932DoubleCodes[9216];
extern const std::uint32_t kCp932SingleCodes[141];

inline bool IsDoubleByte(char16_t unit) {
    const std::uint64_t word = kCp932Blocks[kCp932BlockIndex[unit >> 8]][(unit >> 6) & 3];
    return (word >> (unit & 63)) & 1;
}

inline bool InSet(const std::uint8_t* index, const std::uint64_t (*blocks)[4], char16_t unit) {
    return (blocks[index[unit >> 8]][(unit >> 6) & 3] >> (unit & 63)) & 1;
}

// Two bytes whose second is 0x5C, which a reader taking the bytes for ASCII sees as a backslash.
inline bool EndsIn5C(char16_t unit) { return InSet(kCp932Trail5CIndex, kCp932Trail5CBlocks, unit); }

// Converted to code page 932 and back, the unit is another one: a look-alike, '?' or, for a
// surrogate, a pair's half.
inline bool IsLossy(char16_t unit) { return InSet(kCp932LossyIndex, kCp932LossyBlocks, unit); }

// The unit's bytes as Windows converts it alone: one byte below 0x100, else lead << 8 | trail.
inline std::uint16_t Cp932Code(char16_t unit) {
    if (unit < 0x80) return unit;
    if (IsDoubleByte(unit)) {
        const std::uint64_t* words = kCp932Blocks[kCp932BlockIndex[unit >> 8]];
        std::size_t rank = kCp932DoubleRank[unit >> 8];
        const unsigned word = (unit >> 6) & 3;
        for (unsigned w = 0; w < word; ++w) rank += std::popcount(words[w]);
        rank += std::popcount(words[word] & ((std::uint64_t{1} << (unit & 63)) - 1));
        return kCp932DoubleCodes[rank];
    }
    const std::uint32_t key = std::uint32_t{unit} << 8;
    const auto* it =
        std::lower_bound(std::begin(kCp932SingleCodes), std::end(kCp932SingleCodes), key);
    return it != std::end(kCp932SingleCodes) && *it >> 8 == unit ? *it & 0xFF : 0x3F;
}

}  // namespace modConvert::detail
