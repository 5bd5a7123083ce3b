// The read pool grows only for stale reads stuck in a call, never past its hard limit, and comes
// back to its size once they end.
#include "browse/readpool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace dsc;

namespace {

// Polls `done` until it holds; false when `ms` went by first.
template <typename Pred> bool waitFor(Pred done, int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Reads that wait at a gate until it opens, as calls on a share that stopped answering do.
class Gate {
public:
    std::function<void()> read() {
        return [this] {
            std::unique_lock lock(m_mutex);
            ++m_inside;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_open; });
            --m_inside;
            ++m_through;
        };
    }
    void open() {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    int inside() const {
        const std::lock_guard lock(m_mutex);
        return m_inside;
    }
    int through() const {
        const std::lock_guard lock(m_mutex);
        return m_through;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    int m_inside = 0;
    int m_through = 0;
};

// Opens the gate when it goes out of scope: declared after the pool, so that the pool, which waits
// for its reads as it goes, never waits for ever when an assertion ends the test early.
struct OpenAtEnd {
    Gate& gate;
    ~OpenAtEnd() { gate.open(); }
};

TEST(ReadPool, StuckStaleReadsMakeRoomUpToTheHardLimitThenThePoolComesBackToItsSize) {
    constexpr int kThreads = 2;
    constexpr int kReads = ReadPool::kMaxThreads + 6;
    Gate stuck;
    Gate again;
    ReadPool pool(kThreads);
    const OpenAtEnd openStuck{stuck};
    const OpenAtEnd openAgain{again};

    // Each read is made stale once it is stuck: the next one gets a thread of its own.
    std::vector<std::shared_ptr<ReadPool::Read>> reads;
    for (int i = 0; i < kReads; ++i) {
        reads.push_back(pool.start(stuck.read()));
        const int running = std::min(i + 1, ReadPool::kMaxThreads);
        ASSERT_TRUE(waitFor([&] { return stuck.inside() == running; }, 10000)) << "read " << i;
        pool.abandon(*reads.back());
    }
    // Past the limit, new reads wait for a thread.
    EXPECT_EQ(pool.abandonedRunning(), ReadPool::kMaxThreads - kThreads);
    EXPECT_FALSE(waitFor([&] { return stuck.inside() > ReadPool::kMaxThreads; }, 200));
    stuck.open();
    ASSERT_TRUE(waitFor([&] { return stuck.through() == kReads; }, 10000));
    pool.waitForDone();
    EXPECT_EQ(pool.abandonedRunning(), 0);

    // Back to its size: reads not made stale wait for one another beyond it. Abandoning a read
    // already over, or one not begun, changes nothing.
    std::shared_ptr<ReadPool::Read> queued;
    for (int i = 0; i <= kThreads; ++i) {
        queued = pool.start(again.read());
    }
    ASSERT_TRUE(waitFor([&] { return again.inside() == kThreads; }, 10000));
    pool.abandon(*reads.front());
    pool.abandon(*queued);
    EXPECT_EQ(pool.abandonedRunning(), 0);
    EXPECT_FALSE(waitFor([&] { return again.inside() > kThreads; }, 200));
    again.open();
    pool.waitForDone();
    EXPECT_EQ(again.through(), kThreads + 1);
}

} // namespace
