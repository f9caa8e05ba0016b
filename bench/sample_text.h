// Realistic input for the benchmarks: the HTML of a servlet page, CR LF line ends, about 60
// characters a line, quotes and backslashes as in real markup and scripts, a few percent of the
// lines in Japanese. The same seed gives the same text on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kalvex_bench {

// At least `units` UTF-16 code units of whole lines, each ended by CR LF.
std::u16string MakeSampleText(std::size_t units, std::uint32_t seed = 1);

// The same, escape-dense: quoted attributes on every tag, backslashes in paths and scripts, a
// third of the lines in Japanese.
std::u16string MakeDenseSampleText(std::size_t units, std::uint32_t seed = 1);

}  // namespace kalvex_bench
