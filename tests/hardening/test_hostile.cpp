// Hostile and broken files: each must end cleanly, with a clear outcome, and the window must go on.
#include "app/form1.h"
#include "browse/drivelist.h"
#include "browse/fileinfo.h"
#include "browse/filelist.h"
#include "browse/folderlist.h"
#include "browse/navigation.h"
#include "components/dwgvignette.h"
#include "components/previewimages.h"
#include "components/slideviewer.h"
#include "formats/raster/slideraster.h"
#include "formats/slides/slidelibrary.h"
#include "formats/slides/slidereference.h"
#include "support/allocationcounter.h"
#include "support/dwgwriter.h"
#include "support/fakefilesystem.h"
#include "support/faketray.h"
#include "support/samples.h"
#include "support/slidefiles.h"
#include "support/slidewriter.h"
#include "support/testwindow.h"

#include <QLabel>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace dsc;

namespace {

const QString kRefused = QStringLiteral("Ce fichier n'est pas au format R13 ou R14");

class Hostile : public ::testing::Test {
protected:
    void SetUp() override { form.open(); }
    // Lists the folder again and clicks the file: what a user does.
    // `ms`: how long the file's reading and drawing may take (a budget-sized drawing is slow under
    // the sanitizers).
    void click(const std::filesystem::path& name, int ms = 10000) {
        ASSERT_TRUE(form.go(dir.path()));
        ASSERT_TRUE(form.clickFile(name, ms)) << name;
    }
    // The window still answers: another click on a good file works.
    void expectStillWorking() {
        test::writeFile(dir / "zz_good.sld", test::simpleSlide());
        click("zz_good.sld");
        EXPECT_TRUE(form->Cliche1->hasSlide());
        std::filesystem::remove(dir / "zz_good.sld");
    }

    test::TempDir dir;
    test::TestWindow form{dir.path()};
};

std::vector<std::pair<std::string, test::Bytes>> filesOfEveryKind() {
    std::vector<std::pair<std::string, test::Bytes>> files;
    test::SlideWriter w;
    w.colour(1).vector(0, 0, 100, 100).offsetVector(1, 1, 2, 2).commonEndpoint(3, 3).fill({{1, 1}, {5, 1}, {3, 3}});
    files.push_back({"written.sld", w.end().bytes()});
    files.push_back({"written.slb", test::writeLibrary({{"A", w.bytes()}, {"B", test::simpleSlide()}})});
    files.push_back({"written.dwg", test::drawingWith(2, test::writeDib(
                                                             20, 10, 8, [](int x, int) -> std::uint32_t { return x; },
                                                             false, std::vector<std::uint32_t>(256, 0x123456)))
                                        .build()});
    if (test::haveSamples()) {
        for (const char* s : {"sld/mnas_LOPATKA.sld", "sld/mnas_LINES.slb", "dwg/r2013_example.dwg",
                              "dwg/r2004_example.dwg", "dwg/r14_v_preview_at_eof.dwg"}) {
            const std::filesystem::path p = test::samplesDir() / s;
            files.push_back({"real_" + p.filename().string(), test::readFile(p)});
        }
    }
    return files;
}

} // namespace

TEST_F(Hostile, TruncatedAtEveryEighth) {
    for (const auto& [name, bytes] : filesOfEveryKind()) {
        // What the whole file holds, to know what each cut must still show.
        MemorySource whole(bytes);
        const DwgPreview drawing = readDwgPreview(whole);
        const std::uint64_t previewEnd = std::uint64_t{drawing.seeker} + 20 + drawing.overallSize;
        const Slide slide = readSlide(bytes);
        for (int eighth = 0; eighth < 8; ++eighth) {
            SCOPED_TRACE(name + " cut at " + std::to_string(eighth) + "/8");
            const test::Bytes cut(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() * eighth / 8));
            const std::string file = "cut" + std::to_string(eighth) + "_" + name;
            test::writeFile(dir / file, cut);
            click(file);
            const DrawingPreviewImage d = loadDrawingPreview(dir / file);
            if (name.ends_with(".dwg")) {
                // The preview shows when the cut left its whole block; otherwise what the geometry
                // left gives a picture, or the refusal; the message says which.
                const bool kept = drawing.ok() && cut.size() >= previewEnd;
                if (kept) {
                    EXPECT_TRUE(d.ok()) << d.preview.detail;
                }
                const bool shown = !form->DwgVignette1->image().isNull();
                EXPECT_TRUE(shown || !kept);
                EXPECT_EQ(
                    form->lblMessage->text().toStdString(),
                    (shown ? QStringLiteral("Cliquez sur l'image pour lancer le dessin") : kRefused).toStdString());
            } else {
                EXPECT_FALSE(d.ok()); // no slide passes for a drawing
            }
            // The readers on their own: a cut slide is a truncated one, never more than was there.
            const LoadedSlide s = test::loadSlideText((dir / file).string(), true);
            if (name.ends_with(".sld") && s.ok()) {
                EXPECT_TRUE(s.slide.truncated);
                EXPECT_LE(s.slide.elements.size(), slide.elements.size());
                EXPECT_EQ(s.slide.bytesUsed, cut.size());
            }
            std::filesystem::remove(dir / file);
        }
    }
    expectStillWorking();
}

TEST_F(Hostile, PreviewClaimingHugeDimensions) {
    // A BMP and a PNG that each claim 60000 x 60000 pixels.
    auto bmp = test::writeDib(4, 4, 24, [](int, int) -> std::uint32_t { return 0; });
    test::put32(bmp, 4, 60000);
    test::put32(bmp, 8, 60000);
    test::writeFile(dir / "huge_bmp.dwg", test::drawingWith(2, bmp).build());
    // A well-formed header chunk (right CRC), so only the size can make the decoder refuse.
    test::Bytes png = {0x89, 'P', 'N', 'G',  0x0D, 0x0A, 0x1A, 0x0A, 0,    0, 0, 13, 'I', 'H', 'D',
                       'R',  0,   0,   0xEA, 0x60, 0,    0,    0xEA, 0x60, 8, 2, 0,  0,   0};
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 12; i < png.size(); ++i) {
        crc ^= png[i];
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    crc ^= 0xFFFFFFFF;
    for (int i = 3; i >= 0; --i) {
        png.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
    }
    png.resize(200, 0);
    test::writeFile(dir / "huge_png.dwg", test::drawingWith(6, png).build());
    for (const char* name : {"huge_bmp.dwg", "huge_png.dwg"}) {
        click(name);
        EXPECT_EQ(form->lblMessage->text().toStdString(), kRefused.toStdString()) << name;
        EXPECT_TRUE(form->DwgVignette1->image().isNull());
    }
    expectStillWorking();
}

TEST_F(Hostile, FiftyMegabytesOfVectors) {
    test::SlideWriter w;
    w.colour(3);
    const std::size_t count = (50u << 20) / 8;
    test::Bytes bytes = w.bytes();
    bytes.reserve(bytes.size() + count * 8 + 2);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t v[8] = {static_cast<std::uint8_t>(i % 500), 0, 10, 0, 20, 0,
                                   static_cast<std::uint8_t>(i % 250), 0};
        bytes.insert(bytes.end(), v, v + 8);
    }
    bytes.push_back(0x00);
    bytes.push_back(0xFC);
    test::writeFile(dir / "vectors.sld", bytes);
    bytes.clear();
    bytes.shrink_to_fit();
    const LoadedSlide s = test::loadSlideText((dir / "vectors.sld").string());
    ASSERT_TRUE(s.ok());
    EXPECT_EQ(s.slide.error, SlideError::TooManyRecords); // stopped at the display list's limit
    EXPECT_EQ(s.slide.elements.size(), SlideLimits{}.maxElements);
    click("vectors.sld");
    EXPECT_TRUE(form->Cliche1->hasSlide());
    expectStillWorking();
}

// Polygons of thousands of edges cost their rows times their edges to fill: drawing stops at the
// work budget with what is drawn, wherever the slide is shown.
TEST_F(Hostile, ZigZagPolygonsStopAtTheDrawingBudget) {
    test::SlideWriter w;
    w.colour(2);
    std::vector<std::pair<int, int>> zigzag;
    for (int i = 0; i < 4000; ++i) {
        zigzag.emplace_back(i * 571 / 3999, i % 2 ? 291 : 0); // every edge spans every row
    }
    for (int polygon = 0; polygon < 200; ++polygon) {
        w.fill(zigzag);
    }
    test::writeFile(dir / "zigzag.sld", w.end().bytes());
    const LoadedSlide s = test::loadSlideText((dir / "zigzag.sld").string());
    ASSERT_TRUE(s.ok());
    ASSERT_EQ(s.slide.elements.size(), 200u);
    const SlideDrawLimits limits;
    for (int size : {256, 2560}) {
        SlideDrawResult drawn;
        const Raster r = renderSlide(s.slide, size, size, &drawn);
        ASSERT_FALSE(r.empty()) << size;
        EXPECT_TRUE(drawn.truncated) << size;
        EXPECT_LE(drawn.work, limits.maxWork) << size;
        EXPECT_GT(drawn.work, limits.maxWork / 2) << size;                               // it drew what it could
        EXPECT_NE(std::count(r.pixels.begin(), r.pixels.end(), 0xFFFFFF00u), 0) << size; // yellow shows
    }
    click("zigzag.sld", 120000);
    EXPECT_TRUE(form->Cliche1->hasSlide());
    EXPECT_FALSE(form->Cliche1->picture().isNull());
    expectStillWorking();
}

TEST_F(Hostile, LibraryClaimingAMillionEntries) {
    test::Bytes lib = test::writeLibrary({});
    lib.resize(32);
    lib.reserve(32 + 36 * 1'000'001);
    std::uint8_t entry[36] = {'N', 'O', 'M'};
    for (int i = 0; i < 1'000'000; ++i) {
        lib.insert(lib.end(), entry, entry + 36);
    }
    test::writeFile(dir / "million.slb", lib);
    lib = {};
    click("million.slb");
    EXPECT_TRUE(form->lstSld1->isVisible());
    EXPECT_EQ(form->lstSld1->count(), 100'000); // bounded
    EXPECT_FALSE(form->Cliche1->hasSlide());
    expectStillWorking();
}

TEST_F(Hostile, KindsInDisguiseAndEmptyFiles) {
    test::writeFile(dir / "slide_named.dwg", test::simpleSlide());
    test::writeFile(dir / "drawing_named.sld", test::drawingWith(2, test::Bytes(100, 0)).build());
    test::writeFile(dir / "drawing_named.slb", test::drawingWith(2, test::Bytes(100, 0)).build());
    for (const char* empty : {"empty.dwg", "empty.sld", "empty.slb"}) {
        test::writeFile(dir / empty, {});
    }
    click("slide_named.dwg");
    EXPECT_EQ(form->lblMessage->text().toStdString(), kRefused.toStdString());
    click("drawing_named.sld");
    EXPECT_FALSE(form->Cliche1->hasSlide());
    click("drawing_named.slb");
    EXPECT_TRUE(form->lstSld1->isVisible());
    EXPECT_FALSE(form->Cliche1->hasSlide());
    click("empty.dwg");
    EXPECT_EQ(form->lblMessage->text().toStdString(), kRefused.toStdString());
    EXPECT_EQ(form->lblTaille->text(), QStringLiteral("    octets"));
    click("empty.sld");
    EXPECT_FALSE(form->Cliche1->hasSlide());
    click("empty.slb");
    EXPECT_EQ(form->lstSld1->count(), 0);
    expectStillWorking();
}

TEST_F(Hostile, FifoFoldersAndLinkLoops) {
    ASSERT_EQ(::mkfifo((dir / "pipe.dwg").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir / "pipe.slb").c_str(), 0600), 0);
    std::filesystem::create_directory(dir / "folder.dwg");
    std::filesystem::create_symlink("loop_b.sld", dir / "loop_a.sld");
    std::filesystem::create_symlink("loop_a.sld", dir / "loop_b.sld");
    ASSERT_TRUE(form.go(dir.path()));
    EXPECT_FALSE(form.clickFile("folder.dwg")); // folders are not files
    click("pipe.dwg");                          // never blocks on the pipe
    EXPECT_EQ(form->lblMessage->text().toStdString(), kRefused.toStdString());
    click("pipe.slb");
    EXPECT_EQ(form->lstSld1->count(), 0);
    click("loop_a.sld");
    EXPECT_FALSE(form->Cliche1->hasSlide());
    EXPECT_TRUE(form->lblTaille->text().isEmpty());
    expectStillWorking();
}

TEST_F(Hostile, AwkwardNames) {
    const std::string names[] = {
        "caf\xe9 \xff.dwg",                            // not UTF-8
        "plan \"final\" d'\xc3\xa9t\xc3\xa9 (v2).sld", // quotes, apostrophe, parentheses
        std::string(246, 'x') + ".slb",                // 250 bytes
    };
    const auto folder = dir / "dossier (\xe9t\xe9) 'a'";
    std::filesystem::create_directory(folder);
    test::writeFile(
        folder / names[0],
        test::drawingWith(2, test::writeDib(4, 4, 24, [](int, int) -> std::uint32_t { return 0; })).build());
    test::writeFile(folder / names[1], test::simpleSlide());
    test::writeFile(folder / names[2], test::writeLibrary({{"N(1)", test::simpleSlide()}}));
    ASSERT_TRUE(form.go(folder));
    ASSERT_EQ(form->filFich1->count(), 3);
    ASSERT_TRUE(form.clickFile(names[0]));
    EXPECT_FALSE(form->DwgVignette1->image().isNull());
    EXPECT_EQ(form->FichVi, folder.string() + "/" + names[0]);
    ASSERT_TRUE(form.clickFile(names[1]));
    EXPECT_TRUE(form->Cliche1->hasSlide());
    ASSERT_TRUE(form.clickFile(names[2]));
    ASSERT_EQ(form->lstSld1->count(), 1);
    form->lstSld1->setCurrentRow(0);
    form.pickSlide();
    EXPECT_TRUE(form->Cliche1->hasSlide());
}

TEST_F(Hostile, FolderWithoutReadPermission) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads every folder; this runs again as an unprivileged user";
    }
    const auto closed = dir / "ferme";
    std::filesystem::create_directory(closed);
    test::writeFile(closed / "plan.dwg", {});
    ::chmod(closed.c_str(), 0311); // enterable, not listable
    EXPECT_TRUE(form.go(closed));
    EXPECT_EQ(form->filFich1->count(), 0);
    ::chmod(closed.c_str(), 0000); // not even enterable
    ASSERT_TRUE(form.go(dir.path()));
    EXPECT_FALSE(form.go(closed));
    EXPECT_EQ(form->dirDisc1->path(), dir.path());
    ::chmod(closed.c_str(), 0755);
    expectStillWorking();
}

TEST_F(Hostile, ClickingThroughAThousandFilesKeepsMemoryFlat) {
    for (int i = 0; i < 50; ++i) {
        test::writeFile(dir / ("s" + std::to_string(i) + ".sld"), test::simpleSlide(i));
        test::writeFile(
            dir / ("d" + std::to_string(i) + ".dwg"),
            test::drawingWith(2, test::writeDib(200, 100, 24, [](int, int) -> std::uint32_t { return 0; })).build());
        test::writeFile(dir / ("l" + std::to_string(i) + ".slb"), test::writeLibrary({{"A", test::simpleSlide()}}));
    }
    ASSERT_TRUE(form.go(dir.path()));
    const int n = form->filFich1->count();
    auto clickThrough = [&](int clicks) {
        for (int i = 0; i < clicks; ++i) {
            form->filFich1->setCurrentRow(i % n);
            form->filFich1_Click();
        }
        ASSERT_TRUE(form.settle());
    };
    clickThrough(300); // warm up: caches and pools settle
    const long long before = test::liveAllocatedBytes();
    const int objects = static_cast<int>(form->findChildren<QObject*>().size());
    clickThrough(1000);
    // Each drawing's picture alone is 80 kB: keeping one in ten would show here.
    EXPECT_LT(test::liveAllocatedBytes() - before, 256 * 1024) << "bytes kept over 1000 clicks";
    EXPECT_EQ(static_cast<int>(form->findChildren<QObject*>().size()), objects);
}

// Runs inside a read-only bind mount of DSC_READONLY_DIR (see readonly_test.sh): browsing and
// clicking every kind of file works there, and no file's status changes.
TEST(ReadOnlyMount, BrowsingAndClickingEveryKind) {
    const char* where = std::getenv("DSC_READONLY_DIR");
    if (!where) {
        GTEST_SKIP() << "runs from readonly_test.sh";
    }
    const std::filesystem::path dir = where;
    EXPECT_EQ(::access((dir / "plan.dwg").c_str(), W_OK), -1); // really read-only here
    test::TestWindow form(dir);
    form.open();
    ASSERT_EQ(form->filFich1->count(), 3);
    for (int i = 0; i < form->filFich1->count(); ++i) {
        form->filFich1->setCurrentRow(i);
        form->filFich1_Click();
        ASSERT_TRUE(form.settle());
        // The real dates, not a failure to open for writing shown as no date.
        struct stat st {};
        ASSERT_EQ(::stat(form->FichVi.c_str(), &st), 0);
        const std::int64_t written =
            116444736000000000LL + std::int64_t{st.st_mtim.tv_sec} * 10000000LL + st.st_mtim.tv_nsec / 100;
        EXPECT_EQ(form->lblModif->text().toStdString(), DateEnTexte(written, form.locale));
        EXPECT_EQ(form->lblTaille->text().toStdString(), sizeText(static_cast<std::uint64_t>(st.st_size)));
    }
    ASSERT_TRUE(form.clickFile("plan.dwg"));
    EXPECT_FALSE(form->DwgVignette1->image().isNull());
    ASSERT_TRUE(form.clickFile("sym.slb"));
    form->lstSld1->setCurrentRow(0);
    form.pickSlide();
    EXPECT_TRUE(form->Cliche1->hasSlide());
}

// Runs inside a private mount namespace (see mount_test.sh): a volume mounted while the window is
// open appears in the drive list; unmounted, it goes, and a folder shown on it gives way to the
// nearest one still there, with nothing left shown of its files.
TEST(VolumesComeAndGo, MountedThenUnmountedWhileTheWindowIsOpen) {
    const char* where = std::getenv("DSC_MOUNT_POINT");
    if (!where) {
        GTEST_SKIP() << "runs from mount_test.sh";
    }
    const std::filesystem::path point = where;
    test::TempDir home;
    test::writeFile(
        home / "plan.dwg",
        test::drawingWith(2, test::writeDib(4, 4, 24, [](int, int) -> std::uint32_t { return 0; })).build());
    test::TestWindow form(home.path());
    form.services.fileSystem = &platform::systemFileSystem();
    form.open();
    auto listed = [&] {
        for (const auto& v : form->drvLecteurs->volumes()) {
            if (v.root == point) {
                return true;
            }
        }
        return false;
    };
    ASSERT_FALSE(listed());
    // A folder bound there stands for a key plugged in (memory file systems are not listed as drives).
    test::TempDir key;
    ASSERT_EQ(::mount(key.path().c_str(), point.c_str(), nullptr, MS_BIND, nullptr), 0) << std::strerror(errno);
    ASSERT_TRUE(QTest::qWaitFor([&] { return listed(); })); // no polling: the mount table's notice
    EXPECT_EQ(form->drvLecteurs->currentRoot(),
              form->drvLecteurs->volumes()[std::size_t(volumeIndexFor(form->drvLecteurs->volumes(), home.path()))]
                  .root); // the selected volume stays selected
    std::filesystem::create_directories(point / "Plans" / "Lot 3");
    test::writeFile(point / "Plans" / "Lot 3" / "coupe.sld", test::simpleSlide());
    ASSERT_TRUE(form.go(point / "Plans" / "Lot 3"));
    ASSERT_TRUE(form.clickFile("coupe.sld"));
    ASSERT_FALSE(form->lblTaille->text().isEmpty());
    ASSERT_EQ(::umount(point.c_str()), 0) << std::strerror(errno);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !listed(); }));
    ASSERT_TRUE(form.settle());
    EXPECT_EQ(form->dirDisc1->path(), point); // the nearest folder still there: the bare mount point
    EXPECT_EQ(form->filFich1->count(), 0);
    EXPECT_TRUE(form->FichVi.empty());
    EXPECT_TRUE(form->lblTaille->text().isEmpty());
    EXPECT_TRUE(form->lblModif->text().isEmpty());
    EXPECT_FALSE(form->Cliche1->isVisible());
}
