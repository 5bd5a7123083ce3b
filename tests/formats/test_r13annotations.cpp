// Multilines, tolerances, multileaders and the header variables of releases 13 to 2004, on
// hand-built values.
#include "formats/dwg/r13/annotations.h"
#include "formats/dwg/r13/headervars.h"
#include "support/bitwriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace dsc::dwg {
namespace {

Vec3 at(const Polyline& p, std::size_t i) {
    return p.vertices.at(i).position;
}

TEST(R13MLine, ElementsLieAlongTheMiterAtTheirOffsets) {
    // An L: along x, then up y; the corner's miter bisects the turn.
    const double k = 0.7071067811865476;
    const std::vector<MLineVertex> vertices = {
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5, -0.5}},
        {{10, 0, 0}, {0, 1, 0}, {-k, k, 0}, {0.5 / k, -0.5 / k}},
        {{10, 10, 0}, {0, 1, 0}, {-1, 0, 0}, {0.5, -0.5}},
    };
    const auto lines = mlineElements(vertices, 2, false);
    ASSERT_EQ(lines.size(), 2u);
    for (const Polyline& line : lines) {
        EXPECT_TRUE(line.is3d);
        EXPECT_FALSE(line.closed);
        ASSERT_EQ(line.vertices.size(), 3u);
    }
    EXPECT_NEAR(at(lines[0], 0).y, 0.5, 1e-12);
    EXPECT_NEAR(at(lines[0], 1).x, 9.5, 1e-12);
    EXPECT_NEAR(at(lines[0], 1).y, 0.5, 1e-12);
    EXPECT_NEAR(at(lines[0], 2).x, 9.5, 1e-12);
    EXPECT_NEAR(at(lines[1], 0).y, -0.5, 1e-12);
    EXPECT_NEAR(at(lines[1], 1).x, 10.5, 1e-12);
    EXPECT_NEAR(at(lines[1], 1).y, -0.5, 1e-12);
    EXPECT_NEAR(at(lines[1], 2).x, 10.5, 1e-12);
}

TEST(R13MLine, WithoutElementsTheCentreLine) {
    const std::vector<MLineVertex> vertices = {{{1, 2, 3}, {1, 0, 0}, {0, 1, 0}, {}},
                                               {{4, 2, 3}, {1, 0, 0}, {0, 1, 0}, {}}};
    const auto lines = mlineElements(vertices, 0, true);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].closed);
    EXPECT_EQ(at(lines[0], 0), (Vec3{1, 2, 3}));
    EXPECT_EQ(at(lines[0], 1), (Vec3{4, 2, 3}));
}

TEST(R13Tolerance, OneBoxPerFieldOneRowPerLine) {
    // A symbol, a value, a datum; an empty field draws nothing; a second row below.
    const auto boxes = toleranceFrames({10, 20, 0}, {1, 0, 0}, 1, "{\\Fgdt;j}%%v0.5%%v%%vA^J{\\Fgdt;r}%%v1");
    ASSERT_EQ(boxes.size(), 5u);
    for (const Polyline& box : boxes) {
        EXPECT_TRUE(box.closed);
        ASSERT_EQ(box.vertices.size(), 4u);
        EXPECT_NEAR(at(box, 0).y - at(box, 3).y, 2.0, 1e-12); // twice the text height
    }
    EXPECT_EQ(at(boxes[0], 0), (Vec3{10, 21, 0}));                  // the first row is centred on the insertion point
    EXPECT_NEAR(at(boxes[0], 1).x - at(boxes[0], 0).x, 2.0, 1e-12); // one symbol and its margins
    EXPECT_NEAR(at(boxes[1], 0).x, at(boxes[0], 1).x, 1e-12);       // boxes side by side
    EXPECT_NEAR(at(boxes[1], 1).x - at(boxes[1], 0).x, 4.0, 1e-12); // "0.5"
    EXPECT_NEAR(at(boxes[3], 0).y, 19, 1e-12);                      // the second row
    EXPECT_NEAR(at(boxes[3], 0).x, 10, 1e-12);
}

TEST(R13Tolerance, FollowsItsDirectionAndRefusesNonsense) {
    const auto up = toleranceFrames({0, 0, 0}, {0, 2, 0}, 1, "A");
    ASSERT_EQ(up.size(), 1u);
    EXPECT_NEAR(at(up[0], 1).x, at(up[0], 0).x, 1e-12); // along y
    EXPECT_NEAR(at(up[0], 1).y - at(up[0], 0).y, 2.0, 1e-12);
    EXPECT_TRUE(toleranceFrames({0, 0, 0}, {1, 0, 0}, 0, "A").empty());
    EXPECT_TRUE(toleranceFrames({0, 0, 0}, {1, 0, 0}, 1, "").empty());
    EXPECT_TRUE(toleranceFrames({0, 0, 0}, {1, 0, 0}, 1, "%%v%%v").empty());
    // Bounded, however many fields a damaged text claims.
    std::string many;
    for (int i = 0; i < 1000; ++i) {
        many += "x%%v";
    }
    EXPECT_LE(toleranceFrames({0, 0, 0}, {1, 0, 0}, 1, many).size(), 64u);
}

TEST(R13HeaderVariables, OnlyTheReleasesItKnowsAndWholeSections) {
    const std::vector<std::uint8_t> zeros(4096, 0);
    EXPECT_FALSE(readHeaderVariables({}, "AC1015", 1024).ok);
    EXPECT_FALSE(readHeaderVariables(std::span(zeros).first(10), "AC1015", 1024).ok);
    EXPECT_FALSE(readHeaderVariables(zeros, "AC1021", 1024).ok); // strings elsewhere: not read
    EXPECT_FALSE(readHeaderVariables(zeros, "AC1009", 1024).ok);
    // A section claiming no bytes stops at once.
    EXPECT_FALSE(readHeaderVariables(zeros, "AC1014", 1024).ok);
}

constexpr std::uint32_t kByBlock = 0xC1000000, kIndexed = 0xC3000000;

// A multileader's data as release 2004 writes it (after the common entity data): one root at
// (10, 5) whose landing runs 2 along x, with two leader lines of two points each, and the text
// "Note" 2.5 high at (12.5, 5), or a block there scaled 2 and turned a quarter. `roots` and `lines`
// are the counts written, whatever follows.
test::BitWriter multileader2004(std::int32_t roots = 1, std::int32_t lines = 2, bool block = false) {
    test::BitWriter w;
    const auto cmc = [&w](std::uint32_t word) {
        w.BS(0);
        w.BL(static_cast<std::int32_t>(word));
        w.RC(0);
    };
    w.BL(roots);
    w.B(true); // the root
    w.B(false);
    w.threeBD(10, 5, 0);
    w.threeBD(1, 0, 0);
    w.BL(0); // breaks
    w.BL(0);
    w.BD(2); // landing
    w.BL(lines);
    for (int i = 0; i < 2; ++i) {
        w.BL(2);
        w.threeBD(0, i * 4.0, 0); // the arrow's tip
        w.threeBD(5, i * 4.0 + 1, 0);
        w.BL(0); // breaks
        w.BL(i);
    }
    w.BD(1);
    w.threeBD(12.5, 5, 0);
    w.BD(2.5); // text height
    w.BD(0.6); // arrow size
    w.BD(0.36);
    for (int i = 0; i < 4; ++i) {
        w.BS(1);
    }
    w.B(!block); // text content
    if (block) {
        w.B(true);
        w.threeBD(0, 0, 1);
        w.threeBD(12.5, 5, 0);
        w.threeBD(2, 2, 2);
        w.BD(1.5707963267948966);
        cmc(kIndexed | 5);
        for (int i = 0; i < 16; ++i) {
            w.BD(i % 5 == 0 ? 1 : 0);
        }
    } else {
        w.TV("{\\fArial;Note}");
        w.threeBD(0, 0, 1);
        w.threeBD(12.5, 5, 0);
        w.threeBD(1, 0, 0);
        w.BD(0);
        w.BD(0); // width
        w.BD(0);
        w.BD(1); // line spacing
        w.BS(1);
        cmc(kByBlock); // text colour
        w.BS(1);       // attachment: top left
        w.BS(1);
        cmc(kByBlock); // background
        w.BD(1.5);
        w.BL(0);
        w.B(false);
        w.B(false);
        w.BS(0);
        w.B(false);
        w.BD(0);
        w.BD(0);
        w.B(false);
        w.BL(0); // columns
        w.B(false);
        w.B(false);
    }
    w.threeBD(0, 0, 0); // the plane
    w.threeBD(1, 0, 0);
    w.threeBD(0, 1, 0);
    w.B(false);
    // The entity's own properties.
    w.BL(0);
    w.BS(1);           // straight leaders
    cmc(kIndexed | 3); // leader lines green
    w.BL(0);
    w.B(true);
    w.B(true); // dogleg
    w.BD(2);
    w.BD(0.6);
    w.BS(block ? 1 : 2); // content: a block or text
    for (int i = 0; i < 4; ++i) {
        w.BS(1);
    }
    cmc(kByBlock);
    w.B(true); // a frame around the text
    cmc(kByBlock);
    w.threeBD(1, 1, 1);
    w.BD(0);
    w.BS(0);
    w.B(false);
    w.BL(0); // arrowheads
    w.BL(0); // block attributes
    w.B(false);
    w.BS(0);
    w.BS(1);
    w.BD(1);
    return w;
}

ObjectContext context2004() {
    ObjectContext c;
    c.r2000 = c.r2004 = true;
    return c;
}

TEST(R13MultiLeader, LeadersArrowsLandingAndText) {
    const auto w = multileader2004();
    BitReader r(w.bytes(), w.bitCount());
    ParsedObject out;
    out.shape.colour = Colour::byIndex(1); // the entity red
    ASSERT_TRUE(readMultiLeader(r, context2004(), out));
    // Two leader lines and their arrows, the landing, the text.
    ASSERT_EQ(out.moreShapes.size(), 5u);
    const auto* first = std::get_if<Polyline>(&out.shape.shape);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(first->vertices.size(), 3u); // its points, then the landing's start
    EXPECT_EQ(at(*first, 0), (Vec3{0, 0, 0}));
    EXPECT_EQ(at(*first, 2), (Vec3{10, 5, 0}));
    EXPECT_EQ(out.shape.colour, Colour::byIndex(3));
    const auto* arrow = std::get_if<Solid>(&out.moreShapes[0].shape);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->corners[0], (Vec3{0, 0, 0})); // the tip on the first point
    const double back =
        std::hypot(arrow->corners[1].x + arrow->corners[2].x, arrow->corners[1].y + arrow->corners[2].y);
    EXPECT_NEAR(back / 2, 0.6, 1e-9); // as long as the arrow size, towards the next point
    EXPECT_NE(std::get_if<Polyline>(&out.moreShapes[1].shape), nullptr);
    EXPECT_NE(std::get_if<Solid>(&out.moreShapes[2].shape), nullptr);
    const auto* landing = std::get_if<Polyline>(&out.moreShapes[3].shape);
    ASSERT_NE(landing, nullptr);
    EXPECT_EQ(at(*landing, 0), (Vec3{10, 5, 0}));
    EXPECT_EQ(at(*landing, 1), (Vec3{12, 5, 0}));
    const auto* text = std::get_if<MText>(&out.moreShapes[4].shape);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text, "Note");
    EXPECT_EQ(text->insertion, (Vec3{12.5, 5, 0}));
    EXPECT_DOUBLE_EQ(text->height, 2.5);
    EXPECT_EQ(text->attachment, 1);
    EXPECT_DOUBLE_EQ(text->frameGap, 0.36);                  // framed, as far out as the landing's gap
    EXPECT_EQ(out.moreShapes[4].colour, Colour::byIndex(1)); // by block: the entity's
    for (const Piece& piece : out.moreShapes) {
        EXPECT_TRUE(piece.colour.has_value());
    }
}

// A block as content, and arrows drawn by a block of their own: both named by the references that
// follow the context's (here the block's), the entity's style and its lines' linetype.
TEST(R13MultiLeader, BlockContentAndArrowBlocks) {
    const auto w = multileader2004(1, 2, true);
    BitReader r(w.bytes(), w.bitCount());
    ParsedObject out;
    out.refs = {0xB10C, 0x51, 0x14, 0xA77};
    ASSERT_TRUE(readMultiLeader(r, context2004(), out));
    ASSERT_EQ(out.moreShapes.size(), 5u); // a line's arrow, the other line and its arrow, the landing, the block
    const auto* arrow = std::get_if<Insert>(&out.moreShapes[0].shape);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(out.moreShapes[0].block, 0xA77u);
    EXPECT_EQ(arrow->position, (Vec3{0, 0, 0}));
    EXPECT_DOUBLE_EQ(arrow->scale.x, 0.6);
    EXPECT_NEAR(arrow->rotation, std::atan2(-1, -5), 1e-12); // x along the line, into the tip
    const Piece& content = out.moreShapes.back();
    const auto* block = std::get_if<Insert>(&content.shape);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(content.block, 0xB10Cu);
    EXPECT_EQ(block->position, (Vec3{12.5, 5, 0}));
    EXPECT_EQ(block->scale, (Vec3{2, 2, 2}));
    EXPECT_NEAR(block->rotation, 1.5707963267948966, 1e-12);
    EXPECT_EQ(content.colour, Colour::byIndex(5));
    // Without the block's reference the content is left out, the leaders kept.
    BitReader again(w.bytes(), w.bitCount());
    ParsedObject bare;
    ASSERT_TRUE(readMultiLeader(again, context2004(), bare));
    EXPECT_EQ(bare.moreShapes.size(), 4u);
    EXPECT_EQ(std::get_if<Insert>(&bare.shape.shape), nullptr);
}

// What each leader line's properties make of it: hidden, curved, out of the plan view, and colours
// BYBLOCK taking the entity's.
TEST(R13MultiLeader, PiecesFollowEachLinesProperties) {
    MLeader m;
    m.lineColour = Colour::byIndex(Colour::kByBlock);
    MLeaderRoot root;
    root.connection = {10, 0, 0};
    root.direction = {1, 0, 0};
    root.landing = 3;
    MLeaderLine straight{{{0, 0, 0}, {5, 5, 0}}, true, false, Colour::byIndex(Colour::kByBlock), 1};
    MLeaderLine hidden = straight;
    hidden.visible = false;
    MLeaderLine curved = straight;
    curved.spline = true;
    curved.colour = Colour::trueColour(0x336699);
    curved.arrowSize = 0; // no arrow
    root.lines = {straight, hidden, curved};
    m.roots = {root};
    const Colour entity = Colour::byIndex(4);

    auto pieces = mleaderPieces(m, entity);
    ASSERT_EQ(pieces.size(), 3u); // the straight line and its arrow, the curve; the landing is off
    EXPECT_NE(std::get_if<Polyline>(&pieces[0].shape), nullptr);
    EXPECT_EQ(pieces[0].colour, entity);
    EXPECT_NE(std::get_if<Solid>(&pieces[1].shape), nullptr);
    const auto* curve = std::get_if<Spline>(&pieces[2].shape);
    ASSERT_NE(curve, nullptr);
    ASSERT_EQ(curve->fitPoints.size(), 3u); // through its points to the landing
    EXPECT_EQ(curve->fitPoints.back(), (Vec3{10, 0, 0}));
    EXPECT_EQ(pieces[2].colour, Colour::trueColour(0x336699));

    m.dogleg = true;
    m.normal = {0, 1, 0}; // drawn upright: the arrow an outline, since solids lie in their own plane
    pieces = mleaderPieces(m, entity);
    ASSERT_EQ(pieces.size(), 4u);
    const auto* arrow = std::get_if<Polyline>(&pieces[1].shape);
    ASSERT_NE(arrow, nullptr);
    EXPECT_TRUE(arrow->closed);
    EXPECT_EQ(arrow->vertices.size(), 3u);
    const auto* landing = std::get_if<Polyline>(&pieces[3].shape);
    ASSERT_NE(landing, nullptr);
    EXPECT_EQ(at(*landing, 1), (Vec3{13, 0, 0}));
}

TEST(R13MultiLeader, DamagedDataIsRefusedWholeAndBounded) {
    const auto whole = multileader2004();
    // Cut anywhere, nothing is kept.
    for (std::size_t cut = 0; cut < whole.bitCount(); ++cut) {
        BitReader r(whole.bytes(), cut);
        ParsedObject out;
        EXPECT_FALSE(readMultiLeader(r, context2004(), out)) << "cut at bit " << cut;
        EXPECT_TRUE(out.moreShapes.empty()) << "cut at bit " << cut;
    }
    // Counts far beyond the data are refused before anything is made of them.
    for (const auto& [roots, lines] : {std::pair{0x7FFFFFFF, 2}, std::pair{1, 0x7FFFFFFF}, std::pair{-1, 2}}) {
        const auto w = multileader2004(roots, lines);
        BitReader r(w.bytes(), w.bitCount());
        ParsedObject out;
        EXPECT_FALSE(readMultiLeader(r, context2004(), out)) << roots << " roots, " << lines << " lines";
    }
}

} // namespace
} // namespace dsc::dwg
