#include "engine/modReverse.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "engine/Line.h"
#include "engine/Statement.h"

namespace modConvert {
namespace {

using line::kCRLF;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view TrimStart(std::u16string_view s) {
    return s.substr(std::min(s.find_first_not_of(u" \t"), s.size()));
}

// The text with every line ended by CR LF (one is added after a last line without it), and
// where each line ends.
class Lines {
  public:
    explicit Lines(std::u16string_view text) : text_(text) {
        if (!text_.ends_with(kCRLF)) text_ = owned_.append(text).append(kCRLF);
        for (std::size_t at = 0; at < text_.size(); at = ends_.back() + 2) {
            ends_.push_back(text_.find(kCRLF, at));
        }
    }
    Lines(const Lines&) = delete;
    Lines& operator=(const Lines&) = delete;

    std::u16string_view text() const { return text_; }
    std::size_t size() const { return ends_.size(); }
    std::size_t Start(std::size_t k) const { return k == 0 ? 0 : ends_[k - 1] + 2; }
    std::size_t End(std::size_t k) const { return ends_[k]; }
    std::u16string_view Line(std::size_t k) const {
        return text_.substr(Start(k), End(k) - Start(k));
    }
    // The first line whose CR LF starts at or after at.
    std::size_t EndingFrom(std::size_t at) const {
        return static_cast<std::size_t>(std::lower_bound(ends_.begin(), ends_.end(), at) -
                                        ends_.begin());
    }

  private:
    std::u16string owned_;
    std::u16string_view text_;
    std::vector<std::size_t> ends_;  // the CR of each line's CR LF
};

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// \uXXXX at the start of s, or nothing.
std::optional<char16_t> ReadUnicodeEscape(std::u16string_view s) {
    if (s.size() < 6) return std::nullopt;
    unsigned value = 0;
    for (std::size_t i = 2; i < 6; ++i) {
        const int digit = HexValue(s[i]);
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<unsigned>(digit);
    }
    return static_cast<char16_t>(value);
}

bool IsJoin(EscapeMode mode, char16_t c) {
    return (mode == kEscapeBackslash && c == u'+') || (mode == kEscapeQuoteDoubling && c == u'&');
}

// Where the value starting at i ends: at a join, an unmatched closing bracket, a ; or a , at the
// outer level, or at the end. Literals, parentheses and brackets inside it are skipped whole; npos
// when one of them does not close, so that a value is never cut inside one.
std::size_t ValueEnd(EscapeMode mode, std::u16string_view s, std::size_t i) {
    int depth = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c == u'"' || (mode == kEscapeBackslash && c == u'\'')) {
            for (++i; i < s.size() && s[i] != c; ++i) {
                if (mode == kEscapeBackslash && s[i] == u'\\') ++i;
            }
            if (i >= s.size()) return s.npos;
        } else if (c == u'(' || c == u'[') {
            ++depth;
        } else if (c == u')' || c == u']') {
            if (depth == 0) return i;
            --depth;
        } else if (depth == 0 && (c == u';' || c == u',' || IsJoin(mode, c))) {
            return i;
        }
    }
    return depth == 0 ? s.size() : s.npos;
}

std::u16string_view TrimBlanks(std::u16string_view s) {
    s = TrimStart(s);
    return s.substr(0, s.find_last_not_of(u" \t") + 1);
}

// After a closing quote at i: joins and values up to the next opening quote (its index is
// returned) or to the end of s; nothing when this is not a join.
std::optional<std::size_t> ReadJoins(EscapeMode mode, char16_t quote, std::u16string_view s,
                                     std::size_t i, statement::Sink& sink) {
    for (;;) {
        while (i < s.size() && IsBlank(s[i])) ++i;
        if (i == s.size()) return s.size();
        if (!IsJoin(mode, s[i])) return std::nullopt;
        std::size_t start = i + 1;
        while (start < s.size() && IsBlank(s[start])) ++start;
        if (start < s.size() && s[start] == quote) return start;
        const std::size_t end = ValueEnd(mode, s, start);
        if (end == s.npos || (end < s.size() && !IsJoin(mode, s[end]))) return std::nullopt;
        const std::u16string_view value = TrimBlanks(s.substr(start, end - start));
        // A literal is no value of its own ("a".trim(), or one in other quotes).
        if (value.starts_with(u'"') || value.starts_with(u'\'')) return std::nullopt;
        // VB's _ at the line's end continues the statement on the next line: not a value.
        const bool continued = mode == kEscapeQuoteDoubling && value == u"_" && end == s.size();
        if (value.empty() || continued) return std::nullopt;
        statement::PutValue(mode, value, sink);
        i = end;
    }
}

// Reads an escaped body back (quoted with quote), into out when given; false when it is not one
// the mode writes or reads. A body the join item began with a value (the head's quote left out)
// is not opened: one value, a join and the literal start it; one it ended with a value (the
// tail's quote left out) is not closed: it ends with a value. A value alone is neither.
// How a body is quoted: with " or ', PHP's single quotes reading only \\ and \', and PHP's
// values written <?= ?>; whether the head's and the tail's quotes were there.
struct Quoting {
    char16_t quote = u'"';
    bool singleRules = false;
    bool php = false;
    bool opened = true;
    bool closed = true;
};

bool Unescape(EscapeMode mode, std::u16string_view s, std::u16string* out, const Quoting& q = {},
              Reversed* counts = nullptr) {
    const char16_t quote = q.quote;
    const bool opened = q.opened;
    const bool closed = q.closed;
    const bool joins = mode == kEscapeBackslash || mode == kEscapeQuoteDoubling;
    std::u16string led;
    if (!opened) {
        if (!joins) return false;
        led.append({quote, mode == kEscapeBackslash ? u'+' : u'&'}).append(s);
        s = led;
    }
    statement::Sink sink{out, q.php};
    sink.dropLeading = true;  // a line break first ends the line before
    const bool apostrophe = mode == kEscapeBackslash && q.singleRules;
    bool inLiteral = true;
    for (std::size_t i = 0; i < s.size();) {
        const char16_t c = s[i];
        const char16_t next = i + 1 < s.size() ? s[i + 1] : u'\0';
        if (apostrophe && c == u'\\' && (next == u'\\' || next == u'\'')) {
            sink.Put(next);
            i += 2;
        } else if (mode == kEscapeBackslash && c == u'\\' && !apostrophe) {
            const auto unit = next == u'u' ? ReadUnicodeEscape(s.substr(i)) : std::nullopt;
            constexpr std::u16string_view kSame = u"\\\"'/";
            constexpr std::u16string_view kNamed = u"tbf0";
            constexpr std::u16string_view kMeant = u"\t\b\f";
            if (kSame.find(next) != kSame.npos && next != u'\0') {
                sink.Put(next);
            } else if (kNamed.find(next) != kNamed.npos && next != u'\0') {
                sink.Put(next == u'0' ? u'\0' : kMeant[kNamed.find(next)]);
            } else if (next == u'n' || next == u'r') {
                sink.Break(next == u'r', next == u'n');
            } else if (unit) {
                sink.Put(*unit);
                i += 4;
            } else {
                return false;
            }
            i += 2;
        } else if (mode == kEscapeQuoteDoubling && c == u'"' && next == u'"') {
            sink.Put(u'"');
            i += 2;
        } else if (joins && c == quote) {
            const std::size_t before = sink.values;
            const auto resumed = ReadJoins(mode, quote, s, i + 1, sink);
            if (!resumed) return false;
            inLiteral = *resumed != s.size();
            // A value alone was written bare: neither quote there.
            if (i == 0 && !opened && (sink.values != before + 1 || (!inLiteral && closed)))
                return false;
            i = inLiteral ? *resumed + 1 : s.size();
        } else {
            sink.Put(c);
            ++i;
        }
    }
    if (!closed && inLiteral) return false;
    sink.End();
    if (counts) {
        counts->values += sink.values;
        counts->lineEnds += sink.lineEnd;
    }
    return true;
}

// One converted line as read: where its body is, and the line after it.
struct Record {
    std::size_t body = 0;
    std::size_t bodyEnd = 0;
    std::size_t next = 0;
    bool irregular = false;  // not as the converter writes: indentation, blanks after the tail, or
                             // a tail short of its column
    bool opened = true;      // the head's quote was there
    bool closed = true;      // the tail's quote was there
    bool literal = false;    // a literal form's, whole: its body the literal
};

class Reader {
  public:
    // forms: a literal form may follow the head (see LiteralForm).
    Reader(const statement::Dialect& dialect, const Lines& lines, std::u16string_view head,
           std::u16string_view tail, std::size_t indent, std::size_t tailColumn, bool forms)
        : forms_(forms),
          mode_(dialect.mode),
          php_(dialect.php),
          lines_(lines),
          text_(lines.text()),
          head_(head),
          tail_(tail),
          ended_(std::u16string(tail) + std::u16string(kCRLF)),
          indent_(indent),
          tailColumn_(tailColumn),
          firstBreak_(ended_.find(kCRLF)),
          quote_(mode_ == kEscapeBackslash && head.ends_with(u'\'') ? u'\'' : u'"') {
        for (std::size_t at = tail.find(kCRLF); at != tail.npos; at = tail.find(kCRLF, at + 2)) {
            ++tailBreaks_;
        }
    }

    // The ways a converted line can start at line a, at most two into out: the exact ones first.
    std::size_t Match(std::size_t a, Record* out) const {
        const std::size_t start = lines_.Start(a);
        bool irregular = false;
        const std::optional<std::size_t> body = AfterHead(start, irregular);
        if (!body) return 0;
        const std::size_t k = lines_.EndingFrom(*body);
        if (k == lines_.size()) return 0;
        // The body holds no CR LF: the first one after the head is the tail's first (or its
        // end), or, when the tail starts with LF, the body's last CR and the tail's LF.
        const std::size_t end = lines_.End(k);
        std::size_t n = 0;
        bool tailFound = false;
        const auto exact = [&](std::size_t at, std::size_t next) {
            if (at < *body || !text_.substr(at).starts_with(ended_)) return;
            tailFound = true;
            n += Finish(start, *body, at, next, irregular, out[n]);
        };
        if (end >= firstBreak_) exact(end - firstBreak_, k + tailBreaks_ + 1);
        if (tail_.starts_with(u'\n')) exact(end + 1, k + tailBreaks_ + 2);
        if (tailFound || k + tailBreaks_ >= lines_.size()) return n;
        // Blanks after the tail, on the line where the tail ends: an editor may have trimmed
        // the tail's own.
        std::size_t last = lines_.End(k + tailBreaks_);
        while (last > *body && IsBlank(text_[last - 1])) --last;
        const std::u16string_view tail = tail_.substr(0, tail_.find_last_not_of(u" \t") + 1);
        if (last - *body >= tail.size() && text_.substr(0, last).ends_with(tail)) {
            n += Finish(start, *body, last - tail.size(), k + tailBreaks_ + 1, true, out[n]);
        }
        return n;
    }

    // The line at a as the join item writes one that starts or ends with a value: without the
    // head's closing quote, or without the tail's opening one. Heads and tails of one line only.
    bool MatchJoined(std::size_t a, Record& out) const {
        const bool joins = mode_ == kEscapeBackslash || mode_ == kEscapeQuoteDoubling;
        if (!joins || head_.find_first_of(u"\r\n") != head_.npos ||
            tail_.find_first_of(u"\r\n") != tail_.npos)
            return false;
        const std::size_t start = lines_.Start(a);
        const std::size_t end = lines_.End(a);
        for (const bool opened : {true, false}) {
            if (!opened && !head_.ends_with(quote_)) continue;
            bool irregular = false;
            const auto body = AfterHead(start, head_.substr(0, head_.size() - !opened), irregular);
            if (!body || *body > end) continue;
            for (const bool closed : {true, false}) {
                if ((opened && closed) || (!closed && !tail_.starts_with(quote_))) continue;
                std::u16string_view tail = tail_.substr(!closed);
                std::size_t last = end;
                if (!text_.substr(0, last).ends_with(tail)) {  // blanks after the tail
                    while (last > *body && IsBlank(text_[last - 1])) --last;
                    tail = tail.substr(0, tail.find_last_not_of(u" \t") + 1);
                    irregular = true;
                }
                if (last - *body < tail.size() || !text_.substr(0, last).ends_with(tail)) continue;
                if (Finish(start, *body, last - tail.size(), a + 1, irregular, out, opened, closed))
                    return true;
            }
        }
        return false;
    }

    // The lines from a as a literal form writes them: the head, the literal whole, the tail. A
    // line that 編集 could have written so too (`a` after a head) is taken for the literal; a
    // template the head tags is not read.
    bool MatchLiteral(std::size_t a, Record& out) const {
        bool irregular = false;
        auto body = forms_ ? AfterHead(lines_.Start(a), irregular) : std::nullopt;
        if (!body) return false;
        for (; *body < text_.size() && IsBlank(text_[*body]); ++*body) irregular = true;
        if (text_.substr(*body).starts_with(u'`') && statement::TagsTemplate(head_)) return false;
        const auto length = statement::LiteralForm(text_.substr(*body), nullptr, nullptr);
        if (!length || !text_.substr(*body + *length).starts_with(ended_)) return false;
        const std::size_t end = *body + *length;
        out = {*body, end, lines_.EndingFrom(end + tail_.size()) + 1, irregular};
        out.literal = true;
        return true;
    }

    // Every way a converted line can start at line a, the literal forms' and the exact ones first.
    // (A line the converter wrote with both quotes does not also read without one.)
    std::size_t Matches(std::size_t a, Record (&out)[3]) const {
        const std::size_t n = MatchLiteral(a, out[0]);
        const std::size_t exact = Match(a, out + n);
        return n + (exact > 0 ? exact : MatchJoined(a, out[n]));
    }

    void Put(const Record& r, std::u16string& out, Reversed& counts) const {
        if (r.literal) {
            statement::LiteralForm(text_.substr(r.body), &out, &counts.values);
            return;
        }
        Unescape(mode_, text_.substr(r.body, r.bodyEnd - r.body), &out,
                 QuotingOf(r.opened, r.closed), &counts);
    }

  private:
    // A head ending with ' quotes with ': in PHP its single quotes, elsewhere (JavaScript) with
    // the backslash escapes of double quotes.
    Quoting QuotingOf(bool opened, bool closed) const {
        return {quote_, php_ && quote_ == u'\'', php_, opened, closed};
    }

    // A body PHP's double quotes read as the converter wrote it: no $name or {$ to fill in, and
    // no escape of C's that PHP keeps as it stands (\', \/, \b, \0, \u).
    static bool PhpPlain(std::u16string_view s) {
        const auto nameStart = [](char16_t c) {
            return c == u'_' || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c >= 0x80;
        };
        for (std::size_t i = 0; i + 1 < s.size(); ++i) {
            const char16_t c = s[i];
            const char16_t next = s[i + 1];
            if (c == u'\\' && std::u16string_view(u"\\\"nrtf").find(next) == s.npos) return false;
            if ((c == u'$' && (nameStart(next) || next == u'{')) || (c == u'{' && next == u'$'))
                return false;
            i += c == u'\\';
        }
        return true;
    }

    // Where the body starts, after the indentation and the head.
    std::optional<std::size_t> AfterHead(std::size_t start, bool& irregular) const {
        return AfterHead(start, head_, irregular);
    }
    std::optional<std::size_t> AfterHead(std::size_t start, std::u16string_view typed,
                                         bool& irregular) const {
        const std::u16string_view rest = text_.substr(start);
        if (rest.find_first_not_of(u' ') >= indent_ && rest.substr(indent_).starts_with(typed)) {
            return start + indent_ + typed.size();
        }
        const std::u16string_view head = TrimStart(typed);
        const std::u16string_view line = TrimStart(rest);
        if (!line.starts_with(head)) return std::nullopt;
        irregular = true;
        return text_.size() - line.size() + head.size();
    }

    // The record with its tail at tailAt, if its body reads back.
    bool Finish(std::size_t start, std::size_t body, std::size_t tailAt, std::size_t next,
                bool irregular, Record& r, bool opened = true, bool closed = true) const {
        std::size_t bodyEnd = tailAt;
        // A line is at least as wide as its units: most need no measuring.
        const std::u16string_view before = text_.substr(start, tailAt - start);
        const std::int64_t column =
            (before.size() < tailColumn_ ? AnsiByteLength(before)
                                         : static_cast<std::int64_t>(before.size())) +
            1;
        const auto target = static_cast<std::int64_t>(tailColumn_);
        if (column == target) {
            while (bodyEnd > body && text_[bodyEnd - 1] == u' ') --bodyEnd;
        }
        // A head ending with ' reads its literal as single-quoted only when it does not read as
        // the converter writes it.
        const std::u16string_view s = text_.substr(body, bodyEnd - body);
        if (php_ && quote_ == u'"' && !PhpPlain(s)) return false;
        if (!Unescape(mode_, s, nullptr, QuotingOf(opened, closed))) return false;
        // The converter never leaves a tail short of its column.
        r = {body, bodyEnd, next, irregular || column < target, opened, closed};
        return true;
    }

    bool forms_;
    EscapeMode mode_;
    bool php_;
    const Lines& lines_;
    std::u16string_view text_;
    std::u16string_view head_;
    std::u16string_view tail_;
    std::u16string ended_;  // the tail and CR LF
    std::size_t indent_;
    std::size_t tailColumn_;
    std::size_t firstBreak_;      // where the first CR LF of ended_ is
    std::size_t tailBreaks_ = 0;  // CR LFs in the tail
    char16_t quote_;              // what the literals are quoted with
};

bool IsBlankLine(std::u16string_view line) { return TrimStart(line).empty(); }

// Kept lines, then irregular records, fewest first; and how line a is read on that way.
struct Way {
    std::size_t kept = 0;
    std::size_t irregular = 0;
    int choice = -1;  // the record Match gives at that index, or -1 to keep the line
    bool operator<(const Way& o) const {
        return std::pair(kept, irregular) < std::pair(o.kept, o.irregular);
    }
};

// The lines inside a /* */ comment of C, Java or JavaScript, after a line that opens it, which no
// line the head starts does. Not with a head or tail of several lines, whose lines the converter
// may start with anything.
std::vector<bool> InBlockComments(const statement::Dialect& dialect, const Lines& lines,
                                  std::u16string_view head, std::u16string_view tail,
                                  const std::vector<bool>& inLiteral) {
    std::vector<bool> commented(lines.size());
    const bool oneLine = head.find_first_of(u"\r\n") == head.npos &&
                         tail.find_first_of(u"\r\n") == tail.npos;
    if (dialect.mode != kEscapeBackslash || !oneLine || TrimStart(head).empty()) return commented;
    bool open = false;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::u16string_view line = lines.Line(k);
        if (open) {
            commented[k] = true;
            open = line.find(u"*/") == line.npos;
        } else if (!inLiteral[k] && !TrimStart(line).starts_with(TrimStart(head))) {
            open = statement::CommentOf(dialect, line) == statement::Comment::Opens;
        }
    }
    return commented;
}

// The lines inside a literal spanning lines (a text block, a template, a raw string), after the
// line that opens it: none of them is read on its own. A line the head starts (every line, with
// the head empty) opens one only right after the head, where the forms may follow it, so that
// what 編集 wrote after a head is not taken for code; the others are walked as C, Java or
// JavaScript. Not with a head or tail of several lines, whose lines the converter may start with
// anything.
std::vector<bool> InLiterals(EscapeMode mode, const Lines& lines, std::u16string_view head,
                             std::u16string_view tail, bool forms) {
    std::vector<bool> inside(lines.size());
    const bool oneLine =
        head.find_first_of(u"\r\n") == head.npos && tail.find_first_of(u"\r\n") == tail.npos;
    if (mode != kEscapeBackslash || !oneLine) return inside;
    const statement::Dialect c{kEscapeBackslash, false};
    const std::u16string_view h = TrimStart(head);
    statement::Spanning open;
    bool afterRaw = false;  // a raw string ended the line before: the next piece goes on with it
    for (std::size_t k = 0; k < lines.size(); ++k) {
        std::u16string_view line = lines.Line(k);
        inside[k] = !open.empty() || (afterRaw && statement::JoinsRaw(line));
        afterRaw = false;
        if (!inside[k] && TrimStart(line).starts_with(h)) {
            line = TrimStart(line).substr(h.size());
            if (!forms || !statement::StartsLiteral(line)) continue;
        }
        afterRaw = statement::Carry(c, line, open);
    }
    return inside;
}

// Whether a literal form may stand between head and tail: with the C/Java option, a head that
// ends outside any literal and comment, and a tail that opens no literal of several lines (after
// a line 編集 wrote of an empty line, it would seem to).
bool FormsAfter(EscapeMode mode, std::u16string_view head, std::u16string_view tail) {
    statement::Spanning afterTail;
    statement::Carry({kEscapeBackslash, false}, tail, afterTail);
    return mode == kEscapeBackslash && statement::EndsInCode(head) && afterTail.empty();
}

// A text that is one literal form alone (blank lines around it allowed), read as that literal
// when both fields are empty: the form's output with no head and tail. Not a text block alone,
// which may be C#'s raw string.
bool ReadWholeLiteral(EscapeMode mode, const Lines& lines, Reversed& r) {
    std::size_t a = 0;
    while (a < lines.size() && IsBlankLine(lines.Line(a))) ++a;
    if (mode != kEscapeBackslash || a == lines.size()) return false;
    const std::u16string_view text = lines.text();
    const std::size_t body = lines.End(a) - TrimStart(lines.Line(a)).size();
    if (text.substr(body).starts_with(u"\"\"\"")) return false;
    const auto length = statement::LiteralForm(text.substr(body), nullptr, nullptr);
    if (!length) return false;
    const std::size_t b = lines.EndingFrom(body + *length);
    if (!IsBlankLine(text.substr(body + *length, lines.End(b) - body - *length))) return false;
    for (std::size_t k = b + 1; k < lines.size(); ++k) {
        if (!IsBlankLine(lines.Line(k))) return false;
    }
    statement::LiteralForm(text.substr(body), &r.text, &r.values);
    r.read = b + 1 - a;
    r.dropped = lines.size() - r.read;
    return true;
}

// A statement read on its own may span this many lines at most, but for a literal's lines.
constexpr std::size_t kStatementLines = 100;

bool AnyPhp(const Lines& lines, std::u16string_view head) {
    if (statement::LooksLikePhp(head)) return true;
    for (std::size_t k = 0; k < lines.size(); ++k)
        if (statement::LooksLikePhp(lines.Line(k))) return true;
    return false;
}

// Writes the result: lines read exactly, statements read on their own, and code kept as it was.
class Writer {
  public:
    // target: what statements read on their own must build, as a typed head names it; none, with
    // the fields empty: what most of them build.
    Writer(const statement::Dialect& dialect, const Lines& lines, Reversed& r,
           const std::optional<statement::Reading>& head, bool guess)
        : d_(dialect), lines_(lines), r_(r), guess_(guess) {
        if (head) {
            target_ = head->target;
            appends_ = head->appends;
        }
    }

    // The start of a line of the result.
    std::u16string& Line() {
        if (!first_) r_.text += kCRLF;
        first_ = false;
        return r_.text;
    }

    // Lines [from, to) not read exactly: blank lines dropped, comments kept, each statement (its
    // lines joined where one continues) read on its own where it builds the page's target, so
    // that a variable set beside the page (String title = "...") stays code; the others kept.
    void Statements(std::size_t from, std::size_t to) {
        const std::vector<Piece> pieces = Pieces(from, to);
        if (guess_ && !target_) Guess(pieces);
        for (const Piece& piece : pieces) {
            if (piece.blank) {
                ++r_.dropped;
            } else if (piece.reading && target_ && piece.reading->target == *target_) {
                // Where the page is built by appends, an assignment that starts it afresh says so.
                if (appends_ && !piece.reading->fresh.empty()) Fresh(piece);
                Line() += piece.reading->text;
                r_.read += LinesRead(piece);
                r_.values += piece.reading->values;
                r_.lineEnds += piece.reading->lineEnd;
            } else {
                Keep(piece.from, piece.to);
            }
        }
    }

    // Only the tail typed, no head to name the page: what most statements of the whole text build.
    void GuessTarget() {
        const bool inComment = inComment_;
        Guess(Pieces(0, lines_.size()));
        inComment_ = inComment;
    }

  private:
    // A blank line, a comment, or a statement, as read on its own if it reads.
    struct Piece {
        std::size_t from, to;
        bool blank = false;
        std::optional<statement::Reading> reading;
    };

    std::vector<Piece> Pieces(std::size_t from, std::size_t to) {
        std::vector<Piece> pieces;
        for (std::size_t k = from; k < to;) {
            const std::u16string_view line = lines_.Line(k);
            if (IsBlankLine(line)) {
                pieces.push_back({k, k + 1, true, std::nullopt});
                ++k;
                continue;
            }
            const statement::Comment comment =
                inComment_ ? statement::Comment::Opens : statement::CommentOf(d_, line);
            std::size_t end = k + 1;
            if (comment == statement::Comment::Opens) {
                // A comment of several lines is one scriptlet, up to the line that closes it.
                std::size_t close = inComment_ ? k : k + 1;
                while (close < to && lines_.Line(close).find(u"*/") == std::u16string_view::npos)
                    ++close;
                inComment_ = close == to;
                end = std::min(close + 1, to);
            }
            statement::Spanning open;
            while (comment == statement::Comment::None && end < to &&
                   statement::Continues(d_, lines_.Line(end - 1), lines_.Line(end), open) &&
                   (!open.empty() || end - k < kStatementLines))
                ++end;
            pieces.push_back({k, end, false,
                              comment == statement::Comment::None ? ReadOwn(k, end) : std::nullopt});
            k = end;
        }
        return pieces;
    }

    // The lines a statement read counts: a literal's every line, or one.
    static std::size_t LinesRead(const Piece& piece) {
        return piece.reading->whole ? piece.to - piece.from : 1;
    }

    // What most of the statements read build, a literal's lines each counted; the first of them
    // where several build as many.
    static std::optional<std::u16string> MostBuilt(const std::vector<Piece>& pieces) {
        std::map<std::u16string_view, std::size_t> counts;
        std::optional<std::u16string> most;
        std::size_t top = 0;
        for (const Piece& piece : pieces) {
            if (!piece.reading) continue;
            const std::size_t n = counts[piece.reading->target] += LinesRead(piece);
            if (n > top) {
                top = n;
                most = piece.reading->target;
            }
        }
        return most;
    }

    // The page: what most statements build, and whether any of them appends to it.
    void Guess(const std::vector<Piece>& pieces) {
        target_ = MostBuilt(pieces);
        for (const Piece& piece : pieces)
            appends_ = appends_ || (piece.reading && target_ && piece.reading->appends &&
                                    piece.reading->target == *target_);
    }

    // The assignment that starts the page afresh, as code on a line of its own, indented as the
    // statement was: sql = "SELECT" reads as <% sql = "" %> and SELECT, so that the join item
    // gives the same program back.
    void Fresh(const Piece& piece) {
        const std::u16string_view fresh = piece.reading->fresh;
        if (!CanWrap() || fresh.find(u"%>") != fresh.npos || fresh.find(u"?>") != fresh.npos)
            return;
        const std::u16string_view line = lines_.Line(piece.from);
        Line()
            .append(line.substr(0, line.size() - TrimStart(line).size()))
            .append(Open())
            .append(u" ")
            .append(fresh)
            .append(u" ")
            .append(Close());
    }

    bool CanWrap() const { return d_.mode == kEscapeBackslash || d_.mode == kEscapeQuoteDoubling; }
    std::u16string_view Open() const { return d_.php ? u"<?php" : u"<%"; }
    std::u16string_view Close() const { return d_.php ? u"?>" : u"%>"; }

  private:
    // The statement on lines [from, to) read on its own; one a scriptlet holds (<% ... %>,
    // <?php ... ?>) as well.
    std::optional<statement::Reading> ReadOwn(std::size_t from, std::size_t to) const {
        std::u16string joined;
        statement::Spanning open;
        for (std::size_t k = from; k < to; ++k) {
            // A literal's lines keep their blanks and their line breaks.
            const bool inside = !open.empty();
            std::u16string_view part = lines_.Line(k);
            if (to - from > 1) statement::Carry(d_, part, open);
            if (!inside) part = TrimStart(part);
            if (open.empty()) part = part.substr(0, part.find_last_not_of(u" \t") + 1);
            // VB's _ continues the statement on the next line.
            if (k + 1 < to && d_.mode == kEscapeQuoteDoubling && part.ends_with(u'_'))
                part.remove_suffix(1);
            if (k > from) joined.append(inside ? kCRLF : std::u16string_view(u" "));
            joined += part;
        }
        std::u16string_view statement = joined;
        for (const auto& [open, close] : {std::pair(u"<?php ", u"?>"), std::pair(u"<% ", u"%>")}) {
            const std::u16string_view o(open), c(close);
            if (statement.starts_with(o) && statement.ends_with(c) &&
                statement.find(c) == statement.size() - c.size())
                statement = statement.substr(o.size(), statement.size() - o.size() - c.size());
        }
        return statement::Read(d_, statement);
    }

    // Lines [from, to) kept: as code in a scriptlet, so that the page runs, where the escape
    // option says they are code and they hold nothing that would end the scriptlet early;
    // otherwise as they are.
    void Keep(std::size_t from, std::size_t to) {
        const std::u16string_view open = Open();
        const std::u16string_view close = Close();
        bool wrap = CanWrap();
        for (std::size_t k = from; k < to && wrap; ++k) {
            const std::u16string_view line = lines_.Line(k);
            wrap = line.find(u"%>") == line.npos && line.find(close) == line.npos &&
                   !TrimStart(line).starts_with(u"<%") && !TrimStart(line).starts_with(u"<?");
        }
        for (std::size_t k = from; k < to; ++k) {
            std::u16string_view line = lines_.Line(k);
            std::u16string& out = Line();
            if (wrap && k == from) {
                const std::u16string_view code = TrimStart(line);
                out.append(line.substr(0, line.size() - code.size())).append(open).append(u" ");
                line = code;
            }
            if (wrap && k + 1 == to) {
                out.append(line.substr(0, line.find_last_not_of(u" \t") + 1)).append(u" ");
                line = close;
            }
            out += line;
        }
        std::size_t& count = wrap ? r_.code : r_.kept;
        std::size_t& first = wrap ? r_.firstCode : r_.firstKept;
        count += to - from;
        first = first ? first : from + 1;
    }

    const statement::Dialect& d_;
    const Lines& lines_;
    Reversed& r_;
    std::optional<std::u16string> target_;
    bool appends_ = false;  // some statement appends to the page (sql = sql & "...")
    bool guess_;
    bool first_ = true;
    bool inComment_ = false;  // inside /* */
};

}  // namespace

Reversed ReverseLines(EscapeMode mode, std::u16string_view text, std::u16string_view head,
                      std::u16string_view tail, std::int16_t hStart, std::int16_t tStart) {
    Reversed r;
    if (text.empty()) return r;
    const Lines lines(text);
    const statement::Dialect dialect{mode, mode == kEscapeBackslash && AnyPhp(lines, head)};
    const std::size_t n = lines.size();
    r.text.reserve(text.size());
    if (head.empty() && tail.empty()) {
        if (!ReadWholeLiteral(mode, lines, r))
            Writer(dialect, lines, r, std::nullopt, true).Statements(0, n);
        return r;
    }
    Writer writer(dialect, lines, r, statement::HeadReading(dialect, head), false);
    if (head.empty()) writer.GuessTarget();
    const bool forms = FormsAfter(mode, head, tail);
    const Reader reader(dialect, lines, head, tail, line::Count(hStart), line::Count(tStart),
                        forms);
    const std::vector<bool> inside = InLiterals(mode, lines, head, tail, forms);

    // From the last line back, the best way to read the lines from each one on.
    std::vector<Way> best(n + 1);
    Record records[3];
    const std::vector<bool> commented = InBlockComments(dialect, lines, head, tail, inside);
    for (std::size_t a = n; a-- > 0;) {
        const std::size_t found = commented[a] || inside[a] ? 0 : reader.Matches(a, records);
        Way way{best[a + 1].kept + 1, best[a + 1].irregular, -1};
        for (std::size_t i = found; i-- > 0;) {
            const Way& rest = best[records[i].next];
            const Way read{rest.kept, rest.irregular + records[i].irregular, static_cast<int>(i)};
            if (!(way < read)) way = read;
        }
        best[a] = way;
    }

    for (std::size_t a = 0; a < n;) {
        if (best[a].choice < 0) {
            std::size_t b = a + 1;
            while (b < n && best[b].choice < 0) ++b;
            writer.Statements(a, b);
            a = b;
            continue;
        }
        reader.Matches(a, records);
        const Record& record = records[best[a].choice];
        reader.Put(record, writer.Line(), r);
        r.read += record.literal ? record.next - a : 1;
        a = record.next;
    }
    return r;
}

}  // namespace modConvert
