#include "readpool.h"

#include <algorithm>

namespace dsc {

class ReadPool::Read {
public:
    enum class State { Queued, Running, Done };
    State state = State::Queued; // guarded by the pool's mutex
    bool abandoned = false;      // its place given back while it ran
};

ReadPool::ReadPool(int threads) {
    m_threads.setMaxThreadCount(std::min(threads, kMaxThreads));
}

ReadPool::~ReadPool() {
    m_threads.clear();
    m_threads.waitForDone();
}

std::shared_ptr<ReadPool::Read> ReadPool::start(std::function<void()> work) {
    auto read = std::make_shared<Read>();
    m_threads.start([this, read, work = std::move(work)] {
        {
            const std::lock_guard lock(m_mutex);
            read->state = Read::State::Running;
        }
        work();
        bool reclaim = false;
        {
            const std::lock_guard lock(m_mutex);
            read->state = Read::State::Done;
            if (read->abandoned) {
                reclaim = true;
                --m_abandonedRunning;
            }
        }
        if (reclaim) {
            // Counts this thread again before it takes the next read or ends, so the pool comes
            // back to its size.
            m_threads.reserveThread();
        }
    });
    return read;
}

void ReadPool::abandon(Read& read) {
    {
        const std::lock_guard lock(m_mutex);
        if (read.state != Read::State::Running || read.abandoned ||
            m_threads.maxThreadCount() + m_abandonedRunning >= kMaxThreads) {
            return; // not begun (it will be skipped), over, or the limit reached
        }
        read.abandoned = true;
        ++m_abandonedRunning;
    }
    // Lets the pool start one more thread while this one is stuck.
    m_threads.releaseThread();
}

int ReadPool::abandonedRunning() const {
    const std::lock_guard lock(m_mutex);
    return m_abandonedRunning;
}

} // namespace dsc
