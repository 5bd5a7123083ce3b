// One running copy per session: the first start listens, a later one hands over and is told to end.
#include "app/onecopy.h"
#include "platform/session.h"
#include "platform/tray.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace dsc;

namespace {

QString testName(const QTemporaryDir& dir) {
    return dir.filePath(QStringLiteral("copy"));
}

TEST(OneCopy, ALaterStartHandsOverAndTheRunningCopyShowsItself) {
    QTemporaryDir dir;
    OneCopy running(testName(dir));
    ASSERT_TRUE(running.claim());
    QSignalSpy shown(&running, &OneCopy::startedAgain);
    for (int start = 1; start <= 2; ++start) { // every later start, not only the first one
        OneCopy later(testName(dir));
        EXPECT_FALSE(later.claim()) << start;
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() == start; })) << start;
    }
}

TEST(OneCopy, ALeftoverOfACopyThatDidNotEndIsTakenOver) {
    QTemporaryDir dir;
    // What a copy that was killed leaves behind on Unix: its name taken, nobody answering on it.
    QFile leftover(testName(dir));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    OneCopy first(testName(dir));
    EXPECT_TRUE(first.claim());
    OneCopy later(testName(dir));
    EXPECT_FALSE(later.claim());
}

TEST(OneCopy, TheSessionsNameIsTheSameAtEveryStart) {
    const QString name = platform::instanceName();
    EXPECT_FALSE(name.isEmpty());
    EXPECT_EQ(name, platform::instanceName());
}

TEST(TrayActivation, ThePrimaryActivationOpensOnlyWhereThePanelDrawsTheItem) {
    // An icon drawn by the toolkit itself (XEmbed, Windows) has a geometry and sends double-clicks.
    EXPECT_FALSE(platform::primaryActivationOpens(true));
}

} // namespace
