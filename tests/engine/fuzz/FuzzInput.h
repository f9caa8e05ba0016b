// What the fuzz targets share: reading a fuzz input as numbers and UTF-16 text, and the checks
// that stop the run on a broken property.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// Aborts, which libFuzzer reports as a crash and saves the input for.
#define KALVEX_CHECK(condition) \
    ((condition) ? void(0) : ::kalvex_fuzz::Fail(#condition, __FILE__, __LINE__))

namespace kalvex_fuzz {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, condition);
    std::abort();
}

inline bool TerminatorIntact(const std::u16string& s) { return s.c_str()[s.size()] == u'\0'; }

// Units in a heap block of exactly their size, so that AddressSanitizer sees a read past the
// end, which a string's spare capacity would hide.
class Units {
  public:
    explicit Units(const std::u16string& s) : units_(s.begin(), s.end()) {}
    std::u16string_view view() const { return {units_.data(), units_.size()}; }
    std::u16string str() const { return {units_.begin(), units_.end()}; }

  private:
    std::vector<char16_t> units_;
};

// Reads the input front to back; past its end every byte reads as 0.
//
// Text is coded so that the units the engine treats specially (CR, LF, quotation mark,
// backslash, space, digits, NUL) take one byte each, while every 16-bit unit stays reachable,
// lone surrogates included: a byte below 0x80 is that ASCII unit; a byte from 0x80 up is
// followed by two bytes that give any unit, high byte first.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}

    bool AtEnd() const { return p_ == end_; }

    std::uint8_t Byte() { return AtEnd() ? 0 : *p_++; }

    // Any 16-bit value, negative ones included: two bytes, low byte first.
    std::int16_t Int16() {
        const std::uint8_t low = Byte();
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | Byte() << 8));
    }

    // Up to maxUnits units of text, fewer where the input ends.
    Units Text(std::size_t maxUnits) {
        std::u16string s;
        while (s.size() < maxUnits && !AtEnd()) s += Unit();
        return Units(s);
    }

    Units Rest() { return Text(static_cast<std::size_t>(end_ - p_)); }

  private:
    char16_t Unit() {
        const std::uint8_t b = Byte();
        if (b < 0x80) return b;
        const std::uint8_t high = Byte();
        return static_cast<char16_t>(high << 8 | Byte());
    }

    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

}  // namespace kalvex_fuzz
