#pragma once
// Requests from outside the program (its installer, its uninstaller) that the running tool end as
// its own quit command ends it, so that its files are free to be replaced or removed.

#include <QString>

#include <functional>
#include <memory>

namespace dsc::platform {

// The name the installer signals: one per desktop session.
QString quitRequestName();

// Listens for quit requests while it lives; each request calls `onQuit` on the thread that made
// the listener (the window's). Where the system has no such requests, it listens for nothing.
class QuitRequests {
public:
    explicit QuitRequests(std::function<void()> onQuit);
    ~QuitRequests();
    QuitRequests(const QuitRequests&) = delete;
    QuitRequests& operator=(const QuitRequests&) = delete;

    // False when no request can reach this copy (no such requests here, or the system refused).
    bool listening() const;

private:
    struct Listener;
    std::unique_ptr<Listener> m_listener;
};

} // namespace dsc::platform
