#include "modConvert.h"

#include <algorithm>
#include <cstddef>

#include "cp932_table.h"

namespace modConvert {
namespace {

constexpr char16_t kCR = u'\r';
constexpr char16_t kLF = u'\n';
constexpr char16_t kBackslash = u'\\';
constexpr char16_t kQuote = u'"';
constexpr char16_t kSpace = u' ';

enum class Escape { kNone, kBackslash, kQuoteDoubling };

Escape ToEscape(EscapeMode mode) {
    if (mode == kEscapeBackslash) return Escape::kBackslash;
    if (mode == kEscapeQuoteDoubling) return Escape::kQuoteDoubling;
    return Escape::kNone;
}

// Escaping both C marks in one pass matches doubling the backslashes first and then escaping the
// quotes: the first step adds no quotes, and the backslashes the second adds are never doubled.
template <Escape E>
constexpr bool NeedsEscape(char16_t c) {
    if constexpr (E == Escape::kBackslash) return c == kBackslash || c == kQuote;
    if constexpr (E == Escape::kQuoteDoubling) return c == kQuote;
    return false;
}

template <Escape E>
constexpr char16_t EscapeMark() {
    return E == Escape::kBackslash ? kBackslash : kQuote;
}

struct Tally {
    std::size_t separators = 0;
    std::size_t backslashes = 0;
    std::size_t quotes = 0;
};

// Branch-free so that the compiler vectorises it: this pass runs over the whole text.
Tally CountMarks(const char16_t* p, std::size_t n) {
    Tally t;
    for (std::size_t i = 0; i < n; ++i) {
        t.backslashes += p[i] == kBackslash;
        t.quotes += p[i] == kQuote;
    }
    for (std::size_t i = 1; i < n; ++i) t.separators += (p[i - 1] == kCR) & (p[i] == kLF);
    return t;
}

std::size_t EscapeGrowth(Escape e, const Tally& t) {
    switch (e) {
        case Escape::kBackslash:
            return t.backslashes + t.quotes;
        case Escape::kQuoteDoubling:
            return t.quotes;
        case Escape::kNone:
            break;
    }
    return 0;
}

// Points at the CR of the first CR LF in [p, end), or at end.
const char16_t* FindSeparator(const char16_t* p, const char16_t* end) {
    for (;;) {
        p = std::find(p, end, kCR);
        if (p == end || (p + 1 != end && p[1] == kLF)) return p;
        ++p;
    }
}

char16_t* Put(char16_t* o, std::u16string_view s) { return std::copy(s.begin(), s.end(), o); }

char16_t* PutSpaces(char16_t* o, std::size_t n) { return std::fill_n(o, n, kSpace); }

template <Escape E>
char16_t* PutEscaped(char16_t* o, const char16_t* p, const char16_t* end) {
    for (; p != end; ++p) {
        if (NeedsEscape<E>(*p)) *o++ = EscapeMark<E>();
        *o++ = *p;
    }
    return o;
}

// What goes around the lines: `first` before the first line, `between` (tail, CR LF, the
// indentation and head) at each separator, `last` (tail, CR LF) after the last line.
struct Frame {
    std::u16string first;
    std::u16string between;
    std::u16string last;
};

Frame MakeFrame(std::u16string_view head, std::u16string_view tail, std::size_t indent) {
    Frame f;
    f.first.assign(indent, kSpace);
    f.first += head;
    f.last.assign(tail);
    f.last += u"\r\n";
    f.between = f.last + f.first;
    return f;
}

// The fill pass: every line of [p, end) escaped and framed, with pads[k] spaces before the
// tail of line k when pads is given. The output was sized beforehand, so it writes through a
// raw pointer; a CR that does not start a CR LF is copied like any other unit.
template <Escape E>
char16_t* PutLines(char16_t* o, const char16_t* p, const char16_t* end, const Frame& f,
                   const std::uint16_t* pads) {
    o = Put(o, f.first);
    while (p != end) {
        const char16_t c = *p++;
        if (c == kCR && p != end && *p == kLF) {
            ++p;
            if (pads) o = PutSpaces(o, *pads++);
            o = Put(o, f.between);
            continue;
        }
        if (NeedsEscape<E>(c)) *o++ = EscapeMark<E>();
        *o++ = c;
    }
    if (pads) o = PutSpaces(o, *pads);
    return Put(o, f.last);
}

char16_t* PutLines(Escape e, char16_t* o, std::u16string_view text, const Frame& f,
                   const std::uint16_t* pads) {
    const char16_t* p = text.data();
    const char16_t* end = p + text.size();
    switch (e) {
        case Escape::kBackslash:
            return PutLines<Escape::kBackslash>(o, p, end, f, pads);
        case Escape::kQuoteDoubling:
            return PutLines<Escape::kQuoteDoubling>(o, p, end, f, pads);
        case Escape::kNone:
            break;
    }
    return PutLines<Escape::kNone>(o, p, end, f, pads);
}

std::int64_t DoubleByteCount(const char16_t* p, const char16_t* end) {
    std::int64_t n = 0;
    for (; p != end; ++p) n += *p >= 0x80 && detail::IsDoubleByte(*p);
    return n;
}

// The measuring pass of the aligned form: the filler before each line's tail, and the size of
// the whole result. A line's width is the prefix's plus one byte for each unit escaping adds,
// since every escape mark is ASCII; lines with more units than the tail column can never be
// padded, so only the short ones have their double-byte units counted.
struct Layout {
    std::vector<std::uint16_t> pads;
    std::size_t size = 0;
};

Layout MeasureLines(Escape e, std::u16string_view text, std::int64_t prefixWidth,
                    std::int64_t tailColumn, const Frame& f) {
    Layout layout;
    const char16_t* p = text.data();
    const char16_t* end = p + text.size();
    std::size_t lines = 0;
    for (;;) {
        const char16_t* lineEnd = FindSeparator(p, end);
        const std::size_t units = lineEnd - p;
        const Tally t = CountMarks(p, units);
        const std::size_t escaped = units + EscapeGrowth(e, t);
        std::int64_t pad = 0;
        const std::int64_t narrowest = prefixWidth + static_cast<std::int64_t>(escaped);
        if (narrowest < tailColumn) {
            const std::int64_t width = narrowest + DoubleByteCount(p, lineEnd);
            if (width < tailColumn) pad = tailColumn - width - 1;
        }
        layout.pads.push_back(static_cast<std::uint16_t>(pad));
        layout.size += escaped + static_cast<std::size_t>(pad);
        ++lines;
        if (lineEnd == end) break;
        p = lineEnd + 2;
    }
    layout.size += f.first.size() + (lines - 1) * f.between.size() + f.last.size();
    return layout;
}

std::size_t NonNegative(std::int16_t v) { return v < 0 ? 0 : static_cast<std::size_t>(v); }

}  // namespace

std::vector<std::u16string> SplitLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    if (text.empty()) return lines;
    const char16_t* p = text.data();
    const char16_t* end = p + text.size();
    lines.reserve(CountMarks(p, text.size()).separators + 1);
    for (;;) {
        const char16_t* lineEnd = FindSeparator(p, end);
        lines.emplace_back(p, lineEnd);
        if (lineEnd == end) break;
        p = lineEnd + 2;
    }
    return lines;
}

std::u16string EscapeLine(EscapeMode mode, std::u16string_view line) {
    const Escape e = ToEscape(mode);
    std::u16string out(line.size() + EscapeGrowth(e, CountMarks(line.data(), line.size())), u'\0');
    const char16_t* p = line.data();
    const char16_t* end = p + line.size();
    switch (e) {
        case Escape::kBackslash:
            PutEscaped<Escape::kBackslash>(out.data(), p, end);
            break;
        case Escape::kQuoteDoubling:
            PutEscaped<Escape::kQuoteDoubling>(out.data(), p, end);
            break;
        case Escape::kNone:
            PutEscaped<Escape::kNone>(out.data(), p, end);
            break;
    }
    return out;
}

std::u16string EscapeForC(std::u16string_view line) { return EscapeLine(kEscapeBackslash, line); }

std::u16string EscapeForVB(std::u16string_view line) {
    return EscapeLine(kEscapeQuoteDoubling, line);
}

void AppendConverted(std::u16string& out, EscapeMode mode, std::u16string_view text,
                     std::u16string_view head, std::u16string_view tail, std::int16_t hStart,
                     std::int16_t tStart) {
    const Escape e = ToEscape(mode);
    const Frame f = MakeFrame(head, tail, NonNegative(hStart));
    const std::int64_t prefixWidth = AnsiByteLength(f.first);
    const auto tailColumn = static_cast<std::int64_t>(NonNegative(tStart));
    const std::size_t start = out.size();

    // Every line is at least as wide as the prefix, so a tail column at or before the prefix's
    // end pads nothing, and the plain form's cheaper sizing applies.
    if (tailColumn <= prefixWidth + 1) {
        const Tally t = CountMarks(text.data(), text.size());
        const std::size_t lines = t.separators + 1;
        out.resize(start + text.size() - 2 * t.separators + EscapeGrowth(e, t) + f.first.size() +
                   (lines - 1) * f.between.size() + f.last.size());
        PutLines(e, out.data() + start, text, f, nullptr);
        return;
    }
    const Layout layout = MeasureLines(e, text, prefixWidth, tailColumn, f);
    out.resize(start + layout.size);
    PutLines(e, out.data() + start, text, f, layout.pads.data());
}

std::u16string ConvertLines(EscapeMode mode, std::u16string_view text, std::u16string_view head,
                            std::u16string_view tail) {
    return ConvertLinesAligned(mode, text, head, tail, 0, 0);
}

std::u16string ConvertLinesAligned(EscapeMode mode, std::u16string_view text,
                                   std::u16string_view head, std::u16string_view tail,
                                   std::int16_t hStart, std::int16_t tStart) {
    std::u16string out;
    if (!text.empty()) AppendConverted(out, mode, text, head, tail, hStart, tStart);
    return out;
}

bool HasNonDigit(std::u16string_view s) {
    return std::any_of(s.begin(), s.end(), [](char16_t c) { return c < u'0' || c > u'9'; });
}

std::int64_t AnsiByteLength(std::u16string_view s) {
    return static_cast<std::int64_t>(s.size()) + DoubleByteCount(s.data(), s.data() + s.size());
}

}  // namespace modConvert
