#include "platform/session.h"

namespace dsc::platform {

bool displayAvailable(std::string&) {
    return true; // a Windows program always starts on the user's desktop
}

} // namespace dsc::platform
