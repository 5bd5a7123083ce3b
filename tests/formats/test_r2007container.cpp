// The container of release 2007: its compression over hand-made streams, its Reed-Solomon blocks,
// the sections of the shared samples, damaged copies of them, and small drawings built here whose
// maps claim what real ones never do.
#include "formats/dwg/geometry.h"
#include "formats/dwg/r2004/pageddrawing.h"
#include "formats/dwg/r2007/lz77ac21.h"
#include "formats/dwg/r2007/reedsolomon.h"
#include "support/dwg2007writer.h"
#include "support/pagedobjects.h"
#include "support/samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

namespace dsc::dwg {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes text(const char* s) {
    return Bytes(s, s + std::strlen(s));
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const auto& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

struct Lz77Case {
    const char* name;
    Bytes in;
    std::size_t limit;
    Lz77Error error;
    Bytes out;
};

TEST(Lz77Ac21, HandMadeStreams) {
    const Bytes eight = text("abcdefgh");
    const Bytes literal8 = cat({{0x00}, eight}); // a first literal run: the instruction plus 8 bytes
    const std::vector<Lz77Case> cases = {
        {"empty", {}, 64, Lz77Error::None, {}},
        {"literal run of 8", literal8, 64, Lz77Error::None, eight},
        {"literal run of 9, its last byte first", cat({{0x01}, text("abcdefghi")}), 64, Lz77Error::None,
         text("iabcdefgh")},
        {"run of 2 after a 0x2X start, reversed", {0x20, 0, 0, 0x02, 'a', 'b'}, 64, Lz77Error::None, text("ba")},
        {"run of 3 reversed", {0x20, 0, 0, 0x03, 'a', 'b', 'c'}, 64, Lz77Error::None, text("cba")},
        // 0x30-0xFF: length from the high nibble, offset from the low one and the next byte.
        {"short copy", cat({literal8, {0x30, 0x00}}), 64, Lz77Error::None, text("abcdefghhhh")},
        {"short copy then a run of 2", cat({literal8, {0x30, 0x02, 'x', 'y'}}), 64, Lz77Error::None,
         text("abcdefghhhhyx")},
        // 0x10-0x1F: length (op & 0xF) + 3, offset from two bytes.
        {"medium copy", cat({literal8, {0x10, 0x03, 0x00}}), 64, Lz77Error::None, text("abcdefghefg")},
        // 0x00-0x0F as the first instruction after a run: length (op & 0xF) + 0x13.
        {"long copy", cat({literal8, {0x01, 0x00, 0x00}}), 64, Lz77Error::None, cat({eight, Bytes(20, 'h')})},
        // 0x20-0x2F: a 16-bit offset, the length's high bits in the byte after.
        {"two-byte offset copy", cat({literal8, {0x23, 0x02, 0x00, 0x00}}), 64, Lz77Error::None, text("abcdefghghg")},
        // Within a group, 0xF0-0xFF is the long form.
        {"second copy of a group in the long form", cat({literal8, {0x30, 0x00, 0xF1, 0x00, 0x00}}), 64,
         Lz77Error::None, cat({text("abcdefghhhh"), Bytes(20, 'h')})},
        {"copy from before the start", cat({literal8, {0x30, 0xF8}}), 64, Lz77Error::BadReference, eight},
        {"copy from one before the start", cat({literal8, {0x18, 0x08, 0x00}}), 64, Lz77Error::BadReference, eight},
        {"copy from the byte being written", cat({literal8, {0x23, 0x00, 0x00, 0x00}}), 64, Lz77Error::BadReference,
         eight},
        {"literal past the limit", literal8, 7, Lz77Error::Overflow, {}},
        {"copy past the limit", cat({literal8, {0x30, 0x00}}), 10, Lz77Error::Overflow, eight},
        {"literal cut short", {0x00, 'a', 'b'}, 64, Lz77Error::Truncated, {}},
        {"copy cut short", cat({literal8, {0x10, 0x03}}), 64, Lz77Error::Truncated, eight},
        {"run after a copy cut short", cat({literal8, {0x30, 0x03, 'x'}}), 64, Lz77Error::Truncated,
         text("abcdefghhhh")},
        {"run length's words cut short", {0x0F, 0xFF, 0xFF, 0xFF}, 1u << 30, Lz77Error::Truncated, {}},
        // A run of 0x17 + 0xFF + 0xFFFF + 5 bytes declared, with nothing behind it.
        {"huge run declared", {0x0F, 0xFF, 0xFF, 0xFF, 0x05, 0x00}, 1u << 30, Lz77Error::Truncated, {}},
    };
    for (const auto& c : cases) {
        Bytes out;
        EXPECT_EQ(decompressAc21(c.in, c.limit, out), c.error) << c.name;
        EXPECT_EQ(out, c.out) << c.name;
    }
}

// Runs are stored 32 bytes at a time as four 8-byte groups, last first.
TEST(Lz77Ac21, FullBlocksOfARunAreShuffled) {
    Bytes in{0x0F, 32 + 32 - 0x17};
    for (int i = 0; i < 64; ++i) {
        in.push_back(static_cast<std::uint8_t>(i));
    }
    Bytes out;
    ASSERT_EQ(decompressAc21(in, 64, out), Lz77Error::None);
    ASSERT_EQ(out.size(), 64u);
    for (int block = 0; block < 2; ++block) {
        for (int j = 0; j < 32; ++j) {
            const int group = j / 8;
            EXPECT_EQ(out[block * 32 + j], block * 32 + (3 - group) * 8 + j % 8) << j;
        }
    }
    // Whatever the tail's length, each stored byte comes out once.
    for (std::size_t n = 8; n < 64; ++n) {
        Bytes run =
            n < 0x17 ? Bytes{static_cast<std::uint8_t>(n - 8)} : Bytes{0x0F, static_cast<std::uint8_t>(n - 0x17)};
        for (std::size_t i = 0; i < n; ++i) {
            run.push_back(static_cast<std::uint8_t>(i));
        }
        ASSERT_EQ(decompressAc21(run, 64, out), Lz77Error::None) << n;
        Bytes sorted = out;
        std::sort(sorted.begin(), sorted.end());
        Bytes ramp(n);
        std::iota(ramp.begin(), ramp.end(), std::uint8_t{0});
        EXPECT_EQ(sorted, ramp) << n;
    }
}

TEST(Lz77Ac21, OutputCappedWhateverTheLimit) {
    // A copy of 0x100 + 0xFFFF * 8 bytes per instruction, repeated: at most the cap comes out.
    Bytes in = {0x00, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    for (int i = 0; i < 2000; ++i) {
        in.insert(in.end(), {0x2F, 0x01, 0x00, 0xFF, 0xF8});
    }
    Bytes out;
    EXPECT_EQ(decompressAc21(in, SIZE_MAX, out), Lz77Error::Overflow);
    EXPECT_EQ(out.size() <= kMaxAc21Output, true);
}

TEST(ReedSolomon, DeinterleaveTakesEachBlockInTurn) {
    Bytes encoded(2 * kRsBlock);
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        encoded[i] = static_cast<std::uint8_t>(i);
    }
    Bytes out;
    ASSERT_TRUE(deinterleave(encoded, 2, 3, 5, out));
    EXPECT_EQ(out, (Bytes{0, 2, 4, 1, 3}));            // block 0: bytes 0, 2, 4; block 1: 1, 3
    EXPECT_FALSE(deinterleave(encoded, 3, 3, 5, out)); // three blocks are not there
    EXPECT_FALSE(deinterleave(encoded, 2, 3, 7, out)); // more than two blocks of 3 hold
    EXPECT_FALSE(deinterleave(encoded, 0, 3, 0, out));
}

TEST(ReedSolomon, CheckFindsTheDamagedBlock) {
    const auto file = test::samplesDir() / "dwg" / "r2007_example.dwg";
    if (!std::filesystem::exists(file)) {
        GTEST_SKIP() << "no sample";
    }
    const Bytes bytes = test::readFile(file);
    Bytes header(bytes.begin() + 0x80, bytes.begin() + 0x80 + 3 * kRsBlock);
    EXPECT_EQ(damagedBlocks(header, 3, RsCode::Map), 0u);
    for (std::size_t at : {0u, 1u, 5u, 3u * 239u, 3u * 254u + 2u}) {
        Bytes copy = header;
        copy[at] ^= 0x01;
        EXPECT_EQ(damagedBlocks(copy, 3, RsCode::Map), 1u) << at;
    }
    Bytes zeros(kRsBlock, 0);
    EXPECT_EQ(damagedBlocks(zeros, 1, RsCode::Page), 0u);
    zeros[100] = 1;
    EXPECT_EQ(damagedBlocks(zeros, 1, RsCode::Page), 1u);
}

const std::array<std::uint8_t, 16> kHeaderStart{0xCF, 0x7B, 0x1F, 0x23, 0xFD, 0xDE, 0x38, 0xA9,
                                                0x5F, 0x7C, 0x68, 0xB8, 0x4E, 0x6D, 0x33, 0x5F};
const std::array<std::uint8_t, 16> kClassesStart{0x8D, 0xA1, 0xC4, 0xB8, 0xC4, 0xA9, 0xF8, 0xC5,
                                                 0xC0, 0xDC, 0xF4, 0x5F, 0xE7, 0xCF, 0xB6, 0x8A};

bool startsWith(const Bytes& b, const std::array<std::uint8_t, 16>& s) {
    return b.size() >= s.size() && std::equal(s.begin(), s.end(), b.begin());
}

// A drawing opened from bytes it keeps: its objects' pages are read from them as they are asked for.
struct Opened : PagedDrawing {
    Bytes bytes;
    std::optional<MemorySource> source;
};

ContainerResult open(Bytes bytes, Opened& paged, const GeometryLimits& limits = {}) {
    paged.bytes = std::move(bytes);
    paged.source.emplace(paged.bytes);
    return readPagedDrawing(*paged.source, "AC1021", limits, paged);
}

struct SampleCase {
    const char* path; // below the samples' dwg folder
    std::size_t minEntities;
    std::vector<std::pair<const char*, std::size_t>> counts;
};

const std::vector<SampleCase> kSamples = {
    {"r2007_example.dwg", 60, {{"LINE", 68}, {"CIRCLE", 1}, {"LWPOLYLINE", 11}, {"SPLINE", 2}}},
    {"r2007_ATMOS-DC22S_two_bmps.dwg", 2, {{"POLYLINE_3D", 1}, {"MTEXT", 1}}},
    {"geometry/acadsharp/sample_AC1021.dwg", 140, {{"LINE", 98}, {"CIRCLE", 13}, {"HATCH", 8}, {"INSERT", 14}}},
};

TEST(Container2007, EverySampleAssemblesItsSectionsAndDraws) {
    int seen = 0;
    for (const auto& c : kSamples) {
        const auto file = test::samplesDir() / "dwg" / c.path;
        if (!std::filesystem::exists(file)) {
            continue;
        }
        ++seen;
        const Bytes bytes = test::readFile(file);
        Opened paged;
        const ContainerResult r = open(bytes, paged);
        ASSERT_TRUE(r.ok()) << c.path << ": " << r.detail;
        EXPECT_TRUE(startsWith(paged.sections.header, kHeaderStart)) << c.path;
        EXPECT_TRUE(startsWith(paged.sections.classes, kClassesStart)) << c.path;
        EXPECT_GT(paged.sections.handles.size(), 2u) << c.path;
        ASSERT_NE(paged.sections.objects, nullptr);
        const Bytes objects = test::objectSection(paged);
        EXPECT_GT(objects.size(), 0u) << c.path;
        // Every block of the real files passes its check.
        EXPECT_TRUE(paged.warnings.empty()) << c.path << ": " << paged.warnings.front();

        MemorySource source(bytes);
        const GeometryResult g = readDrawingGeometry(source);
        ASSERT_TRUE(g.ok()) << c.path << ": " << g.detail;
        EXPECT_EQ(g.drawing.release, "AC1021");
        EXPECT_GE(g.drawing.entities.size(), c.minEntities) << c.path;
        for (const auto& [kind, n] : c.counts) {
            const auto found = g.drawing.counts.find(kind);
            EXPECT_EQ(found == g.drawing.counts.end() ? 0 : found->second, n) << c.path << ": " << kind;
        }
        std::printf("%s: header %zu classes %zu handles %zu objects %zu; %zu entities drawn\n", c.path,
                    paged.sections.header.size(), paged.sections.classes.size(), paged.sections.handles.size(),
                    objects.size(), g.drawing.entities.size());
    }
    if (seen == 0) {
        GTEST_SKIP() << "no samples";
    }
}

TEST(Container2007, DamagedCopiesFailCleanly) {
    const auto file = test::samplesDir() / "dwg" / "r2007_example.dwg";
    if (!std::filesystem::exists(file)) {
        GTEST_SKIP() << "no sample";
    }
    const Bytes bytes = test::readFile(file);
    int failed = 0;
    for (std::size_t cut = 0; cut < bytes.size(); cut += std::max<std::size_t>(1, bytes.size() / 97)) {
        Opened paged;
        failed += open(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)), paged).ok() ? 0 : 1;
    }
    EXPECT_GT(failed, 0);
    std::uint32_t state = 12345;
    for (int round = 0; round < 200; ++round) {
        Bytes copy = bytes;
        for (int k = 0; k < 8; ++k) {
            state = state * 1103515245u + 12345u;
            copy[(state >> 4) % copy.size()] ^= static_cast<std::uint8_t>(state >> 24 | 1);
        }
        Opened paged;
        if (open(copy, paged).ok()) {
            EXPECT_EQ(test::objectSection(paged).size(), paged.sections.objects->size());
        }
    }
    {
        // A check byte of the file header damaged: the data is whole, the damage reported.
        Bytes copy = bytes;
        copy[0x80 + 3 * 239] ^= 0x40;
        Opened paged;
        ASSERT_TRUE(open(copy, paged).ok());
        ASSERT_EQ(paged.warnings.size(), 1u);
        EXPECT_NE(paged.warnings[0].find("file header"), std::string::npos) << paged.warnings[0];
    }
    {
        // Its data length damaged (byte 24 of the first block): refused.
        Bytes copy = bytes;
        copy[0x80 + 3 * 27] ^= 0x40;
        Opened paged;
        const ContainerResult r = open(copy, paged);
        EXPECT_EQ(r.error, ContainerError::BadFileHeader) << r.detail;
    }
    {
        Bytes copy(bytes.begin(), bytes.begin() + 0x200);
        Opened paged;
        EXPECT_EQ(open(copy, paged).error, ContainerError::BadFileHeader);
    }
}

TEST(Container2007, BuiltDrawingAssembles) {
    const test::Drawing2007 d;
    Opened paged;
    const ContainerResult r = open(d.build(), paged);
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_TRUE(startsWith(paged.sections.header, kHeaderStart));
    EXPECT_TRUE(startsWith(paged.sections.classes, kClassesStart));
    EXPECT_EQ(paged.sections.handles, (Bytes{0x00, 0x02, 0x00, 0x00}));
    EXPECT_EQ(test::objectSection(paged), Bytes(40, 0x5A));
    // Zero check bytes: the header's blocks that hold data and both maps' are reported, not refused.
    ASSERT_EQ(paged.warnings.size(), 3u);
    EXPECT_NE(paged.warnings[0].find("file header: 2 of 3"), std::string::npos) << paged.warnings[0];
}

struct HostileCase {
    const char* name;
    std::function<void(test::Drawing2007&)> edit;
    ContainerError error;
    const char* detail; // part of the message
};

TEST(Container2007, HostileMapsGiveClearErrors) {
    const std::vector<HostileCase> cases = {
        {"page map of 1 TB",
         [](test::Drawing2007& d) { d.editFields = [](Bytes& f) { test::put64(f, 0x58, 1ull << 40); }; },
         ContainerError::TooLarge, "page map larger"},
        {"section map of 1 TB",
         [](test::Drawing2007& d) { d.editFields = [](Bytes& f) { test::put64(f, 0xC8, 1ull << 40); }; },
         ContainerError::TooLarge, "section map larger"},
        {"page map stored beyond the file",
         [](test::Drawing2007& d) { d.editFields = [](Bytes& f) { test::put64(f, 0x38, 1ull << 62); }; },
         ContainerError::BadPageMap, "beyond the end"},
        {"correction factor zero",
         [](test::Drawing2007& d) { d.editFields = [](Bytes& f) { test::put64(f, 0x18, 0); }; },
         ContainerError::BadPageMap, "correction"},
        {"correction factor huge",
         [](test::Drawing2007& d) { d.editFields = [](Bytes& f) { test::put64(f, 0x18, 1ull << 60); }; },
         ContainerError::BadPageMap, "correction"},
        {"section map id unknown",
         [](test::Drawing2007& d) { d.editFields = [](Bytes& f) { test::put64(f, 0xC0, 99); }; },
         ContainerError::BadSectionMap, "lacks the section map"},
        {"page map with a bad back-reference",
         [](test::Drawing2007& d) {
             d.editPageMapStream = [](Bytes& s) { s = {0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0x30, 0xF8}; };
             d.editFields = [](Bytes& f) { test::put64(f, 0x50, 11); };
         },
         ContainerError::BadPageMap, "back-reference"},
        {"page of negative size",
         [](test::Drawing2007& d) { d.editPageMap = [](Bytes& m) { test::put64(m, 32, ~0ull); }; },
         ContainerError::BadPageMap, "negative"},
        {"page larger than the file",
         [](test::Drawing2007& d) { d.editPageMap = [](Bytes& m) { test::put64(m, 32, 1ull << 50); }; },
         ContainerError::BadPageMap, "larger than the file"},
        {"section of 2^60 bytes",
         [](test::Drawing2007& d) { d.editSectionMap = [](Bytes& m) { test::put64(m, 0, 1ull << 60); }; },
         ContainerError::TooLarge, "AcDb:Header larger"},
        {"2^60 pages",
         [](test::Drawing2007& d) { d.editSectionMap = [](Bytes& m) { test::put64(m, 56, 1ull << 60); }; },
         ContainerError::BadSectionMap, "more pages"},
        {"name longer than the map",
         [](test::Drawing2007& d) { d.editSectionMap = [](Bytes& m) { test::put64(m, 32, 1ull << 40); }; },
         ContainerError::BadSectionMap, "name longer"},
        {"page id unknown",
         [](test::Drawing2007& d) { d.editSectionMap = [](Bytes& m) { test::put64(m, 64 + 24 + 16, 77); }; },
         ContainerError::BadSectionMap, "lacks"},
        {"no objects section", [](test::Drawing2007& d) { d.sections.pop_back(); }, ContainerError::MissingSection,
         "AcDb:AcDbObjects"},
    };
    for (const auto& c : cases) {
        test::Drawing2007 d;
        c.edit(d);
        Opened paged;
        const ContainerResult r = open(d.build(), paged);
        EXPECT_EQ(r.error, c.error) << c.name << ": " << r.detail;
        EXPECT_NE(r.detail.find(c.detail), std::string::npos) << c.name << ": " << r.detail;
    }
}

// A page that cannot be read leaves its section zero and says so; the drawing still opens.
TEST(Container2007, HostilePagesAreReportedAndSkipped) {
    struct PageCase {
        const char* name;
        std::size_t field; // within the first section's page record
        std::uint64_t value;
        const char* warning;
    };
    const std::vector<PageCase> cases = {
        {"stored size of 1 TB", 32, 1ull << 40, "larger than any real page"},
        {"stored size zero", 32, 0, "stores no bytes"},
        {"offset past its section", 0, 1000, "past the end of its section"},
    };
    for (const auto& c : cases) {
        test::Drawing2007 d;
        d.editSectionMap = [&c](Bytes& m) { test::put64(m, 64 + 24 + c.field, c.value); };
        Opened paged;
        const ContainerResult r = open(d.build(), paged);
        ASSERT_TRUE(r.ok()) << c.name << ": " << r.detail;
        EXPECT_EQ(paged.sections.header, Bytes(16, 0)) << c.name;
        const bool found = std::any_of(paged.warnings.begin(), paged.warnings.end(),
                                       [&c](const std::string& w) { return w.find(c.warning) != std::string::npos; });
        EXPECT_TRUE(found) << c.name;
    }
    // Within a section no bigger than the limit allows.
    test::Drawing2007 d;
    GeometryLimits limits;
    limits.maxBytes = 16;
    Opened paged;
    EXPECT_EQ(open(d.build(), paged, limits).error, ContainerError::TooLarge);
}

TEST(Container2007, BuiltDrawingCutAnywhereFailsCleanly) {
    const Bytes bytes = test::Drawing2007().build();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        Opened paged;
        const ContainerResult r = open(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)), paged);
        if (cut < 0x480) {
            EXPECT_FALSE(r.ok()) << cut;
        }
    }
}

} // namespace
} // namespace dsc::dwg
