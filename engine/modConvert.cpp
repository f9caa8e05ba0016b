#include "engine/modConvert.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

#include "engine/Kernels.h"
#include "engine/cp932_table.h"

namespace modConvert {
namespace {

constexpr char16_t kSpace = u' ';

Escape ToEscape(EscapeMode mode) {
    if (mode == kEscapeBackslash) return Escape::kBackslash;
    if (mode == kEscapeQuoteDoubling) return Escape::kQuoteDoubling;
    return Escape::kNone;
}

// Calls f with the escape as a constant, so that each escape gets its own instantiation.
template <typename F>
decltype(auto) WithEscape(Escape e, const F& f) {
    switch (e) {
        case Escape::kBackslash:
            return f(std::integral_constant<Escape, Escape::kBackslash>{});
        case Escape::kQuoteDoubling:
            return f(std::integral_constant<Escape, Escape::kQuoteDoubling>{});
        case Escape::kNone:
            break;
    }
    return f(std::integral_constant<Escape, Escape::kNone>{});
}

struct Tally {
    std::size_t separators = 0;
    std::size_t backslashes = 0;
    std::size_t quotes = 0;
};

// Branch-free so that the compiler vectorises it: this pass runs over the whole text. The sums
// are kept in 16-bit lanes, a stretch at a time, since widening every comparison to a 64-bit sum
// would cost more than the comparisons.
Tally CountMarks(const char16_t* p, std::size_t n) {
    Tally t;
    if (n == 0) return t;
    t.backslashes += p[0] == kBackslash;
    t.quotes += p[0] == kQuote;
    constexpr std::size_t kStretch = 32768;  // at most 32768 of each in a stretch: fits 16 bits
    for (std::size_t i = 1; i < n;) {
        const std::size_t stop = std::min(n, i + kStretch);
        std::uint16_t separators = 0;
        std::uint16_t backslashes = 0;
        std::uint16_t quotes = 0;
        for (std::size_t j = i; j < stop; ++j) {
            separators += static_cast<std::uint16_t>((p[j] == kLF) & (p[j - 1] == kCR));
            backslashes += static_cast<std::uint16_t>(p[j] == kBackslash);
            quotes += static_cast<std::uint16_t>(p[j] == kQuote);
        }
        t.separators += separators;
        t.backslashes += backslashes;
        t.quotes += quotes;
        i = stop;
    }
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

char16_t* Put(char16_t* o, std::u16string_view s) { return std::copy(s.begin(), s.end(), o); }

char16_t* PutSpaces(char16_t* o, std::size_t n) { return std::fill_n(o, n, kSpace); }

// A frame piece, stored with room to be copied in whole blocks of eight units.
class Piece {
  public:
    explicit Piece(std::u16string units) : size_(units.size()), units_(std::move(units)) {
        units_.append(kBlock, u'\0');
    }
    static constexpr std::size_t kBlock = 8;

    std::size_t size() const { return size_; }
    std::u16string_view view() const { return {units_.data(), size_}; }

    // Block copies may write up to kBlock - 1 units past the piece, so they are only used while
    // that much output is still to come.
    char16_t* PutBlocks(char16_t* o) const {
        for (std::size_t i = 0; i < size_; i += kBlock) {
            std::memcpy(o + i, units_.data() + i, kBlock * sizeof(char16_t));
        }
        return o + size_;
    }

  private:
    std::size_t size_;
    std::u16string units_;
};

// What goes around the lines: `first` before the first line, `between` (tail, CR LF, the
// indentation and head) at each separator, `last` (tail, CR LF) after the last line.
struct Frame {
    Piece first;
    Piece between;
    Piece last;
};

Frame MakeFrame(std::u16string_view head, std::u16string_view tail, std::size_t indent) {
    std::u16string first(indent, kSpace);
    first += head;
    std::u16string last(tail);
    last += line::kCRLF;
    std::u16string between = last + first;
    return {Piece(std::move(first)), Piece(std::move(between)), Piece(std::move(last))};
}

// A line that gets filler before its tail: the aligned form lists them in order, ended by an
// entry whose end is null. Most lines need none, so a list of every line's filler would mostly
// be zeros, and would be fresh memory for a large text.
struct Padded {
    const char16_t* end;  // the line's end: its CR LF, or the end of the text
    std::size_t spaces;
};

// The fill pass: every line of [p, end) escaped and framed, with the spaces pads lists before
// the tail of each line it lists, when pads is given. The output was sized beforehand, so it
// writes through a raw pointer; a CR that does not start a CR LF is copied like any other unit.
template <Escape E, typename K>
KALVEX_ALWAYS_INLINE char16_t* PutLinesWith(K, char16_t* o, const char16_t* p, const char16_t* end,
                                            const Frame& f, const Padded* pads) {
    o = Put(o, f.first.view());
    for (;;) {
        K::CopyToCR(p, end, o);
        if (p == end) break;
        const char16_t c = *p++;
        if (c == kCR && p != end && *p == kLF) {
            ++p;
            if (pads && pads->end == p - 2) o = PutSpaces(o, (pads++)->spaces);
            // The output to come is at least the input to come: room for a block copy.
            o = static_cast<std::size_t>(end - p) >= Piece::kBlock ? f.between.PutBlocks(o)
                                                                   : Put(o, f.between.view());
            continue;
        }
        if (NeedsEscape<E>(c)) *o++ = EscapeMark<E>();
        *o++ = c;
    }
    if (pads && pads->end == end) o = PutSpaces(o, pads->spaces);
    return Put(o, f.last.view());
}

char16_t* PutLines(Escape e, char16_t* o, std::u16string_view text, const Frame& f,
                   const Padded* pads) {
    const char16_t* p = text.data();
    const char16_t* end = p + text.size();
    return WithEscape(e, [&](auto escape) {
        return WithFillKernels<escape>([&](auto kernels) KALVEX_INLINE_JOB {
            return PutLinesWith<escape>(kernels, o, p, end, f, pads);
        });
    });
}

std::int64_t DoubleByteCount(const char16_t* p, const char16_t* end) {
    std::int64_t n = 0;
    for (; p != end; ++p) n += line::Width(*p) - 1;
    return n;
}

// The aligned form's pass before the fill: the filler before each line's tail, and the lines
// and escapes of the whole text on the way, so that the text is read once before the fill.
struct Measure {
    std::vector<Padded> pads;
    std::size_t padding = 0;  // their spaces
    std::size_t separators = 0;
    std::size_t growth = 0;  // units escaping adds
};

// The filler before the tail of a line: its width is the prefix's, its units', and one byte for
// each mark escaping adds (every mark is ASCII).
template <Escape E>
std::size_t Pad(const char16_t* p, const char16_t* end, std::int64_t prefixWidth,
                std::int64_t tailColumn) {
    std::int64_t width = prefixWidth;
    for (; p != end; ++p) width += NeedsEscape<E>(*p) + line::Width(*p);
    return static_cast<std::size_t>(line::Filler(width, tailColumn));
}

// A line with as many units as there are columns before the tail is never padded, which
// settles most lines without looking into them; only the others are read again.
template <Escape E>
Measure MeasurePads(std::u16string_view text, std::int64_t prefixWidth, std::int64_t tailColumn) {
    Measure m;
    std::size_t n = 0;  // lines ended
    const char16_t* const text0 = text.data();
    const auto size = static_cast<std::int64_t>(text.size());
    const std::int64_t room = tailColumn - 1 - prefixWidth;
    std::int64_t line = 0;  // where the line starts
    const auto measure = [&](std::int64_t start, std::int64_t end) {
        if (const std::size_t spaces =
                Pad<E>(text0 + start, text0 + end, prefixWidth, tailColumn)) {
            m.pads.push_back({text0 + end, spaces});
            m.padding += spaces;
        }
    };
    const auto endLine = [&](std::int64_t end) {
        if (end - line < room) measure(line, end);
        ++n;
        line = end + 2;
    };
    // The block loop, where there is one, reads all but the last 32 units or so; this the rest.
    const std::int64_t at = MeasureKernels<E>::NoteSeparators(text0, size, m.growth, endLine);
    m.growth += EscapeGrowth(E, CountMarks(text0 + at, static_cast<std::size_t>(size - at)));
    for (std::int64_t i = at; i != size; ++i) {
        if (text0[i] == kCR && i + 1 != size && text0[i + 1] == kLF) endLine(i);
    }
    if (size - line < room) measure(line, size);
    m.pads.push_back({nullptr, 0});
    m.separators = n;
    return m;
}

Measure MeasurePads(Escape e, std::u16string_view text, std::int64_t prefixWidth,
                    std::int64_t tailColumn) {
    return WithEscape(
        e, [&](auto escape) { return MeasurePads<escape>(text, prefixWidth, tailColumn); });
}

// What a conversion writes, worked out before anything is written so that the result can be
// sized once: the frame, the filler before each tail (none in the plain form) and the size.
struct Plan {
    Escape escape;
    Frame frame;
    std::vector<Padded> pads;
    std::size_t size = 0;
};

// An empty text counts as one empty line.
Plan MakePlan(EscapeMode mode, std::u16string_view text, std::u16string_view head,
              std::u16string_view tail, std::int16_t hStart, std::int16_t tStart) {
    Plan plan{ToEscape(mode), MakeFrame(head, tail, line::Count(hStart)), {}, 0};
    const Frame& f = plan.frame;
    // Every line is at least as wide as the prefix, so a tail column at or before the prefix's
    // end pads nothing.
    const std::int64_t prefixWidth = AnsiByteLength(f.first.view());
    const auto tailColumn = static_cast<std::int64_t>(line::Count(tStart));
    std::size_t separators = 0;
    std::size_t growth = 0;
    std::size_t padding = 0;
    if (tailColumn > prefixWidth + 1) {
        Measure m = MeasurePads(plan.escape, text, prefixWidth, tailColumn);
        plan.pads = std::move(m.pads);
        padding = m.padding;
        separators = m.separators;
        growth = m.growth;
    } else {
        const Tally t = CountMarks(text.data(), text.size());
        separators = t.separators;
        growth = EscapeGrowth(plan.escape, t);
    }
    plan.size = text.size() - 2 * separators + growth + f.first.size() +
                separators * f.between.size() + f.last.size() + padding;
    return plan;
}

// Writes exactly plan.size units at out.
void Fill(const Plan& plan, std::u16string_view text, char16_t* out) {
    const Padded* pads = plan.pads.empty() ? nullptr : plan.pads.data();
    [[maybe_unused]] const char16_t* end = PutLines(plan.escape, out, text, plan.frame, pads);
    assert(end == out + plan.size);
}

// Sizes s and has fill write every unit, without filling it with zeros first. The size given
// back is the one asked for: GCC 12's library passes the grown capacity instead when it
// allocates.
template <typename F>
void Overwrite(std::u16string& s, std::size_t size, F fill) {
    s.resize_and_overwrite(size, [&fill, size](char16_t* units, std::size_t) {
        fill(units);
        return size;
    });
}

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
    const char16_t* p = line.data();
    const char16_t* end = p + line.size();
    std::u16string out;
    Overwrite(out, line.size() + EscapeGrowth(e, CountMarks(p, line.size())), [&](char16_t* o) {
        WithEscape(e, [&](auto escape) { PutEscaped<escape>(o, p, end); });
    });
    return out;
}

std::u16string EscapeForC(std::u16string_view line) { return EscapeLine(kEscapeBackslash, line); }

std::u16string EscapeForVB(std::u16string_view line) {
    return EscapeLine(kEscapeQuoteDoubling, line);
}

void AppendConverted(std::u16string& out, EscapeMode mode, std::u16string_view text,
                     std::u16string_view head, std::u16string_view tail, std::int16_t hStart,
                     std::int16_t tStart) {
    const Plan plan = MakePlan(mode, text, head, tail, hStart, tStart);
    const std::size_t start = out.size();
    Overwrite(out, start + plan.size, [&](char16_t* units) { Fill(plan, text, units + start); });
}

void ConvertInto(const std::function<char16_t*(std::size_t)>& room, EscapeMode mode,
                 std::u16string_view text, std::u16string_view head, std::u16string_view tail,
                 std::int16_t hStart, std::int16_t tStart) {
    if (text.empty()) {
        room(0);
        return;
    }
    const Plan plan = MakePlan(mode, text, head, tail, hStart, tStart);
    if (char16_t* out = room(plan.size)) Fill(plan, text, out);
}

std::u16string ConvertLines(EscapeMode mode, std::u16string_view text, std::u16string_view head,
                            std::u16string_view tail) {
    return ConvertLinesAligned(mode, text, head, tail, 0, 0);
}

std::u16string ConvertLinesAligned(EscapeMode mode, std::u16string_view text,
                                   std::u16string_view head, std::u16string_view tail,
                                   std::int16_t hStart, std::int16_t tStart) {
    std::u16string out;
    if (text.empty()) return out;
    const Plan plan = MakePlan(mode, text, head, tail, hStart, tStart);
    Overwrite(out, plan.size, [&](char16_t* units) { Fill(plan, text, units); });
    return out;
}

bool HasNonDigit(std::u16string_view s) {
    return std::any_of(s.begin(), s.end(), [](char16_t c) { return c < u'0' || c > u'9'; });
}

std::int64_t AnsiByteLength(std::u16string_view s) {
    return static_cast<std::int64_t>(s.size()) + DoubleByteCount(s.data(), s.data() + s.size());
}

}  // namespace modConvert
