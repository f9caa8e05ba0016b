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
        {"VB: lone quote; a joined tab", 2, u"<", u">", 0, 0, u"<a\"b>\r\n<\" & vbTab>",
         u"<a\"b>\r\n\t", 1, 1},
        {"blank lines dropped", 1, u"<", u">", 0, 0, u"<a>\r\n \t\r\n\r\nx\r\n<b>", u"a\r\nx\r\nb", 1, 4},
        {"C: line ends as escapes", 1, u"p(\"", u"\");", 0, 0,
         u"p(\"a\\n\");\r\np(\"b\\r\\n\");\r\np(\"c\\nd\\n\\n\");\r\np(\"\\b\\f\\/\");",
         u"a\r\nb\r\nc\r\nd\r\n\r\n\b\f/", 0, 0},
        {"C: values joined", 1, u"p(\"", u"\");", 0, 0,
         u"p(\"<td>\" + rs.getString(\"n\") + \"</td>\");\r\np(\"<a \" + m.get(\"+\") + a[i] + \"/>\");",
         u"<td><%= rs.getString(\"n\") %></td>\r\n<a <%= m.get(\"+\") %><%= a[i] %>/>", 0, 0},
        {"VB: values and line ends", 2, u"Response.Write \"", u"", 0, 0,
         u"Response.Write \"<td>\" & rs(\"n\") & \"</td>\" & vbCrLf\r\n"
         u"Response.Write \"<a \" & Chr(34) & \"x\"\"\" & Chr(13) & Chr(10)",
         u"<td><%= rs(\"n\") %></td>\r\n<a \"x\"", 0, 0},
        {"single-quoted literal", 1, u"echo '", u"';", 0, 0, u"echo '<a href=\"\\n\\'\\\\\">';",
         u"<a href=\"\\n'\\\">", 0, 0},
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
    EscapeMode mode;
    std::u16string text;
    std::u16string back;
    std::size_t kept, dropped, values;
    std::u16string head, tail;  // the first line read's
};

TEST(ReverseLines, WithBothEmptyReadsEachLineOnItsOwn) {
    const GuessCase cases[] = {
        // two heads, a blank line, code between the lines, a \n, a comment
        {1, u"  out.print(\"a\");\r\n \t\r\n\tfor (;;) {\r\nout.println(\"b\\\"\\n\"); \r\n// x(\"y\");",
         u"a\r\n\tfor (;;) {\r\nb\"\r\n// x(\"y\");", 2, 1, 0, u"out.print(\"", u"\");"},
        // values before, between and after the literals
        {1, u"out.println(name + \"</td>\");\r\nsb.append(\"<td>\" + rs.get(\"n\", a[1]) + \"</td>\" + x);",
         u"<%= name %></td>\r\n<td><%= rs.get(\"n\", a[1]) %></td><%= x %>", 0, 0, 3,
         u"out.println(", u"\");"},
        // VB: two heads, a value, vbCrLf, lines that do not parse (one continued with _)
        {2, u"Response.Write \"<p>\" & t & \"</p>\" & vbCrLf\r\n.Append(\"<br>\")\r\nx = \"a\" \"b\"\r\n"
            u"Response.Write \"<td>\" & _",
         u"<p><%= t %></p>\r\n<br>\r\nx = \"a\" \"b\"\r\nResponse.Write \"<td>\" & _", 2, 0, 1,
         u"Response.Write \"", u"\" & vbCrLf"},
        // VB names in any case; a line break joined first or last goes with the head or tail
        {2, u"s = s & VbCrLf & \"<a>\" & CHR(34)\r\nw \"b\" & vbcrlf & \"c\" & VBLF",
         u"<a>\"\r\nb\r\nc", 0, 0, 0, u"s = s & VbCrLf & \"", u""},
        // PHP and JavaScript single quotes
        {1, u"echo '<tr class=\"x\">\\n';\r\nhtml += '<td>' + v + '</td>';",
         u"<tr class=\"x\">\\n\r\n<td><%= v %></td>", 0, 0, 1, u"echo '", u"';"},
    };
    for (const GuessCase& c : cases) {
        const Reversed r = ReverseLines(c.mode, c.text, u"", u"", 0, 0);
        EXPECT_EQ(r.text, c.back) << c.back.size();
        EXPECT_EQ(r.kept, c.kept) << c.back.size();
        EXPECT_EQ(r.dropped, c.dropped) << c.back.size();
        EXPECT_EQ(r.values, c.values) << c.back.size();
        EXPECT_EQ(r.head, c.head) << c.back.size();
        EXPECT_EQ(r.tail, c.tail) << c.back.size();
    }
}

}  // namespace
