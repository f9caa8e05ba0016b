// The opt-in escapes, case by case; that they agree with the plain form (on ASCII text) and come
// back through the reverse conversion is checked over random inputs in fuzz/convert_fuzz.cpp.
#include <gtest/gtest.h>

#include <string>

#include "engine/modVariant.h"

namespace {

using namespace modConvert;
using namespace std::string_literals;

struct VariantCase {
    Variant variant;
    EscapeMode mode;
    std::u16string text;
    std::int16_t tStart;
    std::u16string result;  // head "<", tail ">", hStart 1
};

TEST(ConvertVariant, EscapesAsTheVariantSaysAndAlignsWhatIsWritten) {
    const VariantCase cases[] = {
        {Variant::UnicodeEscapes, 2, u"\\\"~\x7F表", 0, u" <\\\\\\\"~\\u007F\\u8868>\r\n"},
        {Variant::UnicodeEscapes, 0, u"\U0001F600\xDC00\r\nｱ", 0,
         u" <\\uD83D\\uDE00\\uDC00>\r\n <\\uFF71>\r\n"},
        {Variant::UnicodeEscapes, 1, u"表", 12, u" <\\u8868   >\r\n"},  // six columns, not two
        {Variant::Tabs, 1, u"\t\ta\t\"\\", 0, u" <\\t\\ta\\t\\\"\\\\>\r\n"},
        {Variant::Tabs, 2, u"\ta\"\t\t", 0,
         u" <\" & vbTab & \"a\"\"\" & vbTab & \"\" & vbTab & \">\r\n"},
        {Variant::Tabs, 2, u"\t", 20, u" <\" & vbTab & \"    >\r\n"},
        {Variant::Tabs, 0, u"\t\"\\'", 8, u" <\t\"\\' >\r\n"},
        {Variant::Tabs, 5, u"\t\"", 0, u" <\t\">\r\n"},
        {Variant::Joins, 1, u"<%= a(\"x\") %>\"<%=b%><%= %><%= c", 20,
         u" <\" + a(\"x\") + \"\\\"\" + b + \"<%= %><%= c>\r\n"},
        {Variant::Joins, 2, u"表<%= rs(\"n\") %>\"", 24, u" <表\" & rs(\"n\") & \"\"\"  >\r\n"},
        {Variant::Joins, 0, u"<%= a %>", 0, u" <<%= a %>>\r\n"},
    };
    for (const VariantCase& c : cases) {
        EXPECT_EQ(ConvertVariant(c.variant, c.mode, c.text, u"<", u">", 1, c.tStart), c.result)
            << static_cast<int>(c.variant) << " mode " << c.mode << " " << c.result.size();
    }
}

// The join item writes a scriptlet's lines as the code they hold, indentation kept, and a value
// at a line's start or end without an empty literal beside it.
TEST(ConvertVariant, JoinsWriteCodeBackAndNoEmptyLiterals) {
    const struct {
        EscapeMode mode;
        std::u16string head, tail, text, result;
    } cases[] = {
        {1, u"out.println(\"", u"\");",
         u"  <% if (x) { %>\r\n<%= a %></td>\r\n<td><%= a %>\r\n<%= a %>\r\n<%= a %><%= b %>\r\n"
         u"<% foo(a,\r\n  b); %>\r\n<%= a %> %>",
         u"  if (x) {\r\nout.println(a + \"</td>\");\r\nout.println(\"<td>\" + a);\r\n"
         u"out.println(a);\r\nout.println(\"\" + a + \"\" + b);\r\nfoo(a,\r\n  b);\r\n"
         u"out.println(a + \" %>\");\r\n"},
        {1, u"echo \"", u"\";", u"<?php if ($x) { ?>\r\n<td><?= $p[\"n\"] ?>",
         u"if ($x) {\r\necho \"<td>\" . $p[\"n\"];\r\n"},
        {1, u"html += '", u"';", u"<td id='a'>\"<%= v %></td>",
         u"html += '<td id=\\'a\\'>\"' + v + '</td>';\r\n"},
        {2, u"Response.Write \"", u"\"", u"<%= a %> & <%= b %>",
         u"Response.Write a & \" & \" & b\r\n"},
        {1, u"p(\"", u"\r\n\");", u"<%= a %>b", u"p(\"\" + a + \"b\r\n\");\r\n"},  // two lines
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConvertVariant(Variant::Joins, c.mode, c.text, c.head, c.tail, 0, 0), c.result)
            << c.result.size();
    }
}

}  // namespace
