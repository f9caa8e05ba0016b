// kalvex-cli's run in the process, on real files: options and their errors, each command of the
// table against the engine byte for byte, both encodings both ways with their errors, -o, and
// the exit statuses. The same rows run under wine in the Windows build.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/Messages.h"
#include "cli/Run.h"
#include "cli/Text.h"
#include "engine/cp932_table.h"
#include "engine/modCommand.h"

namespace {

using modConvert::Command;
namespace fs = std::filesystem;

struct Result {
    int status;
    std::string out, err;
};

std::string ReadAll(std::FILE* f) {
    std::string s;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
    std::fclose(f);
    return s;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

Result RunCli(const std::vector<std::string>& args, const std::string& input = "",
              std::size_t block = 1 << 16) {
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    const int status = cli::Main(args, {in, out, err, block});
    std::fclose(in);
    return {status, ReadAll(out), ReadAll(err)};
}

std::string Cp932(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text) {
        const std::uint16_t code = modConvert::detail::Cp932Code(c);
        if (code > 0xFF) bytes += static_cast<char>(code >> 8);
        bytes += static_cast<char>(code & 0xFF);
    }
    return bytes;
}

class Cli : public testing::Test {
  protected:
    void SetUp() override { cli::UseJapanese(false); }
};

// Usage and input errors: exit status 2, the message on standard error, nothing written.
TEST_F(Cli, OptionsAndTheirErrors) {
    const struct {
        std::vector<std::string> args;
        std::string message;
    } rows[] = {
        {{"--head-column", "1000"}, "--head-column: input error"},
        {{"--head-column", "1a", "--tail-column", "x"}, "--head-column: input error"},
        {{"--tail-column", "\xEF\xBC\x91"}, "--tail-column: input error"},  // a full-width 1
        {{"--tail-column=-1"}, "--tail-column: input error"},
        {{"--escape", "java"}, "--escape takes no such value: java"},
        {{"--variant", "nope"}, "no such --variant: nope"},
        {{"--variant", "tab"}, "--variant tab needs --escape vb or c"},
        {{"--variant", "joins", "--escape", "none"}, "--variant joins needs --escape vb or c"},
        {{"--reverse", "--check"}, "one command at a time"},
        {{"--reverse=yes"}, "--reverse takes no value"},
        {{"--head"}, "--head needs a value"},
        {{"--bogus"}, "no such option: --bogus"},
        {{"--fail-on", "tabs"}, "no such kind: tabs"},
        {{"--clipboard", "page.html"}, "--clipboard takes no FILE"},
        {{"--head", "\xFF"}, "--head: the value is not valid UTF-8"},
        {{"no-such-file.html"}, "cannot open no-such-file.html"},
    };
    for (const auto& row : rows) {
        const Result r = RunCli(row.args, "a\r\n");
        EXPECT_EQ(r.status, 2) << row.message;
        EXPECT_EQ(r.out, "") << row.message;
        EXPECT_NE(r.err.find("kalvex-cli: " + row.message), std::string::npos) << r.err;
    }
    cli::UseJapanese(true);
    EXPECT_NE(RunCli({"--tail-column", "x"}).err.find("入力エラー: 半角数字を入力してください"),
              std::string::npos);
    // What the window's column fields take: empty, 0, up to three digits with leading zeros.
    EXPECT_EQ(RunCli({"--head-column", "", "--tail-column", "0"}, "a").out, "a\r\n");
    EXPECT_EQ(RunCli({"--head-column=007", "--head", "x"}, "a").out, "       xa\r\n");
}

// Every command of the table, by its name, writes what the engine writes for the same fields,
// read in pieces of any size.
TEST_F(Cli, EachCommandAsTheEngine) {
    const std::u16string text =
        u"<a href=\"x\\y\">表示</a>\r\n\tit's <%= rs(\"n\") %>\r\n\r\n"
        u"out.println(\"b\\\"c\");\r\n?\?= 𠀋 %>";
    const struct {
        modConvert::EscapeMode mode;
        const char* escape;
        std::u16string head, tail;
        const char *hStart, *tStart;
    } fields[] = {
        {modConvert::kEscapeBackslash, "c", u"out.println(\"", u"\");", "", ""},
        {modConvert::kEscapeQuoteDoubling, "vb", u"Response.Write \"", u"\" & vbCrLf _", "4", "60"},
        {modConvert::kEscapeNone, "none", u"", u"", "2", "9"},
    };
    for (const auto& f : fields) {
        for (const modConvert::CommandRow& row : modConvert::kCommands) {
            if (row.needsEscaping && f.mode == modConvert::kEscapeNone) continue;
            std::u16string expected;
            const std::u16string note = modConvert::RunCommand(
                row.command,
                {f.mode, text, f.head, f.tail, static_cast<std::int16_t>(std::atoi(f.hStart)),
                 static_cast<std::int16_t>(std::atoi(f.tStart))},
                [&](std::size_t n) {
                    expected.resize(n);
                    return expected.data();
                });
            const bool found =
                row.command == Command::Check && expected != u"問題は見つかりませんでした。";
            if (row.command == Command::Check) expected += u"\r\n";
            const std::vector<std::string> args = {"--variant",     std::string(row.cliName),
                                                   "--escape",      f.escape,
                                                   "--head",        cli::ToUtf8(f.head),
                                                   "--tail",        cli::ToUtf8(f.tail),
                                                   "--head-column", f.hStart,
                                                   "--tail-column", f.tStart};
            for (const std::size_t block : {std::size_t{1}, std::size_t{7}, std::size_t{1} << 16}) {
                const Result r = RunCli(args, cli::ToUtf8(text), block);
                EXPECT_EQ(r.out, cli::ToUtf8(expected)) << row.cliName << " " << f.escape;
                EXPECT_EQ(r.status, found ? 1 : 0);
                // A note that tells about the run goes to standard error; nothing else does.
                EXPECT_EQ(r.err, note == row.note ? "" : "kalvex-cli: " + cli::ToUtf8(note) + "\n");
            }
        }
    }
}

// The check exits 1 on findings of the kinds named (all by default), and lists them one a line.
TEST_F(Cli, CheckStatusesAndLines) {
    const std::string text = "表\r\na\tb\r\n";
    const struct {
        std::vector<std::string> args;
        int status;
    } rows[] = {
        {{"--check"}, 1},
        {{"--check", "--fail-on", "all"}, 1},
        {{"--check", "--fail-on", "none"}, 0},
        {{"--check", "--fail-on", "tab,trigraph"}, 0},
        {{"--check", "--fail-on", "tab,backslash-byte"}, 1},
        {{"--check", "--tail-column", "20", "--fail-on", "tab"}, 1},
    };
    for (const auto& row : rows) EXPECT_EQ(RunCli(row.args, text).status, row.status);
    EXPECT_EQ(RunCli({"--check"}, "plain\r\n").status, 0);
    const Result lines =
        RunCli({"--check", "--check-format", "lines", "--tail-column", "20", "-"}, text);
    EXPECT_EQ(lines.out,
              "<stdin>:1:1: backslash-byte: 2 バイト目が 0x5C の文字: 「表」 U+8868 (95 5C)\r\n"
              "<stdin>:2:2: tab: タブのある行: U+0009 (09)\r\n");
    EXPECT_EQ(lines.err, "");
}

// Line ends as a paste into the input box makes them; a BOM dropped; LF line ends written.
TEST_F(Cli, LinesAndEncodings) {
    EXPECT_EQ(RunCli({"--head", "x"},
                     "\xEF\xBB\xBF"
                     "a\nb\rc\r\nd\xE2\x80\xA9"
                     "e")
                  .out,
              "xa\r\nxb\r\nxc\r\nxd\r\nxe\r\n");
    EXPECT_EQ(RunCli({"--head", "x", "--eol", "lf"}, "a\r\n").out, "xa\nx\n");
    EXPECT_EQ(RunCli({}, "").out, "");
    // Code page 932 both ways, as Windows decodes it: ED 40 is a code no character encodes to.
    const std::u16string text = u"表示 ｱ\\~ ①\r\n纊";
    const std::string utf8 = RunCli({"--head", "x"}, cli::ToUtf8(text)).out;
    EXPECT_EQ(
        RunCli({"--head", "x", "--from", "cp932"}, Cp932(u"表示 ｱ\\~ ①\r\n") + "\xED\x40").out,
        utf8);
    EXPECT_EQ(RunCli({"--head", "x", "--to", "cp932"}, cli::ToUtf8(text)).out,
              Cp932(u"x表示 ｱ\\~ ①\r\nx纊\r\n"));
}

// What cannot be read or written: the line, the byte offset, exit status 2, at any block size.
TEST_F(Cli, EncodingErrors) {
    const struct {
        std::vector<std::string> args;
        std::string input, message;
    } rows[] = {
        {{}, "a\r\n\xED\xA0\x80", "<stdin>: line 2, byte offset 3: not valid UTF-8"},  // surrogate
        {{}, "ab\r\ncd\xE3\x81", "<stdin>: line 2, byte offset 6: not valid UTF-8"},   // cut short
        {{}, "\xC0\xAF", "<stdin>: line 1, byte offset 0: not valid UTF-8"},           // overlong
        {{}, "\xEF\xBB", "<stdin>: line 1, byte offset 0: not valid UTF-8"},           // half a BOM
        {{"--from", "cp932"}, "x\n\x81\x20", "<stdin>: line 2, byte offset 2: not valid cp932"},
        {{"--from", "cp932"}, "\x85\x40", "<stdin>: line 1, byte offset 0: not valid cp932"},
        {{"--from", "cp932"}, "ab\x81", "<stdin>: line 1, byte offset 2: not valid cp932"},
        {{"--head", "x", "--to", "cp932"},
         "a\r\n\xC2\xA2",
         "output line 2, byte offset 5: U+00A2 cannot be written in cp932"},
        {{"--to", "cp932"}, "\xF0\xA0\x80\x8B", "U+2000B cannot be written in cp932"},
        {{"--reverse", "--escape", "c"},
         "out.print(\"\\uD800\");",
         "output line 1, byte offset 0: U+D800 cannot be written in UTF-8"},
    };
    for (const auto& row : rows) {
        for (const std::size_t block : {std::size_t{1}, std::size_t{1} << 16}) {
            const Result r = RunCli(row.args, row.input, block);
            EXPECT_EQ(r.status, 2) << row.message;
            EXPECT_NE(r.err.find(row.message), std::string::npos) << r.err;
        }
    }
}

// -o replaces the file only once the output is whole: a failure leaves the old one as it was.
TEST_F(Cli, OutputFileKeptOnFailure) {
    const fs::path dir = fs::temp_directory_path() / "kalvex-cli-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string out = (dir / "Page.java").string();
    const std::string page = (dir / "page.html").string();
    std::ofstream(page, std::ios::binary) << "<p>\"a\"</p>\r\n";

    const Result written = RunCli({"--escape", "c", "-o", out, page});
    EXPECT_EQ(written.status, 0);
    EXPECT_EQ(written.out, "");
    EXPECT_EQ(ReadFile(out), "<p>\\\"a\\\"</p>\r\n\r\n");

    std::ofstream(page, std::ios::binary) << "fine\r\n\xFF";
    EXPECT_EQ(RunCli({"-o", out, page}, "", 4).status, 2);
    EXPECT_EQ(ReadFile(out), "<p>\\\"a\\\"</p>\r\n\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);

    EXPECT_EQ(RunCli({"-o", (dir / "none" / "x").string()}, "a").status, 2);
    fs::remove_all(dir);
}

}  // namespace
