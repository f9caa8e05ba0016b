// Opt-in escapes beside the conversion: the same lines, layout and tail column as
// ConvertLinesAligned, with more of each line written as escapes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/modConvert.h"

namespace modConvert {

enum class Variant {
    // Backslash escaping whatever the mode, then every unit above U+007E as \uXXXX (upper-case
    // hex; a pair as its two surrogates, a lone surrogate alone).
    UnicodeEscapes,
    // For single-quoted literals, whatever the mode: \ as \\ and ' as \'; " stays as it is.
    Apostrophes,
    // Mode 1: backslash escaping and each tab as \t. Mode 2: quote doubling and each tab as
    // " & vbTab & ". Any other mode: as ConvertLinesAligned.
    Tabs,
    // Mode 1: backslash escaping, and each <%= expression %> written as " + expression + ".
    // Mode 2: quote doubling, and each as " & expression & ". The expression is written trimmed
    // and unescaped; an empty one, or a <%= without %> on its line, is text. Any other mode: as
    // ConvertLinesAligned.
    Joins,
};

// As ConvertLinesAligned(mode, ...) with the line escaped as the variant says; the tail column
// counts what is written. A value outside the enumeration escapes as the mode alone.
std::u16string ConvertVariant(Variant v, EscapeMode mode, std::u16string_view text,
                              std::u16string_view head, std::u16string_view tail,
                              std::int16_t hStart, std::int16_t tStart);

// The same into storage the caller owns, as ConvertInto writes.
void ConvertVariantInto(const std::function<char16_t*(std::size_t)>& room, Variant v,
                        EscapeMode mode, std::u16string_view text, std::u16string_view head,
                        std::u16string_view tail, std::int16_t hStart, std::int16_t tStart);

}  // namespace modConvert
