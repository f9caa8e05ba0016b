// Exact results of the aligned conversion at its limits; how units, escape marks and heads are
// measured, splitting, escaping and the digit test are checked over random inputs in fuzz/.
#include <gtest/gtest.h>

#include <string>

#include "engine/modConvert.h"

namespace {

using namespace modConvert;

struct AlignedCase {
    const char* name;
    std::u16string text, head;
    std::int16_t hStart, tStart;
    std::u16string result;  // tail "|" throughout
};

std::u16string Spaces(std::size_t n) { return std::u16string(n, u' '); }

TEST(ConvertLinesAligned, IndentsAndPutsTheTailAtItsColumn) {
    const std::u16string head13 = u"out.println(\"";
    const AlignedCase cases[] = {
        {"18 bytes wide, tail at 30", u"abc", head13, 2, 30,
         Spaces(2) + head13 + u"abc" + Spaces(11) + u"|\r\n"},
        {"as wide as the column", u"abcde", u"", 0, 5, u"abcde|\r\n"},
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
    std::u16string text, line;
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

}  // namespace
