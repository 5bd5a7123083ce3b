#pragma once
// Objects of 2007 and later keep their strings apart, at the end of their data: a flag just before
// the handle stream says whether they have any, and the stream's size is read backwards from there.

#include <cstdint>
#include <optional>
#include <span>

namespace dsc::dwg {

struct BitRange {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
};

// The string stream of an object whose data ends at `dataEndBit`; none when the flag is clear or the
// sizes point outside the data.
std::optional<BitRange> findStringStream(std::span<const std::uint8_t> data, std::uint64_t dataEndBit);

} // namespace dsc::dwg
