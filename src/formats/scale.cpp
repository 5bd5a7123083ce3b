#include "scale.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace dsc {

PixelSize fitWithin(PixelSize image, int box) {
    if (image.width <= 0 || image.height <= 0 || box <= 0) {
        return {};
    }
    // Width from the height first; when that is too wide, height from the width.
    const std::int64_t widthAtFullHeight = std::int64_t{box} * image.width / image.height;
    if (widthAtFullHeight <= box) {
        return {std::max<int>(1, static_cast<int>(widthAtFullHeight)), box};
    }
    return {box, std::max<int>(1, static_cast<int>(std::int64_t{box} * image.height / image.width))};
}

namespace {

// For each destination pixel along one axis: the source pixels it covers and how much of each,
// in 1/65536ths of the destination pixel.
struct Span {
    int first = 0;
    std::vector<std::uint32_t> weights;
};

std::vector<Span> spans(int from, int to) {
    std::vector<Span> out(static_cast<std::size_t>(to));
    // Destination pixel d covers source [d * from / to, (d + 1) * from / to), in units of 1/to.
    for (int d = 0; d < to; ++d) {
        const std::int64_t start = std::int64_t{d} * from, end = std::int64_t{d + 1} * from;
        Span& s = out[static_cast<std::size_t>(d)];
        s.first = static_cast<int>(start / to);
        std::uint32_t given = 0;
        for (std::int64_t src = s.first; src * to < end; ++src) {
            const std::int64_t lo = std::max(start, src * to), hi = std::min(end, (src + 1) * to);
            const auto w = static_cast<std::uint32_t>((hi - lo) * 65536 / from);
            s.weights.push_back(w);
            given += w;
        }
        s.weights.back() += 65536 - given; // rounding left over goes to the last one
    }
    return out;
}

} // namespace

Raster shrink(const Raster& image, PixelSize size) {
    Raster out;
    const int w = std::min(size.width, image.width), h = std::min(size.height, image.height);
    if (image.empty() || w <= 0 || h <= 0 || !allocateRaster(out, w, h, 0)) {
        return out;
    }
    if (w == image.width && h == image.height) {
        out.pixels = image.pixels;
        return out;
    }
    const auto columns = spans(image.width, w);
    const auto rows = spans(image.height, h);
    // Opacity and opacity-weighted colours, 16.16 fixed point, for the row being made.
    std::vector<std::uint64_t> sum(std::size_t(w) * 4);
    for (int y = 0; y < h; ++y) {
        std::fill(sum.begin(), sum.end(), 0);
        const Span& rs = rows[static_cast<std::size_t>(y)];
        for (std::size_t k = 0; k < rs.weights.size(); ++k) {
            const std::uint32_t* src = image.row(rs.first + static_cast<int>(k));
            const std::uint64_t wy = rs.weights[k];
            for (int x = 0; x < w; ++x) {
                const Span& cs = columns[static_cast<std::size_t>(x)];
                std::uint64_t a = 0, r = 0, g = 0, b = 0;
                for (std::size_t j = 0; j < cs.weights.size(); ++j) {
                    const std::uint32_t p = src[cs.first + static_cast<int>(j)];
                    const std::uint64_t alpha = p >> 24, weight = cs.weights[j];
                    a += alpha * weight;
                    r += ((p >> 16) & 0xFF) * alpha * weight;
                    g += ((p >> 8) & 0xFF) * alpha * weight;
                    b += (p & 0xFF) * alpha * weight;
                }
                std::uint64_t* s = sum.data() + std::size_t(x) * 4;
                s[0] += (a * wy) >> 16;
                s[1] += (r * wy) >> 16;
                s[2] += (g * wy) >> 16;
                s[3] += (b * wy) >> 16;
            }
        }
        std::uint32_t* dst = out.row(y);
        for (int x = 0; x < w; ++x) {
            const std::uint64_t* s = sum.data() + std::size_t(x) * 4;
            const std::uint64_t a = std::min<std::uint64_t>(255, (s[0] + 32768) >> 16);
            if (a == 0) {
                dst[x] = 0;
                continue;
            }
            auto channel = [&](std::uint64_t v) {
                return static_cast<std::uint32_t>(std::min<std::uint64_t>(255, (v + s[0] / 2) / s[0]));
            };
            dst[x] =
                (static_cast<std::uint32_t>(a) << 24) | (channel(s[1]) << 16) | (channel(s[2]) << 8) | channel(s[3]);
        }
    }
    return out;
}

} // namespace dsc
