#include "engine/modConvert.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstddef>
#include <cstring>
#include <numeric>
#include <utility>

#include "engine/cp932_table.h"

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#include <tmmintrin.h>
#endif
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

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

// KALVEX_PORTABLE_SEARCH selects the plain C++ searches on x86-64 too, to test them there.
#if (defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)) && !defined(KALVEX_PORTABLE_SEARCH)
#define KALVEX_SSE2 1
#else
#define KALVEX_SSE2 0
#endif

#if KALVEX_SSE2
inline __m128i Load(const char16_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline void Store(char16_t* o, __m128i units) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), units);
}

#endif

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

// The fill pass copies the units up to the next CR, putting a mark before each unit to escape.
// Its stores may run ahead of the units they stand for: the output still to come is at least as
// long as the input still to read, so a store stays inside the result while the input left is
// as long as the store, and whatever it wrote past the units it stands for is written again.
//
// In plain C++ the pass reads four units to a 64-bit word and stops at each unit to escape.
// ZeroLanes sets the high bit of each 16-bit lane that is zero; a borrow can also set it in a
// lane above a zero one, so only the lowest set lane is sure, and only the lowest is used.
constexpr std::uint64_t kLaneOnes = 0x0001000100010001u;
constexpr std::uint64_t kLaneHighs = 0x8000800080008000u;

constexpr std::uint64_t ZeroLanes(std::uint64_t x) { return (x - kLaneOnes) & ~x & kLaneHighs; }

constexpr std::uint64_t LanesOf(std::uint64_t word, char16_t c) {
    return ZeroLanes(word ^ (kLaneOnes * c));
}

template <Escape E>
void CopyToCRByWords(const char16_t*& p, const char16_t* end, char16_t*& o) {
    if constexpr (std::endian::native != std::endian::little) return;
    while (end - p >= 4) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        std::memcpy(o, &word, sizeof word);
        std::uint64_t stops = LanesOf(word, kCR);
        if constexpr (E == Escape::kBackslash) {
            stops |= LanesOf(word, kBackslash) | LanesOf(word, kQuote);
        }
        if constexpr (E == Escape::kQuoteDoubling) stops |= LanesOf(word, kQuote);
        if (stops == 0) {
            p += 4;
            o += 4;
            continue;
        }
        const int k = std::countr_zero(stops) / 16;
        p += k;
        o += k;
        if (*p == kCR) return;
        *o++ = EscapeMark<E>();
        *o++ = *p++;
    }
}

// With SSSE3, which nearly every x86-64 processor has (checked at run time), the pass does not
// stop at escapes: a byte shuffle spreads eight units over sixteen places, a mark before each
// unit to escape, chosen from a table by which of the eight are escaped. In escape-dense text
// one unit in eight or nine is escaped, so a search that stops at each one stops about once per
// eight units, mostly mispredicted.
#if KALVEX_SSE2
#define KALVEX_SPREAD 1
#if defined(_MSC_VER) && !defined(__clang__)
#define KALVEX_TARGET_SSSE3
#define KALVEX_ALWAYS_INLINE __forceinline
bool HasSsse3() {
    int info[4];
    __cpuid(info, 1);
    return (info[2] >> 9) & 1;
}
#else
#define KALVEX_TARGET_SSSE3 __attribute__((target("ssse3")))
#define KALVEX_ALWAYS_INLINE [[gnu::always_inline]] inline
bool HasSsse3() { return __builtin_cpu_supports("ssse3"); }
#endif

// For each set of escaped units among eight (bit i for unit i): the source byte of each of the
// 32 output bytes, 0x80 where a mark goes (the shuffle gives zero there), and the output length.
struct Spreads {
    alignas(16) std::uint8_t bytes[256][32];
    std::uint8_t length[256];
};

constexpr Spreads MakeSpreads() {
    Spreads t{};
    for (unsigned escapes = 0; escapes < 256; ++escapes) {
        std::uint8_t* bytes = t.bytes[escapes];
        unsigned out = 0;
        const auto put = [&](std::uint8_t low, std::uint8_t high) {
            bytes[2 * out] = low;
            bytes[2 * out + 1] = high;
            ++out;
        };
        for (unsigned i = 0; i < 8; ++i) {
            if ((escapes >> i) & 1) put(0x80, 0x80);
            put(static_cast<std::uint8_t>(2 * i), static_cast<std::uint8_t>(2 * i + 1));
        }
        t.length[escapes] = static_cast<std::uint8_t>(out);
        while (out < 16) put(0x80, 0x80);
    }
    return t;
}

constexpr Spreads kSpreads = MakeSpreads();

template <Escape E>
inline __m128i EscapeLanes(__m128i units) {
    if constexpr (E == Escape::kBackslash) {
        return _mm_or_si128(
            _mm_cmpeq_epi16(units, _mm_set1_epi16(static_cast<short>(kBackslash))),
            _mm_cmpeq_epi16(units, _mm_set1_epi16(static_cast<short>(kQuote))));
    }
    if constexpr (E == Escape::kQuoteDoubling) {
        return _mm_cmpeq_epi16(units, _mm_set1_epi16(static_cast<short>(kQuote)));
    }
    return _mm_setzero_si128();
}

// Stores the eight units with a mark before each escaped one: sixteen places, of which the
// first eight and one per escape count.
template <Escape E>
KALVEX_TARGET_SSSE3 inline char16_t* Spread(char16_t* o, __m128i units, unsigned escapes) {
    const __m128i zeroed = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i mark = _mm_set1_epi16(static_cast<short>(EscapeMark<E>()));
    for (int half = 0; half < 2; ++half) {
        const __m128i from = _mm_load_si128(
            reinterpret_cast<const __m128i*>(kSpreads.bytes[escapes] + 16 * half));
        const __m128i marks = _mm_and_si128(_mm_cmpeq_epi8(from, zeroed), mark);
        Store(o + 8 * half, _mm_or_si128(_mm_shuffle_epi8(units, from), marks));
    }
    return o + kSpreads.length[escapes];
}

// Sixteen units a step: one well-predicted test for a CR, then two spreads.
template <Escape E>
KALVEX_TARGET_SSSE3 inline void CopyToCRBySpreads(const char16_t*& p, const char16_t* end,
                                                  char16_t*& o) {
    const __m128i cr = _mm_set1_epi16(static_cast<short>(kCR));
    while (end - p >= 32) {  // two spreads store 32 places
        const __m128i a = Load(p);
        const __m128i b = Load(p + 8);
        const auto crs = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_packs_epi16(_mm_cmpeq_epi16(a, cr), _mm_cmpeq_epi16(b, cr))));
        const auto escapes = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_packs_epi16(EscapeLanes<E>(a), EscapeLanes<E>(b))));
        if (crs == 0) {
            o = Spread<E>(o, a, escapes & 0xff);
            o = Spread<E>(o, b, escapes >> 8);
            p += 16;
            continue;
        }
        // Only the units before the CR count: spread both halves with the escapes before it,
        // then step back over the places that stand for the sixteen - k units from the CR on.
        const int k = std::countr_zero(crs);
        const unsigned before = escapes & ((1u << k) - 1);
        o = Spread<E>(o, a, before & 0xff);
        o = Spread<E>(o, b, before >> 8);
        o -= 16 - k;
        p += k;
        return;
    }
}
#else
#define KALVEX_SPREAD 0
#define KALVEX_ALWAYS_INLINE inline
#endif

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
    last += u"\r\n";
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
template <Escape E, bool kBySpreads>
KALVEX_ALWAYS_INLINE char16_t* PutLinesWith(char16_t* o, const char16_t* p, const char16_t* end,
                                            const Frame& f, const Padded* pads) {
    o = Put(o, f.first.view());
    for (;;) {
#if KALVEX_SPREAD
        if constexpr (kBySpreads) CopyToCRBySpreads<E>(p, end, o);
#endif
        if constexpr (!kBySpreads) CopyToCRByWords<E>(p, end, o);
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

template <Escape E>
char16_t* PutLinesByWords(char16_t* o, const char16_t* p, const char16_t* end, const Frame& f,
                          const Padded* pads) {
    return PutLinesWith<E, false>(o, p, end, f, pads);
}

#if KALVEX_SPREAD
template <Escape E>
KALVEX_TARGET_SSSE3 char16_t* PutLinesBySpreads(char16_t* o, const char16_t* p,
                                                const char16_t* end, const Frame& f,
                                                const Padded* pads) {
    return PutLinesWith<E, true>(o, p, end, f, pads);
}
#endif

template <Escape E>
char16_t* PutLines(char16_t* o, const char16_t* p, const char16_t* end, const Frame& f,
                   const Padded* pads) {
#if KALVEX_SPREAD
    static const bool bySpreads = HasSsse3();
    if (bySpreads) return PutLinesBySpreads<E>(o, p, end, f, pads);
#endif
    return PutLinesByWords<E>(o, p, end, f, pads);
}

char16_t* PutLines(Escape e, char16_t* o, std::u16string_view text, const Frame& f,
                   const Padded* pads) {
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

// The aligned form's pass before the fill: the filler before each line's tail, and the lines
// and escapes of the whole text on the way, so that the text is read once before the fill.
struct Measure {
    std::vector<Padded> pads;
    std::size_t padding = 0;  // their spaces
    std::size_t separators = 0;
    std::size_t growth = 0;  // units escaping adds
};

// The filler before the tail of a line: its width is the prefix's, its units', one byte for
// each mark escaping adds (every mark is ASCII) and one more for each double-byte unit. room is
// the columns a line of no width leaves before the tail.
template <Escape E>
std::size_t Pad(const char16_t* p, const char16_t* end, std::int64_t room) {
    std::int64_t width = end - p;
    for (; p != end; ++p) width += NeedsEscape<E>(*p) + (*p >= 0x80 && detail::IsDoubleByte(*p));
    return width < room ? static_cast<std::size_t>(room - width) : 0;
}

#if KALVEX_SSE2
// Bit i for each of the 32 units from p whose lane lanes() sets.
template <typename Lanes>
KALVEX_ALWAYS_INLINE std::uint32_t Mask32(const char16_t* p, Lanes lanes) {
    const auto half = [&](int i) {
        return static_cast<std::uint32_t>(
            _mm_movemask_epi8(_mm_packs_epi16(lanes(p + 8 * i), lanes(p + 8 * i + 8))));
    };
    return half(0) | half(2) << 16;
}

// The sum of the eight 16-bit lanes.
std::size_t SumLanes(__m128i v) {
    std::uint16_t lanes[8];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), v);
    return std::accumulate(std::begin(lanes), std::end(lanes), std::size_t{0});
}
#endif

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
    std::int64_t at = 0;
    const auto measure = [&](std::int64_t start, std::int64_t end) {
        if (const std::size_t spaces = Pad<E>(text0 + start, text0 + end, room)) {
            m.pads.push_back({text0 + end, spaces});
            m.padding += spaces;
        }
    };
    const auto endLine = [&](std::int64_t end) {
        if (end - line < room) measure(line, end);
        ++n;
        line = end + 2;
    };
#if KALVEX_SSE2
    // The block loop only notes where the CRs are, and the lines are ended after each stretch
    // of blocks: a block then costs few instructions and no call.
    constexpr std::size_t kNoted = 512;
    std::int64_t crAt[kNoted];
    const __m128i cr = _mm_set1_epi16(static_cast<short>(kCR));
    const auto crLanes = [&](const char16_t* q) { return _mm_cmpeq_epi16(Load(q), cr); };
    while (size - at > 32) {
        std::size_t c = 0;
        __m128i escapes = _mm_setzero_si128();  // per lane, at most 4 a block
        // A stretch holds at most 32768 in a lane and leaves room to note a block's 32 CRs.
        const std::int64_t stop = std::min(size - 32, at + 8192 * 32);
        for (; at < stop && c <= kNoted - 32; at += 32) {
            const char16_t* p = text0 + at;
            // The text has usually left the cache by now, and this loop asks for it too slowly
            // for the hardware to fetch it ahead in time. Past the text's end the address is
            // only a hint: a prefetch never faults.
            _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(p) + 2048),
                         _MM_HINT_T0);
            for (int i = 0; i < 4; ++i) {
                escapes = _mm_sub_epi16(escapes, EscapeLanes<E>(Load(p + 8 * i)));
            }
            // Whether a block holds a CR cannot be predicted, and a block seldom holds two, so
            // the first one is noted without a branch on whether there is one.
            std::uint32_t crs = Mask32(p, crLanes);  // bit i: p[i] is a CR
            crAt[c] = at + std::countr_zero(std::uint64_t{crs} | std::uint64_t{1} << 32);
            c += crs != 0;
            for (crs &= crs - 1; crs != 0; crs &= crs - 1) crAt[c++] = at + std::countr_zero(crs);
        }
        m.growth += SumLanes(escapes);
        // Each CR noted has a unit after it: the stretch ended 32 units or more before the end.
        for (std::size_t i = 0; i < c; ++i) {
            if (text0[crAt[i] + 1] == kLF) endLine(crAt[i]);
        }
    }
#endif
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
    switch (e) {
        case Escape::kBackslash:
            return MeasurePads<Escape::kBackslash>(text, prefixWidth, tailColumn);
        case Escape::kQuoteDoubling:
            return MeasurePads<Escape::kQuoteDoubling>(text, prefixWidth, tailColumn);
        case Escape::kNone:
            break;
    }
    return MeasurePads<Escape::kNone>(text, prefixWidth, tailColumn);
}

std::size_t NonNegative(std::int16_t v) { return v < 0 ? 0 : static_cast<std::size_t>(v); }

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
    Plan plan{ToEscape(mode), MakeFrame(head, tail, NonNegative(hStart)), {}, 0};
    const Frame& f = plan.frame;
    // Every line is at least as wide as the prefix, so a tail column at or before the prefix's
    // end pads nothing.
    const std::int64_t prefixWidth = AnsiByteLength(f.first.view());
    const auto tailColumn = static_cast<std::int64_t>(NonNegative(tStart));
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
        switch (e) {
            case Escape::kBackslash:
                PutEscaped<Escape::kBackslash>(o, p, end);
                break;
            case Escape::kQuoteDoubling:
                PutEscaped<Escape::kQuoteDoubling>(o, p, end);
                break;
            case Escape::kNone:
                PutEscaped<Escape::kNone>(o, p, end);
                break;
        }
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
