#include "platform/session.h"

#include <cstdlib>

namespace dsc::platform {

bool displayAvailable(std::string& message) {
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    if (set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM")) {
        return true;
    }
    message = "dessiscope: no display (DISPLAY is not set); start it from a desktop session, or under a virtual "
              "display with: xvfb-run -a build/bin/dessiscope";
    return false;
}

} // namespace dsc::platform
