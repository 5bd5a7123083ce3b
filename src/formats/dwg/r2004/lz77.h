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

// Appends `count` bytes copied from `offset` bytes back in `out`, the copy overlapping what it
// writes when the offset is shorter than the count (the pattern repeats). Refuses a reference to
// nothing or to before the start, and output past `limit`, writing nothing then.
inline Lz77Error copyBackReference(std::vector<std::uint8_t>& out, std::uint64_t offset, std::uint64_t count,
                                   std::size_t limit) {
    if (offset == 0 || offset > out.size()) {
        return Lz77Error::BadReference;
    }
    if (out.size() > limit || count > limit - out.size()) {
        return Lz77Error::Overflow;
    }
    std::size_t from = out.size() - static_cast<std::size_t>(offset);
    for (std::uint64_t i = 0; i < count; ++i) {
        out.push_back(out[from++]);
    }
    return Lz77Error::None;
}

// Appends to `out` (cleared first); on error `out` keeps what was written before it.
Lz77Error decompressAc18(std::span<const std::uint8_t> in, std::size_t limit, std::vector<std::uint8_t>& out);

} // namespace dsc::dwg
