// The reverse conversion, case by case; that every conversion comes back is checked over random
// inputs in fuzz/convert_fuzz.cpp.
#include <gtest/gtest.h>

#include <string>

#include "engine/modReverse.h"

namespace {

using namespace modConvert;

struct ReverseCase {
    const char* name;
    EscapeMode mode;
    std::u16string head;
    std::u16string tail;
    std::int16_t hStart;
    std::int16_t tStart;
    std::u16string text;
    std::u16string back;
    std::size_t kept;
    std::size_t firstKept;
};

TEST(ReverseLines, ReadsLinesBackAndKeepsTheOthers) {
    const ReverseCase cases[] = {
        {"indented by hStart", 1, u"<", u">", 2, 0, u"  <a>\r\n  < b>\r\n", u"a\r\n b", 0, 0},
        {"indented otherwise", 1, u"  <", u">", 2, 0, u"\t <a>\r\n <b>", u"a\r\nb", 0, 0},
        {"own spaces, no head", 0, u"", u";", 2, 0, u"    a;", u"  a", 0, 0},
        {"padding at the column", 1, u"<", u">", 1, 7, u" <a   >\r\n <a b >", u"a\r\na b", 0, 0},
        {"short of the column", 1, u"<", u">", 0, 7, u"<a  >", u"a  ", 0, 0},
        {"double-byte padded", 1, u"<", u">", 0, 5, u"<表 >\r\n<表  >", u"表\r\n表  ", 0, 0},
        {"blanks after the tail", 1, u"<", u">", 0, 0, u"<a> \t\r\n<b; ", u"a\r\n<b; ", 1, 2},
        {"tail ending in a space", 1, u"<", u"; ", 0, 0, u"<a; \r\n<b;  ", u"a\r\nb", 0, 0},
        {"C escapes", 1, u"<", u">", 0, 0, u"<\\\\\\\"\\'\\t\\u8868\\uD83D\\ude00>",
         u"\\\"'\t表\U0001F600", 0, 0},
        {"VB escapes", 2, u"<", u">", 0, 0, u"<\"\"\" & vbTab & \"\" & vbTab & \"x>", u"\"\t\tx", 0,
         0},
        {"no escapes", 0, u"<", u">", 0, 0, u"<\\\"\">", u"\\\"\"", 0, 0},
        {"C: other escape", 1, u"<", u">", 0, 0, u"<a>\r\n<\\x>\r\n<\\u12G4>",
         u"a\r\n<\\x>\r\n<\\u12G4>", 2, 2},
        {"C: backslash at the end", 1, u"<", u">", 0, 0, u"<a\\>", u"<a\\>", 1, 1},
        {"C: bare quote", 1, u"<", u">", 0, 0, u"<a\"b>", u"<a\"b>", 1, 1},
        {"VB: lone quote", 2, u"<", u">", 0, 0, u"<a\"b>\r\n<\" & vbTab>",
         u"<a\"b>\r\n<\" & vbTab>", 2, 1},
        {"no head or no tail", 1, u"<", u">", 0, 0, u"<a>\r\na>\r\n<a", u"a\r\na>\r\n<a", 2, 2},
        {"tail inside the head", 1, u"<>", u">", 0, 0, u"<>", u"<>", 1, 1},
        {"lines across head and tail", 1, u"{\r\n", u"\r\n}", 0, 0,
         u"{\r\na\r\n}\r\n{\r\n\r\n}\r\n", u"a\r\n", 0, 0},
        {"CR of a line and LF of the tail", 0, u"<", u"\n>", 0, 0, u"<a\r\n>\r\n<b\n>\r\n",
         u"a\r\r\nb", 0, 0},
        {"read as the converter aligns", 0, u"\r", u"\n", 0, 3, u"\r\n\r\n\r\n\r \n\r\n",
         u"\n\r\r\n", 0, 0},
        {"empty text", 1, u"<", u">", 0, 0, u"", u"", 0, 0},
    };
    for (const ReverseCase& c : cases) {
        const Reversed r = ReverseLines(c.mode, c.text, c.head, c.tail, c.hStart, c.tStart);
        EXPECT_EQ(r.text, c.back) << c.name;
        EXPECT_EQ(r.kept, c.kept) << c.name;
        EXPECT_EQ(r.firstKept, c.firstKept) << c.name;
        EXPECT_FALSE(r.guessed) << c.name;
    }
}

struct GuessCase {
    std::u16string text;
    bool guessed;
    std::u16string head;
    std::u16string tail;
    std::u16string back;
};

TEST(ReverseLines, GuessesHeadAndTailWhenBothAreEmpty) {
    const GuessCase cases[] = {
        {u"  p(\"a\");\r\n \t\r\n\tp(\"b\\\"\"); ", true, u"p(\"", u"\");", u"a\r\n \t\r\nb\""},
        {u"p(\"a\");\r\nq(\"b\");", false, u"", u"", u"p(\"a\");\r\nq(\"b\");"},
        {u"p(\"a\");\r\np(\"b\")", false, u"", u"", u"p(\"a\");\r\np(\"b\")"},
        {u"p(\"a\");\r\nb", false, u"", u"", u"p(\"a\");\r\nb"},
    };
    for (const GuessCase& c : cases) {
        const Reversed r = ReverseLines(kEscapeBackslash, c.text, u"", u"", 0, 0);
        EXPECT_EQ(r.guessed, c.guessed) << r.text.size();
        EXPECT_EQ(r.head, c.head) << r.text.size();
        EXPECT_EQ(r.tail, c.tail) << r.text.size();
        EXPECT_EQ(r.text, c.back) << r.text.size();
    }
}

}  // namespace
