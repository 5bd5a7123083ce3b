#pragma once
// Facts about the desktop session the program starts in.

#include <string>

namespace dsc::platform {

// False when no display can be reached; `message` then says how to run the program.
bool displayAvailable(std::string& message);

} // namespace dsc::platform
