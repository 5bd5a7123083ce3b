// The drawing preview locator: directory rules, defects, choice of image, bytes read, real files.
#include "formats/dwg/dwgpreview.h"
#include "formats/raster/dib.h"
#include "platform/filesource.h"
#include "support/dwgwriter.h"
#include "support/samples.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

using namespace dsc;
using test::Bytes;
using test::drawingWith;
using test::DwgWriter;

namespace {

Bytes smallBmp(int w = 10, int h = 6, int bpp = 8) {
    std::vector<std::uint32_t> palette;
    if (bpp <= 8) {
        palette.assign(std::size_t(1) << bpp, 0x808080);
    }
    return test::writeDib(
        w, h, bpp, [](int, int) -> std::uint32_t { return 0; }, false, palette);
}

// A minimal PNG header: signature and IHDR; enough for the locator, not for a decoder.
Bytes pngStub(std::uint32_t w, std::uint32_t h) {
    Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (std::uint32_t v : {w, h}) {
        for (int i = 3; i >= 0; --i) {
            b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    }
    b.resize(b.size() + 40, 0);
    return b;
}

DwgPreview read(const Bytes& b) {
    MemorySource src(b);
    return readDwgPreview(src);
}

// Fails on any range outside the allowed ones: proves what the reader touches.
class GuardedSource : public ByteSource {
public:
    GuardedSource(const Bytes& b, std::vector<std::pair<std::uint64_t, std::uint64_t>> allowed)
        : m_inner(b), m_allowed(std::move(allowed)) {}
    std::uint64_t size() const override { return m_inner.size(); }
    bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        for (const auto& [a, e] : m_allowed) {
            if (offset >= a && offset + out.size() <= e) {
                return m_inner.readAt(offset, out);
            }
        }
        ++refused;
        return false;
    }
    int refused = 0;

private:
    MemorySource m_inner;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> m_allowed;
};

} // namespace

TEST(DwgPreview, EveryReleaseWithABlock) {
    for (const char* v : {"AC1012", "AC1014", "AC1015", "AC1018", "AC1021", "AC1024", "AC1027", "AC1032"}) {
        const DwgPreview p = read(drawingWith(2, smallBmp(), v).build());
        EXPECT_TRUE(p.ok()) << v << ": " << p.detail;
        EXPECT_EQ(p.kind, DwgImageKind::Bmp);
        EXPECT_EQ(p.width, 10);
        EXPECT_FALSE(p.release.empty());
    }
}

TEST(DwgPreview, OlderReleasesEvenWhenTheirBytesLookLikeAnAddress) {
    for (const char* v : {"AC1009", "AC1006", "AC1001", "AC2.10", "AC1.40", "MC0.0"}) {
        DwgWriter w = drawingWith(2, smallBmp(), v); // a perfectly good block, in the wrong release
        const DwgPreview p = read(w.build());
        EXPECT_EQ(p.status, DwgPreviewStatus::OlderRelease) << v;
        EXPECT_NE(p.detail.find(std::string("version ") + v + " "), std::string::npos) << p.detail; // names it
    }
    Bytes r11(400000, 0);
    std::memcpy(r11.data(), "AC1009", 6);
    test::put32(r11, 0x0D, 0x00050003); // what the old header holds there
    EXPECT_EQ(read(r11).status, DwgPreviewStatus::OlderRelease);
}

TEST(DwgPreview, NoPreviewStored) {
    DwgWriter empty;
    EXPECT_EQ(read(empty.build()).status, DwgPreviewStatus::NoPreview);
    EXPECT_EQ(read(empty.build()).detail, "preview block is empty");
    DwgWriter headerOnly;
    headerOnly.entries.push_back({1, Bytes(80, 0)});
    EXPECT_EQ(read(headerOnly.build()).status, DwgPreviewStatus::NoPreview);
    EXPECT_EQ(read(headerOnly.build()).detail, "only header data is stored");
    DwgWriter wmfOnly = drawingWith(3, Bytes(200, 1));
    const DwgPreview p = read(wmfOnly.build());
    EXPECT_EQ(p.status, DwgPreviewStatus::NoPreview);
    EXPECT_NE(p.detail.find("metafile"), std::string::npos);
}

TEST(DwgPreview, DefectsNamedAfterThemselves) {
    struct Case {
        const char* name;
        DwgWriter writer;
        DwgPreviewStatus status;
    };
    std::vector<Case> cases;
    auto add = [&](const char* name, auto change, DwgPreviewStatus status) {
        DwgWriter w = drawingWith(2, smallBmp());
        change(w);
        cases.push_back({name, w, status});
    };
    add(
        "seeker_past_end_of_file.dwg", [](DwgWriter& w) { w.seekerOverride = 0xFFFFFF00; }, DwgPreviewStatus::Damaged);
    add(
        "seeker_at_last_bytes.dwg", [](DwgWriter& w) { w.seekerOverride = 0x1C0 + 16; }, DwgPreviewStatus::Damaged);
    add(
        "start_sentinel_wrong.dwg", [](DwgWriter& w) { w.badStartSentinel = true; }, DwgPreviewStatus::Damaged);
    add(
        "overall_size_past_end.dwg", [](DwgWriter& w) { w.overallSizeDelta = 1 << 20; }, DwgPreviewStatus::Damaged);
    add(
        "count_larger_than_block.dwg", [](DwgWriter& w) { w.countOverride = 250; }, DwgPreviewStatus::Damaged);
    add(
        "entry_start_before_directory.dwg",
        [](DwgWriter& w) {
            w.startOverride = {{1, 10}};
        },
        DwgPreviewStatus::Damaged);
    add(
        "entry_start_out_of_bounds.dwg",
        [](DwgWriter& w) {
            w.startOverride = {{1, 0x7FFFFFF0}};
        },
        DwgPreviewStatus::Damaged);
    add(
        "entry_size_out_of_bounds.dwg",
        [](DwgWriter& w) {
            w.sizeOverride = {{1, 0x10000000}};
        },
        DwgPreviewStatus::Damaged);
    add(
        "entry_overflowing_32_bits.dwg",
        [](DwgWriter& w) {
            w.startOverride = {{1, 0xFFFFFFF0}};
            w.sizeOverride = {{1, 0x20}};
        },
        DwgPreviewStatus::Damaged);
    add(
        "dib_huge_dimensions.dwg",
        [](DwgWriter& w) {
            test::put32(w.entries[1].data, 4, 60000);
            test::put32(w.entries[1].data, 8, 60000);
        },
        DwgPreviewStatus::Damaged);
    add(
        "dib_truncated_palette.dwg", [](DwgWriter& w) { w.entries[1].data.resize(40 + 200); },
        DwgPreviewStatus::Damaged);
    add(
        "dib_compressed.dwg", [](DwgWriter& w) { test::put32(w.entries[1].data, 16, 1); }, DwgPreviewStatus::Damaged);
    add(
        "version_unknown.dwg", [](DwgWriter& w) { w.version = "AC1099"; }, DwgPreviewStatus::NotADrawing);
    EXPECT_EQ(read(cases.back().writer.build()).detail, "unknown drawing version AC1099");
    add(
        "not_a_drawing.dwg", [](DwgWriter& w) { w.version = "Hello!"; }, DwgPreviewStatus::NotADrawing);
    for (const auto& c : cases) {
        const DwgPreview p = read(c.writer.build());
        EXPECT_EQ(p.status, c.status) << c.name << ": " << p.detail;
        EXPECT_TRUE(p.image.empty()) << c.name;
    }
    EXPECT_EQ(read({}).status, DwgPreviewStatus::NotADrawing);
    EXPECT_EQ(read(Bytes{'A', 'C', '1', '0', '1', '8', 0, 0}).status, DwgPreviewStatus::NotADrawing);
    // A slide renamed as a drawing.
    const Bytes slideBytes = {'A', 'u', 't',  'o',  'C',  'A', 'D',  ' ', 'S', 'l', 'i',
                              'd', 'e', 0x0D, 0x0A, 0x1A, 0,   0x56, 2,   0,   0,   0};
    EXPECT_EQ(read(slideBytes).status, DwgPreviewStatus::NotADrawing);
}

TEST(DwgPreview, LargestValidImageWinsFirstOnTies) {
    DwgWriter w;
    w.entries = {{1, Bytes(80, 0)}, {2, smallBmp(8, 8)}, {6, pngStub(20, 10)}, {2, smallBmp(4, 4)}};
    DwgPreview p = read(w.build());
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.chosen, 2);
    EXPECT_EQ(p.kind, DwgImageKind::Png);
    EXPECT_EQ(p.width, 20);
    w.entries = {{1, Bytes(80, 0)}, {2, smallBmp(10, 10)}, {2, smallBmp(10, 10, 24)}};
    p = read(w.build());
    EXPECT_EQ(p.chosen, 1);
    // An invalid image is passed over for a valid smaller one.
    Bytes broken = smallBmp(100, 100);
    test::put32(broken, 16, 2);
    w.entries = {{1, Bytes(80, 0)}, {2, broken}, {2, smallBmp(3, 3)}};
    p = read(w.build());
    ASSERT_TRUE(p.ok());
    EXPECT_EQ(p.chosen, 2);
}

TEST(DwgPreview, ReadsOnlyHeaderDirectoryAndImage) {
    DwgWriter w = drawingWith(2, smallBmp(16, 16, 24));
    w.trailingBytes = 1 << 20; // the rest of a big drawing
    const Bytes file = w.build();
    const std::uint64_t seeker = 0x1C0, dirEnd = seeker + 21 + 2 * 9;
    const std::uint64_t imageStart = dirEnd + 80, imageEnd = imageStart + w.entries[1].data.size();
    GuardedSource src(file, {{0, 0x15}, {seeker, dirEnd}, {imageStart, imageEnd}});
    const DwgPreview p = readDwgPreview(src);
    EXPECT_TRUE(p.ok()) << p.detail;
    EXPECT_EQ(src.refused, 0);
    EXPECT_EQ(p.image.size(), w.entries[1].data.size());
}

// ---- Real files, against the table of what each one holds ----

TEST(RealDrawings, MatchTheExpectedTable) {
    DSC_REQUIRE_SAMPLES();
    std::ifstream table(test::samplesDir() / "dwg/EXPECTED.md");
    ASSERT_TRUE(table);
    // | file | bytes | version (...) | seeker | entries | preview |
    static const std::regex row(R"(^\| (\S+) \| (\d+) \| (\S+) [^|]*\| ([^|]*) \| ([^|]*) \| ([^|]*) \|)");
    static const std::regex image(R"((bmp|png) (\d+)x(\d+)(?: (\d+)bpp)?)");
    int checked = 0;
    std::string line;
    while (std::getline(table, line)) {
        std::smatch m;
        if (!std::regex_search(line, m, row) || m[1] == "file") {
            continue;
        }
        const std::string file = m[1], version = m[3], preview = m[6];
        SCOPED_TRACE(file);
        platform::FileSource src;
        ASSERT_TRUE(src.open(test::samplesDir() / "dwg" / file));
        EXPECT_EQ(src.size(), std::stoull(m[2]));
        const DwgPreview p = readDwgPreview(src);
        EXPECT_EQ(p.version, version);
        std::smatch im;
        if (std::regex_search(preview, im, image)) {
            ASSERT_TRUE(p.ok()) << p.detail;
            EXPECT_EQ(kindName(p.kind), im[1].str());
            EXPECT_EQ(p.width, std::stoi(im[2]));
            EXPECT_EQ(p.height, std::stoi(im[3]));
            if (im[4].matched) {
                EXPECT_EQ(p.bitCount, std::stoi(im[4]));
            }
            EXPECT_EQ(p.seeker, std::stoul(m[4].str(), nullptr, 16));
        } else if (preview.find("no preview in this format") != std::string::npos) {
            EXPECT_EQ(p.status, DwgPreviewStatus::OlderRelease);
        } else {
            EXPECT_EQ(p.status, DwgPreviewStatus::NoPreview) << p.detail;
        }
        ++checked;
    }
    EXPECT_GE(checked, 18);
}

TEST(RealDrawings, DecodedPixelsAreUpright) {
    DSC_REQUIRE_SAMPLES();
    // r2004_material: 32-bit, 648x512; r2007_ATMOS: the 32-bit image wins over the flat 8-bit one.
    struct Case {
        const char* file;
        int w, h;
    };
    for (const Case c : {Case{"r2004_material_32bpp.dwg", 648, 512}, Case{"r2007_ATMOS-DC22S_two_bmps.dwg", 256, 160},
                         Case{"r2000_ezdxf_807_1_24bpp.dwg", 512, 265}, Case{"r13_example.dwg", 216, 140}}) {
        SCOPED_TRACE(c.file);
        platform::FileSource src;
        ASSERT_TRUE(src.open(test::samplesDir() / "dwg" / c.file));
        const DwgPreview p = readDwgPreview(src);
        ASSERT_TRUE(p.ok());
        DibImage img;
        ASSERT_EQ(decodeDib(p.image, img), DibError::None);
        EXPECT_EQ(img.width, c.w);
        EXPECT_EQ(img.height, c.h);
        for (std::uint32_t px : img.pixels) {
            ASSERT_EQ(px >> 24, 0xFFu); // opaque: the fourth byte is not alpha
        }
    }
    // The 32-bit material preview: white background, the drawing's frame in the middle.
    platform::FileSource src;
    ASSERT_TRUE(src.open(test::samplesDir() / "dwg/r2004_material_32bpp.dwg"));
    const DwgPreview p = readDwgPreview(src);
    DibImage img;
    ASSERT_EQ(decodeDib(p.image, img), DibError::None);
    EXPECT_EQ(img.pixels[0], 0xFFFFFFFFu);
}
