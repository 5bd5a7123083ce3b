// A window on slow storage: folders, facts and previews are read off the window's thread, the last
// click wins, and a long listing shows as it arrives.
#include "app/form1.h"
#include "browse/fileinfo.h"
#include "browse/filelist.h"
#include "browse/folderlist.h"
#include "components/slideviewer.h"
#include "support/dwgwriter.h"
#include "support/samples.h"
#include "support/slidewriter.h"
#include "support/slowfilesystem.h"
#include "support/testwindow.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <set>

using namespace dsc;
using namespace std::chrono_literals;

namespace {

const QString kSlide = QStringLiteral("Cliché AutoCAD indépendant");

// Watches the window from its own event loop: the longest time it went without answering, and
// every text its message and size labels showed.
class Watcher {
public:
    explicit Watcher(const test::TestWindow& form) : m_form(form) {
        m_clock.start();
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start();
    }
    qint64 longestStallMs() const { return m_longest; }
    std::set<QString> messages, sizes;

private:
    void tick() {
        const qint64 now = m_clock.elapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
        messages.insert(m_form->lblMessage->text());
        sizes.insert(m_form->lblTaille->text());
    }

    const test::TestWindow& m_form;
    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

TEST(SlowStorage, WindowAnswersThroughoutAndOnlyTheLastClickShows) {
    test::TempDir dir;
    test::writeFile(
        dir / "plan.dwg",
        test::drawingWith(2, test::writeDib(8, 4, 24, [](int, int) -> std::uint32_t { return 0xFF; })).build());
    test::writeFile(dir / "SYMBOLES.SLB", test::writeLibrary({{"PORTE", test::simpleSlide(1)}}));
    test::writeFile(dir / "porte.sld", test::simpleSlide());
    std::filesystem::create_directory(dir / "sous-dossier");

    test::SlowFileSystem slow(platform::systemFileSystem(), 2000ms);
    test::TestWindow form(dir.path(), &slow);
    form.create().Form_Load();
    form->AfficheFenetre();
    Watcher watch(form);

    // The window is up before its folder is read, and fills in when it is.
    ASSERT_TRUE(test::waitAwake([&] { return form->filFich1->count() == 3; }, 30000));
    ASSERT_TRUE(test::waitAwake([&] { return form->dirDisc1->count() > 1; }, 30000));
    // Three files clicked one after the other, each slow to read: only the last one shows.
    for (const char* name : {"plan.dwg", "SYMBOLES.SLB", "porte.sld"}) {
        ASSERT_TRUE(form->filFich1->clickName(name));
        QElapsedTimer pause;
        pause.start();
        test::waitAwake([&] { return pause.elapsed() > 150; }, 1000); // a user between two clicks
    }
    ASSERT_TRUE(test::waitAwake([&] { return form->lblMessage->text() == kSlide && !form->busy(); }, 30000));
    QElapsedTimer after;
    after.start();
    test::waitAwake([&] { return after.elapsed() > 50; }, 1000); // the watcher sees the end too

    EXPECT_EQ(form->FichVi, dir / "porte.sld");
    EXPECT_TRUE(form->Cliche1->hasSlide());
    const QString porteSize = QString::fromStdString(sizeText(std::filesystem::file_size(dir / "porte.sld")));
    EXPECT_EQ(form->lblTaille->text(), porteSize);
    EXPECT_FALSE(form->lblModif->text().isEmpty());
    // Neither the drawing's nor the library's facts or texts ever showed.
    EXPECT_EQ(watch.messages, (std::set<QString>{QStringLiteral(" "), kSlide}));
    EXPECT_EQ(watch.sizes, (std::set<QString>{QString(), porteSize}));
    // Not one call on the window's thread, and it never waited on the storage: one slow call there
    // would stall it for the storage's whole 2 s. The bound leaves room for a loaded machine's
    // scheduling (sanitizers, Wine, a build beside the tests), not for a read.
    EXPECT_EQ(slow.ownerThreadCalls(), 0);
    EXPECT_LT(watch.longestStallMs(), 1000);
}

TEST(SlowStorage, LongListingShowsAsItArrivesInOrderAndTheLastFolderWins) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "long");
    std::filesystem::create_directory(dir / "other");
    for (int i = 0; i < 500; ++i) {
        test::writeFile(dir / "long" / ("Plan " + std::to_string(1000 - i) + ".dwg"), {});
    }
    test::writeFile(dir / "other" / "seul.sld", {});
    test::SlowFileSystem slow(platform::systemFileSystem(), 150ms);
    test::TestWindow form(dir.path(), &slow);
    form.open();

    // Another folder asked for while the first is read: the first one's files never show.
    form->dirDisc1->setPath(dir / "other");
    form->dirDisc1->setPath(dir / "long");
    bool sawPart = false;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const int n = form->filFich1->count();
            sawPart = sawPart || (n > 0 && n < 500 && form->filFich1->loading());
            return n == 500;
        },
        30000));
    EXPECT_TRUE(sawPart) << "the files showed only once all were read";
    ASSERT_TRUE(form.settle());
    EXPECT_EQ(form->dirDisc1->path(), dir / "long");
    QStringList shown;
    for (int i = 0; i < form->filFich1->count(); ++i) {
        shown << form->filFich1->item(i)->text();
    }
    QStringList sorted = shown;
    std::sort(sorted.begin(), sorted.end()); // same width numbers: text order is the list's
    EXPECT_EQ(shown, sorted);
    EXPECT_FALSE(shown.contains(QStringLiteral("seul.sld")));

    // A file picked while the rest still comes stays selected as the list grows.
    form->dirDisc1->setPath(dir / "other");
    ASSERT_TRUE(form.settle());
    form->dirDisc1->setPath(dir / "long");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return form->dirDisc1->path() == dir / "long" && form->filFich1->count() > 0; }, 30000));
    ASSERT_TRUE(form->filFich1->loading());
    const std::filesystem::path first = form->filFich1->item(0)->text().toStdString();
    form->filFich1->setCurrentRow(0);
    ASSERT_TRUE(form.settle(30000));
    EXPECT_EQ(form->filFich1->selectedName(), first);
    EXPECT_EQ(slow.ownerThreadCalls(), 0);
}

TEST(SlowStorage, ClosingTheWindowDuringALongListingStopsIt) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "long");
    for (int i = 0; i < 4000; ++i) {
        test::writeFile(dir / "long" / ("Plan " + std::to_string(10000 + i) + ".dwg"), {});
    }
    test::SlowFileSystem slow(platform::systemFileSystem(), 100ms);
    test::TestWindow form(dir / "long", &slow);
    form.create().Form_Load();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->filFich1->count() > 0; }, 30000));
    ASSERT_TRUE(form->filFich1->loading());
    form.close();
    // Both listings stop at their next batch instead of running to the end before the window goes.
    EXPECT_LT(slow.batchesHanded(), 20);
}

TEST(SlowStorage, ALongListingKeepsTheScrollPositionAndSelectionAsItGrows) {
    test::TempDir dir;
    for (int i = 0; i < 3000; ++i) {
        test::writeFile(dir / ("Plan " + std::to_string(10000 + i) + ".dwg"), {});
    }
    test::SlowFileSystem slow(platform::systemFileSystem(), 60ms);
    test::TestWindow form(dir.path(), &slow);
    form.create().Form_Load();
    form->AfficheFenetre();
    auto* list = form->filFich1;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return list->count() >= 300 && list->verticalScrollBar()->maximum() > 0; }, 30000));
    ASSERT_TRUE(list->loading());
    // The user picks a file, then scrolls half way down while the rest still comes.
    list->setCurrentRow(list->count() / 3);
    const std::filesystem::path picked = list->selectedName();
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum() / 2);
    const int scrolled = list->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);
    int lowest = scrolled;
    int highest = scrolled;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            lowest = std::min(lowest, list->verticalScrollBar()->value());
            highest = std::max(highest, list->verticalScrollBar()->value());
            return list->count() == 3000 && !list->loading();
        },
        30000));
    EXPECT_EQ(lowest, scrolled) << "the list jumped while it grew";
    EXPECT_EQ(highest, scrolled) << "the list jumped while it grew";
    EXPECT_EQ(list->selectedName(), picked);
}

} // namespace
