#include "engine/modCheck.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <memory>

#include "engine/Line.h"

namespace modConvert {
namespace {

constexpr std::size_t kLimit = 100;            // findings of each problem in a report
constexpr std::size_t kMaxContinuations = 24;  // VB6 and VBA
constexpr std::size_t kMaxLineLength = 1023;   // VB6 and VBA

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c < 0xE000; }

// What an ASCII unit is to the scan: how many marks escaping puts before it, and whether it
// needs a closer look.
constexpr std::uint8_t kMarks = 1;
constexpr std::uint8_t kLook = 2;

std::array<std::uint8_t, 128> AsciiKinds(EscapeMode mode, bool tabs) {
    std::array<std::uint8_t, 128> kinds{};
    for (char16_t c = 0; c < 128; ++c)
        if (line::MarkBefore(mode, c)) kinds[c] = kMarks;
    if (mode == kEscapeBackslash) kinds[u'?'] = kinds[0x7F] = kLook;
    kinds[u'\r'] = kinds[u'%'] = kLook;
    if (tabs) kinds[u'\t'] = kLook;
    return kinds;
}

class Checker {
  public:
    Checker(EscapeMode mode, std::u16string_view head, std::u16string_view tail,
            std::int16_t hStart, std::int16_t tStart, std::size_t limit)
        : mode_(mode),
          head_(head),
          tail_(tail),
          kinds_(AsciiKinds(mode, tStart > 0)),
          limit_(limit),
          prefixWidth_(AnsiByteLength(head) + static_cast<std::int64_t>(line::Count(hStart))),
          indent_(line::Count(hStart)),
          tailColumn_(static_cast<std::int64_t>(line::Count(tStart))),
          continued_(tail.ends_with(u'_')),
          longAt_(continued_ ? kMaxLineLength : std::numeric_limits<std::size_t>::max()),
          literalAt_(mode == kEscapeBackslash ? line::kJavaConstantBytes
                                              : std::numeric_limits<std::size_t>::max()),
          msvcAt_(mode == kEscapeBackslash ? line::kMsvcLiteralBytes : literalAt_) {}

    Findings Check(std::u16string_view text) {
        if (text.empty()) return std::move(found_);
        const char16_t* t = text.data();
        const std::size_t n = text.size();
        StartLine();
        for (std::size_t i = 0; i < n; ++i) {
            const char16_t c = t[i];
            if (c < 0x80) {
                const std::uint8_t kind = kinds_[c];
                if (kind & kLook) {
                    if (c == u'\r' && i + 1 < n && t[i + 1] == u'\n') {
                        EndLine();
                        ++line_;
                        ++i;
                        StartLine();
                        continue;
                    }
                    if (c == u'%' && i > 0 && t[i - 1] == u'<') {
                        const bool marked = i + 1 < n && (t[i + 1] == u'=' || t[i + 1] == u'@');
                        AddAt(width_, text.substr(i - 1, 2 + marked), Problem::ScriptCode);
                        scriptOpen_ = true;
                    } else if (c == u'%' && i + 1 < n && t[i + 1] == u'>') {
                        if (!scriptOpen_) Add(u"%>", Problem::ScriptEnd);
                        scriptOpen_ = false;
                    }
                    if (c == u'\t' && tabs_++ == 0) tabColumn_ = width_ + 1;
                    if (c == u'?' && IsTrigraph(text.substr(i))) {
                        Add(text.substr(i, 3), Problem::Trigraph);
                    }
                    if (c == 0x7F) Add(text.substr(i, 1), Problem::NoCEscape);
                }
                Advance(t + i, 1, 1 + (kind & kMarks), 1 + (kind & kMarks), 1 + (c == 0));
                continue;
            }
            const bool doubleByte = line::Width(c) == 2;
            const bool pair = IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(t[i + 1]);
            const std::u16string_view chars(t + i, pair ? 2 : 1);
            if (doubleByte && mode_ != kEscapeQuoteDoubling && detail::EndsIn5C(c)) {
                Add(chars, Problem::BackslashByte);
            }
            if (mode_ == kEscapeQuoteDoubling && (c == 0x201C || c == 0x201D || c == 0xFF02)) {
                Add(chars, Problem::VbQuote);
            }
            if (detail::IsLossy(c)) Add(chars, Problem::NotInCp932);
            if (mode_ == kEscapeBackslash) CheckForCFamily(chars);
            Advance(t + i, chars.size(), chars.size(), 1 + doubleByte + pair,
                    pair        ? 6
                    : c < 0x800 ? 2
                                : 3);
            i += pair;
        }
        EndLine();
        return std::move(found_);
    }

  private:
    static bool IsTrigraph(std::u16string_view s) {
        return s.size() >= 3 && s[1] == u'?' &&
               std::u16string_view(u"=(/)'<!>-").find(s[2]) != std::u16string_view::npos;
    }

    // A non-ASCII character in a C or Java literal.
    void CheckForCFamily(std::u16string_view chars) {
        const char16_t c = chars[0];
        if (c == 0x2028 || c == 0x2029 || c == 0x85) Add(chars, Problem::LineBreak);
        if (c <= 0x9F || IsHighSurrogate(c) || IsLowSurrogate(c)) Add(chars, Problem::NoCEscape);
    }

    void StartLine() {
        scriptOpen_ = false;
        width_ = prefixWidth_;
        bytes_ = 0;
        utf8_ = 0;
        tabs_ = 0;
        units_ = indent_ + head_.size();
        if (units_ <= longAt_) return;
        // The 1024th character is in the indentation or the head.
        if (longAt_ < indent_)
            return AddAt(static_cast<std::int64_t>(longAt_) + 1, u" ", Problem::LongLine);
        const std::size_t past = longAt_ - indent_;
        AddAt(static_cast<std::int64_t>(indent_) + AnsiByteLength(head_.substr(0, past)) + 1,
              head_.substr(past, 1), Problem::LongLine);
    }

    // Past what is written for the units at p: when the line passes 1023 characters or its
    // literal 65,535 bytes there, notes it at them.
    void Advance(const char16_t* p, std::size_t count, std::size_t written, std::int64_t width,
                 std::size_t bytes) {
        if (units_ <= longAt_ && units_ + written > longAt_) {
            AddAt(width_ + 1, {p, count}, Problem::LongLine);
        }
        if (bytes_ <= literalAt_ && bytes_ + bytes > literalAt_) {
            AddAt(width_ + 1, {p, count}, Problem::LongLiteral);
        }
        // UTF-8 has NUL in one byte and a pair in four, where javac's has two and six.
        const std::size_t utf8 = bytes == 6 ? 4 : *p == 0 ? 1 : bytes;
        if (utf8_ <= msvcAt_ && utf8_ + utf8 > msvcAt_) {
            AddAt(width_ + 1, {p, count}, Problem::MsvcLiteral);
        }
        units_ += written;
        width_ += width;
        bytes_ += bytes;
        utf8_ += utf8;
    }

    void EndLine() {
        if (tabs_ > 0) {
            AddAt(tabColumn_, u"\t", Problem::Tab);
            if (found_.totals[static_cast<std::size_t>(Problem::Tab)] <= limit_) {
                found_.first.back().count = tabs_;
            }
        }
        const std::int64_t filler = line::Filler(width_, tailColumn_);
        const std::int64_t tailColumn = width_ + filler + 1;
        if (tailColumn_ > 0 && !tail_.empty() && width_ >= tailColumn_) {
            AddAt(tailColumn, tail_.substr(0, 1), Problem::TailPastColumn);
        }
        if (!continued_) return;
        const std::size_t length = units_ + static_cast<std::size_t>(filler) + tail_.size();
        if (units_ <= longAt_ && length > longAt_) {
            // The 1024th character is in the filler or the tail.
            const std::size_t past = longAt_ - units_;
            const auto spaces = static_cast<std::size_t>(filler);
            const std::u16string_view chars =
                past < spaces ? std::u16string_view(u" ") : tail_.substr(past - spaces, 1);
            AddAt(past < spaces ? width_ + static_cast<std::int64_t>(past) + 1
                                : tailColumn + AnsiByteLength(tail_.substr(0, past - spaces)),
                  chars, Problem::LongLine);
        }
        if (line_ == kMaxContinuations) {
            AddAt(tailColumn + AnsiByteLength(tail_) - 1, u"_", Problem::LongContinuation);
        }
    }

    void Add(std::u16string_view chars, Problem problem) { AddAt(width_ + 1, chars, problem); }

    void AddAt(std::int64_t column, std::u16string_view chars, Problem problem) {
        if (found_.totals[static_cast<std::size_t>(problem)]++ < limit_) {
            found_.first.push_back(
                {line_ + 1, static_cast<std::size_t>(column), std::u16string(chars), problem});
        }
    }

    EscapeMode mode_;
    std::u16string_view head_;
    std::u16string_view tail_;
    std::array<std::uint8_t, 128> kinds_;
    std::size_t limit_;
    std::int64_t prefixWidth_;  // the indentation's and the head's
    std::size_t indent_;
    std::int64_t tailColumn_;
    bool continued_;         // the tail ends in a VB line continuation
    std::size_t longAt_;     // the most characters a converted line may have
    std::size_t literalAt_;  // the most bytes its literal may have
    std::size_t msvcAt_;     // and in MSVC's UTF-8
    std::size_t line_ = 0;
    std::int64_t width_ = 0;      // of the converted line so far
    std::size_t units_ = 0;       // its characters
    std::size_t bytes_ = 0;       // its text's bytes in javac's UTF-8
    std::size_t utf8_ = 0;        // and in UTF-8
    std::size_t tabs_ = 0;        // its tabs
    std::int64_t tabColumn_ = 0;  // the first one's
    bool scriptOpen_ = false;     // a <% on the line waits for its %>
    Findings found_;
};

std::u16string Ascii(std::string_view s) { return {s.begin(), s.end()}; }

std::u16string Number(std::size_t n) { return Ascii(std::to_string(n)); }

std::u16string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return Ascii(text);
}

// The unit that a code comes back as from code page 932: the one unit with that code that
// comes back as itself.
char16_t FromCp932(std::uint16_t code) {
    static const std::unique_ptr<std::array<char16_t, 65536>> units = [] {
        auto table = std::make_unique<std::array<char16_t, 65536>>();
        table->fill(u'?');
        for (char32_t u = 0; u <= 0xFFFF; ++u) {
            const auto unit = static_cast<char16_t>(u);
            if (!detail::IsLossy(unit)) (*table)[detail::Cp932Code(unit)] = unit;
        }
        return table;
    }();
    return (*units)[code];
}

// 「表」, unless the characters are a control character, a line separator or a lone surrogate.
std::u16string Shown(std::u16string_view chars) {
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const char16_t c = chars[i];
        const bool pair =
            i + 1 < chars.size() && IsHighSurrogate(c) && IsLowSurrogate(chars[i + 1]);
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
        if (control || (!pair && (IsHighSurrogate(c) || IsLowSurrogate(c)))) return {};
        i += pair;
    }
    std::u16string shown(u"「");
    return shown.append(chars).append(u"」 ");
}

// U+8868 (95 5C): the code points, then the bytes code page 932 gives.
std::u16string CodePointsAndBytes(std::u16string_view chars) {
    std::u16string points;
    std::u16string bytes;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const bool pair =
            i + 1 < chars.size() && IsHighSurrogate(chars[i]) && IsLowSurrogate(chars[i + 1]);
        const char32_t point =
            pair ? 0x10000 + ((chars[i] - 0xD800u) << 10) + (chars[i + 1] - 0xDC00u) : chars[i];
        points += (points.empty() ? u"U+" : u" U+") + Hex(point, 4);
        for (std::size_t j = i; j <= i + pair; ++j) {
            const std::uint16_t code = detail::Cp932Code(chars[j]);
            if (!bytes.empty()) bytes += u' ';
            bytes += code > 0xFF ? Hex(code >> 8, 2) + u' ' + Hex(code & 0xFF, 2) : Hex(code, 2);
        }
        i += pair;
    }
    return points + u" (" + bytes + u")";
}

// What the problem is called in the report.
std::u16string_view Name(Problem problem) {
    constexpr std::u16string_view kNames[kProblems] = {
        u"2 バイト目が 0x5C の文字",
        u"VB.NET が引用符と読む文字",
        u"Shift_JIS にない文字",
        u"JSP・ASP のコード (<%= %> <% %> <%@ %>)",
        u"%>",
        u"改行と読まれる文字 (U+2028 U+2029 U+0085)",
        u"三文字表記 (?\?= ?\?/ など)",
        u"65,535 バイトを超える文字列",
        u"C/C++ の \\uXXXX にできない文字",
        u"末尾の桁を越える行",
        u"タブのある行",
        u"24 行を超える行継続",
        u"1023 文字を超える行",
        u"16,380 バイトを超える文字列 (MSVC)",
    };
    return kNames[static_cast<std::size_t>(problem)];
}

// What it does and what to do about it, for the escaping chosen.
std::u16string Advice(Problem problem, EscapeMode mode, std::int16_t tStart) {
    switch (problem) {
        case Problem::BackslashByte:
            return u"ソースを Shift_JIS (Windows-31J) で保存する場合、別の文字コードで読む"
                   u"コンパイラーにはこの 0x5C が \\ に見え、文字列が壊れます。文字コードを指定して"
                   u"コンパイルする (javac -encoding Windows-31J、JSP は <%@ page "
                   u"pageEncoding=\"Windows-31J\" %>) か、編集（非ASCIIを \\uXXXX に）で書いて"
                   u"ください。UTF-8 で保存するソースには関係ありません。";
        case Problem::VbQuote:
            return u"VB.NET はこの文字も引用符と読むため、\" を重ねるだけでは文字列がここで切れ"
                   u"ます。ChrW(&H201C) のように書いてください。";
        case Problem::NotInCp932:
            return u"ソースを Shift_JIS で保存すると、→ の文字 (見つからなければ ?) に変わります。"
                   u"UTF-8 で保存するなら、対になっていないサロゲートのほかは問題ありません。";
        case Problem::ScriptCode:
            return std::u16string(u"編集はこれもただの文字として出力する文字列にします。") +
                   (mode == kEscapeNone ? u"エスケープ処理を選んで、" : u"") +
                   u"編集（<%= 式 %> を連結に）を使うと、<%= 式 %> は値の連結に、<% %> だけの"
                   u"行はそのままのコードになります。";
        case Problem::ScriptEnd:
            if (mode == kEscapeBackslash) {
                return u"JSP のスクリプトレットの中ではそこでスクリプトが終わるため、%\\> と書いて"
                       u"ください。サーブレットの .java ではそのままで構いません。";
            }
            if (mode == kEscapeQuoteDoubling) {
                return u"ASP のスクリプトの中ではそこでスクリプトが終わるため、\"%\" & \">\" と"
                       u"書いてください。";
            }
            return u"JSP や ASP のスクリプトの中に書くときだけ、そこでスクリプトが終わります。JSP "
                   u"では %\\>、ASP では \"%\" & \">\" と書いてください。";
        case Problem::LineBreak:
            return u"C# と古い JavaScript は文字列の中のこの文字を改行と読み、文字列がそこで切れ"
                   u"ます。編集（非ASCIIを \\uXXXX に）で書いてください。Java と C では問題あり"
                   u"ません。";
        case Problem::Trigraph:
            return u"ISO C のモード (gcc -std=c99 など) では三文字表記として別の 1 文字に読まれ"
                   u"ます。C では ?\\? と書いてください。Java、JavaScript、C# では問題ありません。";
        case Problem::LongLiteral:
            return u"javac は UTF-8 で 65,535 バイトを超える文字列定数を受け付けません "
                   u"(constant string too long)。行を分けて書いてください。";
        case Problem::NoCEscape:
            return u"編集（非ASCIIを \\uXXXX に）で書くと、C と C++ のコンパイラーは U+FFFF を"
                   u"超える文字 (サロゲートの \\uD83D など) を、C は U+007F〜U+009F も受け付け"
                   u"ません。C や C++ ではその編集を使わないでください。Java、JavaScript、C# では"
                   u"問題ありません。";
        case Problem::TailPastColumn:
            return u"行が " + Number(line::Count(tStart)) +
                   u" 桁目に届くため、末尾の文字列がそこから始まらず、ほかの行とそろいません。";
        case Problem::Tab:
            return u"タブはここでは 1 桁と数えますが、エディターでは何桁にも広がるため、末尾が"
                   u"そろって見えません。編集（タブを \\t / vbTab に）を使うか、スペースにして"
                   u"ください。";
        case Problem::LongContinuation:
            return u"VB6 や VBA で続けられるのは 24 行までです。";
        case Problem::LongLine:
            return u"VB6 や VBA の 1 行は 1023 文字までです。";
        case Problem::MsvcLiteral:
            return u"MSVC は UTF-8 で 16,380 バイトを超える文字列リテラルを受け付けません (C2026)。"
                   u"行を分けるか、編集（1つのリテラルに）の C++ raw 文字列で書いてください。gcc と "
                   u"clang では問題ありません。";
    }
    return {};
}

// 行 N 桁 C: 「表」 U+8868 (95 5C), with what the character becomes or how many tabs there are.
std::u16string Detail(const Finding& f) {
    std::u16string line = u"行 " + Number(f.line) + u" 桁 " + Number(f.column) + u": " +
                          Shown(f.chars) + CodePointsAndBytes(f.chars);
    if (f.problem == Problem::NotInCp932) {
        const std::u16string becomes =
            f.chars.size() == 2 ? u"??"
                                : std::u16string(1, FromCp932(detail::Cp932Code(f.chars[0])));
        line += u" →「" + becomes + u"」";
    }
    if (f.count > 1) line += u" この行に " + Number(f.count) + u" 個";
    return line;
}

}  // namespace

Findings CheckLines(EscapeMode mode, std::u16string_view text, std::u16string_view head,
                    std::u16string_view tail, std::int16_t hStart, std::int16_t tStart,
                    std::size_t limit) {
    return Checker(mode, head, tail, hStart, tStart, limit).Check(text);
}

std::u16string CheckReport(EscapeMode mode, std::u16string_view text, std::u16string_view head,
                           std::u16string_view tail, std::int16_t hStart, std::int16_t tStart) {
    const Findings found = CheckLines(mode, text, head, tail, hStart, tStart, kLimit);
    std::u16string report;
    for (std::size_t k = 0; k < kProblems; ++k) {
        if (found.totals[k] == 0) continue;
        const auto problem = static_cast<Problem>(k);
        if (!report.empty()) report += u"\r\n";
        report += std::u16string(Name(problem)) + u": " + Number(found.totals[k]) + u" 件。" +
                  Advice(problem, mode, tStart);
    }
    if (report.empty()) return u"問題は見つかりませんでした。";
    for (std::size_t k = 0; k < kProblems; ++k) {
        if (found.totals[k] == 0) continue;
        const auto problem = static_cast<Problem>(k);
        report += u"\r\n\r\n■ " + std::u16string(Name(problem));
        std::size_t shown = 0;
        for (const Finding& f : found.first) {
            if (f.problem != problem) continue;
            report += u"\r\n" + Detail(f);
            ++shown;
        }
        if (found.totals[k] > shown) {
            report += u"\r\nほかに " + Number(found.totals[k] - shown) + u" 件あります。";
        }
    }
    return report;
}

std::u16string_view ProblemName(Problem problem) { return Name(problem); }
std::u16string FindingDetail(const Finding& finding) { return Detail(finding); }

}  // namespace modConvert
