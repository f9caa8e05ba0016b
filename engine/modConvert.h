// The conversion module: turns a block of text into lines of program source.
// Pure functions over UTF-16 strings; no state, no Qt.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace modConvert {

// 0 None, 1 Backslash (C, Java), 2 QuoteDoubling (VB, ASP); any other value behaves as None.
using EscapeMode = std::int16_t;
inline constexpr EscapeMode kEscapeNone = 0;
inline constexpr EscapeMode kEscapeBackslash = 1;
inline constexpr EscapeMode kEscapeQuoteDoubling = 2;

// Splits at every CR LF; a lone CR or LF stays inside its line. Empty text gives no lines.
std::vector<std::u16string> SplitLines(std::u16string_view text);

std::u16string EscapeForC(std::u16string_view line);
std::u16string EscapeForVB(std::u16string_view line);
std::u16string EscapeLine(EscapeMode mode, std::u16string_view line);

// head + escaped line + tail + CR LF for every line.
std::u16string ConvertLines(EscapeMode mode, std::u16string_view text, std::u16string_view head,
                            std::u16string_view tail);

// As ConvertLines, with hStart spaces before the head and the tail moved to 1-based
// code page 932 byte column tStart when the line is narrower. Negative values act as 0.
std::u16string ConvertLinesAligned(EscapeMode mode, std::u16string_view text,
                                   std::u16string_view head, std::u16string_view tail,
                                   std::int16_t hStart, std::int16_t tStart);

// Appends to out what ConvertLinesAligned gives for text, except that an empty text counts as one
// empty line: a caller that cuts a long text at CR LF (the CR LF dropped) and converts the pieces
// in turn gets exactly the whole text's result, and can reuse out's memory for every piece.
void AppendConverted(std::u16string& out, EscapeMode mode, std::u16string_view text,
                     std::u16string_view head, std::u16string_view tail, std::int16_t hStart = 0,
                     std::int16_t tStart = 0);

// As ConvertLinesAligned, into storage the caller owns, so that a result held in another
// string type needs no copy: room(n) is called once with the result's size and returns where
// the n units go, or null to decline a result too large for the caller; then nothing is
// written.
void ConvertInto(const std::function<char16_t*(std::size_t)>& room, EscapeMode mode,
                 std::u16string_view text, std::u16string_view head, std::u16string_view tail,
                 std::int16_t hStart = 0, std::int16_t tStart = 0);

// True unless every code unit is an ASCII digit; the empty string gives false.
bool HasNonDigit(std::u16string_view s);

// Width in code page 932 bytes (Windows' default conversion): 2 for double-byte units,
// 1 for everything else, each half of a surrogate pair included.
std::int64_t AnsiByteLength(std::u16string_view s);

}  // namespace modConvert
