// The bitmap decoder for drawing previews.
#include "formats/raster/dib.h"
#include "support/dwgwriter.h"

#include <gtest/gtest.h>

using namespace dsc;
using test::writeDib;

TEST(Dib, EveryDepthUprightWithPaddedRows) {
    // Odd widths need row padding at every depth.
    const std::vector<std::uint32_t> palette2 = {0x000000, 0xFFFFFF};
    const std::vector<std::uint32_t> palette16 = [] {
        std::vector<std::uint32_t> p;
        for (std::uint32_t i = 0; i < 16; ++i) {
            p.push_back(i * 0x101010);
        }
        return p;
    }();
    const std::vector<std::uint32_t> palette256 = [] {
        std::vector<std::uint32_t> p;
        for (std::uint32_t i = 0; i < 256; ++i) {
            p.push_back((i << 16) | ((255 - i) << 8));
        }
        return p;
    }();
    struct Case {
        int bpp;
        const std::vector<std::uint32_t>* palette;
        std::uint32_t (*pixel)(int, int);
        std::uint32_t (*expect)(int, int);
    };
    const Case cases[] = {
        {1, &palette2, [](int x, int y) -> std::uint32_t { return (x + y) % 2; },
         [](int x, int y) -> std::uint32_t { return (x + y) % 2 ? 0xFFFFFFFF : 0xFF000000; }},
        {4, &palette16, [](int x, int y) -> std::uint32_t { return (x + 3 * y) % 16; },
         [](int x, int y) -> std::uint32_t { return 0xFF000000 | ((x + 3 * y) % 16) * 0x101010; }},
        {8, &palette256, [](int x, int y) -> std::uint32_t { return (x * 7 + y) % 256; },
         [](int x, int y) -> std::uint32_t {
             const std::uint32_t i = (x * 7 + y) % 256;
             return 0xFF000000 | (i << 16) | ((255 - i) << 8);
         }},
        {24, nullptr, [](int x, int y) -> std::uint32_t { return (x << 16) | (y << 8) | 0x33; },
         [](int x, int y) -> std::uint32_t { return 0xFF000000 | (x << 16) | (y << 8) | 0x33; }},
        {32, nullptr, [](int x, int y) -> std::uint32_t { return (y << 16) | (x << 8) | 0x44; },
         [](int x, int y) -> std::uint32_t { return 0xFF000000 | (y << 16) | (x << 8) | 0x44; }},
    };
    for (const auto& c : cases) {
        for (bool topDown : {false, true}) {
            SCOPED_TRACE(::testing::Message() << c.bpp << " bpp" << (topDown ? " top-down" : ""));
            const int w = 13, h = 5;
            const auto blob =
                writeDib(w, h, c.bpp, c.pixel, topDown, c.palette ? *c.palette : std::vector<std::uint32_t>{});
            DibImage img;
            ASSERT_EQ(decodeDib(blob, img), DibError::None);
            ASSERT_EQ(img.width, w);
            ASSERT_EQ(img.height, h);
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    ASSERT_EQ(img.pixels[y * w + x], c.expect(x, y)) << x << "," << y;
                }
            }
        }
    }
}

TEST(Dib, ShortPaletteFromClrUsedAndClampedIndices) {
    const std::vector<std::uint32_t> palette = {0x112233, 0x445566};
    const auto blob = writeDib(
        4, 1, 8, [](int x, int) -> std::uint32_t { return x; }, false, palette, 2);
    DibImage img;
    ASSERT_EQ(decodeDib(blob, img), DibError::None);
    EXPECT_EQ(img.pixels[0], 0xFF112233u);
    EXPECT_EQ(img.pixels[1], 0xFF445566u);
    EXPECT_EQ(img.pixels[3], 0xFF445566u); // index beyond the palette: its last colour
}

TEST(Dib, RefusalsNamedAfterTheDefect) {
    auto good = writeDib(8, 8, 24, [](int, int) -> std::uint32_t { return 0; });
    auto with = [&](std::size_t at, std::uint32_t v) {
        auto b = good;
        test::put32(b, at, v);
        return b;
    };
    auto with16 = [&](std::size_t at, std::uint16_t v) {
        auto b = good;
        b[at] = static_cast<std::uint8_t>(v);
        b[at + 1] = static_cast<std::uint8_t>(v >> 8);
        return b;
    };
    const std::vector<std::uint32_t> palette(256, 0);
    auto eightBit = writeDib(
        8, 8, 8, [](int, int) -> std::uint32_t { return 0; }, false, palette);
    struct Case {
        const char* name;
        test::Bytes blob;
        DibError error;
    };
    const Case cases[] = {
        {"header_truncated", test::Bytes(good.begin(), good.begin() + 30), DibError::TooShort},
        {"header_size_12", with(0, 12), DibError::BadHeaderSize},
        {"width_zero", with(4, 0), DibError::BadDimensions},
        {"width_negative", with(4, 0xFFFFFFF0), DibError::BadDimensions},
        {"height_zero", with(8, 0), DibError::BadDimensions},
        {"huge_60000x60000", with(8, 60000), DibError::TooLarge},
        {"depth_16", with16(14, 16), DibError::UnsupportedDepth},
        {"depth_7", with16(14, 7), DibError::UnsupportedDepth},
        {"run_length_compressed", with(16, 1), DibError::Compressed},
        {"pixels_truncated", test::Bytes(good.begin(), good.end() - 1), DibError::TruncatedPixels},
        {"palette_truncated", test::Bytes(eightBit.begin(), eightBit.begin() + 40 + 100), DibError::TruncatedPalette},
    };
    for (const auto& c : cases) {
        DibImage img;
        EXPECT_EQ(decodeDib(c.blob, img), c.error) << c.name << ": " << describe(decodeDib(c.blob, img));
    }
    // Huge dimensions are refused before anything is allocated.
    auto huge = with(4, 60000);
    test::put32(huge, 8, 60000);
    DibInfo info;
    EXPECT_EQ(inspectDib(huge, huge.size(), info), DibError::TooLarge);
}
