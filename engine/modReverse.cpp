#include "engine/modReverse.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "engine/Line.h"

namespace modConvert {
namespace {

using line::kCRLF;
using line::kVbTab;

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

// Reads an escaped body back, into out when given; false when it is not one the mode writes: a
// unit the mode marks stands only after its mark.
bool Unescape(EscapeMode mode, std::u16string_view s, std::u16string* out) {
    const auto put = [out](char16_t c) {
        if (out) out->push_back(c);
    };
    for (std::size_t i = 0; i < s.size();) {
        const char16_t c = s[i];
        if (mode == kEscapeBackslash && c == u'\\') {
            const char16_t next = i + 1 < s.size() ? s[i + 1] : u'\0';
            const auto unit = next == u'u' ? ReadUnicodeEscape(s.substr(i)) : std::nullopt;
            if (line::MarkBefore(mode, next) || next == u'\'' || next == u't') {
                put(next == u't' ? u'\t' : next);
                i += 2;
            } else if (unit) {
                put(*unit);
                i += 6;
            } else {
                return false;
            }
        } else if (mode == kEscapeBackslash && line::MarkBefore(mode, c)) {
            return false;
        } else if (line::MarkBefore(mode, c) == u'"') {
            if (s.substr(i).starts_with(u"\"\"")) {
                put(u'"');
                i += 2;
            } else if (s.substr(i).starts_with(kVbTab)) {
                put(u'\t');
                i += kVbTab.size();
            } else {
                return false;
            }
        } else {
            put(c);
            ++i;
        }
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
          firstBreak_(ended_.find(kCRLF)) {
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

    void Put(const Record& r, std::u16string& out) const {
        Unescape(mode_, text_.substr(r.body, r.bodyEnd - r.body), &out);
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
        if (!Unescape(mode_, text_.substr(body, bodyEnd - body), nullptr)) return false;
        // The converter never leaves a tail short of its column.
        r = {body, bodyEnd, next, irregular || column < target};
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
};

// The head and tail every line that is not blank agrees on, each ending or starting at a ".
std::optional<std::pair<std::u16string_view, std::u16string_view>> Guess(const Lines& lines) {
    std::optional<std::pair<std::u16string_view, std::u16string_view>> guess;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        std::u16string_view line = TrimStart(lines.Line(k));
        if (line.empty()) continue;
        line = line.substr(0, line.find_last_not_of(u" \t") + 1);
        const std::size_t first = line.find(u'"');
        if (first == line.npos) return std::nullopt;
        const std::pair found{line.substr(0, first + 1), line.substr(line.rfind(u'"'))};
        if (guess && *guess != found) return std::nullopt;
        guess = found;
    }
    return guess;
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

}  // namespace

Reversed ReverseLines(EscapeMode mode, std::u16string_view text, std::u16string_view head,
                      std::u16string_view tail, std::int16_t hStart, std::int16_t tStart) {
    Reversed r{{}, 0, 0, std::u16string(head), std::u16string(tail), false};
    if (text.empty()) return r;
    const Lines lines(text);
    if (head.empty() && tail.empty()) {
        if (const auto guess = Guess(lines)) {
            r.head = guess->first;
            r.tail = guess->second;
            r.guessed = true;
        }
    }
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
    for (std::size_t a = 0; a < n;) {
        if (a > 0) r.text += kCRLF;
        if (best[a].choice < 0) {
            r.text += lines.Line(a);
            r.firstKept = r.firstKept ? r.firstKept : a + 1;
            ++r.kept;
            ++a;
            continue;
        }
        reader.Match(a, records);
        const Record& record = records[best[a].choice];
        reader.Put(record, r.text);
        a = record.next;
    }
    return r;
}

}  // namespace modConvert
