// Listing rules: the pattern, hidden entries, sorting, the folder chain, volumes.
#include "browse/navigation.h"
#include "support/fakefilesystem.h"
#include "support/samples.h"

#include <gtest/gtest.h>

using namespace dsc;

TEST(Pattern, MatchesTheThreeKindsInAnyCase) {
    for (const char* yes : {"plan.dwg", "PLAN.DWG", "Plan.Dwg", "a.sld", "b.SLB", ".dwg", "x.y.dwg", "plan (1).dwg"}) {
        EXPECT_TRUE(matchesPattern(yes, kCadPattern)) << yes;
    }
    for (const char* no : {"plan.dwg.bak", "plan.dxf", "plandwg", "plan.dw", "notes.txt", "sld", "a.slbx", ""}) {
        EXPECT_FALSE(matchesPattern(no, kCadPattern)) << no;
    }
}

TEST(Pattern, WildcardsAndSeparators) {
    EXPECT_TRUE(matchesPattern("abc", "*"));
    EXPECT_TRUE(matchesPattern("a1c", "a?c"));
    EXPECT_FALSE(matchesPattern("ac", "a?c"));
    EXPECT_TRUE(matchesPattern("x.b", "*.a;;*.b"));
    EXPECT_TRUE(matchesPattern("aaab", "*a*b"));
    EXPECT_FALSE(matchesPattern("x.b", ""));
}

class Listing : public ::testing::Test {
protected:
    void SetUp() override {
        fs.addFolder("/d");
        for (const char* f : {"/d/zeta.dwg", "/d/Alpha.SLD", "/d/beta.slb", "/d/notes.txt", "/d/.hidden.dwg",
                              "/d/PLAN.DWG", "/d/plan.dwg"}) {
            fs.addFile(f);
        }
        fs.addFolder("/d/dossier.dwg"); // a folder with a matching name is not a file
        fs.addFolder("/d/Sub");
        fs.addFolder("/d/autre");
        fs.addFolder("/d/.cache");
        fs.addFolder("/vide");
        fs.addFile("/vide/readme.txt");
    }
    test::FakeFileSystem fs;
};

TEST_F(Listing, FilesMatchingSortedWithoutHiddenOrFolders) {
    const auto files = matchingFiles(fs, "/d");
    std::vector<std::string> names;
    for (const auto& f : files) {
        names.push_back(f.string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha.SLD", "beta.slb", "PLAN.DWG", "plan.dwg", "zeta.dwg"}));
}

TEST_F(Listing, FolderWithoutCadFilesGivesEmptyList) {
    EXPECT_TRUE(matchingFiles(fs, "/vide").empty());
    fs.unreadable.push_back("/d");
    EXPECT_TRUE(matchingFiles(fs, "/d").empty());
    EXPECT_TRUE(matchingFiles(fs, "/nowhere").empty());
}

TEST_F(Listing, SubfoldersSortedWithoutHidden) {
    const auto subs = subfolders(fs, "/d");
    ASSERT_EQ(subs.size(), 3u);
    EXPECT_EQ(subs[0], "autre");
    EXPECT_EQ(subs[1], "dossier.dwg");
    EXPECT_EQ(subs[2], "Sub");
}

TEST(Ancestry, FromRootDown) {
    EXPECT_EQ(ancestry("/"), (std::vector<std::filesystem::path>{"/"}));
    EXPECT_EQ(ancestry("/home/ann/"), (std::vector<std::filesystem::path>{"/", "/home", "/home/ann"}));
    EXPECT_EQ(ancestry("/a/./b/../c"), (std::vector<std::filesystem::path>{"/", "/a", "/a/c"}));
}

TEST(Volumes, LongestRootHoldsTheFolder) {
    const std::vector<platform::Volume> v{{"/", {}}, {"/home", {}}, {"/media/ann/CLE", "CLE"}};
    EXPECT_EQ(volumeIndexFor(v, "/etc"), 0);
    EXPECT_EQ(volumeIndexFor(v, "/home"), 1);
    EXPECT_EQ(volumeIndexFor(v, "/home/ann/plans"), 1);
    EXPECT_EQ(volumeIndexFor(v, "/homework"), 0);
    EXPECT_EQ(volumeIndexFor(v, "/media/ann/CLE/x"), 2);
    EXPECT_EQ(volumeText(v[2]), "/media/ann/CLE [CLE]");
    EXPECT_EQ(volumeText(v[0]), "/");
}

TEST(Separator, OneAndOnlyOne) {
    EXPECT_EQ(withTrailingSeparator("/"), "/");
    EXPECT_EQ(withTrailingSeparator("/home/ann"), "/home/ann/");
    EXPECT_EQ(withTrailingSeparator("/home/ann/"), "/home/ann/");
}
