// The check before converting: what in a text would break or misalign the program source that
// the conversion makes of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/modConvert.h"

namespace modConvert {

enum class Problem {
    BackslashByte,  // two bytes ending in 0x5C, a backslash to a reader of another code (mode 1, 0)
    VbQuote,        // “ ” ＂, which VB.NET reads as quotation marks too (mode 2)
    NotInCp932,     // does not come back from code page 932 as itself; surrogates too
    ScriptEnd,      // %>, which ends a JSP or ASP script block
    TailPastColumn,    // the line reaches tStart, so the tail starts later (tStart > 0)
    Tab,               // one column here, several in an editor (tStart > 0)
    LongContinuation,  // the 25th line continued in a row (tail ending in _)
    LongLine,          // a converted line over 1023 characters (tail ending in _)
};

struct Finding {
    std::size_t line;      // 1-based, in the text and in the converted text alike
    std::size_t column;    // 1-based code page 932 byte column in the converted line
    std::u16string chars;  // the character: a unit, a surrogate pair, or %>
    Problem problem;
};

struct Findings {
    std::vector<Finding> first;  // by line and column, at most the limit
    std::size_t total = 0;
};

// Checks the lines of text (split as SplitLines does) as ConvertLinesAligned would convert them.
// The text's own characters are checked, head and tail only where the line's length and the
// tail's column are. Characters count as UTF-16 units towards 1023.
Findings CheckLines(EscapeMode mode, std::u16string_view text, std::u16string_view head,
                    std::u16string_view tail, std::int16_t hStart, std::int16_t tStart,
                    std::size_t limit = 1000);

// The first 1,000 findings in Japanese, a line each, joined with CR LF:
//   行 N 桁 C: 「表」 U+8868 (95 5C) reason
// (the 「」 part left out for a control character or a lone surrogate), then a line saying how
// many more there were; or one line saying that nothing was found.
std::u16string CheckReport(EscapeMode mode, std::u16string_view text, std::u16string_view head,
                           std::u16string_view tail, std::int16_t hStart, std::int16_t tStart);

}  // namespace modConvert
