#pragma once
// Facts about the desktop session the program starts in.

#include <QString>

#include <string>

namespace dsc::platform {

// False when no display can be reached; `message` then says how to run the program.
bool displayAvailable(std::string& message);

// The name the one running copy of the tool listens on: the same for every start in this user's
// session, different for other users and other sessions.
QString instanceName();

} // namespace dsc::platform
