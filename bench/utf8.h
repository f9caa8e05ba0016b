// UTF-8 <-> UTF-16 for the file driver: raw pointers into buffers the caller sized and reuses.
#pragma once

#include <cstddef>

namespace kalvex_bench {

// Writes at most one unit per input byte; an ill-formed byte becomes U+FFFD.
char16_t* DecodeUtf8(const char* p, const char* end, char16_t* out);

// Writes at most three bytes per input unit; a lone surrogate becomes U+FFFD.
char* EncodeUtf8(const char16_t* p, const char16_t* end, char* out);

}  // namespace kalvex_bench
