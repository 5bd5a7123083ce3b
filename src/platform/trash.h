#pragma once
// Sending a file to the desktop's wastebasket, from where it can be restored.

#include <filesystem>
#include <string>

namespace dsc::platform {

class Trash {
public:
    virtual ~Trash() = default;
    // Moves the file to the trash without asking; never deletes it otherwise. False, with the
    // reason, when the file stays where it was.
    virtual bool moveToTrash(const std::filesystem::path& path, std::string& reason) = 0;
};

Trash& systemTrash();

} // namespace dsc::platform
