// The quit request the installer sends, for real under Wine: the named event set from outside the
// listener wakes it on the window's thread, once per request, and only while it listens.
#include "platform/quitrequests.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <windows.h>

using namespace dsc;

namespace {

// What the installer does: opens the event by its name, with the right to set it only, and sets it.
bool requestQuit() {
    const std::wstring name = platform::quitRequestName().toStdWString();
    HANDLE event = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str());
    if (!event) {
        return false;
    }
    const bool set = ::SetEvent(event) != 0;
    ::CloseHandle(event);
    return set;
}

// Lets the notifier deliver whatever is pending.
void settle() {
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(10);
    }
}

} // namespace

TEST(QuitRequests, EachRequestCallsBackOnTheWindowThread) {
    int calls = 0;
    Qt::HANDLE thread = nullptr;
    platform::QuitRequests requests([&] {
        ++calls;
        thread = QThread::currentThreadId();
    });
    ASSERT_TRUE(requests.listening());
    EXPECT_EQ(platform::quitRequestName(), QStringLiteral("Local\\Dessiscope.Quit"));

    ASSERT_TRUE(requestQuit());
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 1; }, 5000));
    EXPECT_EQ(thread, QThread::currentThreadId());
    // The event resets as it is taken: one request, one call, and the next one is heard again.
    settle();
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(requestQuit());
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls == 2; }, 5000));
}

TEST(QuitRequests, NobodyListeningNoEventAndNothingLeftForTheNextStart) {
    {
        platform::QuitRequests requests([] {});
        ASSERT_TRUE(requests.listening());
    }
    // The installer finds no event once the copy is gone, and a request made then does not end the
    // copy started afterwards.
    EXPECT_FALSE(requestQuit());
    int calls = 0;
    platform::QuitRequests later([&] { ++calls; });
    settle();
    EXPECT_EQ(calls, 0);
}
