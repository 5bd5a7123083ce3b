// Slide reader: headers, byte orders, every record, lying fill counts, damaged files, real files.
#include "formats/slides/slide.h"
#include "formats/slides/slidereference.h"
#include "support/samples.h"
#include "support/slidefiles.h"
#include "support/slidewriter.h"

#include <gtest/gtest.h>

#include <climits>

#include <cstdio>
#include <regex>
#include <sstream>

using namespace dsc;
using test::SlideWriter;

namespace {

struct Seg {
    int x1, y1, x2, y2, colour;
    bool operator==(const Seg&) const = default;
};

std::vector<Seg> lines(const Slide& s) {
    std::vector<Seg> out;
    for (const auto& e : s.elements) {
        if (e.kind == SlideElement::Kind::Line) {
            const auto* p = &s.points[e.first];
            out.push_back({p[0].x, p[0].y, p[1].x, p[1].y, e.colour});
        }
    }
    return out;
}

std::vector<std::vector<SlidePoint>> fills(const Slide& s) {
    std::vector<std::vector<SlidePoint>> out;
    for (const auto& e : s.elements) {
        if (e.kind == SlideElement::Kind::Fill) {
            out.emplace_back(s.points.begin() + e.first, s.points.begin() + e.first + e.count);
        }
    }
    return out;
}

// The vendor's documented example: diagonal, green line, a red rectangle built from FB and FE.
SlideWriter documentedExample(SlideWriter::Options o = {}) {
    SlideWriter w(o);
    w.colour(7).vector(572, 292, 0, 0).colour(3).vector(15, 50, 15, 19).colour(1);
    w.offsetVector(18, -25, 18, -50).commonEndpoint(-33, 0).commonEndpoint(0, -25).commonEndpoint(33, 0).end();
    return w;
}

const std::vector<Seg> kDocumentedSegments = {{572, 292, 0, 0, 7}, {15, 50, 15, 19, 3}, {33, 25, 33, 0, 1},
                                              {33, 25, 0, 25, 1},  {0, 25, 0, 0, 1},    {0, 0, 33, 0, 1}};

} // namespace

TEST(SlideReader, DocumentedExampleInEveryHeaderAndByteOrder) {
    for (int level : {1, 2}) {
        for (bool big : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "level " << level << (big ? " BE" : " LE"));
            const auto bytes = documentedExample({level, big}).bytes();
            const Slide s = readSlide(bytes);
            ASSERT_TRUE(s.ok()) << describe(s.error);
            EXPECT_FALSE(s.truncated);
            EXPECT_EQ(s.header.level, level);
            EXPECT_EQ(s.header.bigEndian, big);
            EXPECT_EQ(s.header.hx, 572);
            EXPECT_EQ(s.header.hy, 292);
            EXPECT_NEAR(s.header.aspect, 1.4647307, 1e-6);
            EXPECT_EQ(lines(s), kDocumentedSegments);
            EXPECT_EQ(s.bytesUsed, bytes.size());
            EXPECT_EQ(s.counts.vector, 2u);
            EXPECT_EQ(s.counts.offsetVector, 1u);
            EXPECT_EQ(s.counts.commonEndpoint, 3u);
            EXPECT_EQ(s.counts.colour, 3u);
            EXPECT_TRUE(s.coloursUsed.test(1) && s.coloursUsed.test(3) && s.coloursUsed.test(7));
        }
    }
}

TEST(SlideReader, TypeByteIsNeverTrusted) {
    SlideWriter::Options o;
    o.typeByte = 0x38;
    EXPECT_EQ(lines(readSlide(documentedExample(o).bytes())), kDocumentedSegments);
}

TEST(SlideReader, OldHeaderByteOrderFromEndRecordWhenFirstRecordIsNoColour) {
    // No colour record first: only the end record (or plausibility) tells the order.
    for (bool big : {false, true}) {
        SlideWriter w({1, big});
        w.vector(100, 50, 0, 0).end();
        const Slide s = readSlide(w.bytes());
        ASSERT_TRUE(s.ok());
        EXPECT_EQ(s.header.bigEndian, big);
        EXPECT_EQ(lines(s), (std::vector<Seg>{{100, 50, 0, 0, 7}}));
    }
}

TEST(SlideReader, SignedDeltasAndLastPointRules) {
    SlideWriter w;
    w.colour(2).vector(100, 100, 50, 50); // last = from = (100,100)
    w.offsetVector(-128, 127, -1, -2);    // both ends relative to the old last; last = from
    w.commonEndpoint(5, -5);              // from last (-28,227) to (-23,222)
    w.colour(4);                          // colour records do not move the last point
    w.fill({{1, 1}, {2, 2}, {3, 1}});     // nor do fills
    w.commonEndpoint(1, 1).end();
    const Slide s = readSlide(w.bytes());
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(lines(s),
              (std::vector<Seg>{
                  {100, 100, 50, 50, 2}, {-28, 227, 99, 98, 2}, {-28, 227, -23, 222, 2}, {-23, 222, -22, 223, 4}}));
}

TEST(SlideReader, RelativeMovesSaturateInsteadOfWrapping) {
    // Reaching the limits through a file takes millions of records; the arithmetic is checked here.
    EXPECT_EQ(offsetPoint({INT32_MAX - 1, INT32_MIN + 1}, 127, -128), (SlidePoint{INT32_MAX, INT32_MIN}));
    EXPECT_EQ(offsetPoint({INT32_MAX, INT32_MIN}, -1, 1), (SlidePoint{INT32_MAX - 1, INT32_MIN + 1}));
    EXPECT_EQ(offsetPoint({-28, 227}, 5, -5), (SlidePoint{-23, 222}));
}

TEST(SlideReader, FillsFollowMarkersWhateverTheCountSays) {
    SlideWriter w;
    w.colour(5);
    w.fill({{0, 0}, {10, 0}, {5, 8}}, 4);        // counts the end marker too
    w.fill({{20, 0}, {30, 0}, {25, 8}}, 3);      // counts vertices only
    w.fill({{1, 1}, {2, 1}, {2, 2}, {1, 2}}, 0); // a count of nothing at all
    w.colour(1).vector(0, 0, 1, 1).end();
    const Slide s = readSlide(w.bytes());
    ASSERT_TRUE(s.ok());
    const auto f = fills(s);
    ASSERT_EQ(f.size(), 3u);
    EXPECT_EQ(f[0], (std::vector<SlidePoint>{{0, 0}, {10, 0}, {5, 8}}));
    EXPECT_EQ(f[1], (std::vector<SlidePoint>{{20, 0}, {30, 0}, {25, 8}}));
    EXPECT_EQ(f[2].size(), 4u);
    EXPECT_EQ(s.elements[0].colour, 5);
    EXPECT_EQ(s.elements.back().kind, SlideElement::Kind::Line);
}

TEST(SlideReader, PolygonInterruptedByAnotherRecordIsKept) {
    SlideWriter w;
    w.fillRecord(4, -2).fillRecord(0, 0).fillRecord(4, 0).fillRecord(2, 3); // no end marker
    w.vector(9, 9, 8, 8).end();
    const Slide s = readSlide(w.bytes());
    ASSERT_TRUE(s.ok());
    ASSERT_EQ(fills(s).size(), 1u);
    EXPECT_EQ(lines(s).size(), 1u);
}

TEST(SlideReader, EmptySlideIsValid) {
    const Slide s = readSlide(SlideWriter().end().bytes());
    EXPECT_TRUE(s.ok());
    EXPECT_TRUE(s.elements.empty());
    EXPECT_FALSE(s.truncated);
}

TEST(SlideReader, BrokenFilesNamedAfterTheirDefect) {
    const auto good = documentedExample().bytes();
    struct Case {
        const char* name;
        test::Bytes bytes;
        SlideError error;
        bool truncated;
    };
    test::Bytes noEnd = good;
    noEnd.resize(noEnd.size() - 2);
    test::Bytes cutInRecord(good.begin(), good.begin() + 36);
    test::Bytes badOrder = good;
    badOrder[29] = 0x99;
    test::Bytes unknownLevel = good;
    unknownLevel[18] = 3;
    test::Bytes notSlide = good;
    notSlide[0] = 'X';
    test::Bytes corrupt = SlideWriter().colour(7).raw({0x00, 0x90}).vector(1, 1, 2, 2).end().bytes();
    const Case cases[] = {
        {"truncated_before_end_record.sld", noEnd, SlideError::None, true},
        {"truncated_inside_record.sld", cutInRecord, SlideError::None, true},
        {"truncated_inside_header.sld", test::Bytes(good.begin(), good.begin() + 25), SlideError::TooShort, false},
        {"byte_order_test_number_wrong.sld", badOrder, SlideError::BadByteOrder, false},
        {"header_level_3.sld", unknownLevel, SlideError::UnknownLevel, false},
        {"identification_text_wrong.sld", notSlide, SlideError::NotASlide, false},
        {"undefined_record_type_0x90.sld", corrupt, SlideError::CorruptRecord, false},
        {"zero_bytes.sld", {}, SlideError::TooShort, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Slide s = readSlide(c.bytes);
        EXPECT_EQ(s.error, c.error) << describe(s.error);
        EXPECT_EQ(s.truncated, c.truncated);
    }
    // What was read before the damage is kept, and the error says where.
    const Slide cut = readSlide(noEnd);
    EXPECT_EQ(lines(cut), kDocumentedSegments);
    const Slide bad = readSlide(corrupt);
    EXPECT_EQ(bad.errorOffset, 33u);
    EXPECT_TRUE(bad.elements.empty());
}

TEST(SlideReader, EveryPrefixEndsCleanly) {
    auto w = documentedExample();
    w.fill({{1, 1}, {5, 1}, {3, 3}});
    const auto bytes = w.bytes();
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
        const Slide s = readSlide(std::span(bytes.data(), n));
        EXPECT_LE(s.bytesUsed, n);
    }
}

TEST(SlideReader, ElementLimitStopsDecoding) {
    SlideWriter w;
    for (int i = 0; i < 100; ++i) {
        w.vector(i, 0, i, 10);
    }
    SlideLimits limits;
    limits.maxElements = 10;
    const Slide s = readSlide(w.end().bytes(), limits);
    EXPECT_EQ(s.error, SlideError::TooManyRecords);
    EXPECT_EQ(s.elements.size(), 10u);
}

// ---- Real files ----

namespace {

struct NetpbmResult {
    std::vector<Seg> segments;
    std::vector<std::vector<SlidePoint>> polygons;
    bool ran = false;
};

NetpbmResult runSldtoppm(const std::string& args) {
    NetpbmResult r;
    const std::string cmd = "sldtoppm -verbose " + args + " 2>&1 >/dev/null";
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) {
        return r;
    }
    std::string out;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, p)) {
        out.append(buffer, n);
    }
    r.ran = ::pclose(p) == 0;
    static const std::regex vec(R"(Vector \((-?\d+), (-?\d+)\) - \((-?\d+), (-?\d+)\)\s+Color (\d+))");
    static const std::regex poly(R"(Polygon: (\d+) points)");
    static const std::regex point(R"(Point \d+:\s+\((-?\d+), (-?\d+)\))");
    std::istringstream in(out);
    std::string line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, poly)) {
            r.polygons.emplace_back();
        } else if (std::regex_search(line, m, point)) {
            r.polygons.back().push_back({std::stoi(m[1]), std::stoi(m[2])});
        } else if (std::regex_search(line, m, vec)) {
            r.segments.push_back({std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]), std::stoi(m[5])});
        }
    }
    return r;
}

// Same segment whichever way round the ends are written.
bool sameSegment(const Seg& a, const Seg& b) {
    return a.colour == b.colour && ((a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2) ||
                                    (a.x1 == b.x2 && a.y1 == b.y2 && a.x2 == b.x1 && a.y2 == b.y1));
}

struct RealSlide {
    std::string file, member;
};

std::vector<RealSlide> realSlides() {
    std::vector<RealSlide> out;
    for (const auto& e : std::filesystem::directory_iterator(test::samplesDir() / "sld")) {
        if (e.path().extension() == ".sld") {
            out.push_back({e.path().string(), {}});
        }
    }
    out.push_back({(test::samplesDir() / "sld/velisp_mylib.slb").string(), "SLIDE1"});
    out.push_back({(test::samplesDir() / "sld/velisp_mylib.slb").string(), "SLIDE2"});
    for (const char* m : {"D_REZ", "D_CHAMF", "D_OTV", "D_OFF", "R_OFF"}) {
        out.push_back({(test::samplesDir() / "sld/mnas_LINES.slb").string(), m});
    }
    for (const char* m : {"CL_S", "C_R"}) {
        out.push_back({(test::samplesDir() / "sld/mnas_CIRCLES.slb").string(), m});
    }
    return out;
}

} // namespace

TEST(RealSlides, DecodeCompletelyWithExpectedFacts) {
    DSC_REQUIRE_SAMPLES();
    for (const auto& r : realSlides()) {
        SCOPED_TRACE(r.file + "(" + r.member + ")");
        const LoadedSlide l = test::loadSlideText(r.member.empty() ? r.file : r.file + "(" + r.member + ")");
        ASSERT_TRUE(l.ok()) << describe(l.status);
        EXPECT_TRUE(l.slide.ok());
        EXPECT_FALSE(l.slide.truncated);
        EXPECT_EQ(l.slide.header.level, 2);
        EXPECT_FALSE(l.slide.header.bigEndian);
    }
    const LoadedSlide anno = test::loadSlideText((test::samplesDir() / "sld/civil3d_ANNO_STCK.sld").string());
    EXPECT_EQ(anno.slide.header.hx, 1874);
    EXPECT_EQ(anno.slide.header.hy, 829);
    EXPECT_EQ(anno.slide.counts.fill, 77020u);
    EXPECT_EQ(anno.slide.counts.colour, 14212u);
    EXPECT_EQ(anno.slide.counts.vector, 11u);
    EXPECT_EQ(fills(anno.slide).size(), 15404u);
    for (const auto& f : fills(anno.slide)) {
        ASSERT_EQ(f.size(), 3u);
    }
    const LoadedSlide lopatka = test::loadSlideText((test::samplesDir() / "sld/mnas_LOPATKA.sld").string());
    EXPECT_EQ(lopatka.slide.counts.commonEndpoint, 1153u);
    EXPECT_EQ(lopatka.slide.counts.offsetVector, 589u);
    const LoadedSlide empty = test::loadSlideText((test::samplesDir() / "sld/civil3d_LOGO_COA_DYN_empty.sld").string());
    EXPECT_TRUE(empty.ok());
    EXPECT_TRUE(empty.slide.elements.empty());
    const LoadedSlide logo = test::loadSlideText((test::samplesDir() / "sld/civil3d_LOGO_TX811.sld").string());
    EXPECT_TRUE(logo.slide.coloursUsed.test(0));
    EXPECT_TRUE(logo.slide.coloursUsed.test(253));
}

TEST(RealSlides, SyntheticOldHeadersAndBigEndianDecodeLikeTheOriginal) {
    DSC_REQUIRE_SAMPLES();
    const auto dir = test::samplesDir() / "sld/synthetic";
    const LoadedSlide original = test::loadSlideText((test::samplesDir() / "sld/mnas_LOPATKA.sld").string());
    for (const char* name : {"LOPATKA_v1le.sld", "LOPATKA_v1be.sld", "LOPATKA_v2be.sld"}) {
        SCOPED_TRACE(name);
        const LoadedSlide s = test::loadSlideText((dir / name).string());
        ASSERT_TRUE(s.ok());
        EXPECT_TRUE(s.slide.ok());
        EXPECT_EQ(lines(s.slide), lines(original.slide));
        EXPECT_EQ(fills(s.slide), fills(original.slide));
    }
    EXPECT_TRUE(test::loadSlideText((dir / "LOPATKA_v1be.sld").string()).slide.header.bigEndian);
}

TEST(RealSlides, SameVectorsAsNetpbm) {
    DSC_REQUIRE_SAMPLES();
    if (std::system("command -v sldtoppm >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "sldtoppm (netpbm) not installed";
    }
    for (const auto& r : realSlides()) {
        SCOPED_TRACE(r.file + "(" + r.member + ")");
        const LoadedSlide ours = test::loadSlideText(r.member.empty() ? r.file : r.file + "(" + r.member + ")");
        const NetpbmResult theirs =
            runSldtoppm((r.member.empty() ? "" : "-Lib " + r.member + " ") + "'" + r.file + "'");
        ASSERT_TRUE(theirs.ran);
        const auto mine = lines(ours.slide);
        ASSERT_EQ(mine.size(), theirs.segments.size());
        for (std::size_t i = 0; i < mine.size(); ++i) {
            ASSERT_TRUE(sameSegment(mine[i], theirs.segments[i]))
                << "segment " << i << ": " << mine[i].x1 << "," << mine[i].y1 << " " << mine[i].x2 << "," << mine[i].y2;
        }
        EXPECT_EQ(fills(ours.slide), theirs.polygons);
    }
}
