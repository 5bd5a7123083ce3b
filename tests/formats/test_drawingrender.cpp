#include "formats/core/aci.h"
#include "formats/dwg/render/drawingrender.h"
#include "formats/dwg/render/strokefont.h"
#include "formats/dwg/render/textlayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <set>

using namespace dsc::dwg;

namespace {

// A text's segments, all of them.
struct Collect final : GlyphSink {
    std::vector<GlyphSegment> all;
    void take(std::span<const GlyphSegment> segments) override {
        all.insert(all.end(), segments.begin(), segments.end());
    }
};
std::vector<GlyphSegment> layoutText(const Text& text) {
    Collect c;
    layoutText(text, c);
    return std::move(c.all);
}
std::vector<GlyphSegment> layoutMText(const MText& text) {
    Collect c;
    layoutMText(text, c);
    return std::move(c.all);
}

Entity make(Shape s, Colour c = Colour::byIndex(1), std::int32_t layer = 0) {
    Entity e;
    e.shape = std::move(s);
    e.colour = c;
    e.layer = layer;
    return e;
}

Drawing withLayers() {
    Drawing d;
    d.layers.push_back({"0", Colour::byIndex(7)});
    d.layers.push_back({"RED", Colour::byIndex(1)});
    d.layers.push_back({"FROZEN", Colour::byIndex(3), false, true});
    d.layers.push_back({"GREEN", Colour::byIndex(3)});
    return d;
}

std::uint32_t rgb(int index) {
    return 0xFF000000u | dsc::aciColour(static_cast<std::uint8_t>(index));
}

std::size_t countColour(const dsc::Raster& r, std::uint32_t c) {
    std::size_t n = 0;
    for (auto p : r.pixels) {
        n += p == c;
    }
    return n;
}

std::size_t ink(const dsc::Raster& r) {
    return r.pixels.size() - countColour(r, 0xFF000000u);
}

// Ink in the pixel rectangle [x0, x1] × [y0, y1] (top row 0).
std::size_t inkIn(const dsc::Raster& r, int x0, int y0, int x1, int y1) {
    std::size_t n = 0;
    for (int y = std::max(0, y0); y <= std::min(r.height - 1, y1); ++y) {
        for (int x = std::max(0, x0); x <= std::min(r.width - 1, x1); ++x) {
            n += r.row(y)[x] != 0xFF000000u;
        }
    }
    return n;
}

Drawing frame() { // a square 0..100 so every picture has the same view
    Drawing d = withLayers();
    Polyline p;
    for (auto [x, y] : {std::pair{0.0, 0.0}, {100.0, 0.0}, {100.0, 100.0}, {0.0, 100.0}}) {
        p.vertices.push_back({{x, y, 0}});
    }
    p.closed = true;
    d.entities.push_back(make(p, Colour::byIndex(8)));
    return d;
}

} // namespace

TEST(DrawingRender, EmptyDrawingIsBlackAndEmpty) {
    const auto r = renderDrawing(Drawing{}, 32, 24);
    EXPECT_TRUE(r.empty);
    ASSERT_EQ(r.image.width, 32);
    ASSERT_EQ(r.image.height, 24);
    EXPECT_EQ(ink(r.image), 0u);
}

TEST(DrawingRender, LineFillsTheWidthWithMarginAndKeepsAspect) {
    Drawing d = withLayers();
    d.entities.push_back(make(Line{{0, 0, 0}, {200, 100, 0}}));
    const auto r = renderDrawing(d, 100, 100);
    EXPECT_FALSE(r.empty);
    ASSERT_EQ(r.image.width, 100);
    EXPECT_NEAR(r.image.height, 51, 3); // 2:1 extents plus the margin
    // Lower left end near the bottom left corner, inside the margin; upper right near the top right.
    EXPECT_GT(inkIn(r.image, 1, r.image.height - 6, 6, r.image.height - 2), 0u);
    EXPECT_GT(inkIn(r.image, 93, 1, 98, 6), 0u);
    EXPECT_EQ(inkIn(r.image, 0, 0, 99, 0), 0u); // margin row
    EXPECT_EQ(inkIn(r.image, 0, 0, 30, 10), 0u);
    EXPECT_EQ(countColour(r.image, rgb(1)), ink(r.image));
}

struct ColourCase {
    const char* name;
    Colour entityColour;
    std::int32_t entityLayer;
    Colour insertColour;
    std::int32_t insertLayer;
    int expected; // 0: nothing drawn
};

TEST(DrawingRender, ColoursResolveThroughInserts) {
    const ColourCase cases[] = {
        {"byblock takes the insert's colour", Colour{Colour::kByBlock}, 3, Colour::byIndex(5), 0, 5},
        {"bylayer on its own layer", Colour{}, 3, Colour::byIndex(5), 1, 3},
        {"bylayer on layer 0 takes the insert's layer", Colour{}, 0, Colour::byIndex(5), 1, 1},
        {"own colour wins", Colour::byIndex(2), 0, Colour::byIndex(5), 1, 2},
        {"frozen layer inside the block", Colour::byIndex(2), 2, Colour::byIndex(5), 1, 0},
        {"layer 0 entity of an insert on a frozen layer", Colour::byIndex(2), 0, Colour::byIndex(5), 2, 0},
        {"byblock of a bylayer insert", Colour{Colour::kByBlock}, 0, Colour{}, 1, 1},
    };
    for (const auto& c : cases) {
        Drawing d = frame();
        Block b{"B", {}, {make(Line{{10, 10, 0}, {90, 90, 0}}, c.entityColour, c.entityLayer)}};
        d.blocks.push_back(b);
        Insert ins;
        ins.block = 0;
        d.entities.push_back(make(ins, c.insertColour, c.insertLayer));
        const auto r = renderDrawing(d, 64, 64);
        if (c.expected == 0) {
            EXPECT_EQ(ink(r.image), countColour(r.image, rgb(8))) << c.name;
        } else {
            EXPECT_GT(countColour(r.image, rgb(c.expected)), 40u) << c.name;
        }
    }
}

TEST(DrawingRender, FrozenAndInvisibleSkipped) {
    Drawing d = frame();
    d.entities.push_back(make(Line{{10, 50, 0}, {90, 50, 0}}, Colour::byIndex(2), 2));
    Entity hidden = make(Line{{10, 60, 0}, {90, 60, 0}}, Colour::byIndex(4));
    hidden.invisible = true;
    d.entities.push_back(hidden);
    const auto r = renderDrawing(d, 64, 64);
    EXPECT_EQ(countColour(r.image, rgb(2)) + countColour(r.image, rgb(4)), 0u);
}

TEST(DrawingRender, ArcRunsCounterClockwise) {
    Drawing d = frame();
    // From 0 to 90 degrees about the centre: upper right quadrant only.
    d.entities.push_back(make(Arc{{50, 50, 0}, 40, 0, std::numbers::pi / 2}, Colour::byIndex(2)));
    const auto r = renderDrawing(d, 101, 101);
    EXPECT_GT(inkIn(r.image, 55, 10, 95, 45), 20u);
    EXPECT_EQ(countColour(r.image, rgb(2)) - inkIn(r.image, 50, 0, 100, 51) * 0, countColour(r.image, rgb(2)));
    std::size_t lowerLeft = 0;
    for (int y = 55; y < 101; ++y) {
        for (int x = 0; x < 45; ++x) {
            lowerLeft += r.image.row(y)[x] == rgb(2);
        }
    }
    EXPECT_EQ(lowerLeft, 0u);
}

TEST(DrawingRender, BulgeOneIsASemicircleOnTheRight) {
    Drawing d = frame();
    Polyline p;
    p.vertices.push_back({{50, 10, 0}, 0, 0, 1}); // upwards, bulge 1: bulges to the right
    p.vertices.push_back({{50, 90, 0}});
    d.entities.push_back(make(p, Colour::byIndex(2)));
    const auto r = renderDrawing(d, 101, 101);
    std::size_t right = 0, left = 0;
    for (int y = 0; y < r.image.height; ++y) {
        for (int x = 0; x < r.image.width; ++x) {
            if (r.image.row(y)[x] == rgb(2)) {
                (x > 52 ? right : x < 48 ? left : right) += 1;
            }
        }
    }
    EXPECT_GT(right, 60u);
    EXPECT_EQ(left, 0u);
}

TEST(DrawingRender, NegativeExtrusionMirrorsABlock) {
    // The same picture as the block's line drawn where it lands: mirrored, x runs the other way.
    struct Case {
        double z, insertX;
        Line expected;
    };
    const Case cases[] = {{1, 50, {{60, 60, 0}, {80, 60, 0}}}, {-1, -50, {{40, 60, 0}, {20, 60, 0}}}};
    for (const auto& c : cases) {
        Drawing d = frame();
        d.blocks.push_back({"B", {}, {make(Line{{10, 10, 0}, {30, 10, 0}}, Colour::byIndex(2))}});
        Insert ins;
        ins.block = 0;
        ins.position = {c.insertX, 50, 0};
        Entity e = make(ins);
        e.extrusion = {0, 0, c.z};
        d.entities.push_back(e);
        Drawing direct = frame();
        direct.entities.push_back(make(c.expected, Colour::byIndex(2)));
        const auto r = renderDrawing(d, 101, 101);
        EXPECT_GT(countColour(r.image, rgb(2)), 15u) << c.z;
        EXPECT_EQ(r.image.pixels, renderDrawing(direct, 101, 101).image.pixels) << c.z;
    }
}

TEST(DrawingRender, InsertCyclesTerminate) {
    Drawing d = frame();
    Insert self;
    self.block = 0;
    Insert toA;
    toA.block = 0;
    Insert toB;
    toB.block = 1;
    Insert outOfRange;
    outOfRange.block = 99;
    d.blocks.push_back({"A", {}, {make(Line{{10, 10, 0}, {20, 20, 0}}), make(self), make(toB), make(outOfRange)}});
    d.blocks.push_back({"B", {}, {make(Line{{30, 10, 0}, {40, 20, 0}}), make(toA)}});
    d.entities.push_back(make(toA));
    RenderLimits deep;
    deep.maxNesting = 200; // the cycles, not the nesting limit, must stop this
    const auto r = renderDrawing(d, 64, 64, deep);
    EXPECT_FALSE(r.truncated);
    EXPECT_GT(countColour(r.image, rgb(1)), 5u);
}

TEST(DrawingRender, AbsurdCoordinatesDropped) {
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(), 1e308, -std::numeric_limits<double>::infinity()};
    const auto reference = renderDrawing(frame(), 64, 64);
    for (double v : bad) {
        Drawing d = frame();
        d.entities.push_back(make(Line{{0, 0, 0}, {v, 5, 0}}));
        d.entities.push_back(make(Circle{{50, 50, 0}, v}));
        d.entities.push_back(make(Arc{{v, 50, 0}, 5, 0, 1}));
        const auto r = renderDrawing(d, 64, 64);
        EXPECT_EQ(r.image.pixels, reference.image.pixels) << v;
    }
}

TEST(DrawingRender, HugePolylineHitsTheSegmentBudget) {
    Drawing d;
    Polyline p;
    p.vertices.resize(1'000'000);
    for (std::size_t i = 0; i < p.vertices.size(); ++i) {
        p.vertices[i].position = {double(i % 1000), double(i / 1000), 0};
    }
    d.entities.push_back(make(p));
    RenderLimits limits;
    limits.maxSegments = 10'000;
    const auto r = renderDrawing(d, 64, 64, limits);
    EXPECT_TRUE(r.truncated);
    EXPECT_FALSE(r.empty);
    EXPECT_LE(r.segments, limits.maxSegments);
    EXPECT_GT(ink(r.image), 0u);
}

TEST(DrawingRender, FilledSolidAndWidePolyline) {
    Drawing d = frame();
    Solid s;
    s.corners[0] = {10, 10, 0};
    s.corners[1] = {40, 10, 0};
    s.corners[2] = {10, 40, 0};
    s.corners[3] = {40, 40, 0};
    d.entities.push_back(make(s, Colour::byIndex(2)));
    Polyline p;
    p.vertices.push_back({{60, 70, 0}, 20, 20, 0});
    p.vertices.push_back({{90, 70, 0}});
    d.entities.push_back(make(p, Colour::byIndex(4)));
    const auto r = renderDrawing(d, 101, 101);
    EXPECT_GT(countColour(r.image, rgb(2)), 700u);
    EXPECT_GT(countColour(r.image, rgb(4)), 400u);
}

TEST(DrawingRender, TextInksItsBoxAndFollowsRotation) {
    struct Case {
        double rotation;
        int x0, y0, x1, y1; // where the ink must be (pixels, top row 0) in a 101 × 101 picture of 0..100
    };
    const Case cases[] = {
        {0, 58, 77, 99, 93},                    // along x from (60, 10), 10 high
        {std::numbers::pi / 2, 47, 50, 63, 93}, // upwards
    };
    for (const auto& c : cases) {
        Drawing d = frame();
        Text t;
        t.text = "ABCD";
        t.insertion = {60, 10, 0};
        t.height = 10;
        t.rotation = c.rotation;
        d.entities.push_back(make(t, Colour::byIndex(2)));
        const auto r = renderDrawing(d, 101, 101);
        const std::size_t total = countColour(r.image, rgb(2));
        EXPECT_GT(total, 100u) << c.rotation;
        std::size_t inside = 0;
        for (int y = c.y0; y <= c.y1; ++y) {
            for (int x = c.x0; x <= c.x1; ++x) {
                inside += r.image.row(y)[x] == rgb(2);
            }
        }
        EXPECT_EQ(inside, total) << c.rotation;
    }
}

// MTEXT wraps its words at its reference width; a word wider than that stays whole on its line.
TEST(DrawingRender, MTextWrapsAtItsReferenceWidth) {
    struct Case {
        const char* text;
        double width;
        std::size_t lines;
        double widest; // the right end of the ink, in heights
    };
    const Case cases[] = {
        {"AAAA BBBB CCCC", 0, 1, 14},  // no width: one line per paragraph
        {"AAAA BBBB CCCC", 10, 2, 9},  // two words fit
        {"AAAA BBBB CCCC", 4.7, 3, 4}, // one each
        {"AAAA BBBB CCCC", 2, 3, 4},   // narrower than a word
        {"AAAA\nBBBB", 100, 2, 4},     // paragraphs
        {"AAAA BBBB\nCC DD", 7, 3, 5}, // wrapping within paragraphs
    };
    for (const Case& c : cases) {
        MText t;
        t.text = c.text;
        t.height = 1;
        t.referenceWidth = c.width;
        const auto segments = layoutMText(t);
        ASSERT_FALSE(segments.empty()) << c.text;
        std::set<int> lines;
        double right = 0;
        for (const GlyphSegment& g : segments) {
            // Capitals of line i lie between 5/3 i and 5/3 i + 1 heights below the top.
            lines.insert(int(std::floor(-(g.a.y + g.b.y) / 2 / (5.0 / 3.0))));
            right = std::max({right, g.a.x, g.b.x});
        }
        EXPECT_EQ(lines.size(), c.lines) << c.text << " in " << c.width;
        EXPECT_LE(right, c.widest) << c.text << " in " << c.width;
        EXPECT_GT(right, c.widest - 1) << c.text << " in " << c.width;
    }
}

// Texts come out of their layout in batches: a long one comes out whole, each line where it goes.
TEST(DrawingRender, LongTextsComeOutWhole) {
    const std::size_t perA = layoutText([] {
                                 Text t;
                                 t.text = "A";
                                 t.height = 1;
                                 return t;
                             }())
                                 .size();
    Text t;
    t.text = std::string(1500, 'A');
    t.height = 2;
    const auto line = layoutText(t);
    ASSERT_EQ(line.size(), 1500 * perA);
    double right = 0;
    for (const GlyphSegment& g : line) {
        right = std::max({right, g.a.x, g.b.x});
        EXPECT_GE(std::min(g.a.y, g.b.y), -1e-9);
        EXPECT_LE(std::max(g.a.y, g.b.y), 2 + 1e-9);
    }
    EXPECT_NEAR(right, 2 * (1499 + 4.0 / 6.0), 1e-6);

    MText m;
    m.text = std::string(700, 'A') + "\n" + std::string(700, 'A');
    m.height = 1;
    const auto lines = layoutMText(m);
    ASSERT_EQ(lines.size(), 1400 * perA);
    std::size_t below = 0; // glyphs of the second line, 5/3 lower
    for (const GlyphSegment& g : lines) {
        below += g.a.y < -1.2 ? 1 : 0;
    }
    EXPECT_EQ(below, 700 * perA);
}

// A framed MTEXT (a multileader's) gets a rectangle around all its lines, its gap out, turned with it.
TEST(DrawingRender, MTextFrameSurroundsItsLinesAtItsGap) {
    for (const double angle : {0.0, 0.5}) {
        MText t;
        t.text = "AAAA\nBB";
        t.height = 2;
        t.insertion = {10, 20, 0};
        t.direction = {std::cos(angle), std::sin(angle), 0};
        t.attachment = 5; // middle centre
        const auto plain = layoutMText(t);
        t.frameGap = 0.5;
        const auto framed = layoutMText(t);
        ASSERT_EQ(framed.size(), plain.size() + 4) << angle;
        // In the text's own axes, the glyphs' box lies inside the frame, at least the gap in.
        const auto local = [&](Vec2 p) {
            const double x = p.x - 10, y = p.y - 20;
            return Vec2{x * std::cos(angle) + y * std::sin(angle), -x * std::sin(angle) + y * std::cos(angle)};
        };
        double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
        for (std::size_t i = plain.size(); i < framed.size(); ++i) {
            for (const Vec2 p : {local(framed[i].a), local(framed[i].b)}) {
                x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
            }
        }
        for (const GlyphSegment& g : plain) {
            for (const Vec2 p : {local(g.a), local(g.b)}) {
                EXPECT_GE(p.x - x0, 0.5 - 1e-9) << angle;
                EXPECT_GE(x1 - p.x, 0.5 - 1e-9) << angle;
                EXPECT_GE(p.y - y0, 0.5 - 1e-9) << angle;
                EXPECT_GE(y1 - p.y, 0.5 - 1e-9) << angle;
            }
        }
        EXPECT_NEAR((x0 + x1) / 2, 0, 1e-9) << angle; // centred on the insertion point
        EXPECT_LT(x1 - x0, 4 * 2 + 2) << angle;       // hugging the longest line
    }
}

TEST(DrawingRender, TextControlCodesAndFrenchLetters) {
    const std::u32string decoded = decodeText("%%c20 %%d%%p%%%%%uà\xC3\xA9\xE9");
    EXPECT_EQ(decoded, U"\u230020 \u00B0\u00B1%\u00E0\u00E9\u00E9");
    for (char32_t c : {U'é', U'ç', U'Ê', U'œ', U'«', U'°', U'ÿ'}) {
        std::vector<GlyphSegment> segs;
        glyphSegments(c, 0, segs);
        EXPECT_GE(segs.size(), 2u) << std::uint32_t(c);
        std::vector<GlyphSegment> box;
        glyphSegments(0x4E00, 0, box);
        const bool same = segs.size() == box.size() &&
                          std::equal(segs.begin(), segs.end(), box.begin(), [](const auto& p, const auto& q) {
                              return p.a.x == q.a.x && p.a.y == q.a.y && p.b.x == q.b.x && p.b.y == q.b.y;
                          });
        EXPECT_FALSE(same) << "not the unknown box " << std::uint32_t(c);
    }
}

TEST(DrawingRender, HostileCurveParametersStayBounded) {
    Drawing d = frame();
    Ellipse e;
    e.centre = {50, 50, 0};
    e.majorAxis = {30, 0, 0};
    e.ratio = 0.5;
    e.startParam = 1e90; // once looped by steps of a turn
    e.endParam = -1e90;
    d.entities.push_back(make(e, Colour::byIndex(2)));
    d.entities.push_back(make(Arc{{50, 50, 0}, 1e90, -1e90, 1e90}));
    Spline s;
    for (int i = 0; i < 200'000; ++i) {
        s.controlPoints.push_back({double(i % 100), double(i % 37), 0});
    }
    d.entities.push_back(make(s, Colour::byIndex(3)));
    const auto r = renderDrawing(d, 64, 64);
    EXPECT_FALSE(r.empty);
    EXPECT_LT(r.segments, 100'000u);
}

TEST(DrawingRender, PointIsOnePixelAndHiddenFaceEdgesStayHidden) {
    Drawing d = frame();
    d.entities.push_back(make(Point{{50, 50, 0}}, Colour::byIndex(2)));
    Face3d f;
    f.corners[0] = {10, 10, 0};
    f.corners[1] = {40, 10, 0};
    f.corners[2] = {40, 40, 0};
    f.corners[3] = {10, 40, 0};
    f.invisibleEdges = 0b0101; // edges 0-1 and 2-3 hidden: the two vertical ones are left
    d.entities.push_back(make(f, Colour::byIndex(3)));
    const auto r = renderDrawing(d, 101, 101);
    EXPECT_EQ(countColour(r.image, rgb(2)), 1u);
    EXPECT_EQ(inkIn(r.image, 49, 49, 51, 51), 1u);
    // World 10..40 lands on pixels about 12..41 (rows 59..88): the sides inked, top and bottom not.
    EXPECT_GT(inkIn(r.image, 10, 62, 14, 85), 15u);
    EXPECT_GT(inkIn(r.image, 39, 62, 43, 85), 15u);
    EXPECT_EQ(inkIn(r.image, 18, 56, 35, 92), 0u);
}

TEST(DrawingRender, ExtentsTooSmallToScaleDrawAsAPoint) {
    Drawing point;
    point.entities.push_back(make(Point{{0, 0, 0}}));
    const auto dot = renderDrawing(point, 64, 64);
    ASSERT_EQ(ink(dot.image), 1u);
    const double tiny = 1e-320; // a denormal: the width over it is infinite
    for (const Vec3 end : {Vec3{tiny, 0, 0}, Vec3{tiny, tiny, 0}, Vec3{0, tiny, 0}}) {
        Drawing d;
        d.entities.push_back(make(Line{{0, 0, 0}, end}));
        const auto r = renderDrawing(d, 64, 64);
        EXPECT_EQ(r.image.width, dot.image.width);
        EXPECT_EQ(r.image.pixels, dot.image.pixels) << end.x << "," << end.y;
    }
}
