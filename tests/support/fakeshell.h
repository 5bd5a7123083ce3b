#pragma once
// A launcher and a trash that record what they were asked and answer as told.

#include "platform/launcher.h"
#include "platform/trash.h"

#include <filesystem>
#include <functional>
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
};

} // namespace dsc::test
