// The PNG codec on good, truncated and hostile input, and the thumbnail scaler.
#include "formats/raster/png.h"
#include "formats/raster/scale.h"
#include "support/dwgwriter.h"

#include <gtest/gtest.h>

using namespace dsc;

namespace {

Raster gradient(int w, int h, std::uint32_t alpha = 0xFF) {
    Raster r;
    allocateRaster(r, w, h, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            r.row(y)[x] = (alpha << 24) | (std::uint32_t(x * 7 & 0xFF) << 16) | (std::uint32_t(y * 5 & 0xFF) << 8) |
                          std::uint32_t((x + y) & 0xFF);
        }
    }
    return r;
}

std::vector<std::uint8_t> encoded(const Raster& r) {
    std::vector<std::uint8_t> png;
    EXPECT_EQ(encodePng(r, png), "");
    return png;
}

} // namespace

TEST(Png, RoundTripOpaqueAndTranslucent) {
    for (std::uint32_t alpha : {0xFFu, 0x80u}) {
        const Raster original = gradient(37, 11, alpha);
        const auto png = encoded(original);
        ASSERT_GT(png.size(), 8u);
        EXPECT_EQ(png[25], alpha == 0xFF ? 2 : 6); // colour type: RGB, or RGB with alpha
        Raster back;
        ASSERT_EQ(decodePng(png, back), "");
        EXPECT_EQ(back.width, 37);
        EXPECT_EQ(back.height, 11);
        EXPECT_EQ(back.pixels, original.pixels);
    }
}

TEST(Png, TruncatedCorruptAndHugeInputGetAReason) {
    const auto png = encoded(gradient(40, 30));
    Raster image;
    // Every prefix that cuts into the image data: refused with a reason, never a crash. (Without the
    // last data chunk's checksum and the 12-byte end chunk the image is whole, and decodes.)
    for (std::size_t n = 0; n < png.size() - 16; n += 3) {
        SCOPED_TRACE(n);
        EXPECT_NE(decodePng(std::span(png.data(), n), image), "");
        EXPECT_TRUE(image.empty());
    }
    auto corrupt = png;
    corrupt[40] ^= 0xFF; // inside the image data: its checksum no longer matches
    EXPECT_NE(decodePng(corrupt, image), "");
    EXPECT_TRUE(image.empty());
    // A header claiming 60000 x 60000 pixels is refused before anything is allocated.
    auto huge = png;
    test::put32(huge, 16, 0x60EA0000); // 60000, big-endian
    test::put32(huge, 20, 0x60EA0000);
    EXPECT_NE(decodePng(huge, image), "");
    EXPECT_TRUE(image.empty());
    // The caller's limit holds as well.
    PngLimits small;
    small.maxDimension = 39;
    EXPECT_NE(decodePng(png, image, small), "");
    EXPECT_EQ(decodePng(png, image), "");
}

TEST(Scale, FitsTheBoxKeepingTheAspect) {
    EXPECT_EQ(fitWithin({670, 448}, 256), (PixelSize{256, 171}));
    EXPECT_EQ(fitWithin({448, 670}, 256), (PixelSize{171, 256}));
    EXPECT_EQ(fitWithin({648, 512}, 128), (PixelSize{128, 101}));
    EXPECT_EQ(fitWithin({10000, 1}, 256), (PixelSize{256, 1})); // never nothing
    EXPECT_EQ(fitWithin({0, 5}, 256), (PixelSize{}));
}

TEST(Scale, AveragesTheAreaUnderEachPixelAndNeverEnlarges) {
    Raster r;
    allocateRaster(r, 4, 2, 0);
    // Left half black and white columns, right half pure red.
    for (int y = 0; y < 2; ++y) {
        r.row(y)[0] = 0xFF000000;
        r.row(y)[1] = 0xFFFFFFFF;
        r.row(y)[2] = r.row(y)[3] = 0xFFFF0000;
    }
    const Raster half = shrink(r, {2, 1});
    ASSERT_EQ(half.width, 2);
    ASSERT_EQ(half.height, 1);
    EXPECT_EQ(half.pixels[0], 0xFF808080u); // (0 + 255) / 2, rounded
    EXPECT_EQ(half.pixels[1], 0xFFFF0000u);
    // Three columns into two: each takes one and a half.
    Raster three;
    allocateRaster(three, 3, 1, 0);
    three.pixels = {0xFF000000, 0xFF000000 | 0x0000F0, 0xFF000000 | 0x00F000};
    const Raster two = shrink(three, {2, 1});
    EXPECT_EQ(two.pixels[0], 0xFF000050u); // (0 + 0xF0 / 2) / 1.5
    EXPECT_EQ(two.pixels[1], 0xFF00A050u);
    // Transparent pixels do not darken their neighbours.
    Raster clear;
    allocateRaster(clear, 2, 1, 0);
    clear.pixels = {0x00000000, 0xFF00FF00};
    EXPECT_EQ(shrink(clear, {1, 1}).pixels[0], 0x8000FF00u);
    // Never enlarged.
    const Raster same = shrink(r, {8, 8});
    EXPECT_EQ(same.width, 4);
    EXPECT_EQ(same.height, 2);
    EXPECT_EQ(same.pixels, r.pixels);
}
