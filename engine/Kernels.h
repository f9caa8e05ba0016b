// The loops that walk the text unit by unit for the conversion: the fill's copy up to the next
// CR, the aligned form's block loop over the separators, and the plain searches and escapes. In
// SSE2/SSSE3 where the processor has them, in plain C++ elsewhere. Included by modConvert.cpp
// alone, so that everything here inlines into its passes.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numeric>

#include "engine/Line.h"

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#include <tmmintrin.h>
#endif
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#define KALVEX_ALWAYS_INLINE __forceinline
#define KALVEX_INLINE_JOB
#else
#define KALVEX_ALWAYS_INLINE [[gnu::always_inline]] inline
#define KALVEX_INLINE_JOB __attribute__((always_inline))
#endif

// Whether the SSE2 and SSSE3 kernels are built at all; the end of this file chooses among them.
#if (defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)) && !defined(KALVEX_PORTABLE_SEARCH)
#define KALVEX_SSE2 1
#else
#define KALVEX_SSE2 0
#endif

namespace modConvert {
namespace {

using line::kCR;
using line::kLF;
constexpr char16_t kBackslash = u'\\';
constexpr char16_t kQuote = u'"';

// The escape options as the kernels are instantiated for them.
enum class Escape { kNone, kBackslash, kQuoteDoubling };

template <Escape E>
constexpr EscapeMode kModeOf = E == Escape::kBackslash       ? kEscapeBackslash
                               : E == Escape::kQuoteDoubling ? kEscapeQuoteDoubling
                                                             : kEscapeNone;

// The vector kernels below mark the same units in lanes: \ and " for C, " for VB.
template <Escape E>
constexpr bool NeedsEscape(char16_t c) {
    return line::MarkBefore(kModeOf<E>, c) != 0;
}

// Every option that marks anything marks the quote.
template <Escape E>
constexpr char16_t EscapeMark() {
    return line::MarkBefore(kModeOf<E>, kQuote);
}

// Points at the CR of the first CR LF in [p, end), or at end.
const char16_t* FindSeparator(const char16_t* p, const char16_t* end) {
    for (;;) {
        p = std::find(p, end, kCR);
        if (p == end || (p + 1 != end && p[1] == kLF)) return p;
        ++p;
    }
}

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

// The kernels a pass is instantiated with: these in plain C++, where the aligned form's
// measuring pass has no block loop and its plain loop reads the whole text.
template <Escape E>
struct PlainKernels {
    static void CopyToCR(const char16_t*& p, const char16_t* end, char16_t*& o) {
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
    template <typename EndLine>
    static std::int64_t NoteSeparators(const char16_t*, std::int64_t, std::size_t&, EndLine&) {
        return 0;
    }
};

#if KALVEX_SSE2
inline __m128i Load(const char16_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

inline void Store(char16_t* o, __m128i units) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), units);
}

template <Escape E>
inline __m128i EscapeLanes(__m128i units) {
    if constexpr (E == Escape::kBackslash) {
        return _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16(static_cast<short>(kBackslash))),
                            _mm_cmpeq_epi16(units, _mm_set1_epi16(static_cast<short>(kQuote))));
    }
    if constexpr (E == Escape::kQuoteDoubling) {
        return _mm_cmpeq_epi16(units, _mm_set1_epi16(static_cast<short>(kQuote)));
    }
    return _mm_setzero_si128();
}

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

// With SSE2 the aligned form's measuring pass reads 32 units a block: the fill stays in words.
template <Escape E>
struct Sse2Kernels : PlainKernels<E> {
    // Hands endLine the CR of every CR LF in the text but its last 32 units or so, adds the
    // escapes read to growth, and gives back where it stopped. The block loop only notes where
    // the CRs are, and the lines are ended after each stretch of blocks: a block then costs few
    // instructions and no call.
    template <typename EndLine>
    KALVEX_ALWAYS_INLINE static std::int64_t NoteSeparators(const char16_t* text0,
                                                            std::int64_t size, std::size_t& growth,
                                                            EndLine& endLine) {
        std::int64_t at = 0;
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
                // The text has usually left the cache by now, and this loop asks for it too
                // slowly for the hardware to fetch it ahead in time. Past the text's end the
                // address is only a hint: a prefetch never faults.
                _mm_prefetch(
                    reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(p) + 2048),
                    _MM_HINT_T0);
                for (int i = 0; i < 4; ++i) {
                    escapes = _mm_sub_epi16(escapes, EscapeLanes<E>(Load(p + 8 * i)));
                }
                // Whether a block holds a CR cannot be predicted, and a block seldom holds two,
                // so the first one is noted without a branch on whether there is one.
                std::uint32_t crs = Mask32(p, crLanes);  // bit i: p[i] is a CR
                crAt[c] = at + std::countr_zero(std::uint64_t{crs} | std::uint64_t{1} << 32);
                c += crs != 0;
                for (crs &= crs - 1; crs != 0; crs &= crs - 1) {
                    crAt[c++] = at + std::countr_zero(crs);
                }
            }
            growth += SumLanes(escapes);
            // Each CR noted has a unit after it: the stretch ended 32 units or more before the end.
            for (std::size_t i = 0; i < c; ++i) {
                if (text0[crAt[i] + 1] == kLF) endLine(crAt[i]);
            }
        }
        return at;
    }
};

#if defined(_MSC_VER) && !defined(__clang__)
#define KALVEX_TARGET_SSSE3
bool HasSsse3() {
    int info[4];
    __cpuid(info, 1);
    return (info[2] >> 9) & 1;
}
#else
#define KALVEX_TARGET_SSSE3 __attribute__((target("ssse3")))
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

// Stores the eight units with a mark before each escaped one: sixteen places, of which the
// first eight and one per escape count.
template <Escape E>
KALVEX_TARGET_SSSE3 inline char16_t* Spread(char16_t* o, __m128i units, unsigned escapes) {
    const __m128i zeroed = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i mark = _mm_set1_epi16(static_cast<short>(EscapeMark<E>()));
    for (int half = 0; half < 2; ++half) {
        const __m128i from =
            _mm_load_si128(reinterpret_cast<const __m128i*>(kSpreads.bytes[escapes] + 16 * half));
        const __m128i marks = _mm_and_si128(_mm_cmpeq_epi8(from, zeroed), mark);
        Store(o + 8 * half, _mm_or_si128(_mm_shuffle_epi8(units, from), marks));
    }
    return o + kSpreads.length[escapes];
}

// With SSSE3 the fill does not stop at escapes: a byte shuffle spreads eight units over sixteen
// places, a mark before each unit to escape, chosen from a table by which of the eight are
// escaped. In escape-dense text one unit in eight or nine is escaped, so a search that stops at
// each one stops about once per eight units, mostly mispredicted.
template <Escape E>
struct Ssse3Kernels : Sse2Kernels<E> {
    // Sixteen units a step: one well-predicted test for a CR, then two spreads.
    KALVEX_TARGET_SSSE3 static void CopyToCR(const char16_t*& p, const char16_t* end,
                                             char16_t*& o) {
        const __m128i cr = _mm_set1_epi16(static_cast<short>(kCR));
        while (end - p >= 32) {  // two spreads store 32 places
            const __m128i a = Load(p);
            const __m128i b = Load(p + 8);
            const auto crs = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(a, cr), _mm_cmpeq_epi16(b, cr))));
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
};

// The job compiled for SSSE3: its call operator is KALVEX_INLINE_JOB, so that it inlines here,
// and the spreads with it.
template <Escape E, typename Job>
KALVEX_TARGET_SSSE3 auto WithSsse3(const Job& job) {
    return job(Ssse3Kernels<E>{});
}
#endif

// The kernels each pass gets, chosen here alone. SSE2 is part of every x86-64 processor, so the
// measuring pass's block loop is chosen when compiling. The fill's spreads need SSSE3, which
// nearly every one has: it is checked at run time, once, and without it the fill scans 64-bit
// words. KALVEX_PORTABLE_SEARCH selects the plain C++ kernels on x86-64 too, to test them there.
#if KALVEX_SSE2
template <Escape E>
using MeasureKernels = Sse2Kernels<E>;

template <Escape E, typename Job>
KALVEX_ALWAYS_INLINE auto WithFillKernels(const Job& job) {
    static const bool ssse3 = HasSsse3();
    if (ssse3) return WithSsse3<E>(job);
    return job(Sse2Kernels<E>{});
}
#else
template <Escape E>
using MeasureKernels = PlainKernels<E>;

template <Escape E, typename Job>
KALVEX_ALWAYS_INLINE auto WithFillKernels(const Job& job) {
    return job(PlainKernels<E>{});
}
#endif

}  // namespace
}  // namespace modConvert
