// Windows: the notification area sends real double-clicks, and a single click opens nothing.
#include "platform/tray.h"

namespace dsc::platform {

bool primaryActivationOpens(bool) {
    return false;
}

} // namespace dsc::platform
