// Multilines, tolerances and the header variables of releases 13 to 2004, on hand-built values.
#include "formats/dwg/r13/annotations.h"
#include "formats/dwg/r13/headervars.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace dsc::dwg
