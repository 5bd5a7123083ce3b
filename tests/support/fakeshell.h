#pragma once
// A launcher and a trash that record what they were asked and answer as told.

#include "platform/launcher.h"
#include "platform/trash.h"

#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

namespace dsc::test {

class FakeLauncher : public platform::Launcher {
public:
    struct Call {
        std::filesystem::path fileName, folder;
    };
    platform::LaunchOutcome next{platform::LaunchOutcome::Result::Started, {}};
    std::vector<Call> calls;
    std::function<void()> onOpen; // runs during the call, to see the state at that moment

    platform::LaunchOutcome open(std::uint64_t, const std::filesystem::path& fileName,
                                 const std::filesystem::path& folder) override {
        calls.push_back({fileName, folder});
        if (onOpen) {
            onOpen();
        }
        return next;
    }

    bool hold = false; // as a slow share would: the outcome waits for release()
    void openAsync(std::uint64_t owner, const std::filesystem::path& fileName, const std::filesystem::path& folder,
                   Done done) override {
        if (!hold) {
            done(open(owner, fileName, folder));
            return;
        }
        m_held = [this, owner, fileName, folder, done = std::move(done)] { done(open(owner, fileName, folder)); };
    }
    bool held() const { return bool(m_held); }
    void release() { std::exchange(m_held, {})(); }

private:
    std::function<void()> m_held;
};

class FakeTrash : public platform::Trash {
public:
    bool succeed = true;
    std::vector<std::filesystem::path> trashed;
    // On success the file really leaves its folder (into `bin`), as it would.
    std::filesystem::path bin;

    bool moveToTrash(const std::filesystem::path& path, std::string& reason) override {
        if (!succeed) {
            reason = "Permission non accordée";
            return false;
        }
        trashed.push_back(path);
        if (!bin.empty()) {
            std::filesystem::rename(path, bin / path.filename());
        }
        return true;
    }

    bool hold = false; // as a slow share would: the outcome waits for release()
    void moveToTrashAsync(const std::filesystem::path& path, Done done) override {
        if (!hold) {
            Trash::moveToTrashAsync(path, std::move(done));
            return;
        }
        m_held = [this, path, done = std::move(done)] { Trash::moveToTrashAsync(path, done); };
    }
    bool held() const { return bool(m_held); }
    void release() { std::exchange(m_held, {})(); }

private:
    std::function<void()> m_held;
};

} // namespace dsc::test
