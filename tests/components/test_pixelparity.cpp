// The readers' layer's own drawing and scaling against what Qt did before them: slides against Qt's
// aliased painting, thumbnails against Qt's smooth scaling.
#include "formats/dwg/drawingpicture.h"
#include "formats/raster/scale.h"
#include "formats/raster/slideraster.h"
#include "formats/slides/slidelibrary.h"
#include "support/qtslidepainter.h"
#include "support/samples.h"
#include "support/slidefiles.h"
#include "support/slidewriter.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using namespace dsc;

namespace {

struct Diff {
    long long pixels = 0, differing = 0;
};

Diff compare(const Slide& slide, int w, int h) {
    const QImage qt = test::qtRenderSlide(slide, QSize(w, h));
    const Raster ours = dsc::renderSlide(slide, w, h);
    Diff d;
    EXPECT_EQ(qt.width(), ours.width);
    EXPECT_EQ(qt.height(), ours.height);
    if (qt.width() != ours.width || qt.height() != ours.height) {
        return d;
    }
    for (int y = 0; y < ours.height; ++y) {
        const auto* q = reinterpret_cast<const std::uint32_t*>(qt.constScanLine(y));
        for (int x = 0; x < ours.width; ++x) {
            ++d.pixels;
            d.differing += (q[x] | 0xFF000000u) != ours.row(y)[x];
        }
    }
    return d;
}

std::vector<std::string> sampleReferences() {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(test::samplesDir() / "sld")) {
        if (e.path().extension() == ".sld") {
            out.push_back(e.path().string());
        } else if (e.path().extension() == ".slb") {
            platform::FileSource src;
            if (src.open(e.path())) {
                for (const auto& m : readSlideLibraryDirectory(src).entries) {
                    out.push_back(e.path().string() + "(" + m.name + ")");
                }
            }
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

// Lines, points and fills land on exactly the pixels Qt's aliased painting gives them, and so do
// the outlines of filled polygons but for a few pixels where sides shorter than a pixel meet (Qt
// squares some turns of an outline by rules of its own that are not reproduced here); these are
// mostly in slides with many tiny fills drawn at 128 px and less.
TEST(SlideRaster, RealSlidesAgainstQt) {
    DSC_REQUIRE_SAMPLES();
    Diff total;
    for (const auto& ref : sampleReferences()) {
        SCOPED_TRACE(ref);
        const LoadedSlide s = test::loadSlideText(ref);
        ASSERT_TRUE(s.ok());
        Slide withoutFills = s.slide;
        std::erase_if(withoutFills.elements, [](const SlideElement& e) { return e.kind == SlideElement::Kind::Fill; });
        for (int size : {64, 128, 217, 256, 400}) {
            EXPECT_EQ(compare(withoutFills, size, size).differing, 0) << size;
            const Diff d = compare(s.slide, size, size);
            EXPECT_LT(double(d.differing) / double(d.pixels), 0.02) << size;
            total.pixels += d.pixels;
            total.differing += d.differing;
        }
    }
    EXPECT_LT(double(total.differing) / double(total.pixels), 0.0005); // 1,298 of 3,767,106 when written
    RecordProperty("differing_pixels", std::to_string(total.differing) + " of " + std::to_string(total.pixels));
}

TEST(SlideRaster, FillsAlone) {
    // A fill's pixels without its outline are Qt's to the pixel as well: centres strictly right of
    // the left edge and at or left of the right edge, rows likewise, corners on the 1/64 grid.
    test::SlideWriter::Options o;
    o.hx = 99;
    o.hy = 99;
    o.aspect = 1.0;
    const Slide s = readSlide(test::SlideWriter(o).colour(3).fill({{10, 10}, {90, 20}, {40, 95}}).end().bytes());
    const Raster ours = dsc::renderSlide(s, 100, 100);
    const QImage qt = test::qtRenderSlide(s, QSize(100, 100));
    ASSERT_EQ(ours.width, qt.width());
    int differing = 0;
    for (int y = 0; y < ours.height; ++y) {
        for (int x = 0; x < ours.width; ++x) {
            differing += (qt.pixel(x, y) | 0xFF000000u) != ours.row(y)[x];
        }
    }
    EXPECT_LE(differing, 3); // at most the corners, where the outline's sides meet
}

// No real slide comes near the drawing budget, even drawn far larger than any screen.
TEST(SlideRaster, RealSlidesStayWellInsideTheWorkBudget) {
    DSC_REQUIRE_SAMPLES();
    std::uint64_t most = 0;
    for (const auto& ref : sampleReferences()) {
        SCOPED_TRACE(ref);
        const LoadedSlide s = test::loadSlideText(ref);
        ASSERT_TRUE(s.ok());
        SlideDrawResult drawn;
        const Raster r = dsc::renderSlide(s.slide, 4096, 4096, &drawn);
        EXPECT_FALSE(drawn.truncated);
        EXPECT_LT(drawn.work, SlideDrawLimits{}.maxWork / 8); // 2,084,732 at most when written
        most = std::max(most, drawn.work);
    }
    RecordProperty("most_work_at_4096", std::to_string(most));
}

TEST(Thumbnails, ScaledLikeQtsSmoothScaling) {
    DSC_REQUIRE_SAMPLES();
    int maxDifference = 0, compared = 0;
    for (const auto& e : std::filesystem::directory_iterator(test::samplesDir() / "dwg")) {
        if (!e.is_regular_file()) {
            continue; // the geometry drawings' folder
        }
        platform::FileSource src;
        ASSERT_TRUE(src.open(e.path()));
        DrawingPicture picture = readDrawingPicture(src);
        if (!picture.ok()) {
            continue;
        }
        SCOPED_TRACE(e.path().filename().string());
        QImage qt(reinterpret_cast<const uchar*>(picture.image.pixels.data()), picture.image.width,
                  picture.image.height, picture.image.width * 4, QImage::Format_RGB32);
        for (int box : {64, 128, 256}) {
            const PixelSize size = fitWithin({picture.image.width, picture.image.height}, box);
            if (size.width >= picture.image.width) {
                continue;
            }
            const QImage reference = qt.scaled(box, box, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                         .convertToFormat(QImage::Format_ARGB32);
            const Raster ours = shrink(picture.image, size);
            ASSERT_EQ(ours.width, reference.width());
            ASSERT_EQ(ours.height, reference.height());
            for (int y = 0; y < ours.height; ++y) {
                for (int x = 0; x < ours.width; ++x) {
                    const QRgb a = reference.pixel(x, y), b = ours.row(y)[x];
                    for (int shift : {0, 8, 16, 24}) {
                        maxDifference =
                            std::max(maxDifference, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
                    }
                }
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 20);
    // Both average the area under each pixel; they round differently (in the last bit at most).
    EXPECT_LE(maxDifference, 1);
    RecordProperty("max_channel_difference", maxDifference);
}
