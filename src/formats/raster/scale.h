#pragma once
// Shrinking previews to thumbnail size.

#include "formats/raster/raster.h"

#include <vector>

namespace dsc {

struct PixelSize {
    int width = 0;
    int height = 0;
    bool operator==(const PixelSize&) const = default;
};

// The largest size of the image's aspect ratio within box × box (whole pixels, at least one each).
PixelSize fitWithin(PixelSize image, int box);

// Shrinks an image handed over row by row, averaging the source area under each pixel (colours
// weighted by their opacity). Never enlarges: a size larger than the image in either direction
// keeps that direction as it is. Only two rows of sums are held, never the source image.
class Shrinker : public RowSink {
public:
    explicit Shrinker(PixelSize size) : m_size(size) {}
    bool begin(int width, int height, bool opaque) override;
    void row(const std::uint32_t* pixels) override;
    // The shrunk image once every row was given; empty otherwise.
    Raster take();

    // For each source pixel along one axis: the first destination pixel it falls into and its
    // share of it, then its share of the next one (16.16: a destination pixel's shares add to 1).
    struct Share {
        int first = 0;
        std::uint32_t weight = 0, next = 0;
    };

private:
    void emit();

    PixelSize m_size;
    bool m_opaque = true;
    int m_sourceWidth = 0, m_sourceHeight = 0, m_sourceRow = 0, m_outRow = 0;
    std::vector<Share> m_across, m_down;
    std::vector<std::uint64_t> m_row;     // the current source row averaged across
    std::vector<std::uint64_t> m_sums[2]; // the destination row being made, and the next
    Raster m_out;
};

// The whole image shrunk to `size` (see Shrinker). Empty when memory is short.
Raster shrink(const Raster& image, PixelSize size);

} // namespace dsc
