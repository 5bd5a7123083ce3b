#pragma once
// A file system with a dead share in it: below `hungRoot`, reading a file's facts or contents waits
// until the test lets go (as a network share that stopped answering does, for minutes), at the step
// the test chose. Folders list at once everywhere, so the files can be clicked. Counts every call
// and every read of an opened file, by path.

#include "platform/filesystem.h"

#include <condition_variable>
#include <map>
#include <mutex>

namespace dsc::test {

class HungFileSystem : public platform::FileSystem {
public:
    enum class Step { Times, Size, Open, Read };

    HungFileSystem(platform::FileSystem& inner, std::filesystem::path hungRoot, Step hangAt = Step::Times)
        : m_inner(inner), m_root(std::move(hungRoot)), m_hangAt(hangAt) {}
    ~HungFileSystem() override { release(); }

    // From now on nothing waits, and the calls waiting go on.
    void release() {
        const std::lock_guard lock(m_mutex);
        m_released = true;
        m_wake.notify_all();
    }
    // Calls waiting right now.
    int waiting() const {
        const std::lock_guard lock(m_mutex);
        return m_waiting;
    }
    // Calls made on `path` at `step` so far (those under way included).
    int calls(const std::filesystem::path& path, Step step) const {
        const std::lock_guard lock(m_mutex);
        const auto it = m_calls.find({path.lexically_normal(), step});
        return it == m_calls.end() ? 0 : it->second;
    }

    std::optional<std::vector<platform::DirEntry>> list(const std::filesystem::path& dir) override {
        return m_inner.list(dir);
    }
    bool isDirectory(const std::filesystem::path& path) override { return m_inner.isDirectory(path); }
    std::vector<platform::Volume> volumes() override { return m_inner.volumes(); }
    std::optional<std::uint64_t> fileSize(const std::filesystem::path& path) override {
        enter(path, Step::Size);
        return m_inner.fileSize(path);
    }
    platform::FileTimes fileTimes(const std::filesystem::path& path) override {
        enter(path, Step::Times);
        return m_inner.fileTimes(path);
    }
    std::unique_ptr<ByteSource> openFile(const std::filesystem::path& path) override {
        enter(path, Step::Open);
        auto inner = m_inner.openFile(path);
        return inner ? std::make_unique<Source>(std::move(inner), *this, path) : nullptr;
    }

private:
    class Source : public ByteSource {
    public:
        Source(std::unique_ptr<ByteSource> inner, HungFileSystem& fs, std::filesystem::path path)
            : m_inner(std::move(inner)), m_fs(fs), m_path(std::move(path)) {}
        std::uint64_t size() const override { return m_inner->size(); }
        bool readAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
            m_fs.enter(m_path, Step::Read);
            return m_inner->readAt(offset, out);
        }

    private:
        std::unique_ptr<ByteSource> m_inner;
        HungFileSystem& m_fs;
        std::filesystem::path m_path;
    };

    bool underRoot(const std::filesystem::path& path) const {
        const auto rel = path.lexically_normal().lexically_relative(m_root);
        return !rel.empty() && *rel.begin() != "..";
    }
    void enter(const std::filesystem::path& path, Step step) {
        std::unique_lock lock(m_mutex);
        ++m_calls[{path.lexically_normal(), step}];
        if (step != m_hangAt || !underRoot(path)) {
            return;
        }
        ++m_waiting;
        m_wake.wait(lock, [this] { return m_released; });
        --m_waiting;
    }

    platform::FileSystem& m_inner;
    const std::filesystem::path m_root;
    const Step m_hangAt;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_released = false;
    int m_waiting = 0;
    std::map<std::pair<std::filesystem::path, Step>, int> m_calls;
};

// Lets the share's calls go on when it goes out of scope: declared after the window, so that the
// window, which waits for its reads as it closes, never waits for ever (an assertion that ends the
// test early included).
class LetGo {
public:
    explicit LetGo(HungFileSystem& fs) : m_fs(fs) {}
    ~LetGo() { m_fs.release(); }
    LetGo(const LetGo&) = delete;
    LetGo& operator=(const LetGo&) = delete;

private:
    HungFileSystem& m_fs;
};

} // namespace dsc::test
