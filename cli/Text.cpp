#include "cli/Text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

#include "engine/cp932_table.h"

#if defined(__SSE2__) || defined(_M_X64) || defined(_M_AMD64)
#include <emmintrin.h>
#define KALVEX_CLI_SSE2 1
#else
#define KALVEX_CLI_SSE2 0
#endif

namespace cli {
namespace detail {
extern const std::size_t kCp932DecodeRunCount;
extern const std::uint16_t kCp932DecodeRuns[][3];
}  // namespace detail

namespace {

constexpr char16_t kNotValid = 0xFFFF;  // no code page 932 code decodes to it

// Each code's unit (a byte's below 0x100), or kNotValid.
const std::array<char16_t, 65536>& Cp932Units() {
    static const std::unique_ptr<std::array<char16_t, 65536>> units = [] {
        auto table = std::make_unique<std::array<char16_t, 65536>>();
        table->fill(kNotValid);
        for (std::size_t r = 0; r < detail::kCp932DecodeRunCount; ++r) {
            const std::uint16_t* run = detail::kCp932DecodeRuns[r];
            for (unsigned code = run[0]; code <= run[1]; ++code)
                (*table)[code] = static_cast<char16_t>(run[2] + (code - run[0]));
        }
        return table;
    }();
    return *units;
}

// The bytes Windows takes for the first of two in code page 932.
bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

}  // namespace

// The sequence at p, of which n bytes are there: its length, 0 when it is cut short, or -1
// when it is not valid.
int Decoder::Sequence(const unsigned char* p, std::size_t n, char32_t& c) const {
    const unsigned char b = p[0];
    if (encoding_ == Encoding::Cp932) {
        if (!IsLeadByte(b)) return (c = Cp932Units()[b]) == kNotValid ? -1 : 1;
        if (n < 2) return 0;
        return (c = Cp932Units()[b << 8 | p[1]]) == kNotValid ? -1 : 2;
    }
    int more;
    char32_t least;  // a longer form of a smaller value is not valid
    if (b >= 0xC2 && b <= 0xDF) {
        more = 1, c = b & 0x1F, least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        more = 2, c = b & 0x0F, least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        more = 3, c = b & 0x07, least = 0x10000;
    } else {
        return -1;
    }
    for (int i = 1; i <= more; ++i) {
        if (static_cast<std::size_t>(i) >= n) return 0;
        if ((p[i] & 0xC0) != 0x80) return -1;
        c = (c << 6) | (p[i] & 0x3F);
    }
    return c < least || c > 0x10FFFF || IsSurrogate(c) ? -1 : more + 1;
}

char16_t* Decoder::Put(char32_t c, char16_t* out) {
    const bool lf = c == u'\n' && afterCR_;
    afterCR_ = c == u'\r';
    if (lf) return out;
    if (c == u'\r' || c == u'\n' || c == 0x2029) {
        ++line_;
        *out++ = u'\r';
        *out++ = u'\n';
    } else if (c < 0x10000) {
        *out++ = static_cast<char16_t>(c);
    } else {
        *out++ = static_cast<char16_t>(0xD7C0 + (c >> 10));
        *out++ = static_cast<char16_t>(0xDC00 | (c & 0x3FF));
    }
    return out;
}

// Completes the held sequence, which the end of the last bytes cut, from the first of these.
char16_t* Decoder::DecodeHeld(const unsigned char*& p, const unsigned char* end, char16_t* out) {
    while (p != end) {
        held_[heldCount_++] = *p++;
        char32_t c;
        const int length = Sequence(held_, heldCount_, c);
        if (length < 0) Fail(heldAt_);
        if (length > 0) {
            heldCount_ = 0;
            return Put(c, out);
        }
    }
    return out;
}

char16_t* Decoder::Decode(const char* bytes, std::size_t n, char16_t* out) {
    const auto begin = reinterpret_cast<const unsigned char*>(bytes);
    const auto end = begin + n;
    auto p = begin;
    const std::uint64_t base = offset_;
    offset_ += n;
    if (!started_) {
        // A BOM is dropped: the file's first three bytes, which may come one at a time. Bytes
        // that only began like one are the start of a sequence.
        static constexpr unsigned char kBom[] = {0xEF, 0xBB, 0xBF};
        while (encoding_ == Encoding::Utf8 && p != end && heldCount_ < 3 && *p == kBom[heldCount_])
            held_[heldCount_++] = *p++;
        if (heldCount_ == 3) heldCount_ = 0;
        if (p == end && heldCount_ > 0) return out;
        started_ = true;
    }
    if (heldCount_ > 0) out = DecodeHeld(p, end, out);
    while (p != end) {
#if KALVEX_CLI_SSE2
        // Most text is ASCII: widen 16 bytes at a time until one is not ASCII, CR or LF.
        const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
        const __m128i zero = _mm_setzero_si128();
        while (end - p >= 16) {
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const int stop = _mm_movemask_epi8(
                _mm_or_si128(b, _mm_or_si128(_mm_cmpeq_epi8(b, cr), _mm_cmpeq_epi8(b, lf))));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(b, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(b, zero));
            const int plain = stop ? std::countr_zero(static_cast<unsigned>(stop)) : 16;
            if (plain > 0) afterCR_ = false;
            p += plain, out += plain;
            if (stop) break;
        }
#endif
        if (p == end) break;
        if (*p < 0x80) {  // ASCII in both encodings
            out = Put(*p++, out);
            continue;
        }
        char32_t c;
        const int length = Sequence(p, end - p, c);
        if (length < 0) Fail(base + (p - begin));
        if (length == 0) {  // cut by the end of these bytes
            heldAt_ = base + (p - begin);
            heldCount_ = end - p;
            std::memcpy(held_, p, heldCount_);
            break;
        }
        p += length;
        out = Put(c, out);
    }
    return out;
}

void Decoder::Finish() const {
    if (heldCount_ > 0) Fail(heldAt_);
}

char* Encoder::PutCp932(char16_t c, char* out) const {
    const std::uint16_t code = modConvert::detail::Cp932Code(c);
    if (code > 0xFF) *out++ = static_cast<char>(code >> 8);
    *out++ = static_cast<char>(code & 0xFF);
    return out;
}

void Encoder::Fail(const char16_t* p, const char16_t* end, const char* at, const char* out) const {
    const std::size_t lines = lines_ + std::count(start_, p, u'\n');
    char32_t c = *p;
    if (c >= 0xD800 && c < 0xDC00 && p + 1 != end && p[1] >= 0xDC00 && p[1] < 0xE000)
        c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
    throw BadText{lines + 1, written_ + static_cast<std::uint64_t>(out - at), c};
}

char* Encoder::Encode(const char16_t* p, const char16_t* end, char* out) {
    char* const at = out;
    start_ = p;
    std::size_t lines = 0;
    while (p != end) {
#if KALVEX_CLI_SSE2
        // 16 ASCII units at a time, counting line ends, until one is not ASCII or is a CR that
        // LF line ends drop.
        const __m128i notAscii = _mm_set1_epi16(static_cast<short>(0xFF80));
        const __m128i zero = _mm_setzero_si128();
        const __m128i lf = _mm_set1_epi16('\n');
        const __m128i cr = _mm_set1_epi16(lf_ ? '\r' : -1);  // -1: no ASCII unit
        while (end - p >= 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8));
            const __m128i plainA = _mm_andnot_si128(
                _mm_cmpeq_epi16(a, cr), _mm_cmpeq_epi16(_mm_and_si128(a, notAscii), zero));
            const __m128i plainB = _mm_andnot_si128(
                _mm_cmpeq_epi16(b, cr), _mm_cmpeq_epi16(_mm_and_si128(b, notAscii), zero));
            if (_mm_movemask_epi8(_mm_and_si128(plainA, plainB)) != 0xFFFF) break;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(a, b));
            lines += std::popcount(static_cast<unsigned>(_mm_movemask_epi8(
                _mm_packs_epi16(_mm_cmpeq_epi16(a, lf), _mm_cmpeq_epi16(b, lf)))));
            p += 16, out += 16;
        }
#endif
        if (p == end) break;
        char32_t c = *p;
        if (c == u'\r' && lf_ && p + 1 != end && p[1] == u'\n') {
            ++p;
            continue;
        }
        if (c < 0x80) {
            lines += c == u'\n';
            *out++ = static_cast<char>(c);
            ++p;
            continue;
        }
        if (encoding_ == Encoding::Cp932) {
            if (modConvert::detail::IsLossy(static_cast<char16_t>(c))) Fail(p, end, at, out);
            out = PutCp932(static_cast<char16_t>(c), out);
            ++p;
            continue;
        }
        if (IsSurrogate(c)) {
            if (c > 0xDBFF || p + 1 == end || p[1] < 0xDC00 || p[1] > 0xDFFF) Fail(p, end, at, out);
            c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        }
        ++p;
        if (c < 0x800) {
            *out++ = static_cast<char>(0xC0 | (c >> 6));
        } else {
            if (c < 0x10000) {
                *out++ = static_cast<char>(0xE0 | (c >> 12));
            } else {
                *out++ = static_cast<char>(0xF0 | (c >> 18));
                *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            }
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        }
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    lines_ += lines;
    written_ += out - at;
    return out;
}

std::u16string FromUtf8(std::string_view bytes) {
    std::u16string text(2 * bytes.size() + 8, u'\0');
    Decoder decoder(Encoding::Utf8);
    text.resize(decoder.Decode(bytes.data(), bytes.size(), text.data()) - text.data());
    decoder.Finish();
    return text;
}

std::string ToUtf8(std::u16string_view text) {
    std::string bytes(3 * text.size(), '\0');
    Encoder encoder(Encoding::Utf8, false);
    bytes.resize(encoder.Encode(text.data(), text.data() + text.size(), bytes.data()) -
                 bytes.data());
    return bytes;
}

}  // namespace cli
