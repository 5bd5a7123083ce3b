#pragma once
// PNG in and out through libspng, with limits for hostile input.

#include "formats/raster/raster.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dsc {

struct PngLimits {
    int maxDimension = 8192;                // either side, in pixels
    std::size_t maxChunkBytes = 16u << 20;  // any one chunk
    std::size_t maxCachedBytes = 64u << 20; // all the ancillary chunks kept together
};

// Decodes a PNG into 0xAARRGGBB pixels (transparency applied, no gamma correction). Empty string on
// success, otherwise why not, in English.
std::string decodePng(std::span<const std::uint8_t> png, Raster& image, const PngLimits& limits = {});
// The same, handing the rows to `sink` top row first; only an interlaced image is held whole.
std::string decodePng(std::span<const std::uint8_t> png, RowSink& sink, const PngLimits& limits = {});

// Encodes the raster as an 8-bit PNG: RGB when every pixel is opaque, RGBA otherwise, with a fast
// compression level suited to thumbnails. Empty string on success, otherwise why not.
std::string encodePng(const Raster& image, std::vector<std::uint8_t>& png);

} // namespace dsc
