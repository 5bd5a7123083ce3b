// The tray life cycle: the record, the start, the decoder, showing, hiding and ending.
#include "app/form1.h"
#include "app/module1.h"
#include "app/picturebutton.h"
#include "components/slideviewer.h"
#include "support/fakefilesystem.h"
#include "support/faketray.h"
#include "support/testwindow.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>

using namespace dsc;
using platform::TrayMouse;

namespace {

class Tray : public ::testing::Test {
protected:
    void SetUp() override {
        fs.addFolder("/d");
        form.create();
    }
    void TearDown() override {
        form->Menu->hide();
        form.close();
    }
    // The state table: In the tray, Open, Ended.
    void expectInTray() {
        EXPECT_FALSE(form->isVisible());
        EXPECT_TRUE(tray.iconPresent);
    }
    void expectOpen() {
        EXPECT_TRUE(form->isVisible());
        EXPECT_FALSE(tray.iconPresent);
    }

    test::FakeFileSystem fs;
    test::TestWindow form{"/d", &fs};
    test::FakeTray& tray = form.tray;
};

TEST_F(Tray, LoadFillsTheRecordAndStartsInTheTray) {
    form->Form_Load();
    expectInTray();
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_TRUE(tray.calls[0].add);
    EXPECT_EQ(IconeNotif.uID, 1u);
    EXPECT_EQ(IconeNotif.uFlags, 7u);
    EXPECT_EQ(IconeNotif.uCallbackMessage, 512u);
    EXPECT_EQ(IconeNotif.szTip, std::string("Dessiscope") + '\0' + std::string(53, ' '));
    // What the tray was handed: the window's icon, the tip up to its NUL, notifications wanted.
    const platform::TrayIcon& icon = tray.calls[0].icon;
    EXPECT_EQ(icon.id, 1u);
    EXPECT_EQ(icon.tip, QStringLiteral("Dessiscope"));
    EXPECT_FALSE(icon.icon.isNull());
    EXPECT_EQ(icon.icon.cacheKey(), form->windowIcon().cacheKey());
    EXPECT_TRUE(icon.notify);
    EXPECT_TRUE(form->lstSld1->isHidden());
    EXPECT_TRUE(form->Cliche1->isHidden());
}

TEST_F(Tray, RemovalsRewriteTheIdAdditionsPassTheRecordAsItStands) {
    form->Form_Load();
    IconeNotif.uID = 3;           // spoilt in between: removals write it again
    IconeNotif.uFlags = kNifIcon; // the other members keep what they hold
    form->AfficheFenetre();
    EXPECT_FALSE(tray.calls.back().add);
    EXPECT_EQ(tray.calls.back().id, 1u);
    EXPECT_EQ(IconeNotif.uFlags, kNifIcon);
    form->cmdIcon_Click();
    ASSERT_TRUE(tray.calls.back().add);
    EXPECT_TRUE(tray.calls.back().icon.tip.isEmpty()); // no tip flag any more: no tip handed over
    EXPECT_FALSE(tray.calls.back().icon.notify);
}

TEST_F(Tray, DecoderActsOnDoubleClickAndRightButtonUpOnly) {
    form->Form_Load();
    for (int message : {512, 513, 514, 516, 518, 519, 520, 0, 515 + 1000}) { // moves, single clicks, others
        tray.notify(message);
        expectInTray();
        EXPECT_FALSE(form->Menu->isVisible()) << message;
    }
    tray.notify(517);
    EXPECT_TRUE(form->Menu->isVisible());
    EXPECT_EQ(form->Menu->defaultAction(), form->Agrandir);
    form->Menu->hide(); // dismissed without a choice: still in the tray
    expectInTray();
    tray.notify(515);
    expectOpen();
}

TEST_F(Tray, StateTable) {
    form->Form_Load();
    expectInTray();
    form->Agrandir->trigger(); // In the tray -> Open
    expectOpen();
    form->AfficheFenetre(); // already open: removing an absent icon changes nothing
    expectOpen();
    QTest::mouseClick(form->cmdIcon, Qt::LeftButton); // Open -> In the tray
    expectInTray();
    tray.notify(515);
    expectOpen();
    QSignalSpy unloaded(form.get(), &Form1::unloaded);
    form->close(); // the close box ends the tool, never sends it to the tray
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(tray.iconPresent);
    EXPECT_FALSE(tray.calls.back().add);
    EXPECT_FALSE(tray.hasCallback()); // nothing calls into the window once it is gone
}

TEST_F(Tray, QuitterFromTheTrayEndsAndLeavesNoIcon) {
    form->Form_Load();
    QSignalSpy unloaded(form.get(), &Form1::unloaded);
    form->Quitter->trigger();
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_FALSE(tray.iconPresent);
    const std::size_t calls = tray.calls.size();
    form->Form_QueryUnload(); // the end of the session after that: nothing more to remove
    EXPECT_EQ(tray.calls.size(), calls);
}

TEST_F(Tray, WithoutANotificationAreaTheWindowStaysWithinReach) {
    tray.available = false;
    form->Form_Load();
    EXPECT_TRUE(form->isVisible()); // shown rather than lost
    form->cmdIcon_Click();
    EXPECT_TRUE(form->isMinimized());
    EXPECT_FALSE(tray.iconPresent);
    // The tray appears later: normal behaviour resumes.
    form->AfficheFenetre();
    EXPECT_FALSE(form->isMinimized());
    tray.available = true;
    form->cmdIcon_Click();
    expectInTray();
}

TEST_F(Tray, WaitsForANotificationAreaThatAppearsSoon) {
    tray.available = false;
    form.services.trayWaitMs = 3000;
    form.create();
    form->Form_Load();
    EXPECT_FALSE(form->isVisible());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return tray.availabilityQueries >= 3; })); // asked again while waiting, and still none
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(tray.iconPresent);
    tray.available = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray.iconPresent; }));
    EXPECT_FALSE(form->isVisible());
}

} // namespace
