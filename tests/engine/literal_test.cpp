// A text as one literal: each form's escapes, layout, pieces and refusal, rule by rule (that
// compilers read the literals back as the text is proven in tests/oracle); and every command's
// output asked for through the room it is given.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "engine/modCommand.h"
#include "engine/modLiteral.h"

namespace {

using namespace modConvert;

struct LiteralCase {
    Literal form;
    std::u16string text;
    std::u16string result;  // head "<", tail ">", hStart 2
};

TEST(ConvertLiteral, EscapesWhatEachFormNeedsAndNothingElse) {
    using L = Literal;
    const std::u16string a(65535, u'a'), x(16380, u'x');
    const LiteralCase cases[] = {
        {L::TextBlock, u"", u"  <\"\"\"\r\n  \"\"\">\r\n"},
        {L::TextBlock, u"\\ '\r\n", u"  <\"\"\"\r\n  \\\\ '\r\n  \"\"\">\r\n"},
        {L::TextBlock, u"\"\"\"\"\"\" \"\"\"",
         u"  <\"\"\"\r\n  \"\"\\\"\"\"\\\" \"\"\\\"\\\r\n  \"\"\">\r\n"},
        {L::TextBlock, u"a \r\n\t\r\n\f\r\nb\u3000\r\n\u2028\r\nc ",
         u"  <\"\"\"\r\n  a\\s\r\n  \\t\r\n  \\f\r\n  b\u3000\\n\\\r\n  \u2028\\n\\\r\n  c \\\r\n  "
         u"\"\"\">\r\n"},
        {L::TextBlock, u"\r\r\n\n\xD800\U0001F600",
         u"  <\"\"\"\r\n  \\r\r\n  \\n\\uD800\U0001F600\\\r\n  \"\"\">\r\n"},
        {L::TextBlock, a + u"b",
         u"  <String.join(\"\", \"\"\"\r\n  " + a +
             u"\\\r\n  \"\"\", \"\"\"\r\n  b\\\r\n  \"\"\")>\r\n"},
        {L::TextBlock, u"b\r\n" + a.substr(3) + u'\0',  // a NUL is two bytes to javac
         u"  <String.join(\"\", \"\"\"\r\n  b\r\n  \"\"\", \"\"\"\r\n  " + a.substr(3) +
             std::u16string(u"\0\\\r\n  \"\"\")>\r\n", 13)},
        {L::Template, u"`${a}` $ {b} \\$\r\n\n\r\xDC00",
         u"  <`\\`\\${a}\\` $ {b} \\\\$\r\n\\n\\r\\uDC00`>\r\n"},
        {L::Raw, u"a\r\n\nb\"\\", u"  <R\"(a\r\n\r\nb\"\\)\">\r\n"},
        {L::Raw, u")\" )d\" )d0\" )d1x", u"  <R\"d1()\" )d\" )d0\" )d1x)d1\">\r\n"},
        {L::Raw, std::u16string(u"\ra\0", 3), u"  <R\"()\" \"\\r\" R\"(a)\" \"\\0\" R\"()\">\r\n"},
        {L::Raw, x + u"y", u"  <R\"(" + x + u")\"\r\n  R\"(y)\">\r\n"},
        {L::Raw, u"表\r\n" + x, u"  <R\"(表\r\n)\"\r\n  R\"(" + x + u")\">\r\n"},
        {L::Raw, u"a\xD800", u""},
        {L::Json, u"", u"  <[\r\n  ]>\r\n"},
        {L::Json, u"\"\\/\r\n\b\t\n\v\f\r\x1F\x7F\xD800\r\n",
         u"  <[\r\n  \"\\\"\\\\/\",\r\n  \"\\b\\t\\n\\u000B\\f\\r\\u001F\x7F\\uD800\",\r\n  "
         u"\"\"\r\n  ]>\r\n"},
    };
    for (const LiteralCase& c : cases) {
        EXPECT_EQ(ConvertLiteral(c.form, c.text, u"<", u">", 2), c.result)
            << static_cast<int>(c.form) << " " << c.text.size();
    }
}

// Output too large for memory (the room throws) reaches the caller, which says so with
// 編集エラー; output too large for the result window (no room) is not written.
TEST(RunCommand, EveryCommandAsksForRoomAndLetsItsFailureThrough) {
    const Fields fields{kEscapeBackslash, u"<p>\t<%= x %>\r\n\"", u"<", u">", 3, 30};
    for (const CommandRow& row : kCommands) {
        const auto none = [](std::size_t) -> char16_t* { throw std::bad_alloc(); };
        EXPECT_THROW(RunCommand(row.command, fields, none), std::bad_alloc) << row.cliName;
        bool asked = false;
        RunCommand(row.command, fields, [&asked](std::size_t) { return asked = true, nullptr; });
        EXPECT_TRUE(asked) << row.cliName;
    }
}

}  // namespace
