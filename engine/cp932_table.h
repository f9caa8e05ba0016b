// The code page 932 width table (generated into cp932_table.cpp by tools/gen_cp932_table.py).
#pragma once

#include <cstdint>

namespace modConvert::detail {

// Two levels keep the table at about 3.5 KB: the high byte of a unit picks one of the distinct
// 256-bit blocks, the low byte picks the bit.
extern const std::uint8_t kCp932BlockIndex[256];
extern const std::uint64_t kCp932Blocks[][4];

inline bool IsDoubleByte(char16_t unit) {
    const std::uint64_t word = kCp932Blocks[kCp932BlockIndex[unit >> 8]][(unit >> 6) & 3];
    return (word >> (unit & 63)) & 1;
}

}  // namespace modConvert::detail
