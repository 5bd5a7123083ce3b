// The slide viewer and the drawing thumbnail as widgets.
#include "components/dwgvignette.h"
#include "components/previewimages.h"
#include "components/slideviewer.h"
#include "formats/raster/slideraster.h"
#include "formats/slides/slidereference.h"
#include "support/dwgwriter.h"
#include "support/samples.h"
#include "support/slidefiles.h"
#include "support/slidewriter.h"

#include <QPainter>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

using namespace dsc;

namespace {

int countColour(const QImage& img, QRgb colour) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            n += (img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        }
    }
    return n;
}

} // namespace

TEST(SlideViewer, DrawsOnBlackAndShowsNothingForWhatItCannotResolve) {
    test::TempDir dir;
    // A red box filled in green, on a 101 x 51 grid with square pixels.
    test::SlideWriter::Options o;
    o.hx = 100;
    o.hy = 50;
    o.aspect = 101.0 / 51.0;
    test::SlideWriter w(o);
    w.colour(3).fill({{20, 10}, {80, 10}, {80, 40}, {20, 40}}).colour(1).vector(0, 0, 100, 0).end();
    test::writeFile(dir / "box.sld", w.bytes());
    test::writeFile(dir / "lib.slb", test::writeLibrary({{"BOX", w.bytes()}}));

    SlideViewer viewer;
    viewer.resize(217, 169);
    viewer.setReference({dir / "box.sld", {}, false});
    ASSERT_TRUE(viewer.hasSlide());
    std::filesystem::remove(dir / "box.sld"); // painting never goes back to the file
    const QImage img = viewer.grab().toImage();
    EXPECT_EQ(img.pixelColor(2, 2), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(108, 84), QColor(0, 255, 0));
    EXPECT_GT(countColour(img, qRgb(255, 0, 0)), 150); // the bottom line spans the width

    const SlideReference bads[] = {{},
                                   {dir / "missing.sld", {}, false},
                                   {dir / "lib.slb", {}, true},
                                   {dir / "lib.slb", "NOPE", true},
                                   {dir.path(), {}, false}};
    for (const SlideReference& bad : bads) {
        viewer.setReference(bad); // never fails
        EXPECT_FALSE(viewer.hasSlide()) << bad.file << "(" << bad.member << ")";
        EXPECT_EQ(countColour(viewer.grab().toImage(), qRgb(0, 0, 0)), 217 * 169);
    }
    viewer.setReference({dir / "lib.slb", "box", true});
    EXPECT_TRUE(viewer.hasSlide());
}

// A slide of many elements is not drawn again while painting when the viewer's size changes: the
// last picture stands in, scaled, until the new one arrives from the drawing pool.
TEST(SlideViewer, LargeSlideDrawnAgainOffTheWindowThread) {
    test::SlideWriter w;
    w.colour(1);
    for (int i = 0; i < 30'000; ++i) {
        w.vector(i % 572, 0, (i * 7) % 572, 291);
    }
    LoadedSlide loaded;
    loaded.slide = readSlide(w.end().bytes());
    loaded.status = SlideLoadStatus::Ok;
    ASSERT_TRUE(loaded.ok());
    const Slide copy = loaded.slide;

    QThreadPool pool;
    pool.setMaxThreadCount(1);
    SlideViewer viewer;
    viewer.setDrawingPool(&pool);
    viewer.resize(200, 100);
    viewer.setSlide({}, std::move(loaded), drawSlidePicture(&copy, viewer.pixelSize()));
    viewer.grab();
    EXPECT_FALSE(viewer.drawing()); // the picture given fits

    // The pool's only thread held: painting at a new size must not wait for it.
    QSemaphore held;
    pool.start([&held] { held.acquire(); });
    viewer.resize(400, 200);
    const QImage meanwhile = viewer.grab().toImage();
    EXPECT_TRUE(viewer.drawing());
    EXPECT_EQ(viewer.picture().size(), QSize(200, 100));
    EXPECT_GT(countColour(meanwhile, qRgb(255, 0, 0)), 1000); // the old picture, scaled
    QSignalSpy drawn(&viewer, &SlideViewer::pictureDrawn);
    held.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !viewer.drawing(); }));
    EXPECT_EQ(drawn.count(), 1);
    EXPECT_EQ(viewer.picture().size(), QSize(400, 200));
    EXPECT_EQ(viewer.grab().toImage().convertToFormat(QImage::Format_RGB32),
              drawSlidePicture(&copy, QSize(400, 200)).convertToFormat(QImage::Format_RGB32));

    // Sizes that change while drawing: the picture ends at the last one.
    pool.start([&held] { held.acquire(); });
    viewer.resize(300, 150);
    viewer.grab();
    viewer.resize(320, 160);
    viewer.grab();
    held.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.picture().size() == QSize(320, 160); }));

    // Another slide while one is drawn: the stale picture is dropped.
    pool.start([&held] { held.acquire(); });
    viewer.resize(330, 170);
    viewer.grab();
    LoadedSlide none;
    none.status = SlideLoadStatus::NotASlide;
    viewer.setSlide({}, std::move(none), drawSlidePicture(nullptr, viewer.pixelSize()));
    held.release();
    pool.waitForDone();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(countColour(viewer.grab().toImage(), qRgb(0, 0, 0)), 330 * 170);
}

TEST(SlideRendering, KeepsTheHeaderAspectNotTheGrid) {
    SlideHeader h;
    h.hx = 573;
    h.hy = 413; // grid ratio 1.387
    h.aspect = 1.523;
    const FitRect r = slideFitRect(h, {0, 0, 217, 169});
    EXPECT_NEAR(r.width / r.height, 1.523, 1e-9);
    EXPECT_NEAR(r.width, 217.0, 1e-9);
    EXPECT_NEAR(r.y + r.height / 2, 84.5, 1e-9);
    h.aspect = 0; // unusable: the grid's ratio
    const FitRect g = slideFitRect(h, {0, 0, 100, 100});
    EXPECT_NEAR(g.width / g.height, 573.0 / 413.0, 1e-9);
}

TEST(SlideRendering, CrispAtTwiceTheDensity) {
    test::SlideWriter::Options o;
    o.hx = 99;
    o.hy = 99;
    o.aspect = 1.0;
    const Slide s = readSlide(test::SlideWriter(o).colour(7).vector(0, 50, 99, 50).end().bytes());
    // What the viewer draws for a 100 x 100 widget on a screen of twice the density.
    Raster raster;
    ASSERT_TRUE(allocateRaster(raster, 200, 200, 0xFF000000u));
    drawSlide(raster, s, {0, 0, 200, 200});
    const QImage img = wrapRaster(std::move(raster));
    // One device pixel thick, not a blurred pair of rows.
    int whiteRows = 0;
    for (int y = 0; y < 200; ++y) {
        whiteRows += img.pixelColor(100, y) == QColor(Qt::white);
    }
    EXPECT_EQ(whiteRows, 1);
}

TEST(SlideRendering, RealSlidesLookLikeTheirReferences) {
    DSC_REQUIRE_SAMPLES();
    // The logo draws black lettering (colour 0) over white fills (colour 7) and red, blue, others.
    const LoadedSlide logo = test::loadSlideText((test::samplesDir() / "sld/civil3d_LOGO_TX811.sld").string());
    ASSERT_TRUE(logo.ok());
    const QImage img = renderSlideImage(logo.slide, QSize(400, 400));
    EXPECT_NEAR(double(img.width()) / img.height(), logo.slide.header.aspect, 0.02);
    EXPECT_GT(countColour(img, qRgb(255, 255, 255)), 1000);
    EXPECT_GT(countColour(img, qRgb(255, 0, 0)), 500);
    EXPECT_GT(countColour(img, qRgb(0, 0, 255)), 500);
}

class Vignette : public ::testing::Test {
protected:
    DwgVignette thumb;
    void SetUp() override { thumb.resize(217, 169); }
};

TEST_F(Vignette, EmptyNameShowsNothingAndNeverFails) {
    EXPECT_TRUE(thumb.setDwgFileName({}));
    EXPECT_TRUE(thumb.image().isNull());
    const QImage img = thumb.grab().toImage();
    EXPECT_EQ(img.pixelColor(108, 84), QColor(Qt::white)); // BackColor
}

TEST_F(Vignette, RefusesWhatHoldsNoReadablePreviewAndKeepsNothingOfIt) {
    test::TempDir dir;
    test::writeFile(dir / "r11.dwg", {'A', 'C', '1', '0', '0', '9', 0, 0, 0, 0, 0, 0, 0, 3, 0, 5, 0, 0, 0, 0, 0, 0});
    auto good = test::drawingWith(2, test::writeDib(8, 4, 24, [](int, int) -> std::uint32_t { return 0xFF0000; }));
    test::writeFile(dir / "good.dwg", good.build());
    ASSERT_TRUE(thumb.setDwgFileName(dir / "good.dwg"));
    EXPECT_FALSE(thumb.setDwgFileName(dir / "r11.dwg"));
    EXPECT_EQ(thumb.lastStatus(), DwgPreviewStatus::OlderRelease);
    EXPECT_TRUE(thumb.image().isNull());
    EXPECT_FALSE(thumb.setDwgFileName(dir / "missing.dwg"));
    EXPECT_FALSE(thumb.setDwgFileName(dir.path())); // a folder named like a drawing
}

TEST_F(Vignette, PictureKeepsItsAspectAndIsDecodedOnce) {
    test::TempDir dir;
    auto w = test::drawingWith(
        2, test::writeDib(40, 20, 24, [](int x, int) -> std::uint32_t { return x < 20 ? 0xFF0000 : 0x0000FF; }));
    test::writeFile(dir / "d.dwg", w.build());
    ASSERT_TRUE(thumb.setDwgFileName(dir / "d.dwg"));
    std::filesystem::remove(dir / "d.dwg");
    const QImage img = thumb.grab().toImage();
    EXPECT_EQ(img.pixelColor(60, 84), QColor(255, 0, 0));
    EXPECT_EQ(img.pixelColor(160, 84), QColor(0, 0, 255));
    EXPECT_EQ(img.pixelColor(108, 20), QColor(Qt::black)); // BitmapBackColor around the picture

    const QRectF fit = DwgVignette::pictureRect(QSizeF(40, 20), QRectF(0, 0, 200, 200), false);
    EXPECT_DOUBLE_EQ(fit.width(), 200.0);
    EXPECT_DOUBLE_EQ(fit.height(), 100.0);
    const QRectF kept = DwgVignette::pictureRect(QSizeF(40, 20), QRectF(0, 0, 200, 200), true);
    EXPECT_DOUBLE_EQ(kept.width(), 40.0); // NoMagnify: small previews stay small
    const QRectF shrunk = DwgVignette::pictureRect(QSizeF(800, 400), QRectF(0, 0, 200, 200), true);
    EXPECT_DOUBLE_EQ(shrunk.width(), 200.0);
}

TEST_F(Vignette, ClickAndDoubleClickSignals) {
    QSignalSpy clicks(&thumb, &DwgVignette::clicked);
    QSignalSpy doubles(&thumb, &DwgVignette::doubleClicked);
    thumb.show();
    QTest::mouseClick(&thumb, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseDClick(&thumb, Qt::LeftButton);
    EXPECT_EQ(doubles.count(), 1);
    QTest::mouseRelease(&thumb, Qt::LeftButton); // the release ending the double-click
    EXPECT_EQ(clicks.count(), 1);
    QTest::mouseClick(&thumb, Qt::RightButton);
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(Vignette, RealDrawingsOfEveryImageKind) {
    DSC_REQUIRE_SAMPLES();
    // w × h: the stored preview's size; 0 × 0: no stored preview, so the geometry, drawn inside the
    // border to be shown pixel for pixel (the release 2000 drawing's model space is empty: its sheet
    // is drawn; the release 2018 one stores only its header's picture data).
    struct Case {
        const char* file;
        int w, h;
    };
    const Case cases[] = {
        {"r13_example.dwg", 216, 140},         {"r2004_material_32bpp.dwg", 648, 512},
        {"r2013_example.dwg", 670, 448},       {"r2013_ezdxf_dim_linear_rgb_png.dwg", 512, 261},
        {"r2018_Arc_header_only.dwg", 0, 0},   {"pre_r11_LINE1_AC1009.DWG", 0, 0},
        {"pre_r10_entities_AC1006.dwg", 0, 0}, {"r2000_PolyLine2D_empty_preview.dwg", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const bool shown = thumb.setDwgFileName(test::samplesDir() / "dwg" / c.file);
        ASSERT_EQ(shown, c.w >= 0) << thumb.lastDetail();
        if (!shown) {
            continue;
        }
        if (c.w > 0) {
            EXPECT_EQ(thumb.image().size(), QSize(c.w, c.h));
            continue;
        }
        const QSize box = geometryBoxFor(thumb.size());
        EXPECT_TRUE(thumb.image().width() == box.width() || thumb.image().height() == box.height());
        EXPECT_LE(thumb.image().width(), box.width());
        EXPECT_LE(thumb.image().height(), box.height());
        // Shown at its own pixels: the picture's ink is on screen unscaled.
        const QImage screen = thumb.grab().toImage();
        const QRectF at = DwgVignette::pictureRect(thumb.image().size(), QRectF(2, 2, 213, 165), true);
        EXPECT_EQ(screen.copy(at.toRect()).convertToFormat(QImage::Format_RGB32),
                  thumb.image().convertToFormat(QImage::Format_RGB32));
    }
}
