#pragma once
// The LZ77 variant that compresses the paged sections of releases 2004 and 2010 onwards. It writes
// at most `limit` bytes and refuses any back-reference that points before the start of what was
// written.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dsc::dwg {

enum class Lz77Error {
    None,
    Truncated,    // the input ended inside an instruction or before the end mark
    BadReference, // a copy from before the start of the output
    Overflow,     // more output than the declared size
    BadOpcode,    // an instruction the format does not define
};

std::string describe(Lz77Error error);

// Appends to `out` (cleared first); on error `out` keeps what was written before it.
Lz77Error decompressAc18(std::span<const std::uint8_t> in, std::size_t limit, std::vector<std::uint8_t>& out);

} // namespace dsc::dwg
