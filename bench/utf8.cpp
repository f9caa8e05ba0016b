#include "bench/utf8.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define KALVEX_BENCH_SSE2 1
#else
#define KALVEX_BENCH_SSE2 0
#endif

namespace kalvex_bench {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes the sequence at p (known not to be ASCII) and advances p past it.
char32_t DecodeOne(const unsigned char*& p, const unsigned char* end) {
    const unsigned char b = *p++;
    int more;
    char32_t c;
    char32_t least;  // the smallest value the length may carry: longer forms are ill-formed
    if (b >= 0xC2 && b <= 0xDF) {
        more = 1, c = b & 0x1F, least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        more = 2, c = b & 0x0F, least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        more = 3, c = b & 0x07, least = 0x10000;
    } else {
        return kReplacement;
    }
    if (end - p < more) return kReplacement;
    for (int i = 0; i < more; ++i) {
        if (!IsContinuation(p[i])) return kReplacement;
        c = (c << 6) | (p[i] & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return kReplacement;
    p += more;
    return c;
}

}  // namespace

char16_t* DecodeUtf8(const char* begin, const char* stop, char16_t* out) {
    auto p = reinterpret_cast<const unsigned char*>(begin);
    const auto end = reinterpret_cast<const unsigned char*>(stop);
    while (p != end) {
        // Most markup is ASCII: widen whole blocks while no high bit is set.
#if KALVEX_BENCH_SSE2
        const __m128i zero = _mm_setzero_si128();
        while (end - p >= 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            if (_mm_movemask_epi8(bytes) != 0) break;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, zero));
            p += 16, out += 16;
        }
#endif
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080u) break;
            for (int i = 0; i < 8; ++i) out[i] = p[i];
            p += 8, out += 8;
        }
        if (p == end) break;
        if (*p < 0x80) {
            *out++ = *p++;
            continue;
        }
        const char32_t c = DecodeOne(p, end);
        if (c < 0x10000) {
            *out++ = static_cast<char16_t>(c);
        } else {
            *out++ = static_cast<char16_t>(0xD7C0 + (c >> 10));
            *out++ = static_cast<char16_t>(0xDC00 | (c & 0x3FF));
        }
    }
    return out;
}

char* EncodeUtf8(const char16_t* p, const char16_t* end, char* out) {
    while (p != end) {
#if KALVEX_BENCH_SSE2
        const __m128i nonAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
        const __m128i zero = _mm_setzero_si128();
        while (end - p >= 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
            const __m128i high = _mm_and_si128(_mm_or_si128(a, b), nonAscii);
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, zero)) != 0xFFFF) break;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(a, b));
            p += 16, out += 16;
        }
#endif
        while (end - p >= 4) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0xFF80FF80FF80FF80u) break;
            for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(p[i]);
            p += 4, out += 4;
        }
        if (p == end) break;
        char32_t c = *p++;
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && p != end && *p >= 0xDC00 && *p <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
            } else {
                c = kReplacement;
            }
        }
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *out++ = static_cast<char>(0xC0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *out++ = static_cast<char>(0xE0 | (c >> 12));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *out++ = static_cast<char>(0xF0 | (c >> 18));
            *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace kalvex_bench
