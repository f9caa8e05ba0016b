// Exact results of the conversion functions, case by case.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/modConvert.h"

namespace {

using namespace modConvert;
using namespace std::string_literals;

const std::u16string kLoneSurrogates = u"\xD800x\xDC00"s;
const std::u16string kNul = u"a\0b"s;

struct SplitCase {
    const char* name;
    std::u16string text;
    std::vector<std::u16string> lines;
};

TEST(SplitLines, CutsAtEveryCrLfOnly) {
    const SplitCase cases[] = {
        {"empty text has no lines", u"", {}},
        {"one line", u"a", {u"a"}},
        {"two lines", u"ab\r\ncd", {u"ab", u"cd"}},
        {"trailing separator", u"a\r\n", {u"a", u""}},
        {"separator only", u"\r\n", {u"", u""}},
        {"adjacent separators", u"a\r\n\r\nb", {u"a", u"", u"b"}},
        {"lone LF and CR stay", u"a\nb\rc", {u"a\nb\rc"}},
        {"LF CR is no separator", u"\n\r", {u"\n\r"}},
        {"CR before CR LF", u"a\r\r\nb", {u"a\r", u"b"}},
        {"LF after CR LF", u"a\r\n\nb", {u"a", u"\nb"}},
        {"NUL and lone surrogates pass", kNul + u"\r\n" + kLoneSurrogates, {kNul, kLoneSurrogates}},
    };
    for (const SplitCase& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << c.name;
}

struct EscapeCase {
    EscapeMode mode;
    std::u16string line;
    std::u16string escaped;
};

TEST(EscapeLine, EscapesForTheModeOnly) {
    const EscapeCase cases[] = {
        {kEscapeBackslash, u"", u""},
        {kEscapeBackslash, u"a\"b", u"a\\\"b"},
        {kEscapeBackslash, u"\\", u"\\\\"},
        {kEscapeBackslash, u"\\\"", u"\\\\\\\""},  // the inserted backslash is not doubled
        {kEscapeBackslash, u"\"\\\"\\\\", u"\\\"\\\\\\\"\\\\\\\\"},
        {kEscapeBackslash, u"'\r\n\t", u"'\r\n\t"},
        {kEscapeQuoteDoubling, u"\"", u"\"\""},
        {kEscapeQuoteDoubling, u"\\\"\"\\", u"\\\"\"\"\"\\"},
        {kEscapeNone, u"\\\"", u"\\\""},
        {3, u"\\\"", u"\\\""},
        {-1, u"\\\"", u"\\\""},
        {32767, u"\\\"", u"\\\""},
        {kEscapeBackslash, u"\"" + kNul + kLoneSurrogates, u"\\\"" + kNul + kLoneSurrogates},
    };
    for (const EscapeCase& c : cases) {
        EXPECT_EQ(EscapeLine(c.mode, c.line), c.escaped) << "mode " << c.mode;
        if (c.mode == kEscapeBackslash) {
            EXPECT_EQ(EscapeForC(c.line), c.escaped);
        }
        if (c.mode == kEscapeQuoteDoubling) {
            EXPECT_EQ(EscapeForVB(c.line), c.escaped);
        }
    }
}

struct ConvertCase {
    const char* name;
    EscapeMode mode;
    std::u16string text;
    std::u16string head;
    std::u16string tail;
    std::u16string result;
};

TEST(ConvertLines, WrapsEveryLine) {
    const ConvertCase cases[] = {
        {"empty text gives nothing", 1, u"", u"h", u"t", u""},
        {"one line without separator", 0, u"abc", u"<", u">", u"<abc>\r\n"},
        {"trailing separator adds a line", 0, u"a\r\n", u"<", u">", u"<a>\r\n<>\r\n"},
        {"LF-only ends make one line", 0, u"a\nb\n", u"<", u">", u"<a\nb\n>\r\n"},
        {"lone CRs stay inside", 1, u"a\rb\r\n\rc\r", u"<", u">", u"<a\rb>\r\n<\rc\r>\r\n"},
        {"empty lines", 0, u"\r\n\r\n", u"", u";", u";\r\n;\r\n;\r\n"},
        {"backslash mode", 1, u"x\\\"y\r\n\"", u"out.println(\"", u"\");",
         u"out.println(\"x\\\\\\\"y\");\r\nout.println(\"\\\"\");\r\n"},
        {"quote doubling", 2, u"<a href=\"\\x\">", u"Response.Write \"", u"\"",
         u"Response.Write \"<a href=\"\"\\x\"\">\"\r\n"},
        {"other modes copy", 7, u"\"\\", u"", u"", u"\"\\\r\n"},
        {"head and tail verbatim", 1, u"q", u"\"\\", u"\\\"\t", u"\"\\q\\\"\t\r\n"},
        {"NUL and lone surrogates", 1, kNul + u"\r\n" + kLoneSurrogates, u"[", u"]",
         u"[" + kNul + u"]\r\n[" + kLoneSurrogates + u"]\r\n"},
    };
    for (const ConvertCase& c : cases) {
        EXPECT_EQ(ConvertLines(c.mode, c.text, c.head, c.tail), c.result) << c.name;
        EXPECT_EQ(ConvertLinesAligned(c.mode, c.text, c.head, c.tail, 0, 0), c.result) << c.name;
    }
}

struct AlignedCase {
    const char* name;
    std::u16string text;
    std::u16string head;
    std::int16_t hStart;
    std::int16_t tStart;
    std::u16string result;  // tail "|" throughout
};

std::u16string Spaces(std::size_t n) { return std::u16string(n, u' '); }

TEST(ConvertLinesAligned, IndentsAndPutsTheTailAtItsColumn) {
    const std::u16string head13 = u"out.println(\"";
    const AlignedCase cases[] = {
        {"18 bytes wide, tail at 30", u"abc", head13, 2, 30,
         Spaces(2) + head13 + u"abc" + Spaces(11) + u"|\r\n"},
        {"just narrower gets no filler", u"abcd", u"", 0, 5, u"abcd|\r\n"},
        {"as wide as the column", u"abcde", u"", 0, 5, u"abcde|\r\n"},
        {"wider than the column", u"abcdef", u"", 0, 5, u"abcdef|\r\n"},
        {"double-byte units count two", u"あア漢ｱ", u"", 0, 10, u"あア漢ｱ" + Spaces(2) + u"|\r\n"},
        {"a surrogate pair counts two", u"\U0001F600", u"", 0, 5, u"\U0001F600  |\r\n"},
        {"escape marks count", u"\"", u"", 0, 5, u"\\\"  |\r\n"},
        {"tab in head counts one", u"a", u"\t", 0, 4, u"\ta |\r\n"},
        {"tail column 1 never pads", u"a", u"", 0, 1, u"a|\r\n"},
        {"every line, the empty last one too", u"ab\r\nあ\r\n", u"", 1, 6,
         u" ab  |\r\n あ  |\r\n     |\r\n"},
        {"negative columns act as 0", u"a", u"h", -5, -1, u"ha|\r\n"},
        {"indent only", u"a\r\nb", u"h", 3, 0, u"   ha|\r\n   hb|\r\n"},
        {"empty text gives nothing", u"", u"h", 10, 20, u""},
        {"largest column", u"a", u"", 0, 32767, u"a" + Spaces(32765) + u"|\r\n"},
        {"largest indent", u"a", u"", 32767, 32767, Spaces(32767) + u"a|\r\n"},
        {"smallest values", u"a", u"", -32768, -32768, u"a|\r\n"},
    };
    for (const AlignedCase& c : cases) {
        EXPECT_EQ(ConvertLinesAligned(kEscapeBackslash, c.text, c.head, u"|", c.hStart, c.tStart),
                  c.result)
            << c.name;
    }
}

// The aligned form counts escapes in 16-bit lanes, emptied every so many blocks: a text far
// longer than such a stretch, all escapes, must still be sized exactly.
TEST(ConvertLinesAligned, CountsEveryEscapeOfALongText) {
    std::u16string text;
    std::u16string line;
    for (int i = 0; i < 300000; ++i) {
        text += u"\\\"";
        line += u"\\\\\\\"";
    }
    EXPECT_EQ(ConvertLinesAligned(kEscapeBackslash, text + u"\r\na", u"", u"|", 0, 5),
              line + u"|\r\na   |\r\n");
}

// The aligned form notes every CR of a stretch of blocks before it ends the lines there: blocks
// that are CRs alone fill the notes fastest, 32 a block (half a block first, so that a stretch
// ends with the notes all but full), and must neither overrun them nor end a line.
TEST(ConvertLinesAligned, MeasuresALineOfLoneCrs) {
    std::u16string text(16, u'a');
    text.append(4985, u'\r').append(u"\nab");
    std::u16string result(16, u'a');
    result.append(4984, u'\r').append(999, u' ').append(u"|\r\nab").append(5997, u' ');
    result.append(u"|\r\n");
    EXPECT_EQ(ConvertLinesAligned(kEscapeBackslash, text, u"", u"|", 0, 6000), result);
}

TEST(AppendConverted, KeepsWhatIsThereAndCountsAnEmptyTextAsOneLine) {
    std::u16string out = u"kept";
    AppendConverted(out, kEscapeQuoteDoubling, u"\"", u"<", u">");
    AppendConverted(out, kEscapeQuoteDoubling, u"", u"<", u">", 1, 5);
    EXPECT_EQ(out, u"kept<\"\">\r\n <  >\r\n");
}

TEST(ConvertInto, DecliningTheRoomWritesNothing) {
    // A billion units, measured and never allocated: each empty line is padded to column 999.
    std::u16string text;
    for (int i = 0; i < 1'100'000; ++i) text += u"\r\n";
    std::size_t asked = 0;
    ConvertInto(
        [&asked](std::size_t size) -> char16_t* {
            asked = size;
            return nullptr;
        },
        kEscapeBackslash, text, u"h", u"t", 0, 999);
    EXPECT_EQ(asked, (1'100'000 + 1) * std::size_t(1 + 997 + 1 + 2));  // h, pad, t, CR LF
}

TEST(HasNonDigit, IsFalseOnlyForAsciiDigits) {
    EXPECT_FALSE(HasNonDigit(u""));
    EXPECT_FALSE(HasNonDigit(u"007"));
    EXPECT_FALSE(HasNonDigit(u"0123456789"));
    for (const std::u16string s :
         {u"１", u"-1", u"1 ", u" ", u"1.5", u"+3", u"a", u"¹", u"²", u"³", u"/", u":"}) {
        EXPECT_TRUE(HasNonDigit(s)) << s.size();
    }
    EXPECT_TRUE(HasNonDigit(u"12\0"s));
}

}  // namespace
