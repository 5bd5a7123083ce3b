// Linux: Qt draws the icon itself in an XEmbed tray, which sends real double-clicks; a
// StatusNotifierItem is drawn by the panel, whose primary click (Activate) is all it sends.
#include "platform/tray.h"

namespace dsc::platform {

bool primaryActivationOpens(bool iconHasGeometry) {
    return !iconHasGeometry;
}

} // namespace dsc::platform
