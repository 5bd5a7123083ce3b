// Windows: a named auto-reset event in the session's namespace. The installer and the uninstaller
// open it and set it; each setting wakes the window's thread once.
#include "platform/quitrequests.h"

#include <QWinEventNotifier>

#include <windows.h>

namespace dsc::platform {

struct QuitRequests::Listener {
    HANDLE event = nullptr;
    std::unique_ptr<QWinEventNotifier> notifier;

    ~Listener() {
        notifier.reset(); // stops waiting before the handle goes
        if (event) {
            ::CloseHandle(event);
        }
    }
};

QString quitRequestName() {
    return QStringLiteral("Local\\Dessiscope.Quit");
}

QuitRequests::QuitRequests(std::function<void()> onQuit) : m_listener(std::make_unique<Listener>()) {
    const std::wstring name = quitRequestName().toStdWString();
    // Auto-reset, not set: a request is taken once, and one made while no copy runs is not left
    // lying for the next start (the event goes with its last handle).
    m_listener->event = ::CreateEventW(nullptr, FALSE, FALSE, name.c_str());
    if (!m_listener->event) {
        return;
    }
    m_listener->notifier = std::make_unique<QWinEventNotifier>(m_listener->event);
    QObject::connect(m_listener->notifier.get(), &QWinEventNotifier::activated, m_listener->notifier.get(),
                     [onQuit = std::move(onQuit)] {
                         if (onQuit) {
                             onQuit();
                         }
                     });
    m_listener->notifier->setEnabled(true);
}

QuitRequests::~QuitRequests() = default;

bool QuitRequests::listening() const {
    return m_listener && m_listener->notifier && m_listener->notifier->isEnabled();
}

} // namespace dsc::platform
