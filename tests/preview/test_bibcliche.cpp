// The list of names read from a library's records.
#include "formats/slides/slidelibrary.h"
#include "platform/filesource.h"
#include "support/samples.h"
#include "support/slidewriter.h"

#include <gtest/gtest.h>

using namespace dsc;
using test::writeLibrary;

namespace {

std::vector<std::string> shortNames(const test::Bytes& b) {
    MemorySource src(b);
    std::vector<std::string> out;
    for (const auto& n : scanLibraryNames(src)) {
        out.push_back(n.shortName);
    }
    return out;
}

test::Bytes libraryOf(int count) {
    std::vector<test::LibraryMember> members;
    for (int i = 0; i < count; ++i) {
        std::string name = "S";
        name += std::to_string(i + 1);
        members.push_back({name, test::simpleSlide(i % 100)});
    }
    return writeLibrary(members);
}

} // namespace

TEST(BibCliche, WorkedExampleCutsNamesAtTenCharacters) {
    const auto lib = writeLibrary(
        {{"PORTE", test::simpleSlide()}, {"FENETRE", test::simpleSlide()}, {"ESCALIER_DROIT", test::simpleSlide()}});
    MemorySource src(lib);
    const auto names = scanLibraryNames(src);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0].shortName, "PORTE");
    EXPECT_EQ(names[1].shortName, "FENETRE");
    EXPECT_EQ(names[2].shortName, "ESCALIER_D");
    EXPECT_EQ(names[2].fullName, "ESCALIER_DROIT"); // kept for building references
}

TEST(BibCliche, NamesSharingTheirFirstTenCharactersKeepTheirFullNames) {
    const auto lib =
        writeLibrary({{"FENETRE_GAUCHE_1", test::simpleSlide()}, {"FENETRE_GAUCHE_2", test::simpleSlide()}});
    MemorySource src(lib);
    const auto names = scanLibraryNames(src);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].shortName, names[1].shortName);
    EXPECT_NE(names[0].fullName, names[1].fullName);
}

TEST(BibCliche, LargestListWithinTheTableAndBeyondIt) {
    EXPECT_EQ(shortNames(libraryOf(198)).size(), 198u);
    // Beyond the table's 200 records: listed in full up to the end entry.
    const auto big = shortNames(libraryOf(5000));
    ASSERT_EQ(big.size(), 5000u);
    EXPECT_EQ(big.front(), "S1");
    EXPECT_EQ(big.back(), "S5000");
    // Beyond it with the end entry filled in: the marker still ends the list two records early.
    auto noEnd = libraryOf(300);
    noEnd[32 + 36 * 300] = 'Z';
    const auto filled = shortNames(noEnd);
    ASSERT_EQ(filled.size(), 300u);
    EXPECT_EQ(filled.back(), "S300");
}

TEST(BibCliche, PositionFieldsHaveNoEffect) {
    auto lib = writeLibrary({{"A", test::simpleSlide()}, {"B", test::simpleSlide()}}, {0xFFFFFFFF, 7});
    EXPECT_EQ(shortNames(lib), (std::vector<std::string>{"A", "B"}));
}

TEST(BibCliche, MarkerRulesAndOddRecords) {
    // A 32-byte block followed directly by a slide: marker in record 1, nothing listed.
    test::Bytes direct(32, 0);
    const auto slide = test::simpleSlide();
    direct.insert(direct.end(), slide.begin(), slide.end());
    EXPECT_TRUE(shortNames(direct).empty());

    // Marker compared with case: "AUTOCAD SL" does not end the scan, the empty end entry does.
    test::Bytes upper = writeLibrary({{"A", test::simpleSlide()}});
    std::memcpy(upper.data() + 32 + 72, "AUTOCAD SL", 10);
    EXPECT_EQ(shortNames(upper), (std::vector<std::string>{"A"}));

    // A zero byte inside the first ten bytes ends the name; what follows is ignored.
    test::Bytes zero = writeLibrary({{"ABCDEFGHIJ", test::simpleSlide()}});
    zero[32 + 3] = 0;
    const auto names = shortNames(zero);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], "ABC");

    // The record before the marker is the end of the directory and is never listed, whatever it holds.
    test::Bytes filled = writeLibrary({{"A", test::simpleSlide()}, {"B", test::simpleSlide()}});
    filled[32 + 72] = 'Z';
    EXPECT_EQ(shortNames(filled), (std::vector<std::string>{"A", "B"}));
}

TEST(BibCliche, TruncatedAndForeignFilesStillEnd) {
    auto lib = libraryOf(10);
    lib.resize(32 + 36 * 4 + 5);
    EXPECT_EQ(shortNames(lib), (std::vector<std::string>{"S1", "S2", "S3", "S4"}));
    EXPECT_TRUE(shortNames({}).empty());
    EXPECT_TRUE(shortNames(test::Bytes(31, 'x')).empty());
    // Text that is no library: records up to the first empty name, bounded by the file.
    const test::Bytes text(32 + 36 * 300, 'x');
    EXPECT_EQ(shortNames(text).size(), 300u);
}

TEST(BibCliche, RealLibraries) {
    DSC_REQUIRE_SAMPLES();
    platform::FileSource src;
    ASSERT_TRUE(src.open(test::samplesDir() / "sld/mnas_LINES.slb"));
    std::vector<std::string> names;
    for (const auto& n : scanLibraryNames(src)) {
        names.push_back(n.shortName);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"D_REZ", "D_CHAMF", "D_OTV", "D_OFF", "R_OFF"}));
}
