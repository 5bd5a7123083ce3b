#pragma once
// Opening a file with the program the desktop associates with its type.

#include <cstdint>
#include <filesystem>
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
};

Launcher& systemLauncher();

} // namespace dsc::platform
