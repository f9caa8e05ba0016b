#include "engine/modReverse.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "engine/Line.h"

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

// Where the value starting at i ends: at a join, an unmatched closing bracket or a ; at the outer
// level, or at the end. Literals, parentheses and brackets inside it are skipped whole.
std::size_t ValueEnd(EscapeMode mode, std::u16string_view s, std::size_t i) {
    int depth = 0;
    for (; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c == u'"' || (mode == kEscapeBackslash && c == u'\'')) {
            for (++i; i < s.size() && s[i] != c; ++i) {
                if (mode == kEscapeBackslash && s[i] == u'\\') ++i;
            }
            if (i >= s.size()) return s.size();
        } else if (c == u'(' || c == u'[') {
            ++depth;
        } else if (c == u')' || c == u']') {
            if (depth == 0) return i;
            --depth;
        } else if (depth == 0 && (c == u';' || IsJoin(mode, c))) {
            return i;
        }
    }
    return s.size();
}

std::u16string_view TrimBlanks(std::u16string_view s) {
    s = TrimStart(s);
    return s.substr(0, s.find_last_not_of(u" \t") + 1);
}

// The sink of a body being read: line breaks wait until something follows them, so that the
// ones ending the line are dropped.
struct BodySink {
    std::u16string* out;
    std::size_t* values;
    std::size_t breaks = 0;
    bool afterCR = false;  // the last thing read was a CR, which an LF joins
    void Put(char16_t c) {
        Flush();
        if (out) out->push_back(c);
    }
    void Flush() {
        for (; breaks > 0; --breaks) {
            if (out) out->append(kCRLF);
        }
        afterCR = false;
    }
    void Break(bool cr, bool lf) {
        if (!(lf && afterCR)) ++breaks;
        afterCR = cr && !lf;
    }
    void Value(std::u16string_view v) {
        Flush();
        if (out) out->append(u"<%= ").append(v).append(u" %>");
        if (values) ++*values;
    }
    void End() {
        if (breaks > 0) --breaks;  // the line's own end
        Flush();
    }
};

// VB names are the same in any case: vbCrLf, VBCRLF, chr(10).
bool IsName(std::u16string_view v, std::u16string_view name) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; };
    return std::equal(v.begin(), v.end(), name.begin(), name.end(),
                      [&](char16_t a, char16_t b) { return lower(a) == lower(b); });
}

// The line break a VB name joins, as CR and LF; nothing for any other value.
std::optional<std::pair<bool, bool>> LineBreakName(std::u16string_view v) {
    if (IsName(v, u"vbCrLf") || IsName(v, u"vbNewLine")) return std::pair(true, true);
    if (IsName(v, u"vbLf") || IsName(v, u"Chr(10)")) return std::pair(false, true);
    if (IsName(v, u"vbCr") || IsName(v, u"Chr(13)")) return std::pair(true, false);
    return std::nullopt;
}

// A joined value as read: the line ends of VB and Chr(34) as text, any other as <%= %>.
void PutValue(EscapeMode mode, std::u16string_view v, BodySink& sink) {
    if (mode == kEscapeQuoteDoubling) {
        if (const auto crlf = LineBreakName(v)) return sink.Break(crlf->first, crlf->second);
        if (IsName(v, u"vbTab")) return sink.Put(u'\t');
        if (IsName(v, u"Chr(34)")) return sink.Put(u'"');
    }
    sink.Value(v);
}

// After a closing quote at i: joins and values up to the next opening quote (its index is
// returned) or to the end of s; nothing when this is not a join.
std::optional<std::size_t> ReadJoins(EscapeMode mode, char16_t quote, std::u16string_view s,
                                     std::size_t i, BodySink& sink) {
    for (;;) {
        while (i < s.size() && IsBlank(s[i])) ++i;
        if (i == s.size()) return s.size();
        if (!IsJoin(mode, s[i])) return std::nullopt;
        std::size_t start = i + 1;
        while (start < s.size() && IsBlank(s[start])) ++start;
        if (start < s.size() && s[start] == quote) return start;
        const std::size_t end = ValueEnd(mode, s, start);
        if (end < s.size() && !IsJoin(mode, s[end])) return std::nullopt;
        const std::u16string_view value = TrimBlanks(s.substr(start, end - start));
        // VB's _ at the line's end continues the statement on the next line: not a value.
        const bool continued = mode == kEscapeQuoteDoubling && value == u"_" && end == s.size();
        if (value.empty() || continued) return std::nullopt;
        PutValue(mode, value, sink);
        i = end;
    }
}

// Reads an escaped body back (quoted with quote), into out when given; false when it is not one
// the mode writes or reads.
bool Unescape(EscapeMode mode, std::u16string_view s, std::u16string* out, char16_t quote = u'"',
              std::size_t* values = nullptr) {
    BodySink sink{out, values};
    const bool apostrophe = mode == kEscapeBackslash && quote == u'\'';
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
        } else if ((mode == kEscapeBackslash || mode == kEscapeQuoteDoubling) && c == quote) {
            const auto resumed = ReadJoins(mode, quote, s, i + 1, sink);
            if (!resumed) return false;
            i = *resumed == s.size() ? s.size() : *resumed + 1;
        } else {
            sink.Put(c);
            ++i;
        }
    }
    sink.End();
    return true;
}

// One converted line as read: where its body is, and the line after it.
struct Record {
    std::size_t body = 0;
    std::size_t bodyEnd = 0;
    std::size_t next = 0;
    bool irregular = false;  // not as the converter writes: indentation, blanks after the tail, or
                             // a tail short of its column
    char16_t quote = u'"';   // what the literal is quoted with
};

class Reader {
  public:
    Reader(EscapeMode mode, const Lines& lines, std::u16string_view head, std::u16string_view tail,
           std::size_t indent, std::size_t tailColumn)
        : mode_(mode),
          lines_(lines),
          text_(lines.text()),
          head_(head),
          tail_(tail),
          ended_(std::u16string(tail) + std::u16string(kCRLF)),
          indent_(indent),
          tailColumn_(tailColumn),
          firstBreak_(ended_.find(kCRLF)),
          quote_(head.ends_with(u'\'') ? u'\'' : u'"') {
        for (std::size_t at = tail.find(kCRLF); at != tail.npos; at = tail.find(kCRLF, at + 2)) {
            ++tailBreaks_;
        }
    }

    // The ways a converted line can start at line a, at most two: the exact ones first.
    std::size_t Match(std::size_t a, Record (&out)[2]) const {
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

    void Put(const Record& r, std::u16string& out, std::size_t& values) const {
        Unescape(mode_, text_.substr(r.body, r.bodyEnd - r.body), &out, r.quote, &values);
    }

  private:
    // Where the body starts, after the indentation and the head.
    std::optional<std::size_t> AfterHead(std::size_t start, bool& irregular) const {
        const std::u16string_view rest = text_.substr(start);
        if (rest.find_first_not_of(u' ') >= indent_ && rest.substr(indent_).starts_with(head_)) {
            return start + indent_ + head_.size();
        }
        const std::u16string_view head = TrimStart(head_);
        const std::u16string_view line = TrimStart(rest);
        if (!line.starts_with(head)) return std::nullopt;
        irregular = true;
        return text_.size() - line.size() + head.size();
    }

    // The record with its tail at tailAt, if its body reads back.
    bool Finish(std::size_t start, std::size_t body, std::size_t tailAt, std::size_t next,
                bool irregular, Record& r) const {
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
        const char16_t quote = quote_ == u'\'' && !Unescape(mode_, s, nullptr) ? quote_ : u'"';
        if (quote == u'"' ? !Unescape(mode_, s, nullptr) : !Unescape(mode_, s, nullptr, quote)) {
            return false;
        }
        // The converter never leaves a tail short of its column.
        r = {body, bodyEnd, next, irregular || column < target, quote};
        return true;
    }

    EscapeMode mode_;
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

bool IsComment(EscapeMode mode, std::u16string_view line) {
    return line.starts_with(u"//") || line.starts_with(u"/*") || line.starts_with(u"*") ||
           line.starts_with(u"#") || line.starts_with(u"<%--") ||
           (mode == kEscapeQuoteDoubling && (line.starts_with(u"'") || line.starts_with(u"REM ")));
}

// Where a value written before the first literal starts, when the head ends with a join
// (out.println(name + "), or npos.
std::size_t LeadingValue(EscapeMode mode, std::u16string_view line, std::size_t quote) {
    std::size_t i = quote;
    while (i > 0 && IsBlank(line[i - 1])) --i;
    if (i == 0 || !IsJoin(mode, line[i - 1])) return line.npos;
    --i;
    while (i > 0 && IsBlank(line[i - 1])) --i;
    int depth = 0;
    for (; i > 0; --i) {
        const char16_t c = line[i - 1];
        if (c == u')' || c == u']') {
            ++depth;
        } else if (c == u'(' || c == u'[') {
            if (depth == 0) break;
            --depth;
        } else if (depth == 0 && (IsBlank(c) || c == u',' || c == u'=')) {
            break;
        }
    }
    return i;
}

// One line read with its own head and tail, guessed from its literals; nothing when it does
// not read so.
struct LineReading {
    std::u16string text;
    std::u16string_view head, tail;
    std::size_t values = 0;
};

std::optional<LineReading> ReadOwnLine(EscapeMode mode, std::u16string_view line) {
    line = TrimBlanks(line);
    if (IsComment(mode, line)) return std::nullopt;
    const std::u16string_view quotes = mode == kEscapeBackslash ? u"\"'" : u"\"";
    const std::size_t first = line.find_first_of(quotes);
    if (first == line.npos) return std::nullopt;
    const char16_t quote = line[first];
    const std::size_t last = line.rfind(quote);
    if (last == first) return std::nullopt;
    // Values after the last literal, up to the call's closing bracket or the ;.
    std::size_t bodyEnd = last;
    std::size_t after = last + 1;
    while (after < line.size() && IsBlank(line[after])) ++after;
    if (after < line.size() && IsJoin(mode, line[after])) {
        bodyEnd = after;
        while (bodyEnd < line.size() && IsJoin(mode, line[bodyEnd])) {
            bodyEnd = ValueEnd(mode, line, bodyEnd + 1);
        }
        // A VB line break alone after the last literal ("<tr>" & vbCrLf) ends this line: it
        // goes with the tail.
        if (mode == kEscapeQuoteDoubling && ValueEnd(mode, line, after + 1) == bodyEnd &&
            LineBreakName(TrimBlanks(line.substr(after + 1, bodyEnd - after - 1)))) {
            bodyEnd = last;
        }
    }
    std::u16string body;
    std::size_t headEnd = first + 1;
    std::size_t lead = LeadingValue(mode, line, first);
    // A VB line break joined before the first literal (s = s & vbCrLf & "<tr>") ends the line
    // before: it goes with the head.
    if (lead != line.npos && mode == kEscapeQuoteDoubling) {
        const std::u16string_view joined = TrimBlanks(line.substr(lead, first - lead));
        if (LineBreakName(TrimBlanks(joined.substr(0, joined.size() - 1)))) lead = line.npos;
    }
    if (lead != line.npos) {
        body.push_back(quote);
        body.append(u" ").push_back(mode == kEscapeBackslash ? u'+' : u'&');
        headEnd = lead;
    }
    body.append(line.substr(lead != line.npos ? lead : headEnd, bodyEnd - headEnd));
    LineReading r;
    if (!Unescape(mode, body, &r.text, quote, &r.values)) return std::nullopt;
    r.head = line.substr(0, headEnd);
    r.tail = line.substr(bodyEnd);
    return r;
}

// Kept lines, then irregular records, fewest first; and how line a is read on that way.
struct Way {
    std::size_t kept = 0;
    std::size_t irregular = 0;
    int choice = -1;  // the record Match gives at that index, or -1 to keep the line
    bool operator<(const Way& o) const {
        return std::pair(kept, irregular) < std::pair(o.kept, o.irregular);
    }
};

// Head and tail both empty: each line read on its own; lines without a literal kept.
Reversed ReverseEachLine(EscapeMode mode, const Lines& lines) {
    Reversed r;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::u16string_view line = lines.Line(k);
        if (IsBlankLine(line)) {
            ++r.dropped;
            continue;
        }
        if (r.read + r.kept > 0) r.text += kCRLF;
        if (auto reading = ReadOwnLine(mode, line)) {
            if (!r.guessed) {
                r.head = reading->head;
                r.tail = reading->tail;
            }
            r.guessed = true;
            r.text += reading->text;
            r.values += reading->values;
            ++r.read;
            continue;
        }
        r.text += line;
        r.firstKept = r.firstKept ? r.firstKept : k + 1;
        ++r.kept;
    }
    return r;
}

}  // namespace

Reversed ReverseLines(EscapeMode mode, std::u16string_view text, std::u16string_view head,
                      std::u16string_view tail, std::int16_t hStart, std::int16_t tStart) {
    Reversed r{{}, 0, 0, std::u16string(head), std::u16string(tail), false};
    if (text.empty()) return r;
    const Lines lines(text);
    if (head.empty() && tail.empty()) return ReverseEachLine(mode, lines);
    const Reader reader(mode, lines, r.head, r.tail, line::Count(hStart), line::Count(tStart));

    // From the last line back, the best way to read the lines from each one on.
    const std::size_t n = lines.size();
    std::vector<Way> best(n + 1);
    Record records[2];
    for (std::size_t a = n; a-- > 0;) {
        const std::size_t found = reader.Match(a, records);
        Way way{best[a + 1].kept + 1, best[a + 1].irregular, -1};
        for (std::size_t i = found; i-- > 0;) {
            const Way& rest = best[records[i].next];
            const Way read{rest.kept, rest.irregular + records[i].irregular, static_cast<int>(i)};
            if (!(way < read)) way = read;
        }
        best[a] = way;
    }

    r.text.reserve(text.size());
    bool first = true;
    for (std::size_t a = 0; a < n;) {
        if (best[a].choice < 0 && IsBlankLine(lines.Line(a))) {
            ++r.dropped;
            ++a;
            continue;
        }
        if (!first) r.text += kCRLF;
        first = false;
        if (best[a].choice < 0) {
            r.text += lines.Line(a);
            r.firstKept = r.firstKept ? r.firstKept : a + 1;
            ++r.kept;
            ++a;
            continue;
        }
        reader.Match(a, records);
        const Record& record = records[best[a].choice];
        reader.Put(record, r.text, r.values);
        ++r.read;
        a = record.next;
    }
    return r;
}

}  // namespace modConvert
