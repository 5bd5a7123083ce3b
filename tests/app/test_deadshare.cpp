// A window on a share that stopped answering: reads stuck there never keep the rest of the machine
// waiting, and what they find once the share answers again, too late, never shows.
#include "app/form1.h"
#include "browse/fileinfo.h"
#include "browse/filelist.h"
#include "browse/folderlist.h"
#include "components/slideviewer.h"
#include "support/hungfilesystem.h"
#include "support/samples.h"
#include "support/slidewriter.h"
#include "support/testwindow.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

using namespace dsc;
using Step = test::HungFileSystem::Step;

namespace {

const QString kSlide = QStringLiteral("Cliché AutoCAD indépendant");
constexpr int kPatienceMs = 10000; // only ever waited in full when the fault is back

// A folder "share" whose file reads hang, with `files` slides, and a folder "local" with one slide.
struct TwoVolumes {
    explicit TwoVolumes(int files) {
        std::filesystem::create_directory(dir / "share");
        std::filesystem::create_directory(dir / "local");
        for (int i = 0; i < files; ++i) {
            test::writeFile(dir / "share" / ("plan" + std::to_string(i) + ".sld"), test::simpleSlide());
        }
        test::writeFile(dir / "local" / "porte.sld", test::simpleSlide(1));
    }
    std::filesystem::path share(int i) const { return dir / "share" / ("plan" + std::to_string(i) + ".sld"); }
    std::filesystem::path local() const { return dir / "local" / "porte.sld"; }
    QString localSize() const { return QString::fromStdString(sizeText(std::filesystem::file_size(local()))); }

    test::TempDir dir;
};

// Goes to the local folder and clicks its slide; true once its facts and picture show.
bool showLocal(const test::TestWindow& form, const TwoVolumes& disk) {
    form->dirDisc1->setPath(disk.local().parent_path());
    const bool listed = QTest::qWaitFor(
        [&] {
            return form->dirDisc1->path() == disk.local().parent_path().lexically_normal() &&
                   form->filFich1->count() == 1;
        },
        kPatienceMs);
    if (!listed || !form->filFich1->clickName("porte.sld")) {
        return false;
    }
    return QTest::qWaitFor(
        [&] {
            return form->lblMessage->text() == kSlide && form->lblTaille->text() == disk.localSize() &&
                   form->Cliche1->hasSlide();
        },
        kPatienceMs);
}

TEST(DeadShare, ReadsStuckThereLeaveRoomForAFileOfAnotherVolume) {
    // More clicks into the dead share than the window has threads for its reads.
    constexpr int kClicks = 9;
    TwoVolumes disk(kClicks);
    test::HungFileSystem fs(platform::systemFileSystem(), disk.dir / "share");
    test::TestWindow form(disk.dir / "share", &fs);
    const test::LetGo letGo(fs);
    form.open();
    ASSERT_EQ(form->filFich1->count(), kClicks);
    for (int i = 0; i < kClicks; ++i) {
        ASSERT_TRUE(form->filFich1->clickName(disk.share(i).filename()));
        // The user clicks the next one once this one's read is stuck at the share.
        ASSERT_TRUE(QTest::qWaitFor([&] { return fs.waiting() == i + 1; }, kPatienceMs))
            << "click " << i << ": its read waited behind the stuck ones";
    }
    // Another volume still answers at once.
    EXPECT_TRUE(showLocal(form, disk)) << "the local file never showed";
    EXPECT_EQ(form->FichVi, disk.local());
}

TEST(DeadShare, AFileReadUnderWayWhenTheFolderChangesNeverShows) {
    TwoVolumes disk(1);
    test::HungFileSystem fs(platform::systemFileSystem(), disk.dir / "share");
    test::TestWindow form(disk.dir / "share", &fs);
    const test::LetGo letGo(fs);
    form.open();
    ASSERT_TRUE(form->filFich1->clickName(disk.share(0).filename()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs.waiting() == 1; }, kPatienceMs));
    form->dirDisc1->setPath(disk.local().parent_path());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return form->filFich1->count() == 1 && form->filFich1->item(0)->text() == "porte.sld"; }, kPatienceMs));
    // The share answers again: the read of its file goes on, and what it finds is dropped.
    fs.release();
    const auto staleShown = [&] {
        return form->lblMessage->text() == kSlide || !form->lblTaille->text().isEmpty() || form->Cliche1->isVisible() ||
               form->FichVi == disk.share(0);
    };
    EXPECT_FALSE(QTest::qWaitFor(staleShown, 500)) << "the share's file showed in the local folder";
    // The new folder's file shows when clicked.
    ASSERT_TRUE(form->filFich1->clickName("porte.sld"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return form->lblTaille->text() == disk.localSize() && form->lblMessage->text() == kSlide; },
        kPatienceMs));
    EXPECT_EQ(form->FichVi, disk.local());
}

TEST(DeadShare, ASupersededReadMakesNoCallAfterTheOneItWasStuckIn) {
    const Step steps[] = {Step::Times, Step::Size, Step::Open, Step::Read};
    for (const Step hung : steps) {
        SCOPED_TRACE(testing::Message() << "stuck at step " << static_cast<int>(hung));
        TwoVolumes disk(2);
        test::HungFileSystem fs(platform::systemFileSystem(), disk.dir / "share", hung);
        test::TestWindow form(disk.dir / "share", &fs);
        {
            const test::LetGo letGo(fs);
            form.open();
            // The first file's read is stuck when the second is clicked.
            ASSERT_TRUE(form->filFich1->clickName(disk.share(0).filename()));
            ASSERT_TRUE(QTest::qWaitFor([&] { return fs.waiting() == 1; }, kPatienceMs));
            ASSERT_TRUE(form->filFich1->clickName(disk.share(1).filename()));
            ASSERT_TRUE(QTest::qWaitFor([&] { return fs.waiting() == 2; }, kPatienceMs));
        }
        // Both go on; the second shows, the first stops where it was.
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->Cliche1->hasSlide() && !form->busy(); }, kPatienceMs));
        EXPECT_EQ(form->FichVi, disk.share(1));
        form.close(); // waits for every read, the stale one included
        for (const Step step : steps) {
            const int expected = step <= hung ? 1 : 0;
            EXPECT_EQ(fs.calls(disk.share(0), step), expected) << "calls at step " << static_cast<int>(step);
        }
    }
}

} // namespace
