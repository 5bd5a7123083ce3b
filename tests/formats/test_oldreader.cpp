// The reader of releases 2.5 to 12 over every real one-entity drawing, and over damaged copies.

#include "formats/dwg/geometry.h"
#include "formats/dwg/geometrypicture.h"
#include "support/samples.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <vector>

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
            continue; // release 1.40 has its own records: see the Release1 tests
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

// Every old drawing gives a picture: the blank ones (most header tests, erased or block-only
// contents) a blank one, as a stored preview of a blank drawing is, the others some ink.
TEST(OldReader, EverySampleGivesAPicture) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    std::size_t blank = 0, inked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(oldDir())) {
        const auto name = entry.path().filename().string();
        const auto bytes = test::readFile(entry.path());
        MemorySource src(bytes);
        const GeometryPicture g = drawGeometryPicture(src, 64, 64);
        ASSERT_TRUE(g.ok()) << name << ": " << g.detail();
        const bool ink = std::any_of(g.drawn.image.pixels.begin(), g.drawn.image.pixels.end(),
                                     [](std::uint32_t p) { return p != 0xFF000000u; });
        EXPECT_EQ(ink, g.drawn.hasExtents) << name;
        ++(ink ? inked : blank);
        if (name.find("__blank__") != std::string::npos) {
            EXPECT_FALSE(ink) << name << " is blank";
        }
    }
    EXPECT_GE(blank, 200u);
    EXPECT_GE(inked, 45u);
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

namespace {

using namespace dsc;
using namespace dsc::dwg;

GeometryResult readSample(const std::filesystem::path& path) {
    const auto bytes = test::readFile(path);
    MemorySource src(bytes);
    return readDrawingGeometry(src);
}

std::filesystem::path release1(const char* name) {
    return test::samplesDir() / "dwg" / "geometry" / "old" / (std::string("AC1_40__") + name + ".DWG");
}

// Release 1.40: what each drawing holds, by kind, as its records say.
struct Release1Case {
    const char* name;
    std::map<std::string, std::size_t> counts, skipped;
    std::size_t modelEntities, blocks;
};

TEST(OldReader, Release1CountsByKind) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    const std::vector<Release1Case> cases = {
        {"entity__arc__ARC1", {{"ARC", 1}}, {}, 1, 0},
        {"entity__line__LINE2", {{"LINE", 262}}, {}, 262, 0},
        {"entity__block__BLOCK2", {{"BLOCK", 1}, {"POINT", 1}, {"INSERT", 1}}, {}, 1, 1},
        // Erased records (negative types) are stepped over, not counted.
        {"entity__tmp_insert__TMP_INS", {{"BLOCK", 2}, {"LINE", 1}, {"INSERT", 1}}, {}, 0, 2},
        {"entity__shape__SHAPE1", {}, {{"LOAD", 1}, {"SHAPE", 1}}, 0, 0},
        // A repeated group becomes one array insert of an anonymous block.
        {"entity__repeat__REPEAT1", {{"LINE", 1}}, {}, 1, 1},
        {"entity__solid__SOLID1", {{"SOLID", 1}}, {}, 1, 0},
        {"entity__trace__TRACE1", {{"TRACE", 1}}, {}, 1, 0},
        {"header__number_of_bytes__NOB4", {{"LINE", 6040}}, {}, 6040, 0},
        {"header__layer__LAYER127", {}, {}, 0, 0},
    };
    for (const auto& c : cases) {
        const auto r = readSample(release1(c.name));
        ASSERT_TRUE(r.ok()) << c.name << ": " << r.detail;
        EXPECT_FALSE(r.drawing.truncated) << c.name << ": " << r.drawing.warning;
        EXPECT_EQ(r.drawing.counts, c.counts) << c.name;
        EXPECT_EQ(r.drawing.skipped, c.skipped) << c.name;
        EXPECT_EQ(r.drawing.entities.size(), c.modelEntities) << c.name;
        EXPECT_EQ(r.drawing.blocks.size(), c.blocks) << c.name;
        EXPECT_EQ(r.drawing.layers.size(), 128u) << c.name;
    }
}

TEST(OldReader, Release1EverySampleReads) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    std::size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(test::samplesDir() / "dwg" / "geometry" / "old")) {
        if (!entry.path().filename().string().starts_with("AC1_40")) {
            continue;
        }
        const auto r = readSample(entry.path());
        ASSERT_TRUE(r.ok()) << entry.path() << ": " << r.detail;
        EXPECT_FALSE(r.drawing.truncated) << entry.path() << ": " << r.drawing.warning;
        ++n;
    }
    EXPECT_EQ(n, 80u);
}

TEST(OldReader, Release1ExactValues) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    const auto line = readSample(release1("entity__line__LINE1"));
    ASSERT_EQ(line.drawing.entities.size(), 1u);
    EXPECT_EQ(std::get<Line>(line.drawing.entities[0].shape).end, (Vec3{1, 1, 0}));
    EXPECT_EQ(line.drawing.entities[0].layer, 1);
    const auto arc = readSample(release1("entity__arc__ARC1"));
    const auto& a = std::get<Arc>(arc.drawing.entities.at(0).shape);
    EXPECT_EQ(a.centre, (Vec3{5, 5, 0}));
    EXPECT_EQ(a.radius, 5);
    const auto text = readSample(release1("entity__text__TEXT1"));
    const auto& t = std::get<Text>(text.drawing.entities.at(0).shape);
    EXPECT_EQ(t.text, "Foo");
    EXPECT_EQ(t.insertion, (Vec3{1, 2, 0}));
    EXPECT_NEAR(t.rotation, 0.7853981, 1e-6);
    const auto point = readSample(release1("entity__point__POINT2"));
    EXPECT_EQ(point.drawing.entities.at(0).layer, 2);
    const auto colour = readSample(release1("header__layer__COLOR2"));
    EXPECT_EQ(colour.drawing.layers.at(1).colour.index, 2); // layer 1's colour from the header
    const auto repeat = readSample(release1("entity__repeat__REPEAT1"));
    const auto& array = std::get<Insert>(repeat.drawing.entities.at(0).shape);
    EXPECT_EQ(array.block, 0);
    EXPECT_EQ(array.columns, 3);
    EXPECT_EQ(repeat.drawing.blocks.at(0).entities.size(), 1u);
}

TEST(OldReader, Release1DamagedCopiesReadCleanly) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    const auto whole = test::readFile(release1("entity__line__LINE2"));
    for (std::size_t cut = 0; cut < whole.size(); cut += 97) {
        const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        MemorySource src(part);
        const auto r = readDrawingGeometry(src);
        if (cut > 0x202 && cut < 0x26DA) {
            EXPECT_TRUE(r.drawing.truncated) << cut;
            EXPECT_LT(r.drawing.entities.size(), 262u) << cut;
        }
    }
    auto bad = whole;
    bad[0x202] = 0x33; // an unknown record type: nothing tells its size
    MemorySource src(bad);
    const auto r = readDrawingGeometry(src);
    EXPECT_TRUE(r.drawing.truncated);
    EXPECT_TRUE(r.drawing.entities.empty());
    bad = whole;
    bad[0x27] = 0x7F; // the section's end far past the file's
    MemorySource far(bad);
    EXPECT_TRUE(readDrawingGeometry(far).drawing.truncated);
    GeometryLimits few;
    few.maxEntities = 10;
    MemorySource limited(whole);
    const auto l = readDrawingGeometry(limited, few);
    EXPECT_TRUE(l.drawing.truncated);
    EXPECT_EQ(l.drawing.entities.size(), 10u);
}

// Release 2.6 gives z to some corners of a 3D face only, as its first flag byte says.
TEST(OldReader, FaceWithSomeCornersFlat) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    const auto r = readSample(test::samplesDir() / "dwg" / "geometry" / "old" / "AC1003__entity__3dface__3DFACE2.DWG");
    const auto& f = std::get<Face3d>(r.drawing.entities.at(0).shape);
    EXPECT_EQ(f.corners[0], (Vec3{0, 0, 0}));
    EXPECT_EQ(f.corners[1], (Vec3{1, 1, 1}));
    EXPECT_EQ(f.corners[3], (Vec3{3, 3, 3}));
}

// A block's base point is what its inserts put at their own position.
TEST(OldReader, BlockBasePoints) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    const auto r = readSample(test::samplesDir() / "dwg" / "pre_r2.10_entities_AC2.10.dwg");
    ASSERT_EQ(r.drawing.blocks.size(), 2u);
    EXPECT_EQ(r.drawing.blocks[0].base, (Vec3{6, 1, 0}));
    EXPECT_EQ(r.drawing.blocks[1].base, (Vec3{1, 2, 0}));
    const auto one = readSample(release1("entity__block__BLOCK2"));
    ASSERT_EQ(one.drawing.blocks.size(), 1u);
    EXPECT_EQ(one.drawing.blocks[0].base, (Vec3{1, 1, 0}));
    EXPECT_EQ(one.drawing.blocks[0].name, "POINT");
    EXPECT_EQ(std::get<Insert>(one.drawing.entities.at(0).shape).position, (Vec3{4, 4, 0}));
}

// Releases 11 and 12 keep more model-space records in an extra section the header points at. The
// drawing we hold has it empty: a copy gets its one line there too.
TEST(OldReader, ExtraEntitySection) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    auto bytes = test::readFile(test::samplesDir() / "dwg" / "pre_r11_LINE1_AC1009.DWG");
    ASSERT_GT(bytes.size(), 0x30u);
    const auto le32At = [&](std::size_t at) {
        return static_cast<std::uint32_t>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24);
    };
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        }
    };
    const auto start = le32At(0x14), end = le32At(0x18);
    ASSERT_LT(start, end);
    ASSERT_LE(end, bytes.size());
    {
        MemorySource src(bytes);
        EXPECT_EQ(readDrawingGeometry(src).drawing.counts.at("LINE"), 1u);
    }
    const std::vector<std::uint8_t> records(bytes.begin() + start, bytes.begin() + end);
    put32(0x24, static_cast<std::uint32_t>(bytes.size()));
    put32(0x28, 0x80000000u | static_cast<std::uint32_t>(records.size()));
    bytes.insert(bytes.end(), records.begin(), records.end());
    MemorySource src(bytes);
    const auto r = readDrawingGeometry(src);
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_FALSE(r.drawing.truncated) << r.drawing.warning;
    EXPECT_EQ(r.drawing.counts.at("LINE"), 2u);
    ASSERT_EQ(r.drawing.entities.size(), 2u);
    EXPECT_EQ(std::get<Line>(r.drawing.entities[1].shape).end, std::get<Line>(r.drawing.entities[0].shape).end);
    // Past the file's end: reading stops there, the rest is kept.
    put32(0x24, static_cast<std::uint32_t>(bytes.size() + 100));
    MemorySource past(bytes);
    const auto p = readDrawingGeometry(past);
    EXPECT_TRUE(p.drawing.truncated);
    EXPECT_EQ(p.drawing.entities.size(), 1u);
}

} // namespace
