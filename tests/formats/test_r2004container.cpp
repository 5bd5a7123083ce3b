// The paged container of releases 2004 and 2010-2018: its compression over hand-made streams, the
// sections of every shared sample, and damaged copies of them.
#include "formats/dwg/r2004/assembly.h"
#include "formats/dwg/r2004/checksum.h"
#include "formats/dwg/r2004/lz77.h"
#include "formats/dwg/r2004/pageddrawing.h"
#include "support/pagedobjects.h"
#include "support/samples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace dsc::dwg {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Lz77Case {
    const char* name;
    Bytes in;
    std::size_t limit;
    Lz77Error error;
    Bytes out;
};

TEST(Lz77Ac18, HandMadeStreams) {
    const std::vector<Lz77Case> cases = {
        {"literal run of 3", {0x00 + 0x00 + 0x00 + 0x00, 0x11}, 64, Lz77Error::Truncated, {}},
        {"literal run of 4", {0x01, 'a', 'b', 'c', 'd', 0x11}, 64, Lz77Error::None, {'a', 'b', 'c', 'd'}},
        {"long literal run",
         [] {
             Bytes b{0x00, 0x01}; // 0x0F + 1 + 3 = 19 bytes
             for (int i = 0; i < 19; ++i)
                 b.push_back(static_cast<std::uint8_t>('A' + i));
             b.push_back(0x11);
             return b;
         }(),
         64, Lz77Error::None,
         [] {
             Bytes b;
             for (int i = 0; i < 19; ++i)
                 b.push_back(static_cast<std::uint8_t>('A' + i));
             return b;
         }()},
        // 0x40-0xFF: count (op>>4)-1, offset from bits 2-3 and the next byte, plus one.
        {"short copy",
         {0x01, 'a', 'b', 'c', 'd', 0x40, 0x00, 0x11},
         64,
         Lz77Error::None,
         {'a', 'b', 'c', 'd', 'd', 'd', 'd'}},
        {"short copy, literal bits",
         {0x01, 'a', 'b', 'c', 'd', 0x41, 0x00, 'z', 0x11},
         64,
         Lz77Error::None,
         {'a', 'b', 'c', 'd', 'd', 'd', 'd', 'z'}},
        // 0x20-0x3F: count (op&0x1F)+2, two-byte offset plus one.
        {"medium copy",
         {0x01, 'a', 'b', 'c', 'd', 0x22, 0x0C, 0x00, 0x11},
         64,
         Lz77Error::None,
         {'a', 'b', 'c', 'd', 'a', 'b', 'c', 'd'}},
        // 0x12-0x1F: offset plus 0x4000: nothing that far back here.
        {"far copy refused",
         {0x01, 'a', 'b', 'c', 'd', 0x12, 0x00, 0x00, 0x11},
         64,
         Lz77Error::BadReference,
         {'a', 'b', 'c', 'd'}},
        {"copy from one before the start",
         {0x01, 'a', 'b', 'c', 'd', 0x40, 0x01, 0x11},
         64,
         Lz77Error::BadReference,
         {'a', 'b', 'c', 'd'}},
        {"copy before the start",
         {0x01, 'a', 'b', 'c', 'd', 0x40, 0x04, 0x11},
         64,
         Lz77Error::BadReference,
         {'a', 'b', 'c', 'd'}},
        {"literal past the limit", {0x01, 'a', 'b', 'c', 'd', 0x11}, 3, Lz77Error::Overflow, {}},
        {"copy past the limit",
         {0x01, 'a', 'b', 'c', 'd', 0x40, 0x00, 0x11},
         6,
         Lz77Error::Overflow,
         {'a', 'b', 'c', 'd'}},
        {"no end mark", {0x01, 'a', 'b', 'c', 'd'}, 64, Lz77Error::Truncated, {'a', 'b', 'c', 'd'}},
        {"literal cut short", {0x05, 'a'}, 64, Lz77Error::Truncated, {}},
        {"empty", {}, 64, Lz77Error::Truncated, {}},
        {"only the end mark", {0x11}, 64, Lz77Error::None, {}},
        {"zero-extended length cut short",
         {0x01, 'a', 'b', 'c', 'd', 0x20, 0x00},
         64,
         Lz77Error::Truncated,
         {'a', 'b', 'c', 'd'}},
    };
    for (const auto& c : cases) {
        Bytes out;
        EXPECT_EQ(decompressAc18(c.in, c.limit, out), c.error) << c.name;
        EXPECT_EQ(out, c.out) << c.name;
    }
}

TEST(Checksum, HeaderSequenceStartsAsDocumented) {
    // The first bytes of the documented sequence XORed over zeros.
    std::array<std::uint8_t, 4> b{};
    applyHeaderSequence(b);
    EXPECT_EQ(b[0], 0x29);
    EXPECT_EQ(b[1], 0x23);
    EXPECT_EQ(b[2], 0xBE);
    EXPECT_EQ(b[3], 0x84);
    EXPECT_EQ(pageChecksum(0, {}), 0u);
    const std::array<std::uint8_t, 3> abc{'a', 'b', 'c'};
    EXPECT_EQ(pageChecksum(1, abc), 0x024D0127u); // Adler-32 of "abc"
    const std::string wiki = "Wikipedia";
    EXPECT_EQ(pageChecksum(1, {reinterpret_cast<const std::uint8_t*>(wiki.data()), wiki.size()}), 0x11E60398u);
    // Past the length where the sums are reduced, all bytes high: the sums reach their largest.
    const std::vector<std::uint8_t> ones(100003, 0xFF);
    std::uint32_t low = 1, high = 0;
    for (const std::uint8_t b : ones) {
        low = (low + b) % 65521u;
        high = (high + low) % 65521u;
    }
    EXPECT_EQ(pageChecksum(1, ones), (high << 16) | low);
}

const std::array<std::uint8_t, 16> kHeaderStart{0xCF, 0x7B, 0x1F, 0x23, 0xFD, 0xDE, 0x38, 0xA9,
                                                0x5F, 0x7C, 0x68, 0xB8, 0x4E, 0x6D, 0x33, 0x5F};
const std::array<std::uint8_t, 16> kClassesStart{0x8D, 0xA1, 0xC4, 0xB8, 0xC4, 0xA9, 0xF8, 0xC5,
                                                 0xC0, 0xDC, 0xF4, 0x5F, 0xE7, 0xCF, 0xB6, 0x8A};

bool startsWith(const Bytes& b, const std::array<std::uint8_t, 16>& s) {
    return b.size() >= s.size() && std::equal(s.begin(), s.end(), b.begin());
}

std::vector<std::filesystem::path> pagedSamples() {
    std::vector<std::filesystem::path> files;
    for (const char* name : {"r2004_example.dwg", "r2004_material_32bpp.dwg", "r2010_gh209_1_seeker_0x120.dwg",
                             "r2013_example.dwg", "r2013_ezdxf_dim_linear_rgb_png.dwg", "r2018_Arc_header_only.dwg",
                             "r2018_Constraints_empty_preview.dwg", "r2018_example.dwg"}) {
        files.push_back(test::samplesDir() / "dwg" / name);
    }
    for (const char* name : {"sample_AC1018.dwg", "sample_AC1024.dwg", "sample_AC1027.dwg", "sample_AC1032.dwg"}) {
        files.push_back(test::samplesDir() / "dwg" / "geometry" / "acadsharp" / name);
    }
    return files;
}

// A drawing opened from bytes it keeps: its objects' pages are read from them as they are asked for.
struct Opened : PagedDrawing {
    Bytes bytes;
    std::optional<MemorySource> source;
};

ContainerResult open(Bytes bytes, Opened& paged) {
    paged.bytes = std::move(bytes);
    paged.source.emplace(paged.bytes);
    const std::string version(paged.bytes.begin(),
                              paged.bytes.begin() +
                                  static_cast<std::ptrdiff_t>(std::min<std::size_t>(6, paged.bytes.size())));
    return readPagedDrawing(*paged.source, version, {}, paged);
}

// A section's pages made up in memory: each page's bytes are its number repeated, a page listed in
// `failing` cannot be read, and a page's `short` bytes are all it gives.
struct FakePages {
    std::map<std::int64_t, std::size_t> shortBy; // page number → bytes it gives
    std::vector<std::int64_t> failing;
    int reads = 0;
    PageReader reader() {
        return [this](const SectionInfo&, const SectionPage& page, std::size_t limit, Bytes& data, std::string& why,
                      std::vector<std::string>&) {
            ++reads;
            if (std::find(failing.begin(), failing.end(), page.number) != failing.end()) {
                why = "unreadable";
                return false;
            }
            const auto cut = shortBy.find(page.number);
            data.assign(std::min<std::size_t>(limit, cut != shortBy.end() ? cut->second : page.size),
                        static_cast<std::uint8_t>(page.number));
            return true;
        };
    }
};

SectionInfo section(std::uint64_t size, std::vector<std::pair<std::uint64_t, std::uint64_t>> pages) {
    SectionInfo s;
    s.name = "AcDb:AcDbObjects";
    s.size = size;
    s.maxPageSize = 100;
    std::int64_t number = 1;
    for (const auto& [start, length] : pages) {
        s.pages.push_back({number++, 0, start, length, length, 0});
    }
    return s;
}

// Read page by page, a section gives what its whole assembly gives, wherever it is read from and
// however often its pages are let go; a page that cannot be read is reported once. Pages that
// overlap are refused: only the whole assembly says which of them wins.
TEST(PagedSection, ReadsWhatTheWholeAssemblyGives) {
    struct Case {
        const char* name;
        SectionInfo section;
        std::vector<std::int64_t> failing;
        std::map<std::int64_t, std::size_t> shortBy;
        std::size_t warnings; // once every page has been read
    };
    const std::vector<Case> cases = {
        {"in order", section(350, {{0, 100}, {100, 100}, {200, 100}, {300, 100}}), {}, {}, 0},
        {"out of order", section(300, {{200, 100}, {0, 100}, {100, 100}}), {}, {}, 0},
        {"a gap", section(300, {{0, 100}, {200, 100}}), {}, {}, 0},
        {"a page that fails", section(300, {{0, 100}, {100, 100}, {200, 100}}), {2}, {}, 1},
        {"a page cut short", section(300, {{0, 100}, {100, 100}, {200, 100}}), {}, {{2, 30}}, 0},
        {"a page past the end", section(200, {{0, 100}, {100, 100}, {900, 100}}), {}, {}, 1},
        {"many pages",
         section(1000,
                 [] {
                     std::vector<std::pair<std::uint64_t, std::uint64_t>> p;
                     for (std::uint64_t at = 0; at < 1000; at += 100)
                         p.push_back({at, 100});
                     return p;
                 }()),
         {7},
         {},
         1},
    };
    for (const Case& c : cases) {
        FakePages fake{c.shortBy, c.failing};
        std::vector<std::string> wholeWarnings, pagedWarnings;
        Bytes whole;
        ASSERT_TRUE(assembleSection(c.section, fake.reader(), 1u << 20, whole, wholeWarnings)) << c.name;
        PagedSection paged;
        ASSERT_TRUE(paged.open(c.section, fake.reader(), pagedWarnings)) << c.name;
        ASSERT_EQ(paged.size(), whole.size()) << c.name;
        fake.reads = 0;
        std::uint32_t state = 99;
        for (int round = 0; round < 300; ++round) {
            state = state * 1103515245u + 12345u;
            const std::size_t at = (state >> 8) % whole.size();
            const std::size_t n = std::min<std::size_t>((state >> 20) % 240, whole.size() - at);
            Bytes got(n, 0xEE);
            ASSERT_TRUE(paged.readAt(at, got)) << c.name;
            ASSERT_TRUE(std::equal(got.begin(), got.end(), whole.begin() + static_cast<std::ptrdiff_t>(at)))
                << c.name << " at " << at << " for " << n;
        }
        EXPECT_EQ(pagedWarnings, wholeWarnings) << c.name;
        EXPECT_EQ(pagedWarnings.size(), c.warnings) << c.name;
        Bytes past(1);
        EXPECT_FALSE(paged.readAt(whole.size(), past)) << c.name;
        // Read once from start to end, object by object: each page is read once.
        PagedSection again;
        std::vector<std::string> ignored;
        ASSERT_TRUE(again.open(c.section, fake.reader(), ignored));
        fake.reads = 0;
        for (std::size_t at = 0; at < whole.size(); at += 7) {
            Bytes got(std::min<std::size_t>(7, whole.size() - at));
            ASSERT_TRUE(again.readAt(at, got));
        }
        EXPECT_LE(fake.reads, static_cast<int>(c.section.pages.size())) << c.name;
    }
    FakePages fake;
    std::vector<std::string> warnings;
    PagedSection overlapping;
    EXPECT_FALSE(overlapping.open(section(300, {{0, 100}, {50, 100}, {200, 100}}), fake.reader(), warnings));
}

TEST(Container2004, EverySampleAssemblesItsSections) {
    int seen = 0;
    for (const auto& file : pagedSamples()) {
        if (!std::filesystem::exists(file)) {
            continue;
        }
        ++seen;
        const Bytes bytes = test::readFile(file);
        Opened paged;
        const ContainerResult r = open(bytes, paged);
        ASSERT_TRUE(r.ok()) << file << ": " << r.detail;
        EXPECT_TRUE(startsWith(paged.sections.header, kHeaderStart)) << file;
        EXPECT_TRUE(startsWith(paged.sections.classes, kClassesStart)) << file;
        EXPECT_GT(paged.sections.handles.size(), 2u) << file;
        ASSERT_NE(paged.sections.objects, nullptr);
        const Bytes objects = test::objectSection(paged);
        EXPECT_GT(objects.size(), 0u) << file;
        EXPECT_TRUE(paged.warnings.empty()) << file << ": " << paged.warnings.front();
        std::printf("%s: header %zu classes %zu handles %zu objects %zu warnings %zu\n",
                    file.filename().string().c_str(), paged.sections.header.size(), paged.sections.classes.size(),
                    paged.sections.handles.size(), objects.size(), paged.warnings.size());
    }
    if (seen == 0) {
        GTEST_SKIP() << "no samples";
    }
}

TEST(Container2004, DamagedCopiesFailCleanly) {
    const auto file = test::samplesDir() / "dwg" / "geometry" / "acadsharp" / "sample_AC1018.dwg";
    if (!std::filesystem::exists(file)) {
        GTEST_SKIP() << "no sample";
    }
    const Bytes bytes = test::readFile(file);
    for (std::size_t cut = 0; cut < bytes.size(); cut += std::max<std::size_t>(1, bytes.size() / 97)) {
        Opened paged;
        open(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut)), paged);
    }
    std::uint32_t state = 12345;
    for (int round = 0; round < 300; ++round) {
        Bytes copy = bytes;
        for (int k = 0; k < 8; ++k) {
            state = state * 1103515245u + 12345u;
            copy[(state >> 4) % copy.size()] ^= static_cast<std::uint8_t>(state >> 24 | 1);
        }
        Opened paged;
        open(copy, paged);
    }
    // The encrypted header damaged: refused, not guessed around.
    Bytes copy = bytes;
    copy[0x80] ^= 0xFF;
    Opened paged;
    EXPECT_EQ(open(copy, paged).error, ContainerError::BadFileHeader);
}

// The maps and the last pages lie at the end of the file: every byte there flipped in turn gives a
// drawing, a warning or an error, never a crash or a read past the end.
TEST(Container2004, EveryByteOfTheMapsFlipped) {
    const auto file = test::samplesDir() / "dwg" / "r2018_Arc_header_only.dwg";
    if (!std::filesystem::exists(file)) {
        GTEST_SKIP() << "no sample";
    }
    const Bytes bytes = test::readFile(file);
    int failed = 0;
    int warned = 0;
    for (std::size_t at = bytes.size() > 1500 ? bytes.size() - 1500 : 0; at < bytes.size(); ++at) {
        Bytes copy = bytes;
        copy[at] ^= 0x5A;
        Opened paged;
        const ContainerResult r = open(copy, paged);
        failed += r.ok() ? 0 : 1;
        if (r.ok()) {
            EXPECT_EQ(test::objectSection(paged).size(), paged.sections.objects->size());
        }
        warned += r.ok() && !paged.warnings.empty() ? 1 : 0;
    }
    // Most of those bytes are checked: by a map's structure or by a page's checksum.
    EXPECT_GT(failed + warned, 500);
}

} // namespace
} // namespace dsc::dwg
