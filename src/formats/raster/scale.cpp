#include "formats/raster/scale.h"

#include <algorithm>
#include <cstdint>
#include <new>

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

// Destination pixel d covers source [d * from / to, (d + 1) * from / to). Each source pixel's
// overlap with it is weighed in 1/65536ths of d; what rounding leaves over goes to d's last one.
std::vector<Shrinker::Share> shares(int from, int to) {
    std::vector<Shrinker::Share> out(static_cast<std::size_t>(from));
    std::vector<bool> seen(static_cast<std::size_t>(from));
    for (int d = 0; d < to; ++d) {
        const std::int64_t start = std::int64_t{d} * from, end = std::int64_t{d + 1} * from;
        std::uint32_t given = 0;
        std::int64_t src = start / to;
        for (; src * to < end; ++src) {
            const std::int64_t lo = std::max(start, src * to), hi = std::min(end, (src + 1) * to);
            auto w = static_cast<std::uint32_t>((hi - lo) * 65536 / from);
            given += w;
            if ((src + 1) * to >= end) {
                w += 65536 - given;
            }
            auto& share = out[static_cast<std::size_t>(src)];
            if (!seen[static_cast<std::size_t>(src)]) {
                share = {d, w, 0};
                seen[static_cast<std::size_t>(src)] = true;
            } else {
                share.next = w;
            }
        }
    }
    return out;
}

} // namespace

bool Shrinker::begin(int width, int height, bool opaque) {
    m_out = Raster{};
    m_opaque = opaque;
    m_sourceWidth = width;
    m_sourceHeight = height;
    m_sourceRow = m_outRow = 0;
    const int w = std::min(m_size.width, width), h = std::min(m_size.height, height);
    if (width <= 0 || height <= 0 || w <= 0 || h <= 0 || !allocateRaster(m_out, w, h, 0)) {
        return false;
    }
    const std::size_t channels = opaque ? 3 : 4;
    try {
        m_across = shares(width, w);
        m_down = shares(height, h);
        m_row.assign(std::size_t(w + 1) * channels, 0);
        m_sums[0].assign(std::size_t(w + 1) * channels, 0);
        m_sums[1].assign(std::size_t(w + 1) * channels, 0);
    } catch (const std::bad_alloc&) {
        m_out = Raster{};
        return false;
    }
    return true;
}

void Shrinker::row(const std::uint32_t* pixels) {
    if (m_out.empty() || m_sourceRow >= m_sourceHeight) {
        return;
    }
    const Share& down = m_down[static_cast<std::size_t>(m_sourceRow++)];
    while (m_outRow < down.first) {
        emit();
    }
    std::fill(m_row.begin(), m_row.end(), 0);
    if (m_opaque) {
        // Plain channel averages; two channels share one multiplication.
        for (int sx = 0; sx < m_sourceWidth; ++sx) {
            const Share& a = m_across[static_cast<std::size_t>(sx)];
            const std::uint32_t p = pixels[sx];
            const std::uint64_t rb = (std::uint64_t{(p >> 16) & 0xFF} << 32) | (p & 0xFF), g = (p >> 8) & 0xFF;
            std::uint64_t* t = m_row.data() + std::size_t(a.first) * 3;
            t[0] += rb * a.weight;
            t[1] += g * a.weight;
            t[3] += rb * a.next;
            t[4] += g * a.next;
        }
    } else {
        // Colours weighted by their opacity, so clear pixels do not darken the others.
        for (int sx = 0; sx < m_sourceWidth; ++sx) {
            const Share& a = m_across[static_cast<std::size_t>(sx)];
            const std::uint32_t p = pixels[sx];
            const std::uint64_t alpha = p >> 24;
            const std::uint64_t v[4] = {alpha, ((p >> 16) & 0xFF) * alpha, ((p >> 8) & 0xFF) * alpha,
                                        (p & 0xFF) * alpha};
            std::uint64_t* t = m_row.data() + std::size_t(a.first) * 4;
            for (int c = 0; c < 4; ++c) {
                t[c] += v[c] * a.weight;
                t[4 + c] += v[c] * a.next;
            }
        }
    }
    std::uint64_t* now = m_sums[0].data();
    std::uint64_t* next = m_sums[1].data();
    if (m_opaque) {
        // Unpack the red and blue pair before weighing down, where it would overflow.
        for (std::size_t i = 0; i < m_row.size(); i += 3) {
            const std::uint64_t r = m_row[i] >> 32, b = m_row[i] & 0xFFFFFFFFu, g = m_row[i + 1];
            now[i] += r * down.weight;
            now[i + 1] += g * down.weight;
            now[i + 2] += b * down.weight;
            next[i] += r * down.next;
            next[i + 1] += g * down.next;
            next[i + 2] += b * down.next;
        }
    } else {
        for (std::size_t i = 0; i < m_row.size(); ++i) {
            now[i] += (m_row[i] * down.weight) >> 16;
            next[i] += (m_row[i] * down.next) >> 16;
        }
    }
    if (m_sourceRow == m_sourceHeight) {
        while (m_outRow < m_out.height) {
            emit();
        }
    }
}

void Shrinker::emit() {
    std::uint32_t* dst = m_out.row(m_outRow++);
    const std::uint64_t* s = m_sums[0].data();
    if (m_opaque) {
        auto channel = [](std::uint64_t v) {
            return static_cast<std::uint32_t>(std::min<std::uint64_t>(255, (v + (1ull << 31)) >> 32));
        };
        for (int x = 0; x < m_out.width; ++x, s += 3) {
            dst[x] = 0xFF000000u | (channel(s[0]) << 16) | (channel(s[1]) << 8) | channel(s[2]);
        }
    } else {
        for (int x = 0; x < m_out.width; ++x, s += 4) {
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
    std::swap(m_sums[0], m_sums[1]);
    std::fill(m_sums[1].begin(), m_sums[1].end(), 0);
}

Raster Shrinker::take() {
    if (m_sourceRow != m_sourceHeight) {
        return {};
    }
    return std::move(m_out);
}

Raster shrink(const Raster& image, PixelSize size) {
    if (image.empty()) {
        return {};
    }
    const bool opaque =
        std::all_of(image.pixels.begin(), image.pixels.end(), [](std::uint32_t p) { return p >> 24 == 0xFF; });
    Shrinker shrinker(size);
    if (!shrinker.begin(image.width, image.height, opaque)) {
        return {};
    }
    for (int y = 0; y < image.height; ++y) {
        shrinker.row(image.row(y));
    }
    return shrinker.take();
}

} // namespace dsc
