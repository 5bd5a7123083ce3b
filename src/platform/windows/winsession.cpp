#include "platform/session.h"

#include <windows.h>

namespace dsc::platform {

bool displayAvailable(std::string&) {
    return true; // a Windows program always starts on the user's desktop
}

QString instanceName() {
    // Named pipes are seen machine-wide: the user and the log-on session make the name theirs.
    wchar_t user[257] = {};
    DWORD size = 257;
    if (!GetUserNameW(user, &size)) {
        user[0] = L'\0';
    }
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return QStringLiteral("Dessiscope-%1-%2").arg(QString::fromWCharArray(user)).arg(static_cast<qulonglong>(session));
}

} // namespace dsc::platform
