// One running copy per session: the first start listens, a later one hands over and is told to end.
#include "app/onecopy.h"
#include "platform/session.h"
#include "platform/tray.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace dsc;

namespace {

// A plain name: a pipe's on Windows, a socket in the temporary folder on Unix.
QString testName(const char* which) {
    return QStringLiteral("dessiscope-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(QLatin1String(which));
}

TEST(OneCopy, ALaterStartHandsOverAndTheRunningCopyShowsItself) {
    OneCopy running(testName("handover"));
    ASSERT_TRUE(running.claim());
    QSignalSpy shown(&running, &OneCopy::startedAgain);
    for (int start = 1; start <= 2; ++start) { // every later start, not only the first one
        OneCopy later(testName("handover"));
        EXPECT_FALSE(later.claim()) << start;
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() == start; })) << start;
    }
}

TEST(OneCopy, ALeftoverOfACopyThatDidNotEndIsTakenOver) {
    // What a copy that was killed leaves behind on Unix: its name taken, nobody answering on it.
    QFile leftover(QDir::temp().filePath(testName("leftover")));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    OneCopy first(testName("leftover"));
    EXPECT_TRUE(first.claim());
    OneCopy later(testName("leftover"));
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
