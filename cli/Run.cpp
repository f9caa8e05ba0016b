#include "cli/Run.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "cli/Clipboard.h"
#include "cli/Messages.h"
#include "cli/Options.h"
#include "cli/Stream.h"
#include "cli/System.h"
#include "engine/modCheck.h"
#include "forms/Paste.h"
#include "resources/version.h"

namespace cli {
namespace {

using modConvert::Command;

constexpr std::size_t kSlice = 1 << 16;  // units encoded at a time

std::u16string Utf16(const std::string& s) {
    try {
        return FromUtf8(s);
    } catch (const BadText&) {  // a file name in another encoding: shown byte for byte
        return std::u16string(s.begin(), s.end());
    }
}

std::u16string Number(std::uint64_t n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

// A message or the help: bytes, or text to a Windows console.
void WriteMessage(std::FILE* stream, const std::string& utf8) {
    if (sys::IsConsole(stream)) {
        sys::ToConsole(stream, Utf16(utf8));
    } else {
        std::fwrite(utf8.data(), 1, utf8.size(), stream);
        std::fflush(stream);
    }
}

std::string EncodingName(Encoding encoding) {
    return encoding == Encoding::Utf8 ? "UTF-8" : "cp932";
}

// Standard output, or the file -o names, written beside it and put in its place at the end.
class Output {
  public:
    Output(const std::string& path, std::FILE* standard) : path_(path), file_(standard) {
        if (path.empty()) return;
        file_ = sys::CreateBeside(path, temp_);
        if (!file_) {
            throw Failure{Say("作成できません: ", "cannot create ") + path + ": " +
                          std::strerror(errno)};
        }
    }
    ~Output() {
        if (temp_.empty()) return;
        std::fclose(file_);
        sys::Remove(temp_);
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    std::FILE* file() const { return file_; }

    void Write(const char* bytes, std::size_t n) {
        if (std::fwrite(bytes, 1, n, file_) != n) FailToWrite();
    }

    void Finish() {
        if (std::fflush(file_) != 0 || std::ferror(file_)) FailToWrite();
        if (temp_.empty()) return;
        const std::string temp = std::move(temp_);
        temp_.clear();
        if (std::fclose(file_) != 0 || !sys::Replace(temp, path_)) {
            sys::Remove(temp);
            FailToWrite();
        }
    }

  private:
    [[noreturn]] void FailToWrite() const {
        throw Failure{Say("書き込めません: ", "cannot write ") +
                      (path_.empty() ? Say("標準出力", "standard output") : path_) + ": " +
                      std::strerror(errno)};
    }

    std::string path_;
    std::string temp_;  // while it is being written
    std::FILE* file_;
};

// Encodes the output in slices, or hands it to a Windows console as text.
class Writer {
  public:
    Writer(Output& out, const Options& o)
        : out_(out), encoder_(o.to, o.lf), console_(sys::IsConsole(out.file())) {}

    void Put(std::u16string_view text) {
        if (console_) return sys::ToConsole(out_.file(), text);
        while (!text.empty()) {
            std::size_t n = std::min(text.size(), kSlice);
            // A slice ends neither inside a surrogate pair nor inside a CR LF.
            const char16_t last = text[n - 1];
            if (n < text.size() && (last == u'\r' || (last >= 0xD800 && last < 0xDC00))) --n;
            if (bytes_.size() < 3 * n) bytes_.resize(3 * n);
            const char* end = encoder_.Encode(text.data(), text.data() + n, bytes_.data());
            out_.Write(bytes_.data(), end - bytes_.data());
            text.remove_prefix(n);
        }
    }

  private:
    Output& out_;
    Encoder encoder_;
    bool console_;
    std::vector<char> bytes_;
};

// What a command given its text whole makes of it.
struct Produced {
    std::u16string text;
    std::u16string note;
    int status = 0;
};

// The check's findings one a line, as compilers write theirs, and how many more of a kind
// there were than the report lists.
std::u16string FindingLines(const modConvert::Findings& found, const std::u16string& file) {
    std::u16string lines;
    std::array<std::size_t, modConvert::kProblems> listed{};
    for (const modConvert::Finding& f : found.first) {
        const std::string_view kind = KindName(f.problem);
        std::u16string detail = modConvert::FindingDetail(f);
        detail.erase(0, detail.find(u": ") + 2);  // the line and column go first
        lines += file + u":" + Number(f.line) + u":" + Number(f.column) + u": " +
                 std::u16string(kind.begin(), kind.end()) + u": " +
                 std::u16string(modConvert::ProblemName(f.problem)) + u": " + detail + u"\r\n";
        ++listed[static_cast<std::size_t>(f.problem)];
    }
    for (std::size_t k = 0; k < modConvert::kProblems; ++k) {
        if (found.totals[k] == listed[k]) continue;
        const std::string_view kind = KindName(static_cast<modConvert::Problem>(k));
        lines += file + u": " + std::u16string(kind.begin(), kind.end()) + u": ほかに " +
                 Number(found.totals[k] - listed[k]) + u" 件あります。\r\n";
    }
    return lines;
}

Produced RunWhole(const Options& o, std::u16string_view text, const std::u16string& file) {
    Produced p;
    if (o.command == Command::Check) {
        const modConvert::Findings found =
            modConvert::CheckLines(o.mode, text, o.head, o.tail, o.hStart, o.tStart);
        for (std::size_t k = 0; k < modConvert::kProblems; ++k)
            if (found.totals[k] > 0 && o.failOn[k]) p.status = 1;
        if (o.findingLines) {
            p.text = FindingLines(found, file);
            return p;
        }
    }
    p.note = modConvert::RunCommand(o.command, {o.mode, text, o.head, o.tail, o.hStart, o.tStart},
                                    [&p](std::size_t n) {
                                        p.text.resize(n);
                                        return p.text.data();
                                    });
    return p;
}

// A note that tells about this run (逆変換's numbers) goes to standard error.
void TellNote(const Options& o, const Produced& p, const std::string& file, const Io& io) {
    if (p.note.empty() || p.note == modConvert::RowOf(o.command).note) return;
    WriteMessage(io.err,
                 "kalvex-cli: " + (file.empty() ? "" : file + ": ") + ToUtf8(p.note) + "\n");
}

[[noreturn]] void FailOn(const BadText& bad, const std::string& file, const Options& o) {
    const std::string line = std::to_string(bad.line);
    const std::string offset = std::to_string(bad.offset);
    if (bad.character == 0) {
        const std::string code = EncodingName(o.from);
        throw Failure{file + ": " +
                      (Japanese()
                           ? line + " 行目 (バイト位置 " + offset + "): " + code +
                                 " として正しくないバイト列です"
                           : "line " + line + ", byte offset " + offset + ": not valid " + code)};
    }
    char point[16];
    std::snprintf(point, sizeof point, "U+%04X", static_cast<unsigned>(bad.character));
    const std::string code = EncodingName(o.to);
    throw Failure{Japanese() ? "出力の " + line + " 行目 (バイト位置 " + offset + "): " + point +
                                   " は " + code + " で書けません"
                             : "output line " + line + ", byte offset " + offset + ": " + point +
                                   " cannot be written in " + code};
}

int RunOnFiles(const Options& o, const Io& io) {
    Output output(o.output, io.out);
    Writer writer(output, o);
    const modConvert::CommandRow& row = modConvert::RowOf(o.command);
    std::vector<std::string> files = o.files;
    if (files.empty()) files.push_back("-");
    int status = 0;
    for (const std::string& file : files) {
        const bool standard = file == "-";
        const std::string name = standard ? "<stdin>" : file;
        std::FILE* in = standard ? io.in : sys::OpenToRead(file);
        if (!in)
            throw Failure{Say("開けません: ", "cannot open ") + file + ": " + std::strerror(errno)};
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(standard ? nullptr : in,
                                                                     std::fclose);
        const Read read = [in, &name](char* bytes, std::size_t n) {
            const std::size_t got = std::fread(bytes, 1, n, in);
            if (got == 0 && std::ferror(in)) {
                throw Failure{Say("読めません: ", "cannot read ") + name + ": " +
                              std::strerror(errno)};
            }
            return got;
        };
        Decoder decoder(o.from);
        try {
            if (row.byLine) {
                RunByLine(
                    o.command, {o.mode, {}, o.head, o.tail, o.hStart, o.tStart}, decoder, read,
                    [&writer](std::u16string_view text) { writer.Put(text); }, io.block);
                continue;
            }
            Produced p = RunWhole(o, ReadWhole(decoder, read, io.block), Utf16(name));
            // The report is for reading: it ends its last line.
            if (o.command == Command::Check && !o.findingLines) p.text += u"\r\n";
            writer.Put(p.text);
            TellNote(o, p, standard ? "" : name, io);
            status = std::max(status, p.status);
        } catch (const BadText& bad) {
            FailOn(bad, name, o);
        }
    }
    output.Finish();
    return status;
}

// As 編集 (or the command) in the window, the text pasted from the clipboard and the result
// copied back with Ctrl+C.
int RunOnClipboard(const Options& o, const Io& io) {
    const std::u16string text = forms::WithCrLf(ReadClipboard());
    const Produced p = RunWhole(o, text, Utf16(Say("クリップボード", "clipboard")));
    TellNote(o, p, "", io);
    WriteClipboard(p.text);
    return p.status;
}

std::string Version() {
    return "kalvex-cli (" + std::string(reinterpret_cast<const char*>(KALVEX_PRODUCT_NAME)) + ") " +
           std::to_string(KALVEX_VERSION_MAJOR) + "." + std::to_string(KALVEX_VERSION_MINOR) + "." +
           std::to_string(KALVEX_VERSION_REVISION) + "\n" +
           reinterpret_cast<const char*>(KALVEX_LEGAL_COPYRIGHT) + "\n";
}

}  // namespace

int Main(const std::vector<std::string>& args, const Io& io) {
    try {
        const Options o = ParseOptions(args);
        if (o.help) {
            WriteMessage(io.out, HelpText());
            return 0;
        }
        if (o.version) {
            WriteMessage(io.out, Version());
            return 0;
        }
        return o.clipboard ? RunOnClipboard(o, io) : RunOnFiles(o, io);
    } catch (const Failure& failure) {
        WriteMessage(io.err, "kalvex-cli: " + failure.message + "\n");
    } catch (const std::bad_alloc&) {
        WriteMessage(io.err, "kalvex-cli: " + TooLarge() + "\n");
    } catch (const BadText&) {  // a note that UTF-8 cannot hold
        WriteMessage(
            io.err,
            "kalvex-cli: " + Say("書けない文字があります", "a character cannot be written") + "\n");
    }
    return 2;
}

}  // namespace cli
