#pragma once
// The LZ77 variant of release 2007: literal runs stored in a shuffled byte order, back-references
// of several shapes. It reads only `in`, writes at most `limit` bytes (and never more than
// kMaxAc21Output), and refuses any back-reference to bytes not yet written.

#include "formats/dwg/r2004/lz77.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace dsc::dwg {

inline constexpr std::size_t kMaxAc21Output = 64u << 20;

// Decompresses all of `in` into `out` (cleared first); on error `out` keeps what was written
// before it. The stream has no end mark: it ends with its input.
Lz77Error decompressAc21(std::span<const std::uint8_t> in, std::size_t limit, std::vector<std::uint8_t>& out);

} // namespace dsc::dwg
