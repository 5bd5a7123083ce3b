#pragma once
// Decoder for the packed device-independent bitmaps (no file header) stored in drawings.

#include "formats/raster/raster.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dsc {

enum class DibError {
    None,
    TooShort,
    BadHeaderSize,
    BadDimensions,
    TooLarge,
    UnsupportedDepth,
    Compressed,
    TruncatedPalette,
    TruncatedPixels,
    OutOfMemory
};

std::string describe(DibError error);

struct DibInfo {
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0; // absolute value
    bool topDown = false;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t paletteEntries = 0;
    std::uint64_t stride = 0;
    std::uint64_t requiredSize = 0; // header + palette + rows
};

using DibImage = Raster; // opaque pixels, 0xFFRRGGBB

constexpr int kMaxDibDimension = 8192;

// Validates a header (its first 40 bytes are enough) against the size of the whole blob, without
// touching pixels.
DibError inspectDib(std::span<const std::uint8_t> header, std::uint64_t blobSize, DibInfo& info);
// Decodes straight into `image`, its only copy of the pixels.
DibError decodeDib(std::span<const std::uint8_t> blob, DibImage& image);
// Hands the rows to `sink`, top row first, one row held at a time.
DibError decodeDib(std::span<const std::uint8_t> blob, RowSink& sink);

} // namespace dsc
