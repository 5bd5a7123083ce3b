#pragma once
// Reads from the file system off the window's thread, so a slow disk or share never freezes it.
// A lane carries one kind of read (a folder's listing, a file's facts and preview): starting a read
// there makes the earlier ones stale. Their results are dropped, one not yet begun is skipped, and
// one stuck in a call gives its thread's place back to the pool.

#include "readpool.h"

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>

#include <functional>
#include <memory>

namespace dsc {

class ReadLane : public QObject {
public:
    // `pool` outlives every read started here; a lane with no read under way never touches it.
    explicit ReadLane(ReadPool& pool, QObject* parent = nullptr) : QObject(parent), m_pool(pool) {}
    ~ReadLane() override { cancel(); }

    // True from a start until the read has handed over all it had (or was made stale).
    bool busy() const { return m_watcher != nullptr; }
    // Makes the current read stale.
    void cancel() {
        if (m_watcher) {
            m_watcher->cancel();
            m_watcher->disconnect(this);
            m_watcher->deleteLater();
            m_watcher = nullptr;
            m_pool.abandon(*m_read);
            m_read.reset();
        }
    }

    // Runs `work` on the pool. What it adds to its promise reaches `onResult` on this object's
    // thread, in order, as long as no later read was started here; `onDone` follows the last
    // result. `work` checks `promise.isCanceled()` between slow calls and gives up when it is set.
    template <typename T>
    void start(std::function<void(QPromise<T>&)> work, std::function<void(const T&)> onResult,
               std::function<void()> onDone = {}) {
        cancel();
        auto promise = std::make_shared<QPromise<T>>();
        auto* watcher = new QFutureWatcher<T>(this);
        m_watcher = watcher;
        connect(watcher, &QFutureWatcherBase::resultsReadyAt, this, [this, watcher, onResult](int begin, int end) {
            for (int i = begin; i < end && m_watcher == watcher; ++i) {
                onResult(watcher->resultAt(i)); // may start another read, which ends this loop
            }
        });
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, onDone] {
            if (m_watcher != watcher) {
                return;
            }
            m_watcher = nullptr;
            m_read.reset();
            watcher->deleteLater();
            if (onDone) {
                onDone();
            }
        });
        watcher->setFuture(promise->future());
        m_read = m_pool.start([promise, work = std::move(work)] {
            promise->start();
            if (!promise->isCanceled()) {
                work(*promise);
            }
            promise->finish();
        });
    }

private:
    ReadPool& m_pool;
    QFutureWatcherBase* m_watcher = nullptr;
    std::shared_ptr<ReadPool::Read> m_read; // the pool's record of the current read
};

} // namespace dsc
