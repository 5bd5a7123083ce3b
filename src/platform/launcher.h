#pragma once
// Opening a file with the program the desktop associates with its type.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace dsc::platform {

struct LaunchOutcome {
    enum class Result { Started, NoAssociation, Failed };
    Result result = Result::Failed;
    std::string reason; // why it failed, in the system's words
};

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts the associated program on `fileName` (a bare name) in the working folder `folder`,
    // showing its window normally, without waiting for it. Tells "no program associated" apart
    // from every other failure.
    virtual LaunchOutcome open(std::uint64_t ownerWindow, const std::filesystem::path& fileName,
                               const std::filesystem::path& folder) = 0;

    using Done = std::function<void(const LaunchOutcome&)>;
    // The same without waiting on the file (a slow share): `done` gets the outcome on this thread,
    // from its event loop where the system can be asked asynchronously, before this returns where
    // it cannot.
    virtual void openAsync(std::uint64_t ownerWindow, const std::filesystem::path& fileName,
                           const std::filesystem::path& folder, Done done) {
        done(open(ownerWindow, fileName, folder));
    }
};

Launcher& systemLauncher();

} // namespace dsc::platform
