// The rules of a converted line, stated once for the conversion and its variants, the check and
// the reverse conversion: where its columns are, what ends it, how wide its units are, the
// filler before its tail, and which units each escape option marks with what.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/cp932_table.h"
#include "engine/modConvert.h"

namespace modConvert::line {

// Lines end, and are split, at CR LF only.
inline constexpr std::u16string_view kCRLF = u"\r\n";
inline constexpr char16_t kCR = u'\r';
inline constexpr char16_t kLF = u'\n';

// A tab in a VB literal: the literal closed, vbTab joined, the literal opened again.
inline constexpr std::u16string_view kVbTab = u"\" & vbTab & \"";

// hStart as the spaces before the head, tStart as the tail's 1-based byte column (0: none):
// a negative value counts as 0.
constexpr std::size_t Count(std::int16_t value) {
    return value < 0 ? 0 : static_cast<std::size_t>(value);
}

// A unit's width in code page 932 bytes: 2 for a double-byte unit, 1 for every other one, each
// half of a surrogate pair included.
inline int Width(char16_t c) { return 1 + (c >= 0x80 && detail::IsDoubleByte(c)); }

// The spaces before the tail of a line that is width bytes wide without them, so that the tail
// starts at 1-based column tailColumn; none once the line reaches that column.
constexpr std::int64_t Filler(std::int64_t width, std::int64_t tailColumn) {
    return width < tailColumn ? tailColumn - width - 1 : 0;
}

// The compilers' limits on one literal: javac's bytes of modified UTF-8 in a string constant
// (NUL two bytes, a surrogate three), MSVC's bytes in a literal before adjacent ones are joined.
inline constexpr std::size_t kJavaConstantBytes = 65535;
inline constexpr std::size_t kMsvcLiteralBytes = 16380;

// Character.isWhitespace, which javac's stripping of a text block's indentation and line ends
// goes by.
constexpr bool IsJavaWhitespace(char16_t c) {
    return (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x20) || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A && c != 0x2007) || c == 0x2028 || c == 0x2029 ||
           c == 0x205F || c == 0x3000;
}

// A unit written \uXXXX, in upper-case hex.
inline std::array<char16_t, 6> UnicodeEscape(char16_t c) {
    constexpr std::u16string_view kDigits = u"0123456789ABCDEF";
    return {u'\\', u'u', kDigits[c >> 12], kDigits[(c >> 8) & 15], kDigits[(c >> 4) & 15],
            kDigits[c & 15]};
}

// Escaping, per option: C/Java puts \ before \ and ", VB/ASP " before ", the others nothing.
// Marking both C units in one pass gives what doubling the backslashes and then escaping the
// quotes gives: the first step adds no quote, and the second adds no backslash to double.
constexpr char16_t MarkBefore(EscapeMode mode, char16_t c) {
    if (mode == kEscapeBackslash && (c == u'\\' || c == u'"')) return u'\\';
    if (mode == kEscapeQuoteDoubling && c == u'"') return u'"';
    return 0;
}

}  // namespace modConvert::line
