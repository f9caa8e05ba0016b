// The compiler oracle: hard texts converted with each escaping and variant, built and run by the
// compilers and interpreters it is for, must print exactly the text (with the filler the tail
// column put into each literal). A missing toolchain fails.
//   kalvex_compiler_oracle WORK_DIR WINE_RUN
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "engine/cp932_table.h"
#include "engine/modConvert.h"
#include "engine/modLiteral.h"
#include "engine/modVariant.h"

namespace {

using namespace modConvert;
namespace fs = std::filesystem;

const std::u16string kCRLF = u"\r\n";
const std::u16string kMarker = u"\r\n----8<----";  // the line between two texts

std::vector<std::u16string> HardTexts() {
    std::u16string longLine;
    for (int i = 0; i < 500; ++i) longLine += u"表a\"\\'\t";
    return {u"<a href=\"/shop?id=1\" title='it\\'s'>\"カート\"</a>",
            u"C:\\path\\to\\ \\\\ \\\" \\' \\n \\u0022 \\\\u0041 \\t \\",
            u"\ta\tb\t\t<td>\t",
            u"<%= x %> 50%> %\\> <% out.print(\"%>\"); %>",
            std::u16string(u"NUL\0 SOH\x01 ESC\x1B DEL\x7F end", 24),
            u"lone CR\r\nlone LF\r\nboth\r\n\r\nend",  // as the input box takes them in
            u"\U0001F600 \U00020BB7 beyond U+FFFF",
            u"表示 ソース 予定 能力 十 申 ｱｲｳ ＼ ～ ―",
            u"trailing spaces   \r\n   \r\n",
            u"\u2028 \u0085 ?\?= ?\?/ ?\?' ?\?- ©",
            longLine};
}

// How a language's program is made around the converted lines, built and run (in its directory,
// the source written as UTF-16 in "src", its output into "out" as UTF-16).
struct Language {
    const char *name, *file, *before, *after;
    std::string build, run;
};

const Language kJava = {
    "Java", "Oracle.java",
    "public class Oracle {\n static StringBuilder o = new StringBuilder();\n static void p(String "
    "s) { o.append(s).append(\"\\r\\n\"); }\n public static void main(String[] a) throws Exception {\n",
    " System.out.write(o.toString().getBytes(\"UTF-8\"));\n System.out.flush();\n }\n}\n",
    "javac -encoding UTF-8 -d . Oracle.java", "java -cp . Oracle"};
const Language kC = {
    "C", "oracle.c",
    "#include <stdio.h>\n#define p(s) (fwrite(s, 1, sizeof(s) - 1, stdout), fputs(\"\\r\\n\", "
    "stdout))\nint main(void) {\n",
    " return 0;\n}\n", "gcc -w -o oracle oracle.c", "./oracle"};
const Language kJavaScript = {"JavaScript", "oracle.js",
                              "let o = \"\";\nfunction p(s) { o += s + \"\\r\\n\"; }\n",
                              "process.stdout.write(Buffer.from(o, \"utf8\"));\n", ":",
                              "node oracle.js"};
const Language kPhp = {"PHP", "oracle.php",
                       "<?php\n$o = '';\nfunction p($s) { global $o; $o .= $s . \"\\r\\n\"; }\n",
                       "echo $o;\n", ":", "php -n oracle.php"};
const Language kCSharp = {
    "C#", "Oracle.cs",
    "class Oracle {\n static System.Text.StringBuilder o = new System.Text.StringBuilder();\n "
    "static void p(string s) { o.Append(s).Append(\"\\r\\n\"); }\n static void Main() {\n",
    " var b = new System.Text.UTF8Encoding(false).GetBytes(o.ToString());\n"
    " System.Console.OpenStandardOutput().Write(b, 0, b.Length);\n }\n}\n",
    "mcs -out:Oracle.exe Oracle.cs >/dev/null", "mono Oracle.exe"};
// cscript prints in code page 932: the script writes its text to a file as UTF-16 instead.
const Language kVBScript = {
    "VBScript", "oracle.vbs", "Dim o\r\nSub P(s)\r\n  o = o & s & vbCrLf\r\nEnd Sub\r\n",
    "Set f = CreateObject(\"Scripting.FileSystemObject\").CreateTextFile(WScript.Arguments(0), "
    "True, True)\r\nf.Write o\r\nf.Close\r\n",
    ":", "$WINE_RUN cscript //nologo oracle.vbs out16 && tail -c +3 out16"};

struct Promise {
    const Language& language;
    const char* form;
    std::u16string_view head, tail;
    EscapeMode mode;
    std::optional<Variant> variant;
};

// Which language reads which escaping: the table the README promises.
const Promise kPromises[] = {
    {kJava, "C/Java", u"p(\"", u"\");", kEscapeBackslash, {}},
    {kJava, "\\uXXXX", u"p(\"", u"\");", 1, Variant::UnicodeEscapes},
    {kJava, "tab", u"p(\"", u"\");", 1, Variant::Tabs},
    {kC, "C/Java", u"p(\"", u"\");", kEscapeBackslash, {}},
    {kC, "tab", u"p(\"", u"\");", 1, Variant::Tabs},
    {kJavaScript, "C/Java", u"p(\"", u"\");", 1, {}},
    {kJavaScript, "\\uXXXX", u"p(\"", u"\");", 1, Variant::UnicodeEscapes},
    {kJavaScript, "'", u"p('", u"');", 1, Variant::Apostrophes},
    {kJavaScript, "tab", u"p(\"", u"\");", 1, Variant::Tabs},
    {kPhp, "'", u"p('", u"');", 1, Variant::Apostrophes},
    {kCSharp, "\\uXXXX", u"p(\"", u"\");", 1, Variant::UnicodeEscapes},
    {kVBScript, "VB/ASP", u"P \"", u"\"", kEscapeQuoteDoubling, {}},
    {kVBScript, "tab", u"P \"", u"\"", 2, Variant::Tabs},
};

std::vector<std::u16string> Split(const std::u16string& s, const std::u16string& by) {
    std::vector<std::u16string> parts;
    for (std::size_t at = 0;; at += by.size()) {
        const std::size_t end = s.find(by, at);
        parts.push_back(s.substr(at, end - at));
        if (end == s.npos) return parts;
        at = end;
    }
}

// What the program prints for a text: each line, with the filler its converted line has before
// the tail (the run of spaces there less the line's own), and CR LF.
std::u16string Expected(const std::u16string& text, const std::u16string& converted,
                        std::size_t tail) {
    const auto lines = Split(text, kCRLF);
    const auto written = Split(converted, kCRLF);
    std::u16string out;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::u16string before = written[k].substr(0, written[k].size() - tail);
        const std::size_t run = before.size() - before.find_last_not_of(u' ') - 1;
        const std::size_t own = lines[k].size() - lines[k].find_last_not_of(u' ') - 1;
        out += lines[k] + std::u16string(run - std::min(run, own), u' ') + kCRLF;
    }
    return out;
}

bool Run(const fs::path& dir, const std::string& command) {
    return std::system(("cd '" + dir.string() + "' && timeout 60 sh -c '" + command + "' 2>>log")
                           .c_str()) == 0;
}

// Has the language's program around the converted lines built and run (written in UTF-8, or in
// code page 932 for a script host), and counts the texts between markers that it printed as
// wanted; names each that it did not.
std::size_t Exact(const fs::path& dir, const Language& language, const char* form,
                  const std::u16string& converted, const std::u16string& wanted, bool cp932) {
    const std::string_view before = language.before, after = language.after;  // ASCII
    const std::u16string source = std::u16string(before.begin(), before.end()) + converted +
                                  std::u16string(after.begin(), after.end());
    fs::create_directories(dir);
    std::ofstream(dir / "src", std::ios::binary)
        .write(reinterpret_cast<const char*>(source.data()), 2 * source.size());
    const std::string code = cp932 ? "CP932" : "UTF-8", printed = cp932 ? "UTF-16LE" : "UTF-8";
    if (!Run(dir, "iconv -f UTF-16LE -t " + code + " src > " + language.file) ||
        !Run(dir, language.build + " && " + language.run + " > out8") ||
        !Run(dir, "iconv -f " + printed + " -t UTF-16LE out8 > out")) {
        std::fprintf(stderr, "%s, %s: did not build or run; see %s/log\n", language.name, form,
                     dir.c_str());
        return 0;
    }
    std::ifstream in(dir / "out", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::u16string out(bytes.size() / 2, u'\0');
    std::memcpy(out.data(), bytes.data(), 2 * out.size());  // UTF-16LE on this little-endian host
    const auto want = Split(wanted, kMarker);
    const auto got = Split(out, kMarker);
    std::size_t exact = 0;
    for (std::size_t k = 0; k < want.size(); ++k) {
        const bool same = k < got.size() && got[k] == want[k] && bytes.size() % 2 == 0;
        if (!same)
            std::fprintf(stderr, "%s, %s: text %zu printed otherwise\n", language.name, form,
                         k + 1);
        exact += same;
    }
    return exact;
}

// Converts the texts the language can take, has them built and run, and counts the texts that
// came back exactly; names each that did not.
std::size_t Check(const Promise& p, const fs::path& dir, std::size_t& tried) {
    const Language& language = p.language;
    const bool vbs = &language == &kVBScript;
    std::u16string whole;
    for (const std::u16string& text : HardTexts()) {
        // A VBScript file is in code page 932, and the script host reads it up to its first NUL.
        if (!vbs ||
            std::ranges::none_of(text, [](char16_t c) { return c == 0 || detail::IsLossy(c); })) {
            whole += (tried++ == 0 ? u"" : kMarker + kCRLF) + text;
        }
    }
    const std::u16string converted =
        p.variant ? ConvertVariant(*p.variant, p.mode, whole, p.head, p.tail, 2, 60)
                  : ConvertLinesAligned(p.mode, whole, p.head, p.tail, 2, 60);
    return Exact(dir, language, p.form, converted, Expected(whole, converted, p.tail.size()), vbs);
}

// --- A whole text as one literal ---

// The hard texts and what each form has to escape or cut: runs of ", a backquote and ${, )" and
// )d", a tab-led line, white space that javac strips, a line of 20,000 UTF-8 bytes, 200 KB.
std::vector<std::u16string> LiteralTexts() {
    std::vector<std::u16string> texts = HardTexts();
    std::u16string line, page;
    for (int i = 0; i < 1334; ++i) line += u"<td>表示</td>";
    for (int i = 0; i < 50; ++i)
        for (const std::u16string& text : HardTexts()) page += text + kCRLF;
    texts.insert(texts.end(),
                 {u"a \"\"\" b \"\"\"\" c \"\"\"\"\"\"\"\r\n\"\"\"\r\nends in \"",
                  u"`code` ${x} $${y} \\${z} $ {w} \\`", u"f(\")\" )d\" )d1\" )d0\"",
                  u"\tfirst\r\n\t\tsecond\r\n\t", u"\u3000\r\n\u000B\r\n\f\r\n \r\nx\u2028", line,
                  page});
    return texts;
}

// The most UTF-8 bytes in one R"d(...)d" of a raw string's output, a line end one.
std::size_t LongestPiece(const std::u16string& s) {
    std::size_t most = 0;
    for (std::size_t at = s.find(u"R\""), end = 0; at != s.npos; at = s.find(u"R\"", end)) {
        const std::size_t open = s.find(u'(', at);
        std::u16string close = u")";
        end = s.find(close.append(s, at + 2, open - at - 2).append(u"\""), open);
        std::size_t bytes = 0;
        for (std::size_t i = open + 1; i < std::min(end, s.size()); ++i)
            bytes += s[i] == u'\r'                           ? 0
                     : s[i] < 0x80                           ? 1
                     : s[i] < 0x800 || (s[i] >> 11) == 0x1B ? 2  // a surrogate
                                                             : 3;
        most = std::max(most, bytes);
    }
    return most;
}

const Language kCpp = {"C++", "oracle.cpp",
                       "#include <cstdio>\n#define p(s) (fwrite(s, 1, sizeof(s) - 1, stdout), "
                       "fputs(\"\\r\\n\", stdout))\nint main() {\n",
                       " return 0;\n}\n", "g++ -std=c++17 -w -o oracle oracle.cpp", "./oracle"};
// JSON: the arrays in a file, and a program that prints each joined by LF as p() prints.
const Language kJsonParse = {"JSON.parse", "o.json", "[\n", "]\n", ":", "node read"};
const Language kPythonJson = {"python3 json", "o.json", "[\n", "]\n", ":", "python3 read"};

struct LiteralProof {
    const Language& language;
    Literal form;
    const char* name;
    const char* reader = nullptr;  // for JSON, written as "read"
};

const LiteralProof kLiteralProofs[] = {
    {kJava, Literal::TextBlock, "block"},
    {kJavaScript, Literal::Template, "template"},
    {kCpp, Literal::Raw, "raw"},
    {kJsonParse, Literal::Json, "JSON",
     "const a = JSON.parse(require(\"fs\").readFileSync(\"o.json\", \"utf8\"));\n"
     "process.stdout.write(a.map((l) => l.join(\"\\n\") + \"\\r\\n\")"
     ".join(\"----8<----\\r\\n\"));"},
    {kPythonJson, Literal::Json, "JSON",
     "import json, sys\na = json.load(open(\"o.json\", encoding=\"utf-8\"))\n"
     "sys.stdout.buffer.write(\"----8<----\\r\\n\".join(\"\\n\".join(l) + \"\\r\\n\" for l in a)"
     ".encode())"},
};

// Each text as one literal at the head column, built and run: how many came back exactly; none
// when a raw string has a piece over MSVC's 16,380 bytes.
std::size_t CheckLiteral(const LiteralProof& p, int column, const fs::path& dir) {
    const bool json = p.form == Literal::Json;
    std::u16string literals, values;
    bool fit = true;
    for (const std::u16string& text : LiteralTexts()) {
        const std::u16string literal =
            ConvertLiteral(p.form, text, json ? u"" : u"p(", json ? u"" : u");", column);
        fit = fit && (p.form != Literal::Raw || LongestPiece(literal) <= 16380);
        literals += (values.empty() ? u"" : json ? u"," : u"p(\"----8<----\");\r\n") + literal;
        std::u16string value;  // the lines joined by LF
        for (std::size_t i = 0; i < text.size(); ++i)
            if (text.compare(i, 2, kCRLF) != 0) value += text[i];
        values += (values.empty() ? u"" : u"----8<----\r\n") + value + kCRLF;
    }
    fs::create_directories(dir);
    if (p.reader) std::ofstream(dir / "read") << p.reader;
    return fit ? Exact(dir, p.language, p.name, literals, values, false) : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const fs::path work = argv[1];
    fs::remove_all(work);
    fs::create_directories(work);
    // The VBScript runs get a wine prefix of their own, made anew.
    const std::string wine = std::string(argv[2]) + " " + (work / "wineprefix").string();
    setenv("WINE_RUN", wine.c_str(), 1);
    int failed = !Run(work, "$WINE_RUN --new-prefix >/dev/null");
    std::printf("%-12s %-8s texts read back exactly\n", "language", "escaping");
    int n = 0;
    for (const Promise& p : kPromises) {
        std::size_t tried = 0;
        const std::size_t exact = Check(p, work / std::to_string(++n), tried);
        std::printf("%-12s %-8s %zu of %zu\n", p.language.name, p.form, exact, tried);
        failed += exact != tried;
    }
    Run(work, "$WINE_RUN --end");
    const std::size_t texts = LiteralTexts().size();
    for (const LiteralProof& p : kLiteralProofs) {
        for (const int column : {0, 8}) {
            const std::size_t exact = CheckLiteral(p, column, work / std::to_string(++n));
            std::printf("%-12s %-8s %zu of %zu at head column %d\n", p.language.name, p.name,
                        exact, texts, column);
            failed += exact != texts;
        }
    }
    return failed == 0 ? 0 : 1;
}
