#pragma once
// Writes drawings that hold only what the preview reader looks at: the version, the image address,
// the preview block with its directory and images. Defects are set through the fields.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace dsc::test {

using Bytes = std::vector<std::uint8_t>;

inline void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}
inline void append32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}
inline void append16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

// A packed DIB: 40-byte header, palette, rows padded to 4 bytes. `pixel(x, y)` gives, for y from
// the top, an index (<= 8 bits) or 0xRRGGBB.
template <typename Pixel>
Bytes writeDib(int width, int height, int bpp, Pixel pixel, bool topDown = false,
               const std::vector<std::uint32_t>& palette = {}, std::uint32_t clrUsed = 0) {
    Bytes b;
    append32(b, 40);
    append32(b, static_cast<std::uint32_t>(width));
    append32(b, static_cast<std::uint32_t>(topDown ? -height : height));
    append16(b, 1);
    append16(b, static_cast<std::uint16_t>(bpp));
    append32(b, 0);
    append32(b, 0); // biSizeImage left at zero, as some writers do
    append32(b, 0);
    append32(b, 0);
    append32(b, clrUsed);
    append32(b, 0);
    for (std::uint32_t c : palette) {
        b.push_back(static_cast<std::uint8_t>(c));
        b.push_back(static_cast<std::uint8_t>(c >> 8));
        b.push_back(static_cast<std::uint8_t>(c >> 16));
        b.push_back(0xFF); // reserved byte set, as in some real files: it is not alpha
    }
    const std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
    for (int r = 0; r < height; ++r) {
        const int y = topDown ? r : height - 1 - r;
        Bytes row(stride, 0);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = pixel(x, y);
            if (bpp >= 24) {
                row[x * (bpp / 8) + 0] = static_cast<std::uint8_t>(v);
                row[x * (bpp / 8) + 1] = static_cast<std::uint8_t>(v >> 8);
                row[x * (bpp / 8) + 2] = static_cast<std::uint8_t>(v >> 16);
            } else {
                const int perByte = 8 / bpp;
                const int shift = 8 - bpp * (x % perByte + 1);
                row[x / perByte] |= static_cast<std::uint8_t>(v << shift);
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

struct DwgEntry {
    std::uint8_t code;
    Bytes data;
};

struct DwgWriter {
    std::string version = "AC1018";
    std::uint32_t seeker = 0x1C0;
    std::vector<DwgEntry> entries;
    // Defects.
    bool badStartSentinel = false;
    std::int64_t overallSizeDelta = 0; // added to the true overall size
    int countOverride = -1;            // count byte written instead of entries.size()
    std::vector<std::pair<int, std::uint32_t>> startOverride, sizeOverride; // entry index, value
    std::uint32_t seekerOverride = 0;                                       // written at 0x0D when non-zero
    std::size_t trailingBytes = 64;

    Bytes build() const {
        Bytes b(seeker, 0);
        std::memcpy(b.data(), version.data(), std::min<std::size_t>(version.size(), 6));
        b[0x0C] = 3;
        put32(b, 0x0D, seekerOverride ? seekerOverride : seeker);
        static const std::uint8_t start[16] = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28,
                                               0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};
        b.insert(b.end(), start, start + 16);
        if (badStartSentinel) {
            b[seeker + 3] ^= 0xFF;
        }
        std::uint32_t overall = 1 + 9 * static_cast<std::uint32_t>(entries.size());
        for (const auto& e : entries) {
            overall += static_cast<std::uint32_t>(e.data.size());
        }
        append32(b, static_cast<std::uint32_t>(overall + overallSizeDelta));
        b.push_back(static_cast<std::uint8_t>(countOverride >= 0 ? countOverride : static_cast<int>(entries.size())));
        std::uint32_t at = seeker + 21 + 9 * static_cast<std::uint32_t>(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            std::uint32_t s = at, size = static_cast<std::uint32_t>(entries[i].data.size());
            for (const auto& [index, v] : startOverride) {
                if (index == static_cast<int>(i)) {
                    s = v;
                }
            }
            for (const auto& [index, v] : sizeOverride) {
                if (index == static_cast<int>(i)) {
                    size = v;
                }
            }
            b.push_back(entries[i].code);
            append32(b, s);
            append32(b, size);
            at += static_cast<std::uint32_t>(entries[i].data.size());
        }
        for (const auto& e : entries) {
            b.insert(b.end(), e.data.begin(), e.data.end());
        }
        for (int i = 0; i < 16; ++i) {
            b.push_back(static_cast<std::uint8_t>(~start[i]));
        }
        b.resize(b.size() + trailingBytes, 0);
        return b;
    }
};

// The usual pair: 80 zero bytes of header data, then one image.
inline DwgWriter drawingWith(std::uint8_t code, Bytes image, std::string version = "AC1018") {
    DwgWriter w;
    w.version = std::move(version);
    w.entries.push_back({1, Bytes(80, 0)});
    w.entries.push_back({code, std::move(image)});
    return w;
}

} // namespace dsc::test
