// Slide library directory, member lookup and slide references.
#include "formats/slides/slidelibrary.h"
#include "formats/slides/slidereference.h"
#include "support/samples.h"
#include "support/slidefiles.h"
#include "support/slidewriter.h"

#include <gtest/gtest.h>

using namespace dsc;
using test::writeLibrary;

TEST(SlideLibrary, DirectoryInOrderWithFullNames) {
    const auto lib = writeLibrary({{"PORTE", test::simpleSlide(1)},
                                   {"FENETRE", test::simpleSlide(2)},
                                   {"ESCALIER_DROIT_A_QUART_TOURNANT", test::simpleSlide(3)}});
    MemorySource src(lib);
    const auto dir = readSlideLibraryDirectory(src);
    ASSERT_TRUE(dir.ok());
    ASSERT_EQ(dir.entries.size(), 3u);
    EXPECT_EQ(dir.entries[0].name, "PORTE");
    EXPECT_EQ(dir.entries[2].name, "ESCALIER_DROIT_A_QUART_TOURNANT");
    EXPECT_EQ(dir.entries[0].offset, 32u + 36u * 4u);
}

TEST(SlideLibrary, LookupIgnoresAsciiCaseFirstEntryWins) {
    const auto lib = writeLibrary({{"Porte", test::simpleSlide(1)}, {"PORTE", test::simpleSlide(2)}});
    MemorySource src(lib);
    const auto dir = readSlideLibraryDirectory(src);
    const auto* e = findSlide(dir, "porte");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e, &dir.entries[0]);
    EXPECT_EQ(findSlide(dir, "PORT"), nullptr);
    EXPECT_EQ(findSlide(dir, ""), nullptr);
}

TEST(SlideLibrary, SharedAndUnsortedOffsetsAreFine) {
    const auto a = test::simpleSlide(11), b = test::simpleSlide(22);
    const std::uint32_t first = 32 + 36 * 3; // header, two entries, the end entry
    const std::uint32_t second = first + static_cast<std::uint32_t>(a.size());
    const auto lib = writeLibrary({{"A", a}, {"B", b}}, {second, first}); // directory points backwards
    test::TempDir dir;
    test::writeFile(dir / "lib.slb", lib);
    const std::string path = (dir / "lib.slb").string();
    const LoadedSlide sa = test::loadSlideText(path + "(A)");
    const LoadedSlide sb = test::loadSlideText(path + "(b)");
    ASSERT_TRUE(sa.ok() && sb.ok());
    EXPECT_EQ(sa.slide.points[0].x, 22);
    EXPECT_EQ(sb.slide.points[0].x, 11);
    // Two names for one slide.
    const auto shared = writeLibrary({{"A", a}, {"B", b}}, {first, first});
    test::writeFile(dir / "shared.slb", shared);
    const std::string sharedPath = (dir / "shared.slb").string();
    EXPECT_EQ(test::loadSlideText(sharedPath + "(A)").slide.points,
              test::loadSlideText(sharedPath + "(B)").slide.points);
}

TEST(SlideLibrary, MemberReadStopsAtTheNextMember) {
    const auto a = test::simpleSlide(11), b = test::simpleSlide(22);
    const std::uint32_t first = 32 + 36 * 3;
    const std::uint32_t second = first + static_cast<std::uint32_t>(a.size());
    const auto lib = writeLibrary({{"A", a}, {"B", b}}, {second, first});
    MemorySource src(lib);
    const auto dir = readSlideLibraryDirectory(src);
    std::vector<std::uint8_t> bytes;
    // B comes first in the file: it ends where A starts, not at the end of the file.
    ASSERT_TRUE(readSlideMember(src, dir, dir.entries[1], 1 << 20, bytes));
    EXPECT_EQ(bytes.size(), a.size());
    ASSERT_TRUE(readSlideMember(src, dir, dir.entries[0], 1 << 20, bytes));
    EXPECT_EQ(bytes.size(), lib.size() - second);
    ASSERT_TRUE(readSlideMember(src, dir, dir.entries[0], 10, bytes)); // and never past the limit
    EXPECT_EQ(bytes.size(), 10u);
}

TEST(SlideLibrary, DamagedDirectories) {
    {
        test::Bytes shortFile(20, 0);
        MemorySource src(shortFile);
        EXPECT_EQ(readSlideLibraryDirectory(src).error, SlideLibraryError::TooShort);
    }
    {
        const auto slide = test::simpleSlide();
        MemorySource src(slide);
        EXPECT_EQ(readSlideLibraryDirectory(src).error, SlideLibraryError::NotALibrary);
    }
    {
        auto lib = writeLibrary({{"A", test::simpleSlide()}, {"B", test::simpleSlide()}});
        lib.resize(32 + 36 + 10); // cut inside the second entry
        MemorySource src(lib);
        const auto dir = readSlideLibraryDirectory(src);
        EXPECT_EQ(dir.error, SlideLibraryError::Unterminated);
        EXPECT_EQ(dir.entries.size(), 1u);
    }
    {
        // A directory that claims a million entries stops at the caller's limit.
        auto lib = writeLibrary({});
        lib.resize(32);
        for (int i = 0; i < 5000; ++i) {
            std::uint8_t e[36] = {'S'};
            lib.insert(lib.end(), e, e + 36);
        }
        MemorySource src(lib);
        const auto dir = readSlideLibraryDirectory(src, 1000);
        EXPECT_EQ(dir.entries.size(), 1000u);
        EXPECT_FALSE(dir.ok());
    }
}

TEST(SlideReference, SplitsAtTheLastParenthesisThatNamesAFile) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "Projet (2024)");
    const auto lib = writeLibrary({{"A(1)", test::simpleSlide(5)}});
    test::writeFile(dir / "Projet (2024)" / "sym.slb", lib);
    const std::string path = (dir / "Projet (2024)" / "sym.slb").string();
    const SlideReference r = parseSlideReference(path + "(A(1))");
    EXPECT_TRUE(r.isLibraryMember);
    EXPECT_EQ(r.file, path);
    EXPECT_EQ(r.member, "A(1)");
    EXPECT_TRUE(test::loadSlideText(path + "(A(1))").ok());
    // A plain slide in a folder with parentheses is a plain file.
    const SlideReference plain = parseSlideReference((dir / "Projet (2024)" / "x.sld").string());
    EXPECT_FALSE(plain.isLibraryMember);
    // Nothing exists: the last "(" decides.
    const SlideReference missing = parseSlideReference("/nowhere/lib.slb(NAME)");
    EXPECT_EQ(missing.file, "/nowhere/lib.slb");
    EXPECT_EQ(missing.member, "NAME");
}

TEST(SlideReference, UnresolvableReferencesAreReportedNotThrown) {
    test::TempDir dir;
    test::writeFile(dir / "lib.slb", writeLibrary({{"A", test::simpleSlide()}}));
    test::writeFile(dir / "plan.dwg", {'A', 'C', '1', '0', '1', '8'});
    const std::string lib = (dir / "lib.slb").string();
    EXPECT_EQ(test::loadSlideText("").status, SlideLoadStatus::Empty);
    EXPECT_EQ(test::loadSlideText(lib + "()").status, SlideLoadStatus::NoSuchSlide);
    EXPECT_EQ(test::loadSlideText(lib + "(Z)").status, SlideLoadStatus::NoSuchSlide);
    EXPECT_EQ(test::loadSlideText(lib).status, SlideLoadStatus::NotASlide);
    EXPECT_TRUE(test::loadSlideText(lib, true).ok());
    EXPECT_EQ(test::loadSlideText((dir / "missing.sld").string()).status, SlideLoadStatus::Unreadable);
    EXPECT_EQ(test::loadSlideText((dir / "plan.dwg").string()).status, SlideLoadStatus::NotASlide);
    EXPECT_EQ(test::loadSlideText((dir / "plan.dwg").string() + "(A)").status, SlideLoadStatus::NotALibrary);
    EXPECT_EQ(test::loadSlideText(dir.path().string()).status, SlideLoadStatus::Unreadable); // a folder
}

TEST(SlideLibrary, NamesAsWindows1252) {
    EXPECT_EQ(cp1252ToUtf8("ABC"), "ABC");
    EXPECT_EQ(cp1252ToUtf8("\xC9T\xC9"), "ÉTÉ");
    EXPECT_EQ(cp1252ToUtf8("\x80"), "€");
}

TEST(RealLibraries, MembersAndOffsets) {
    DSC_REQUIRE_SAMPLES();
    struct Expect {
        const char* file;
        std::vector<std::pair<std::string, std::uint32_t>> members;
    };
    const Expect expected[] = {
        {"velisp_mylib.slb", {{"SLIDE1", 140}, {"SLIDE2", 209}}},
        {"mnas_CIRCLES.slb", {{"CL_S", 140}, {"C_R", 956}}},
        {"mnas_LINES.slb", {{"D_REZ", 248}, {"D_CHAMF", 1501}, {"D_OTV", 2542}, {"D_OFF", 3351}, {"R_OFF", 4419}}},
    };
    for (const auto& e : expected) {
        SCOPED_TRACE(e.file);
        platform::FileSource src;
        ASSERT_TRUE(src.open(test::samplesDir() / "sld" / e.file));
        const auto dir = readSlideLibraryDirectory(src);
        ASSERT_TRUE(dir.ok());
        ASSERT_EQ(dir.entries.size(), e.members.size());
        for (std::size_t i = 0; i < dir.entries.size(); ++i) {
            EXPECT_EQ(dir.entries[i].name, e.members[i].first);
            EXPECT_EQ(dir.entries[i].offset, e.members[i].second);
        }
    }
    // A member is byte for byte the slide it came from.
    const auto mixed = test::samplesDir() / "sld/synthetic/mixed_lib.slb";
    if (std::filesystem::exists(mixed)) {
        platform::FileSource src;
        ASSERT_TRUE(src.open(mixed));
        const auto dir = readSlideLibraryDirectory(src);
        for (const auto& m : dir.entries) {
            SCOPED_TRACE(m.name);
            const LoadedSlide s = test::loadSlideText(mixed.string() + "(" + m.name + ")");
            EXPECT_TRUE(s.ok());
            EXPECT_TRUE(s.slide.ok());
            EXPECT_FALSE(s.slide.elements.empty());
        }
    }
}
