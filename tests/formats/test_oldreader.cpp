// The reader of releases 2.5 to 12 over every real one-entity drawing, and over damaged copies.

#include "formats/dwg/geometry.h"
#include "support/samples.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

using namespace dsc;
using namespace dsc::dwg;

std::filesystem::path oldDir() {
    return test::samplesDir() / "dwg" / "geometry" / "old";
}

GeometryResult readBytes(const std::vector<std::uint8_t>& bytes, const GeometryLimits& limits = {}) {
    MemorySource src(bytes);
    return readDrawingGeometry(src, limits);
}

// "AC1006__entity__line__LINE1.DWG" → "LINE"; empty when the name states no entity kind.
std::string expectedKind(const std::string& name) {
    const auto a = name.find("__entity__");
    if (a == std::string::npos) {
        return {};
    }
    auto kind = name.substr(a + 10, name.find("__", a + 10) - a - 10);
    std::transform(kind.begin(), kind.end(), kind.begin(), [](unsigned char c) { return std::toupper(c); });
    if (kind == "DIM") {
        return "DIMENSION";
    }
    if (kind == "PL" || kind == "POLYLINE") {
        return "POLYLINE";
    }
    return kind;
}

TEST(OldReader, EverySampleReadsWithItsEntity) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    std::size_t read = 0, checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(oldDir())) {
        const auto name = entry.path().filename().string();
        if (name.starts_with("AC1_40")) {
            continue; // release 1.40 geometry is not read
        }
        const auto r = readBytes(test::readFile(entry.path()));
        ASSERT_TRUE(r.ok()) << name << ": " << r.detail;
        EXPECT_FALSE(r.drawing.truncated) << name << ": " << r.drawing.warning;
        ++read;
        for (const auto& [skippedKind, n] : r.drawing.skipped) {
            EXPECT_EQ(skippedKind, "SHAPE") << name << " skipped " << n; // every other record is decoded
        }
        const auto kind = expectedKind(name);
        if (kind.empty() || kind == "JUMP" || kind == "SHAPE") {
            continue;
        }
        const auto& counts = r.drawing.counts;
        EXPECT_TRUE(counts.contains(kind))
            << name << " has no " << kind << " (" << r.drawing.skipped.size() << " kinds skipped)";
        ++checked;
    }
    EXPECT_GE(read, 300u);
    EXPECT_GE(checked, 20u);
}

TEST(OldReader, ExactValues) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    const auto arc = readBytes(test::readFile(oldDir() / "AC1003__entity__arc__ARC1.DWG"));
    ASSERT_EQ(arc.drawing.entities.size(), 1u);
    const auto& a = std::get<Arc>(arc.drawing.entities[0].shape);
    EXPECT_GT(a.radius, 0);
    const auto line = readBytes(test::readFile(oldDir() / "AC1006__entity__line__LINE1.DWG"));
    ASSERT_EQ(line.drawing.entities.size(), 1u);
    const auto& l = std::get<Line>(line.drawing.entities[0].shape);
    EXPECT_EQ(l.start, (Vec3{0, 0, 0}));
    EXPECT_EQ(l.end, (Vec3{1, 1, 0}));

    const auto one = [](const char* name) {
        auto r = readBytes(test::readFile(oldDir() / name));
        return r;
    };
    const auto circle = one("AC1006__entity__circle__CIRCLE1.DWG");
    const auto& c = std::get<Circle>(circle.drawing.entities.at(0).shape);
    EXPECT_EQ(c.centre, (Vec3{1, 1, 0}));
    EXPECT_EQ(c.radius, 1);
    const auto text = one("AC1006__entity__text__TEXT1.DWG");
    const auto& t = std::get<Text>(text.drawing.entities.at(0).shape);
    EXPECT_EQ(t.text, "FOO");
    EXPECT_DOUBLE_EQ(t.height, 0.2);
    const auto pl = one("AC1006__entity__polyline__PL1.DWG");
    EXPECT_EQ(std::get<Polyline>(pl.drawing.entities.at(0).shape).vertices.size(), 2u);
    const auto insert = one("AC1006__entity__insert__INSERT1.DWG");
    const auto& in = std::get<Insert>(insert.drawing.entities.at(0).shape);
    EXPECT_EQ(in.position, (Vec3{2, 2, 0}));
    ASSERT_EQ(in.block, 0);
    EXPECT_EQ(insert.drawing.blocks.at(0).name, "BLOCK");
    EXPECT_EQ(insert.drawing.blocks.at(0).entities.size(), 1u);
    const auto dim = one("AC1006__entity__dim__DIM1.DWG");
    EXPECT_EQ(dim.drawing.blocks.at(0).name, "*D");
    EXPECT_FALSE(dim.drawing.blocks.at(0).entities.empty());
}

TEST(OldReader, TruncatedCopiesReadCleanly) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    const auto whole = test::readFile(oldDir() / "AC1006__entity__line__LINE1.DWG");
    ASSERT_GT(whole.size(), 0x600u);
    for (std::size_t cut = 0; cut < whole.size(); cut += 7) {
        const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        const auto r = readBytes(part);
        if (cut > 0x540 && r.ok()) {
            EXPECT_EQ(r.drawing.entities.size(), 1u) << cut;
        }
        if (cut >= 0xC8 && cut < 0x53A && r.ok()) {
            EXPECT_TRUE(r.drawing.truncated) << cut;
        }
    }
}

TEST(OldReader, AbsurdOffsetsAndSizesAreRefused) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    auto bytes = test::readFile(oldDir() / "AC1006__entity__line__LINE1.DWG");
    ASSERT_GT(bytes.size(), 0x600u);
    auto bad = bytes;
    bad[0x17] = 0x7F; // entity section starts far past the end
    EXPECT_FALSE(readBytes(bad).ok());
    bad = bytes;
    bad[0x1B] = 0x7F; // entity section ends far past the end
    const auto r = readBytes(bad);
    EXPECT_TRUE(!r.ok() || r.drawing.truncated);
    bad = bytes;
    bad[0x2E] = 0xFF; // a huge block count
    bad[0x2F] = 0xFF;
    EXPECT_TRUE(readBytes(bad).drawing.truncated);
    bad = bytes;
    bad[0x514] = 0xFF; // the record's size past its section
    EXPECT_TRUE(readBytes(bad).drawing.truncated);
    GeometryLimits tiny;
    tiny.maxBytes = 4;
    EXPECT_TRUE(readBytes(bytes, tiny).drawing.truncated);
}

} // namespace

namespace {

TEST(OldReader, PreThirteenDrawings) {
    if (!dsc::test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    for (const char* name :
         {"pre_r10_entities_AC1006.dwg", "pre_r11_LINE1_AC1009.DWG", "pre_r2.10_entities_AC2.10.dwg"}) {
        const auto r = readBytes(dsc::test::readFile(dsc::test::samplesDir() / "dwg" / name));
        ASSERT_TRUE(r.ok()) << name << ": " << r.detail;
        EXPECT_FALSE(r.drawing.entities.empty()) << name << ": " << r.drawing.warning;
        EXPECT_FALSE(r.drawing.truncated) << name << ": " << r.drawing.warning;
        // Layer "0" is on, white, in all three (releases 11 and 12 keep a use count before the colour).
        ASSERT_FALSE(r.drawing.layers.empty());
        EXPECT_EQ(r.drawing.layers[0].name, "0") << name;
        EXPECT_EQ(r.drawing.layers[0].colour.index, 7) << name;
        EXPECT_FALSE(r.drawing.layers[0].off) << name;
    }
}

} // namespace
