// The reverse conversion, case by case; that every conversion comes back is checked over random
// inputs in fuzz/convert_fuzz.cpp.
#include <gtest/gtest.h>

#include <string>

#include "engine/modReverse.h"
#include "engine/modVariant.h"

namespace {

using namespace modConvert;
using namespace std::string_literals;

struct ReverseCase {
    const char* name;
    EscapeMode mode;
    std::u16string head;
    std::u16string tail;
    std::int16_t hStart;
    std::int16_t tStart;
    std::u16string text;
    std::u16string back;
    std::size_t kept;  // lines not read, kept as they are or as code
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
        {"blanks after the tail", 1, u"<", u">", 0, 0, u"<a> \t\r\n<b; ", u"a\r\n<% <b; %>", 1, 2},
        {"tail ending in a space", 1, u"<", u"; ", 0, 0, u"<a; \r\n<b;  ", u"a\r\nb", 0, 0},
        {"C escapes", 1, u"<", u">", 0, 0, u"<\\\\\\\"\\'\\t\\u8868\\uD83D\\ude00>",
         u"\\\"'\t表\U0001F600", 0, 0},
        {"VB escapes", 2, u"<", u">", 0, 0, u"<\"\"\" & vbTab & \"\" & vbTab & \"x>", u"\"\t\tx", 0,
         0},
        {"no escapes", 0, u"<", u">", 0, 0, u"<\\\"\">", u"\\\"\"", 0, 0},
        {"C: other escape", 1, u"<", u">", 0, 0, u"<a>\r\n<\\x>\r\n<\\u12G4>",
         u"a\r\n<% <\\x> %>\r\n<% <\\u12G4> %>", 2, 2},
        {"C: backslash at the end", 1, u"<", u">", 0, 0, u"<a\\>", u"<% <a\\> %>", 1, 1},
        {"C: bare quote", 1, u"<", u">", 0, 0, u"<a\"b>", u"<% <a\"b> %>", 1, 1},
        {"VB: lone quote; a joined tab", 2, u"<", u">", 0, 0, u"<a\"b>\r\n<\" & vbTab>",
         u"<% <a\"b> %>\r\n\t", 1, 1},
        {"blank lines dropped", 1, u"<", u">", 0, 0, u"<a>\r\n \t\r\n\r\nx\r\n<b>", u"a\r\n<% x %>\r\nb", 1, 4},
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
        {"no head or no tail", 1, u"<", u">", 0, 0, u"<a>\r\na>\r\n<a", u"a\r\n<% a> %>\r\n<% <a %>", 2, 2},
        {"tail inside the head", 1, u"<>", u">", 0, 0, u"<>", u"<% <> %>", 1, 1},
        {"lines across head and tail", 1, u"{\r\n", u"\r\n}", 0, 0,
         u"{\r\na\r\n}\r\n{\r\n\r\n}\r\n", u"a\r\n", 0, 0},
        {"CR of a line and LF of the tail", 0, u"<", u"\n>", 0, 0, u"<a\r\n>\r\n<b\n>\r\n",
         u"a\r\r\nb", 0, 0},
        {"read as the converter aligns", 0, u"\r", u"\n", 0, 3, u"\r\n\r\n\r\n\r \n\r\n",
         u"\n\r\r\n", 0, 0},
        {"empty text", 1, u"<", u">", 0, 0, u"", u"", 0, 0},
        // The literal forms after a head outside any literal, read as their compilers read them.
        {"text block: javac's indentation, escapes", 1, u"s = ", u";", 0, 0,
         u"s = \"\"\"\r\n      a  \r\n    b\\s\r\n     c\\\r\n    d\\n\\101\\u0042\r\n    \"\"\";",
         u"  a\r\nb \r\n cd\nAB\r\n", 0, 0},
        {"text block: a close at the line's start; String.join", 1, u"x(", u");", 0, 0,
         u"x(String.join(\"\", \"\"\"\r\n  a\r\n\"\"\", \"\"\"\r\n\tb\u3000\\n\\\r\n  \"\"\"));",
         u"  a\r\nb\u3000\r\n", 0, 0},
        {"template: escapes, values, a line continued", 1, u"h = ", u";", 0, 0,
         u"h = `\\`\\${a}\\\\ ${ f(\"}\") }\\u{1F600}\\x41\\\r\nb\r\nc\\n`;",
         u"`${a}\\ <%= f(\"}\") %>\U0001F600Ab\r\nc\n", 0, 0},
        {"raw strings in pieces", 1, u"p = ", u";", 0, 0,
         u"p = R\"d(a)\"(b)d\" \"\\r\" R\"(\r\n)\"\r\n  R\"(c)\" \"\\0\" R\"()\";",
         u"a)\"(b\r\r\nc\0"s, 0, 0},
        {"JSON strings", 1, u"\"l\": ", u",", 2, 0,
         u"  \"l\": [\r\n  \"a\\\"\\u00e9\\/\\n\",\r\n  \"\"\r\n  ],", u"a\"é/\n\r\n", 0, 0},
        {"a literal that does not read is kept, no line of it read", 1, u"<", u">", 0, 0,
         u"<\"\"\"\r\n<b>\r\n\\q\"\"\">", u"<% <\"\"\"\r\n<b>\r\n\\q\"\"\"> %>", 3, 1},
        {"after a head inside a literal, 編集's", 1, u"p(\"", u"\");", 0, 0, u"p(\"`a`\");", u"`a`", 0,
         0},
        {"a template the head tags, 編集's", 1, u"h = html", u";", 0, 0, u"h = html`<p>`;", u"`<p>`", 0,
         0},
    };
    for (const ReverseCase& c : cases) {
        const Reversed r = ReverseLines(c.mode, c.text, c.head, c.tail, c.hStart, c.tStart);
        EXPECT_EQ(r.text, c.back) << c.name;
        EXPECT_EQ(r.kept + r.code, c.kept) << c.name;
        EXPECT_EQ(r.firstKept ? r.firstKept : r.firstCode, c.firstKept) << c.name;
    }
}

struct ShapeCase {
    const char* shape;
    EscapeMode mode;
    std::u16string text, back;
    std::size_t read, code;  // statements read; lines kept as code in <% %>
    std::u16string head = {}, tail = {};
};

// Each statement read only when it certainly builds the page and every part of it parses; what
// it puts into the page exactly, or the line kept as code so that the page still runs.
TEST(ReverseLines, ReadsOnlyWhatCertainlyBuildsThePage) {
    std::u16string deep = u"h = ";  // templates nested past any stack
    for (int i = 0; i < 100000; ++i) deep += u"`${";
    const ShapeCase cases[] = {
        {"two heads of one stream, code, a blank line, a \\n, a comment", 1,
         u"  out.print(\"a\");\r\n \t\r\n\tfor (;;) {\r\nout.println(\"b\\\"\\n\"); \r\n// x(\"y\");",
         u"a\r\n\t<% for (;;) { %>\r\nb\"\r\n<% // x(\"y\"); %>", 2, 2},
        {"values parsed whole; a sum one value; a variable set beside the page is code", 1,
         u"String t = \"会員\";\r\nout.println(name + \"</td>\");\r\nout.println(\"<td>\" + rs.getInt(\"price\"));\r\n"
         u"out.println(\"<td>\" + rs.get(\"n\", a[1]) + \"</td>\" + x * 2);\r\nout.println(a + b + \"x\");",
         u"<% String t = \"会員\"; %>\r\n<%= name %></td>\r\n<td><%= rs.getInt(\"price\") %>\r\n"
         u"<td><%= rs.get(\"n\", a[1]) %></td><%= x * 2 %>\r\n<%= a + b %>x", 4, 1},
        {"VB accumulators and line breaks; a reset and another name are code", 2,
         u"sql = \"\"\r\nsql = sql & \" WHERE s <> '9'\" & vbCrLf\r\nsql = sql & VbCrLf & \"AND x\"\r\n"
         u"SQL &= \"<i>\" & x\r\nDim t As String = \"<b>\"",
         u"<% sql = \"\" %>\r\n WHERE s <> '9'\r\nAND x\r\n<i><%= x %>\r\n<% Dim t As String = \"<b>\" %>", 3, 2},
        {"VB output: brackets, a command, _, Call, a comment after it", 2,
         u"Response.Write(\"<td>\" & rs(\"n\") & vbcrlf)\r\nResponse.Write \"<p>\" & _\r\n  name & \"</p>\"\r\n"
         u"Call Response.Write(\"x\")\r\nresponse.write\"a\" ' note",
         u"<td><%= rs(\"n\") %>\r\n<p><%= name %></p>\r\nx\r\na", 4, 0},
        {"C accumulators, the first assignment starting afresh; numbers are not text", 1,
         u"var html = \"<table>\";\r\nhtml += \"<b>\";\r\nhtml = html + \"<tr>\" + n;\r\ncount += 1;\r\nx = y + 1;",
         u"<% var html = \"\"; %>\r\n<table>\r\n<b>\r\n<tr><%= n %>\r\n<% count += 1; %>\r\n<% x = y + 1; %>", 3,
         2},
        {"an accumulator head typed: an assignment of its name starts afresh", 2,
         u"  sql = \"SELECT *\" & vbCrLf\r\n  sql = sql & \" FROM t\"\r\nSQL = \"UPDATE \" & t\r\nsql = \"\"",
         u"  <% sql = \"\" %>\r\nSELECT *\r\n FROM t\r\n<% SQL = \"\" %>\r\nUPDATE <%= t %>\r\n<% sql = \"\" %>", 3, 1,
         u"sql = sql & \"", u"\""},
        {"PHP: an assignment starting afresh beside appends", 1, u"$h = '<p>';\r\n$h .= \"$x\";",
         u"<?php $h = \"\"; ?>\r\n<p>\r\n<?= $x ?>", 2, 0},
        {"assignments without appends are read as they stand", 2, u"a.Text = \"x\"\r\na.Text = \"y\"",
         u"x\r\ny", 2, 0},
        {"printf: arguments in order, or kept", 1,
         u"printf(\"age = %d\\n\", u.age);\r\nprintf(\"%5d\", n);\r\nfprintf(out, \"100%%\");\r\n"
         u"printf(\"%s\", a, b);\r\nprintf(\"%x\", n);",
         u"age = <%= u.age %>\r\n<% printf(\"%5d\", n); %>\r\n100%\r\n<% printf(\"%s\", a, b); %>\r\n"
         u"<% printf(\"%x\", n); %>", 2, 3},
        {"conditions and second statements", 2,
         u"ElseIf scheme = \"BLUE\" Then\r\nIf where <> \"\" Then\r\ntitle = \"住所\": n = 46\r\n"
         u"Response.Write \"a\" ' note",
         u"<% ElseIf scheme = \"BLUE\" Then %>\r\n<% If where <> \"\" Then %>\r\n<% title = \"住所\": n = 46 %>\r\na",
         1, 3},
        {"calls that print nothing, chains, other literals", 1,
         u"map.put(\"a\", b);\r\nout.println(\"a\"); out.println(\"b\");\r\n"
         u"sb.append(\"<li>\").append(x);\r\nsb.append(\"a\").insert(0, x).append(\"b\");\r\ns = $\"<td>{x}</td>\";\r\n"
         u"document.write(`<p>`);\r\nout.println(\"<td>\" + \"abc\".trim());",
         u"<% map.put(\"a\", b); %>\r\n<% out.println(\"a\"); out.println(\"b\"); %>\r\n<li><%= x %>\r\n"
         u"<% sb.append(\"a\").insert(0, x).append(\"b\"); %>\r\n<% s = $\"<td>{x}</td>\"; %>\r\n"
         u"<% document.write(`<p>`); %>\r\n<% out.println(\"<td>\" + \"abc\".trim()); %>", 1, 6},
        {"PHP: . and commas, $names, PHP's quotes", 1,
         u"echo \"<td>\" . $p[\"価格\"] . \"</td>\";\r\necho \"<td>\", $x, \"</td>\";\r\n"
         u"echo '<td class=\"a\">\\n' . $r['n'];\r\necho \"<b>$name{$n}\\$</b>\";\r\n"
         u"echo \"{$r['x']}\";\r\nif ($x == \"a\") {",
         u"<td><?= $p[\"価格\"] ?></td>\r\n<td><?= $x ?></td>\r\n<td class=\"a\">\\n<?= $r['n'] ?>\r\n"
         u"<b><?= $name ?><?= $n ?>$</b>\r\n<?php echo \"{$r['x']}\"; ?>\r\n<?php if ($x == \"a\") { ?>", 4, 2},
        {"JavaScript: commas and single quotes", 1,
         u"document.write(\"<b>\", y, \"年</b>\");\r\ndocument.write('<td>' + v + '</td>');",
         u"<b><%= y %>年</b>\r\n<td><%= v %></td>", 2, 0},
        {"statements over lines, one kept whole", 1,
         u"out.println(\"<p>\" +\r\n    name + \"</p>\");\r\nfoo(a,\r\n  \"b\");\r\n/* out.println(\"x\");\r\n"
         u"  out.println(\"y\"); */",
         u"<p><%= name %></p>\r\n<% foo(a,\r\n  \"b\"); %>\r\n<% /* out.println(\"x\");\r\n"
         u"  out.println(\"y\"); */ %>", 1, 4},
        {"a head typed: its stream's other heads read, others code", 1,
         u"out.print(\"<b>\");\r\nout.println(\"<td>\" + rs.getInt(\"p\"));\r\nout\r\n  .println(x + \"</td>\");\r\n"
         u"sql = sql + \"x\";\r\nif (a) {\r\n/*\r\nout.println(\"y\");\r\n*/",
         u"<b>\r\n<td><%= rs.getInt(\"p\") %>\r\n<%= x %></td>\r\n<% sql = sql + \"x\"; %>\r\n<% if (a) { %>\r\n"
         u"<% /*\r\nout.println(\"y\");\r\n*/ %>",
         3, 5, u"out.println(\"", u"\");"},
        {"only the tail typed: what most statements build", 2,
         u"Response.Write \"<p>\" & x & \"</p>\"\r\nsql = \"a\"\r\nb\"\r\nResponse.Write name & \"<br>\"",
         u"<p><%= x %></p>\r\n<% sql = \"a\" %>\r\nb\r\n<%= name %><br>", 3, 1, u"", u"\""},
        {"VB.NET's + joins, a format, a scriptlet's statement", 2,
         u"sb.Append(\"(id = '\" + Safe(x) + \"')\")\r\nsb.AppendFormat(\"<td>{0}{{{1}}}</td>\", a, b)\r\n"
         u"<% sb.Append(\"<p>\") %>\r\nConsole.WriteLine(\"{0:N2}\", n)",
         u"(id = '<%= Safe(x) %>')\r\n<td><%= a %>{<%= b %>}</td>\r\n<p>\r\n<% Console.WriteLine(\"{0:N2}\", n) %>",
         3, 1},
        {"a text block's every line, its last line break too; return is code", 1,
         u"String html = \"\"\"\r\n    <p>\r\n      x</p>\r\n    \"\"\";\r\nreturn \"\"\"\r\n    y\"\"\";",
         u"<p>\r\n  x</p>\r\n\r\n<% return \"\"\"\r\n    y\"\"\"; %>", 4, 2},
        {"a text block C#'s raw string could be is code", 1,
         u"var s = \"\"\"\r\n  <p>\r\n  \"\"\";\r\nvar t = \"\"\"\r\n  <b>\"\"\";",
         u"<% var s = \"\"\"\r\n  <p>\r\n  \"\"\"; %>\r\n<b>", 2, 3},
        {"templates, of one line too; tagged ones are code", 1,
         u"res.send(`<b>${n}</b>`);\r\nres.send(`\r\n<i>\\${x}</i>`);\r\nres.send(html`<p>`);\r\n"
         u"res.send(String.raw`\\n`);",
         u"<b><%= n %></b>\r\n\r\n<i>${x}</i>\r\n<% res.send(html`<p>`); %>\r\n"
         u"<% res.send(String.raw`\\n`); %>", 3, 2},
        {"a statement's bracket over lines, to its ; or a block's {", 1,
         u"t = s.match(/\\(/);\r\napp.get('/', (req, res) => {\r\n  res.send(\r\n    `<p>\r\n    </p>`\r\n"
         u"  );\r\n});",
         u"<% t = s.match(/\\(/); %>\r\n<% app.get('/', (req, res) => { %>\r\n<p>\r\n    </p>\r\n<% }); %>",
         4, 3},
        {"C++: a raw string in flash memory", 1, u"const char page[] PROGMEM = R\"=(\r\n<p>)\" x</p>)=\";",
         u"\r\n<p>)\" x</p>", 2, 0},
        {"C++: + on a char pointer is code", 1, u"auto s = \"<p>\" + n;", u"<% auto s = \"<p>\" + n; %>", 0, 1},
        {"a JSON array alone", 1, u"\r\n[\r\n  \"a\",\r\n  \"b\\u0041\"\r\n]\r\n", u"a\r\nbA", 4, 0},
        {"an array in code", 1, u"var a = [\"x\", \"y\"];", u"<% var a = [\"x\", \"y\"]; %>", 0, 1},
        {"templates nested too deep", 1, deep, u"<% " + deep + u" %>", 0, 1},
    };
    for (const ShapeCase& c : cases) {
        const Reversed r = ReverseLines(c.mode, c.text, c.head, c.tail, 0, 0);
        EXPECT_EQ(r.text, c.back) << c.shape;
        EXPECT_EQ(r.read, c.read) << c.shape;
        EXPECT_EQ(r.code, c.code) << c.shape;
        EXPECT_EQ(r.kept, 0u) << c.shape;
    }
}

// The page of a text built by appends, where an assignment starts it afresh, joined back with
// the appending head: the same program, the assignment written as an empty one and an append.
TEST(ReverseLines, ATextStartedAfreshComesBackAsTheSameProgram) {
    const std::u16string block =
        u"sql = \"SELECT * FROM t\"\r\nIf id <> \"\" Then\r\n  sql = sql & \" WHERE id = \" & id\r\nEnd If";
    const Reversed r = ReverseLines(kEscapeQuoteDoubling, block, u"", u"", 0, 0);
    EXPECT_EQ(ConvertVariant(Variant::Joins, kEscapeQuoteDoubling, r.text, u"sql = sql & \"", u"\"", 0, 0),
              u"sql = \"\"\r\nsql = sql & \"SELECT * FROM t\"\r\nIf id <> \"\" Then\r\n"
              u"sql = sql & \" WHERE id = \" & id\r\nEnd If\r\n");
}

}  // namespace
