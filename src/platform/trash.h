#pragma once
// Sending a file to the desktop's wastebasket, from where it can be restored.

#include <filesystem>
#include <functional>
#include <string>

namespace dsc::platform {

class Trash {
public:
    virtual ~Trash() = default;
    // Moves the file to the trash without asking; never deletes it otherwise. False, with the
    // reason, when the file stays where it was.
    virtual bool moveToTrash(const std::filesystem::path& path, std::string& reason) = 0;

    using Done = std::function<void(bool trashed, const std::string& reason)>;
    // The same without waiting on the file: `done` gets the outcome on this thread, from its event
    // loop where the system can be asked asynchronously, before this returns where it cannot.
    virtual void moveToTrashAsync(const std::filesystem::path& path, Done done) {
        std::string reason;
        const bool trashed = moveToTrash(path, reason);
        done(trashed, reason);
    }
};

Trash& systemTrash();

} // namespace dsc::platform
