#pragma once
// The Reed-Solomon blocks of release 2007: `factor` codewords of 255 bytes interleaved byte by byte
// (byte k of block i at i + k * factor), each codeword its data bytes followed by check bytes. Data
// is taken as stored, without correction; the check only says whether a block is intact.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace dsc::dwg {

inline constexpr std::size_t kRsBlock = 255;

// The two codes of the files, over GF(256), the generator's roots alpha^1 to alpha^checkBytes and
// byte k of a block the coefficient of x^k.
enum class RsCode {
    Map,  // the file header and the page and section maps: 16 check bytes, field polynomial 0x169
    Page, // data pages: 4 check bytes, field polynomial 0x11D
};

constexpr std::size_t checkBytes(RsCode code) {
    return code == RsCode::Map ? 16 : 4;
}

// The first `count` data bytes (`dataPerBlock` from each block in turn) into `out`. False when
// `encoded` is shorter than `factor` whole blocks or `count` more than they hold.
bool deinterleave(std::span<const std::uint8_t> encoded, std::size_t factor, std::size_t dataPerBlock,
                  std::size_t count, std::vector<std::uint8_t>& out);

// How many of the `factor` interleaved blocks are not codewords of `code`; none are checked when
// `encoded` is shorter than `factor` whole blocks.
std::size_t damagedBlocks(std::span<const std::uint8_t> encoded, std::size_t factor, RsCode code);

} // namespace dsc::dwg
