#include "formats/raster/dib.h"

#include "formats/core/bytesource.h"

#include <algorithm>
#include <new>

namespace dsc {

std::string describe(DibError error) {
    switch (error) {
    case DibError::None:
        return "no error";
    case DibError::TooShort:
        return "bitmap header truncated";
    case DibError::BadHeaderSize:
        return "unknown bitmap header size";
    case DibError::BadDimensions:
        return "invalid bitmap dimensions";
    case DibError::TooLarge:
        return "bitmap dimensions too large";
    case DibError::UnsupportedDepth:
        return "unsupported bitmap colour depth";
    case DibError::Compressed:
        return "compressed bitmaps are not supported";
    case DibError::TruncatedPalette:
        return "bitmap palette truncated";
    case DibError::TruncatedPixels:
        return "bitmap pixels truncated";
    case DibError::OutOfMemory:
        return "not enough memory for the bitmap";
    }
    return "unknown error";
}

DibError inspectDib(std::span<const std::uint8_t> b, std::uint64_t blobSize, DibInfo& info) {
    if (b.size() < 40 || blobSize < 40) {
        return DibError::TooShort;
    }
    info.headerSize = le32(b.data());
    if (info.headerSize < 40 || info.headerSize > 1024) {
        return DibError::BadHeaderSize;
    }
    if (info.headerSize > blobSize) {
        return DibError::TooShort;
    }
    const auto width = static_cast<std::int32_t>(le32(b.data() + 4));
    const auto height = static_cast<std::int32_t>(le32(b.data() + 8));
    if (width <= 0 || height == 0 || height == INT32_MIN) {
        return DibError::BadDimensions;
    }
    info.width = width;
    info.topDown = height < 0;
    info.height = height < 0 ? -height : height;
    if (info.width > kMaxDibDimension || info.height > kMaxDibDimension) {
        return DibError::TooLarge;
    }
    info.bitCount = le16(b.data() + 14);
    info.compression = le32(b.data() + 16);
    const std::uint32_t clrUsed = le32(b.data() + 32);
    switch (info.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
    case 32:
        break;
    default:
        return DibError::UnsupportedDepth;
    }
    if (info.compression != 0) {
        return DibError::Compressed;
    }
    info.paletteEntries = 0;
    if (info.bitCount <= 8) {
        const std::uint32_t full = 1u << info.bitCount;
        info.paletteEntries = clrUsed != 0 ? std::min(clrUsed, full) : full;
    }
    const std::uint64_t paletteEnd = std::uint64_t{info.headerSize} + 4ull * info.paletteEntries;
    info.stride = ((std::uint64_t(info.width) * info.bitCount + 31) / 32) * 4;
    info.requiredSize = paletteEnd + info.stride * std::uint64_t(info.height);
    if (paletteEnd > blobSize) {
        return DibError::TruncatedPalette;
    }
    if (info.requiredSize > blobSize) {
        return DibError::TruncatedPixels;
    }
    return DibError::None;
}

DibError decodeDib(std::span<const std::uint8_t> b, RowSink& sink) {
    DibInfo info;
    if (const auto e = inspectDib(b, b.size(), info); e != DibError::None) {
        return e;
    }
    std::uint32_t palette[256] = {};
    const std::uint8_t* pal = b.data() + info.headerSize;
    for (std::uint32_t i = 0; i < info.paletteEntries; ++i) {
        // B, G, R, reserved: the reserved byte is not alpha.
        palette[i] =
            0xFF000000u | (std::uint32_t{pal[4 * i + 2]} << 16) | (std::uint32_t{pal[4 * i + 1]} << 8) | pal[4 * i];
    }
    const std::uint32_t maxIndex = info.paletteEntries ? info.paletteEntries - 1 : 0;
    const std::uint8_t* rows = pal + 4 * info.paletteEntries;
    std::vector<std::uint32_t> out;
    try {
        out.resize(static_cast<std::size_t>(info.width));
    } catch (const std::bad_alloc&) {
        return DibError::OutOfMemory;
    }
    if (!sink.begin(info.width, info.height, true)) {
        return DibError::OutOfMemory;
    }
    for (int y = 0; y < info.height; ++y) {
        const int stored = info.topDown ? y : info.height - 1 - y;
        const std::uint8_t* row = rows + std::size_t(stored) * info.stride;
        switch (info.bitCount) {
        case 8:
            for (int x = 0; x < info.width; ++x) {
                out[x] = palette[std::min<std::uint32_t>(row[x], maxIndex)];
            }
            break;
        case 1:
        case 4: {
            const int bpp = info.bitCount;
            const int perByte = 8 / bpp;
            const std::uint8_t mask = static_cast<std::uint8_t>((1u << bpp) - 1);
            for (int x = 0; x < info.width; ++x) {
                const std::uint8_t byte = row[x / perByte];
                const int shift = 8 - bpp * (x % perByte + 1);
                const std::uint32_t index = (byte >> shift) & mask;
                out[x] = palette[std::min(index, maxIndex)];
            }
            break;
        }
        case 24:
        case 32: {
            const int step = info.bitCount / 8;
            for (int x = 0; x < info.width; ++x) {
                const std::uint8_t* p = row + std::size_t(x) * step;
                out[x] = 0xFF000000u | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
            }
            break;
        }
        default:
            break;
        }
        sink.row(out.data());
    }
    return DibError::None;
}

DibError decodeDib(std::span<const std::uint8_t> blob, DibImage& image) {
    RasterSink sink;
    const DibError e = decodeDib(blob, sink);
    image = e == DibError::None ? sink.take() : Raster{};
    return e;
}

} // namespace dsc
