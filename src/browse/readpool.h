#pragma once
// The threads the window's reads from the file system run on.
//
// A share that stops answering holds each call made on it for minutes. Were the pool fixed in size,
// a few clicks there would hold all its threads, and then nothing of any other volume would load.
// So a read made stale while one of its calls is still under way gives its thread's place back: it
// has no more use for the result, and as it stops at its next check, being still there means it is
// stuck in a call. The pool may then start another thread for the next read. Stale reads stuck
// that way, and only they, make the pool grow, up to kMaxThreads in all; past that, new reads wait
// for a thread as they would in a fixed pool. Each lane holds at most one read that is not stale,
// so with no more lanes than threads a read never waits behind a stuck one.

#include <QThreadPool>

#include <functional>
#include <memory>
#include <mutex>

namespace dsc {

class ReadPool {
public:
    // Threads for reads that are not stale; stuck stale reads add to these.
    explicit ReadPool(int threads);
    // Drops the reads not begun and waits for those under way.
    ~ReadPool();
    ReadPool(const ReadPool&) = delete;
    ReadPool& operator=(const ReadPool&) = delete;

    // The hard limit on threads, stuck ones included.
    static constexpr int kMaxThreads = 64;

    // One read, as the pool follows it.
    class Read;
    // Runs `work` on one of the threads, once one is free.
    std::shared_ptr<Read> start(std::function<void()> work);
    // Tells the pool the read no longer matters: if it is under way, its thread stops counting,
    // within the hard limit.
    void abandon(Read& read);

    // Drops the reads not begun.
    void clear() { m_threads.clear(); }
    // Waits for every read under way, stuck ones included.
    void waitForDone() { m_threads.waitForDone(); }
    // Reads under way that gave their thread's place back.
    int abandonedRunning() const;

private:
    QThreadPool m_threads;
    mutable std::mutex m_mutex;
    int m_abandonedRunning = 0;
};

} // namespace dsc
