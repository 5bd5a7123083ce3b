#pragma once
// The checks and masks of the 2004 container: the section pages' checksum (two running sums modulo
// 65521, as in Adler-32 but seeded) and the pseudo-random sequence the file header is XORed with.

#include <cstdint>
#include <span>

namespace dsc::dwg {

std::uint32_t pageChecksum(std::uint32_t seed, std::span<const std::uint8_t> data);

// XORs `data` with the sequence of a linear congruential generator seeded with 1 (the byte taken is
// bits 16-23 of each state); applying it twice restores the bytes.
void applyHeaderSequence(std::span<std::uint8_t> data);

// The mask of a data page's 32-byte header: each 32-bit word is XORed with a constant and the
// page's offset in the file.
void applyPageHeaderMask(std::span<std::uint8_t> header, std::uint64_t pageOffset);

} // namespace dsc::dwg
