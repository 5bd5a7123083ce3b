#include "platform/session.h"

#include <QDir>

#include <cstdlib>

#include <unistd.h>

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

QString instanceName() {
    // The session's own runtime folder, private to the user; else a name of the user's in /tmp.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && QDir(QString::fromLocal8Bit(runtime)).exists()) {
        return QDir(QString::fromLocal8Bit(runtime)).filePath(QStringLiteral("dessiscope.instance"));
    }
    return QStringLiteral("dessiscope-%1.instance").arg(static_cast<qulonglong>(::getuid()));
}

} // namespace dsc::platform
