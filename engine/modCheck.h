// The check before converting: what in a text would break or misalign the program source that
// the conversion makes of it.
#pragma once

#include <array>
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
    ScriptCode,     // <%= %>, <% %>, <%@ %>: JSP or ASP code that 編集 writes as text
    ScriptEnd,      // %>, which ends a JSP or ASP script block (one closing <% is its code's)
    LineBreak,      // U+2028 U+2029 U+0085, which end a C# literal (mode 1)
    Trigraph,       // ?? and one of =(/)'<!>-, a trigraph in ISO C (mode 1)
    LongLiteral,    // the literal passes 65,535 bytes of javac's UTF-8 (mode 1)
    NoCEscape,      // beyond U+FFFF, a surrogate or U+007F-U+009F: no \uXXXX for C (mode 1)
    TailPastColumn,    // the line reaches tStart, so the tail starts later (tStart > 0)
    Tab,               // one column here, several in an editor (tStart > 0); one a line
    LongContinuation,  // the 25th line continued in a row (tail ending in _)
    LongLine,          // a converted line over 1023 characters (tail ending in _)
    MsvcLiteral,       // the literal passes MSVC's 16,380 bytes of UTF-8 (mode 1)
};
constexpr std::size_t kProblems = 14;

struct Finding {
    std::size_t line;      // 1-based, in the text and in the converted text alike
    std::size_t column;    // 1-based code page 932 byte column in the converted line
    std::u16string chars;  // the character: a unit, a surrogate pair, %> or the trigraph
    Problem problem;
    std::size_t count = 1;  // tabs on the line
};

struct Findings {
    std::vector<Finding> first;                // by line, at most the limit of each problem
    std::array<std::size_t, kProblems> totals{};  // of each problem
};

// Checks the lines of text (split as SplitLines does) as ConvertLinesAligned would convert them.
// The text's own characters are checked, head and tail only where the line's length and the
// tail's column are. Characters count as UTF-16 units towards 1023.
Findings CheckLines(EscapeMode mode, std::u16string_view text, std::u16string_view head,
                    std::u16string_view tail, std::int16_t hStart, std::int16_t tStart,
                    std::size_t limit = 100);

// The report in Japanese, lines joined with CR LF: a line for each problem found (what, how
// many, what to do about it with this mode), then each problem's first 100 findings, a line each
//   行 N 桁 C: 「表」 U+8868 (95 5C)
// (the 「」 part left out for a control character, U+2028, U+2029 or a lone surrogate) and how
// many more there were; or one line saying that nothing was found.
std::u16string CheckReport(EscapeMode mode, std::u16string_view text, std::u16string_view head,
                           std::u16string_view tail, std::int16_t hStart, std::int16_t tStart);

// The report's words, for kalvex-cli's one line a finding: what a problem is called, and a
// finding's line of the report (行 N 桁 C: 「表」 U+8868 (95 5C)).
std::u16string_view ProblemName(Problem problem);
std::u16string FindingDetail(const Finding& finding);

}  // namespace modConvert
