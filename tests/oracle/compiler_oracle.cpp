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
    const std::string_view before = language.before, after = language.after;  // ASCII
    const std::u16string source = std::u16string(before.begin(), before.end()) + converted +
                                  std::u16string(after.begin(), after.end());
    fs::create_directories(dir);
    std::ofstream(dir / "src", std::ios::binary)
        .write(reinterpret_cast<const char*>(source.data()), 2 * source.size());
    const std::string code = vbs ? "CP932" : "UTF-8", printed = vbs ? "UTF-16LE" : "UTF-8";
    if (!Run(dir, "iconv -f UTF-16LE -t " + code + " src > " + language.file) ||
        !Run(dir, language.build + " && " + language.run + " > out8") ||
        !Run(dir, "iconv -f " + printed + " -t UTF-16LE out8 > out")) {
        std::fprintf(stderr, "%s, %s: did not build or run; see %s/log\n", language.name, p.form,
                     dir.c_str());
        return 0;
    }
    std::ifstream in(dir / "out", std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    std::u16string out(bytes.size() / 2, u'\0');
    std::memcpy(out.data(), bytes.data(), 2 * out.size());  // UTF-16LE on this little-endian host
    const auto wanted = Split(Expected(whole, converted, p.tail.size()), kMarker);
    const auto got = Split(out, kMarker);
    std::size_t exact = 0;
    for (std::size_t k = 0; k < wanted.size(); ++k) {
        const bool same = k < got.size() && got[k] == wanted[k] && bytes.size() % 2 == 0;
        if (!same)
            std::fprintf(stderr, "%s, %s: text %zu printed otherwise\n", language.name, p.form,
                         k + 1);
        exact += same;
    }
    return exact;
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
    return failed == 0 ? 0 : 1;
}
