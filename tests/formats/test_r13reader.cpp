// Releases 13 to 2000 read from their own objects: the bit codes, then every shared sample, then
// damaged copies of them.
#include "formats/core/bytesource.h"
#include "formats/dwg/geometry.h"
#include "formats/dwg/r13/bitreader.h"
#include "formats/dwg/r13/entities.h"
#include "formats/dwg/r13/headervars.h"
#include "support/samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace dsc::dwg {
namespace {

// Bytes from a string of '0'/'1' (spaces ignored), padded with zeros to a whole byte.
std::vector<std::uint8_t> fromBits(const std::string& text, std::size_t* count = nullptr) {
    std::vector<std::uint8_t> bytes;
    std::size_t n = 0;
    for (const char ch : text) {
        if (ch != '0' && ch != '1') {
            continue;
        }
        if (n % 8 == 0) {
            bytes.push_back(0);
        }
        if (ch == '1') {
            bytes.back() |= static_cast<std::uint8_t>(0x80 >> (n % 8));
        }
        ++n;
    }
    if (count) {
        *count = n;
    }
    return bytes;
}

struct BitCase {
    const char* name;
    const char* bits;
    double expected; // every code's value fits a double exactly here
    double (*read)(BitReader&);
};

const BitCase kBitCases[] = {
    {"B one", "1", 1, [](BitReader& r) { return double(r.B()); }},
    {"BB", "10", 2, [](BitReader& r) { return double(r.BB()); }},
    {"3B 110", "110", 6, [](BitReader& r) { return double(r.threeB()); }},
    {"3B 0", "0", 0, [](BitReader& r) { return double(r.threeB()); }},
    {"BS short", "00 00000001 00000010", 0x0201, [](BitReader& r) { return double(r.BS()); }},
    {"BS char", "01 11111111", 255, [](BitReader& r) { return double(r.BS()); }},
    {"BS zero", "10", 0, [](BitReader& r) { return double(r.BS()); }},
    {"BS 256", "11", 256, [](BitReader& r) { return double(r.BS()); }},
    {"BL long", "00 00000100 00000011 00000010 00000001", 0x01020304, [](BitReader& r) { return double(r.BL()); }},
    {"BL char", "01 00000111", 7, [](BitReader& r) { return double(r.BL()); }},
    {"BL zero", "10", 0, [](BitReader& r) { return double(r.BL()); }},
    {"BLL two bytes", "010 00000001 00000001", 0x0101, [](BitReader& r) { return double(r.BLL()); }},
    {"BD one", "01", 1.0, [](BitReader& r) { return r.BD(); }},
    {"BD zero", "10", 0.0, [](BitReader& r) { return r.BD(); }},
    // 2.5 = 0x4004000000000000, least significant byte first
    {"BD full", "00 00000000 00000000 00000000 00000000 00000000 00000000 00000100 01000000", 2.5,
     [](BitReader& r) { return r.BD(); }},
    {"DD default", "00", 7.0, [](BitReader& r) { return r.DD(7.0); }},
    // 7.0 = 0x401C000000000000; the low four bytes replaced by 00 00 00 00: still 7
    {"DD four bytes", "01 00000000 00000000 00000000 00000000", 7.0, [](BitReader& r) { return r.DD(7.0); }},
    // bytes 4,5 := 00 08 turns 0x401C0000... into 0x401C0800 00000000 = 7.0078125
    {"DD six bytes", "10 00000000 00001000 00000000 00000000 00000000 00000000", 7.0078125,
     [](BitReader& r) { return r.DD(7.0); }},
    {"DD full", "11 00000000 00000000 00000000 00000000 00000000 00000000 00000100 01000000", 2.5,
     [](BitReader& r) { return r.DD(7.0); }},
    {"RC", "10000001", 0x81, [](BitReader& r) { return double(r.RC()); }},
    {"RS", "00110100 00010010", 0x1234, [](BitReader& r) { return double(r.RS()); }},
    {"RL", "00000100 00000011 00000010 00000001", 0x01020304, [](BitReader& r) { return double(r.RL()); }},
    {"MC one byte", "00000101", 5, [](BitReader& r) { return double(r.MC()); }},
    {"MC two bytes", "10000001 00000001", 129, [](BitReader& r) { return double(r.MC()); }},
    {"MC signed negative", "01000101", -5, [](BitReader& r) { return double(r.signedMC()); }},
    {"MC signed two bytes", "10000000 01000001", -128, [](BitReader& r) { return double(r.signedMC()); }},
    {"MS one word", "00000101 00000000", 5, [](BitReader& r) { return double(r.MS()); }},
    {"MS two words", "00000001 10000000 00000001 00000000", 1 + 32768, [](BitReader& r) { return double(r.MS()); }},
    {"H absolute", "0101 0010 00000001 00000010", 0x0102, [](BitReader& r) { return double(r.H(100).value); }},
    {"H plus one", "0110 0000", 101, [](BitReader& r) { return double(r.H(100).value); }},
    {"H minus one", "1000 0000", 99, [](BitReader& r) { return double(r.H(100).value); }},
    {"H plus offset", "1010 0001 00000101", 105, [](BitReader& r) { return double(r.H(100).value); }},
    {"H minus offset", "1100 0001 00000101", 95, [](BitReader& r) { return double(r.H(100).value); }},
    {"CMC", "01 00000011", 3, [](BitReader& r) { return double(r.CMC().index); }},
    {"BT 2000 zero", "1", 0, [](BitReader& r) { return r.BT(true); }},
    {"BT 2000 value", "0 01", 1, [](BitReader& r) { return r.BT(true); }},
    {"BE 2000 default z", "1", 1, [](BitReader& r) { return r.BE(true).z; }},
    {"BE 14 three doubles", "10 10 01", 1, [](BitReader& r) { return r.BE(false).z; }},
};

// Small reads through the block cache give the file's bytes, whatever their order, for a few
// reads of the file itself; a read the file refuses is refused, and not kept.
TEST(BlockCache, GivesTheSourcesBytesForFewReads) {
    struct Counting : ByteSource {
        std::vector<std::uint8_t> bytes;
        int reads = 0;
        std::uint64_t refuseAt = ~0ull;
        std::uint64_t size() const override { return bytes.size(); }
        bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
            ++reads;
            if (offset <= refuseAt && refuseAt < offset + out.size()) {
                return false;
            }
            return MemorySource(bytes).readAt(offset, out);
        }
    } file;
    const std::size_t size = 5 * BlockCache::kBlockSize + 123;
    for (std::size_t i = 0; i < size; ++i) {
        file.bytes.push_back(static_cast<std::uint8_t>(i * 7 + i / 251));
    }
    BlockCache cache(file);
    std::uint32_t state = 7;
    for (int round = 0; round < 2000; ++round) {
        state = state * 1103515245u + 12345u;
        const std::size_t at = (state >> 4) % size;
        const std::size_t n = std::min<std::size_t>(round % 50 == 0 ? 3 * BlockCache::kBlockSize / 2 : (state >> 24),
                                                    size - at); // now and then more than a block
        std::vector<std::uint8_t> got(n);
        ASSERT_TRUE(cache.readAt(at, got)) << at << " " << n;
        ASSERT_TRUE(std::equal(got.begin(), got.end(), file.bytes.begin() + static_cast<std::ptrdiff_t>(at)));
    }
    std::vector<std::uint8_t> one(1);
    EXPECT_FALSE(cache.readAt(size, one));

    BlockCache sequential(file);
    file.reads = 0;
    for (std::size_t at = 0; at + 14 <= size; at += 14) {
        std::vector<std::uint8_t> piece(14);
        ASSERT_TRUE(sequential.readAt(at, piece));
    }
    EXPECT_LE(file.reads, 6);

    file.refuseAt = 2 * BlockCache::kBlockSize + 10;
    BlockCache refusing(file);
    EXPECT_FALSE(refusing.readAt(2 * BlockCache::kBlockSize, one));
    file.refuseAt = ~0ull;
    EXPECT_TRUE(refusing.readAt(2 * BlockCache::kBlockSize, one)); // tried again, not kept empty
    EXPECT_EQ(one[0], file.bytes[2 * BlockCache::kBlockSize]);
}

TEST(R13BitReader, EveryCodeAndItsOverrun) {
    for (const BitCase& c : kBitCases) {
        std::size_t count = 0;
        const auto bytes = fromBits(c.bits, &count);
        BitReader whole(bytes, count);
        EXPECT_EQ(c.read(whole), c.expected) << c.name;
        EXPECT_TRUE(whole.ok()) << c.name;
        EXPECT_EQ(whole.position(), count) << c.name;
        if (count > 1) {
            BitReader cut(bytes, count - 1); // one bit short: refused, not read past
            c.read(cut);
            EXPECT_FALSE(cut.ok()) << c.name;
        }
        // At every alignment, with more data after it: the same value, and no bit more taken.
        for (std::size_t skip = 1; skip <= 9; ++skip) {
            std::size_t total = 0;
            const auto padded = fromBits(std::string(skip, '1') + c.bits + std::string(80, '1'), &total);
            BitReader r(padded, total);
            r.skipBits(skip);
            EXPECT_EQ(c.read(r), c.expected) << c.name << " after " << skip << " bits";
            EXPECT_EQ(r.position(), skip + count) << c.name << " after " << skip << " bits";
        }
    }
}

TEST(R13BitReader, TextInTheCodePageComesOutUtf8) {
    // length 3 as a char, then "a", 0xE9 (é), "b"
    const auto bytes = fromBits("01 00000011 01100001 11101001 01100010");
    BitReader r(bytes);
    EXPECT_EQ(r.TV(100), "a\xC3\xA9"
                         "b");
    EXPECT_TRUE(r.ok());
    const auto lying = fromBits("01 11111111 01100001");
    BitReader l(lying);
    EXPECT_EQ(l.TV(100), "");
    EXPECT_FALSE(l.ok());
}

TEST(R13BitReader, FailureIsSticky) {
    const auto bytes = fromBits("1");
    BitReader r(bytes, 1);
    r.RC();
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.B(), false);
    EXPECT_FALSE(r.ok());
}

TEST(R13MText, FormattingCodesRemoved) {
    EXPECT_EQ(plainMText("{\\fArial|b0;\\H2.5x;Hello}\\PWorld"), "Hello\nWorld");
    EXPECT_EQ(plainMText("1\\S1^2;\\~x\\\\y"), "11/2 x\\y");
    EXPECT_EQ(plainMText("\\Lunder\\l \\C1;red"), "under red");
}

struct KindCount {
    const char* kind;
    std::size_t count;
};

struct SampleCase {
    const char* path;
    std::size_t minEntities; // in what is drawn
    const char* mustHave;    // a kind that must be counted
    bool paperSpace = false; // drawn from paper space (model space empty)
    // The header's model space extents, x and y of their two corners; none when all four are 0.
    double extents[4] = {0, 0, 0, 0};
    std::vector<KindCount> counts = {}; // exact counts of some kinds read
    std::size_t layers = 0, blocks = 0; // when not 0, how many the drawing has
};

const SampleCase kSamples[] = {
    {"dwg/r13_example.dwg",
     1,
     nullptr,
     false,
     {-2680430.068, -1672547.180, 860276.022, 1053820.515},
     {{"LINE", 1367}, {"MLINE", 1}, {"INSERT", 12}, {"XLINE", 1}, {"RAY", 1}, {"WIPEOUT", 2}, {"VIEWPORT", 2}}},
    {"dwg/r14_v_preview_at_eof.dwg", 1, nullptr, false, {-12.0196, -58.8483, 25.3894, 45.3910}},
    // Nothing in model space, only the sheet's viewports in paper space: those are drawn.
    {"dwg/r2000_PolyLine2D_empty_preview.dwg", 1, "POLYLINE_2D", true, {}, {{"VIEWPORT", 7}, {"POLYLINE_2D", 2}}},
    {"dwg/r2000_example.dwg",
     1,
     nullptr,
     false,
     {-2680430.068, -1672547.180, 860276.022, 1053820.515},
     {{"LINE", 68}, {"MLINE", 1}, {"HATCH", 1}, {"TOLERANCE", 1}, {"INSERT", 10}}},
    {"dwg/r2000_ezdxf_807_1_24bpp.dwg", 1, nullptr, false, {186.9397, 139.2994, 248.5959, 195.4591}},
    {"dwg/geometry/acadsharp/sample_AC1014.dwg",
     10,
     "LINE",
     false,
     {0, -566.1686, 1852.1856, 111.2355},
     {{"LINE", 98}, {"MLINE", 3}, {"LWPOLYLINE", 23}, {"HATCH", 8}, {"INSERT", 14}, {"TOLERANCE", 3}},
     21,
     27},
    {"dwg/geometry/acadsharp/sample_AC1015.dwg",
     10,
     "LINE",
     false,
     {0, -566.1686, 1852.1856, 111.2355},
     {{"LINE", 98}, {"MLINE", 3}, {"LWPOLYLINE", 23}, {"HATCH", 8}, {"INSERT", 14}, {"TOLERANCE", 3}},
     21,
     27},
};

GeometryResult readBytes(const std::vector<std::uint8_t>& bytes) {
    MemorySource source(bytes);
    return readDrawingGeometry(source);
}

TEST(R13Reader, EverySampleReads) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    for (const SampleCase& c : kSamples) {
        const auto path = test::samplesDir() / c.path;
        if (!std::filesystem::exists(path)) {
            continue;
        }
        const GeometryResult result = readBytes(test::readFile(path));
        ASSERT_TRUE(result.ok()) << c.path << ": " << result.detail;
        const Drawing& d = result.drawing;
        EXPECT_GE(d.entities.size(), c.minEntities) << c.path;
        if (c.mustHave) {
            EXPECT_GT(d.counts.count(c.mustHave), 0u) << c.path << " lacks " << c.mustHave;
        }
        EXPECT_EQ(d.paperSpace, c.paperSpace) << c.path;
        const bool extents = c.extents[0] != 0 || c.extents[1] != 0 || c.extents[2] != 0 || c.extents[3] != 0;
        EXPECT_EQ(d.hasExtents, extents) << c.path;
        if (extents && d.hasExtents) {
            const double size = std::max(c.extents[2] - c.extents[0], c.extents[3] - c.extents[1]);
            EXPECT_NEAR(d.extMin.x, c.extents[0], size * 1e-6) << c.path;
            EXPECT_NEAR(d.extMin.y, c.extents[1], size * 1e-6) << c.path;
            EXPECT_NEAR(d.extMax.x, c.extents[2], size * 1e-6) << c.path;
            EXPECT_NEAR(d.extMax.y, c.extents[3], size * 1e-6) << c.path;
        }
        EXPECT_TRUE(d.hasLimits) << c.path;
        if (c.layers != 0) {
            EXPECT_EQ(d.layers.size(), c.layers) << c.path;
            EXPECT_EQ(d.blocks.size(), c.blocks) << c.path;
        }
        for (const KindCount& k : c.counts) {
            const auto found = d.counts.find(k.kind);
            EXPECT_EQ(found == d.counts.end() ? 0 : found->second, k.count) << c.path << ": " << k.kind;
        }
        std::cout << c.path << ": " << d.entities.size() << " drawn" << (d.paperSpace ? " (paper)" : "") << ", "
                  << d.layers.size() << " layers, " << d.blocks.size() << " blocks; warning: " << d.warning
                  << "\n  read:";
        for (const auto& [kind, n] : d.counts) {
            std::cout << ' ' << kind << '=' << n;
        }
        std::cout << "\n  skipped:";
        for (const auto& [kind, n] : d.skipped) {
            std::cout << ' ' << kind << '=' << n;
        }
        std::cout << '\n';
    }
}

// The same drawing saved by release 14 (plain doubles) and 2000 (doubles coded against their
// neighbours): the same lines, circles and texts, value for value.
TEST(R13Reader, SameDrawingInTwoReleasesGivesTheSameGeometry) {
    const auto dir = test::samplesDir() / "dwg/geometry/acadsharp";
    if (!std::filesystem::exists(dir / "sample_AC1014.dwg") || !std::filesystem::exists(dir / "sample_AC1015.dwg")) {
        GTEST_SKIP() << "no samples";
    }
    const GeometryResult r14 = readBytes(test::readFile(dir / "sample_AC1014.dwg"));
    const GeometryResult r2000 = readBytes(test::readFile(dir / "sample_AC1015.dwg"));
    ASSERT_TRUE(r14.ok());
    ASSERT_TRUE(r2000.ok());
    const auto& a = r14.drawing.entities;
    const auto& b = r2000.drawing.entities;
    ASSERT_EQ(a.size(), b.size());
    std::size_t lines = 0, texts = 0, hatches = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i].shape.index(), b[i].shape.index()) << i;
        EXPECT_EQ(a[i].layer, b[i].layer) << i;
        if (const auto* line = std::get_if<Line>(&a[i].shape)) {
            const auto& other = std::get<Line>(b[i].shape);
            EXPECT_EQ(line->start, other.start) << i;
            EXPECT_EQ(line->end, other.end) << i;
            ++lines;
        } else if (const auto* text = std::get_if<Text>(&a[i].shape)) {
            const auto& other = std::get<Text>(b[i].shape);
            EXPECT_EQ(text->text, other.text) << i;
            EXPECT_EQ(text->insertion, other.insertion) << i;
            EXPECT_DOUBLE_EQ(text->height, other.height) << i;
            ++texts;
        } else if (const auto* hatch = std::get_if<Hatch>(&a[i].shape)) {
            const auto& other = std::get<Hatch>(b[i].shape);
            EXPECT_FALSE(hatch->loops.empty()) << i;
            EXPECT_EQ(hatch->loops.size(), other.loops.size()) << i;
            EXPECT_EQ(hatch->solid, other.solid) << i;
            ++hatches;
        } else if (const auto* poly = std::get_if<Polyline>(&a[i].shape)) {
            const auto& other = std::get<Polyline>(b[i].shape);
            ASSERT_EQ(poly->vertices.size(), other.vertices.size()) << i;
            for (std::size_t v = 0; v < poly->vertices.size(); ++v) {
                EXPECT_EQ(poly->vertices[v].position, other.vertices[v].position) << i;
            }
        }
    }
    EXPECT_GT(lines, 10u);
    EXPECT_GT(texts, 0u);
    EXPECT_GT(hatches, 0u);
    // Every line of release 14 is a real, finite segment of a drawing of sane size.
    for (const Entity& e : a) {
        if (const auto* line = std::get_if<Line>(&e.shape)) {
            EXPECT_LT(std::abs(line->start.x) + std::abs(line->end.y), 1e7);
        }
    }
}

// The drawing's order is its object map's, not the order its objects happen to lie in the file
// (which 2010 and later do not keep): the sample drawing starts with six points (by layer, by block,
// yellow, a true colour, by layer, white), then two lines.
TEST(R13Reader, EntitiesKeepTheDrawingsOrderWhateverTheFileLayout) {
    const auto dir = test::samplesDir() / "dwg/geometry/acadsharp";
    for (const char* name : {"sample_AC1024.dwg", "sample_AC1032.dwg"}) {
        if (!std::filesystem::exists(dir / name)) {
            GTEST_SKIP() << "no samples";
        }
        const GeometryResult r = readBytes(test::readFile(dir / name));
        ASSERT_TRUE(r.ok()) << name;
        const auto& e = r.drawing.entities;
        ASSERT_GT(e.size(), 8u) << name;
        const std::int16_t colours[] = {Colour::kByLayer, Colour::kByBlock, 2, Colour::kByLayer, Colour::kByLayer, 7};
        for (std::size_t i = 0; i < 6; ++i) {
            EXPECT_TRUE(std::holds_alternative<Point>(e[i].shape)) << name << " " << i;
            EXPECT_EQ(e[i].colour.index, colours[i]) << name << " " << i;
        }
        EXPECT_TRUE(e[3].colour.isTrue) << name;
        EXPECT_TRUE(std::holds_alternative<Line>(e[6].shape)) << name;
        EXPECT_TRUE(std::holds_alternative<Line>(e[7].shape)) << name;
    }
}

// The same drawing's multileaders in every release that holds them (2007 aside): each leader line
// starts at an arrow's tip, and the texts come out whole.
TEST(R13Reader, MultiLeadersOfEveryRelease) {
    struct Case {
        const char* file;
        std::size_t multileaders, leaders, texts;
    };
    const Case cases[] = {
        {"sample_AC1014.dwg", 15, 15, 15}, {"sample_AC1015.dwg", 15, 15, 15}, {"sample_AC1018.dwg", 15, 15, 15},
        {"sample_AC1024.dwg", 15, 15, 15}, {"sample_AC1027.dwg", 15, 15, 15}, {"sample_AC1032.dwg", 15, 15, 15},
    };
    const auto dir = test::samplesDir() / "dwg/geometry/acadsharp";
    if (!std::filesystem::exists(dir)) {
        GTEST_SKIP() << "no samples";
    }
    for (const Case& c : cases) {
        const auto path = dir / c.file;
        if (!std::filesystem::exists(path)) {
            continue;
        }
        const GeometryResult result = readBytes(test::readFile(path));
        ASSERT_TRUE(result.ok()) << c.file << ": " << result.detail;
        const Drawing& d = result.drawing;
        const auto read = d.counts.find("MULTILEADER");
        EXPECT_EQ(read == d.counts.end() ? 0 : read->second, c.multileaders) << c.file;
        EXPECT_EQ(d.skipped.count("MULTILEADER"), 0u) << c.file;
        std::vector<Vec3> tips;
        for (const Entity& e : d.entities) {
            if (const auto* arrow = std::get_if<Solid>(&e.shape)) {
                tips.push_back(arrow->corners[0]);
            }
        }
        std::size_t leaders = 0, texts = 0;
        for (const Entity& e : d.entities) {
            if (const auto* line = std::get_if<Polyline>(&e.shape);
                line && line->is3d && !line->closed && line->vertices.size() >= 2 &&
                std::find(tips.begin(), tips.end(), line->vertices[0].position) != tips.end()) {
                ++leaders;
            }
            if (const auto* text = std::get_if<MText>(&e.shape);
                text && (text->text.starts_with("MULTILEADER") || text->text == "MLeader text, hello!")) {
                EXPECT_GT(text->height, 0) << c.file;
                ++texts;
            }
        }
        EXPECT_EQ(leaders, c.leaders) << c.file;
        EXPECT_EQ(texts, c.texts) << c.file;
    }
}

// The header variables name the block records of both spaces and the table control objects: read
// from the header section that the file header's first locator points at.
TEST(R13Reader, HeaderNamesTheSpacesAndTables) {
    struct Case {
        const char* path;
        std::uint64_t modelSpace, paperSpace;
    };
    const Case cases[] = {
        {"dwg/r13_example.dwg", 0x1F, 0x55},
        {"dwg/r14_v_preview_at_eof.dwg", 0x17, 0x14},
        {"dwg/r2000_PolyLine2D_empty_preview.dwg", 0x1F, 0xD6},
        {"dwg/r2000_example.dwg", 0x1F, 0x55},
        {"dwg/r2000_ezdxf_807_1_24bpp.dwg", 0x1F, 0x1B},
        {"dwg/geometry/acadsharp/sample_AC1014.dwg", 0x1F, 0x259},
        {"dwg/geometry/acadsharp/sample_AC1015.dwg", 0x1F, 0x259},
    };
    for (const Case& c : cases) {
        const auto path = test::samplesDir() / c.path;
        if (!std::filesystem::exists(path)) {
            continue;
        }
        const auto bytes = test::readFile(path);
        ASSERT_GT(bytes.size(), 0x19u + 9);
        std::uint32_t seeker = 0, size = 0;
        std::memcpy(&seeker, bytes.data() + 0x19 + 1, 4);
        std::memcpy(&size, bytes.data() + 0x19 + 5, 4);
        ASSERT_LE(std::uint64_t{seeker} + size, bytes.size()) << c.path;
        const std::string version(bytes.begin(), bytes.begin() + 6);
        const HeaderVariables vars = readHeaderVariables(std::span(bytes).subspan(seeker, size), version, 65536);
        EXPECT_TRUE(vars.ok) << c.path;
        EXPECT_TRUE(vars.handlesOk) << c.path;
        EXPECT_EQ(vars.blockControl, 1u) << c.path;
        EXPECT_EQ(vars.layerControl, 2u) << c.path;
        EXPECT_EQ(vars.modelSpace, c.modelSpace) << c.path;
        EXPECT_EQ(vars.paperSpace, c.paperSpace) << c.path;
        EXPECT_LE(vars.limMin.x, vars.limMax.x) << c.path;
        if (std::strstr(c.path, "PolyLine2D")) {
            // Its layouts repeat the name *Paper_Space: only the header tells the active one, whose
            // sheet holds one viewport.
            const GeometryResult drawn = readBytes(bytes);
            EXPECT_TRUE(drawn.drawing.paperSpace);
            EXPECT_EQ(drawn.drawing.entities.size(), 1u);
        }
        // Cut anywhere, the section gives no handles rather than wrong ones.
        for (std::size_t cut = 20; cut < size; cut += 53) {
            const HeaderVariables part = readHeaderVariables(std::span(bytes).subspan(seeker, cut), version, 65536);
            EXPECT_TRUE(!part.handlesOk || part.modelSpace == c.modelSpace) << c.path << " cut at " << cut;
        }
    }
}

TEST(R13Reader, DamagedCopiesGiveCleanResults) {
    if (!test::haveSamples()) {
        GTEST_SKIP() << "no samples";
    }
    const auto path = test::samplesDir() / "dwg/r14_v_preview_at_eof.dwg";
    if (!std::filesystem::exists(path)) {
        GTEST_SKIP() << "no sample";
    }
    const auto bytes = test::readFile(path);
    for (std::size_t cut = 0; cut < bytes.size(); cut += 397) {
        const std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        const GeometryResult result = readBytes(part);
        if (result.ok()) {
            EXPECT_LE(result.drawing.entities.size(), 100000u);
        } else {
            EXPECT_FALSE(result.detail.empty());
        }
    }
    // Bytes flipped all over, the object map included.
    for (std::size_t at = 0x19; at < bytes.size(); at += 211) {
        auto flipped = bytes;
        flipped[at] ^= 0xA5;
        readBytes(flipped);
    }
}

} // namespace
} // namespace dsc::dwg
