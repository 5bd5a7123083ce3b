#pragma once
// A file system as slow as a far network share or a disk waking up: every call on the real one
// (and every read of a file opened through it) waits first. Counts the calls made on the thread
// that built it, the window's.

#include "platform/filesystem.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace dsc::test {

class SlowFileSystem : public platform::FileSystem {
public:
    SlowFileSystem(platform::FileSystem& inner, std::chrono::milliseconds latency)
        : m_inner(inner), m_latency(latency), m_owner(std::this_thread::get_id()) {}

    // Calls made on the building thread, drive lists left out (read on it by design: they are local).
    int ownerThreadCalls() const { return m_ownerCalls; }
    // Names are handed over in batches of this many, each after the latency.
    std::size_t batchSize = 100;
    // Batches handed over by listInBatches so far, on any thread.
    int batchesHanded() const { return m_batches; }

    std::optional<std::vector<platform::DirEntry>> list(const std::filesystem::path& dir) override {
        wait();
        return m_inner.list(dir);
    }
    bool listInBatches(const std::filesystem::path& dir,
                       const std::function<bool(std::vector<platform::DirEntry>&&)>& batch) override {
        wait();
        auto all = m_inner.list(dir);
        if (!all) {
            return false;
        }
        for (std::size_t i = 0; i < all->size(); i += batchSize) {
            if (i > 0) {
                wait();
            }
            const auto end = std::min(all->size(), i + batchSize);
            ++m_batches;
            if (!batch(std::vector<platform::DirEntry>(all->begin() + static_cast<std::ptrdiff_t>(i),
                                                       all->begin() + static_cast<std::ptrdiff_t>(end)))) {
                break;
            }
        }
        return true;
    }
    bool isDirectory(const std::filesystem::path& path) override {
        wait();
        return m_inner.isDirectory(path);
    }
    std::vector<platform::Volume> volumes() override { return m_inner.volumes(); }
    std::optional<std::uint64_t> fileSize(const std::filesystem::path& path) override {
        wait();
        return m_inner.fileSize(path);
    }
    platform::FileTimes fileTimes(const std::filesystem::path& path) override {
        wait();
        return m_inner.fileTimes(path);
    }
    std::unique_ptr<ByteSource> openFile(const std::filesystem::path& path) override {
        wait();
        auto inner = m_inner.openFile(path);
        return inner ? std::make_unique<SlowSource>(std::move(inner), *this) : nullptr;
    }

private:
    class SlowSource : public ByteSource {
    public:
        SlowSource(std::unique_ptr<ByteSource> inner, SlowFileSystem& fs) : m_inner(std::move(inner)), m_fs(fs) {}
        std::uint64_t size() const override { return m_inner->size(); }
        bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
            m_fs.wait();
            return m_inner->readAt(offset, out);
        }

    private:
        std::unique_ptr<ByteSource> m_inner;
        SlowFileSystem& m_fs;
    };

    void wait() {
        if (std::this_thread::get_id() == m_owner) {
            ++m_ownerCalls;
        }
        std::this_thread::sleep_for(m_latency);
    }

    platform::FileSystem& m_inner;
    std::chrono::milliseconds m_latency;
    std::thread::id m_owner;
    std::atomic<int> m_ownerCalls{0};
    std::atomic<int> m_batches{0};
};

} // namespace dsc::test
