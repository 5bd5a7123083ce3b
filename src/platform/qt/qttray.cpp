// The tray icon through QSystemTrayIcon: XEmbed or StatusNotifier on Linux, the shell's
// notification area (Shell_NotifyIcon) on Windows.
#include "platform/tray.h"

#include <QMenu>
#include <QSystemTrayIcon>

#include <memory>

namespace dsc::platform {

namespace {

class QtTray : public TrayService {
public:
    bool addIcon(const TrayIcon& icon) override {
        if (m_icon) {
            return false; // adding an icon that is there fails, as the shell does
        }
        m_icon = new QSystemTrayIcon(icon.icon);
        m_id = icon.id;
        m_icon->setToolTip(icon.tip);
        // Before the icon shows: Qt then exports the menu over com.canonical.dbusmenu to a panel
        // that draws the item, and pops it itself on a right click in XEmbed and Windows trays.
        m_icon->setContextMenu(icon.menu);
        if (icon.notify) {
            QObject::connect(m_icon, &QSystemTrayIcon::activated, m_icon,
                             [this](QSystemTrayIcon::ActivationReason reason) { deliver(reason); });
        }
        m_icon->show();
        return true;
    }

    bool removeIcon(std::uint32_t id) override {
        if (!m_icon || id != m_id) {
            return false;
        }
        // Removal often comes from the icon's own notification: hide it now, delete it once the
        // event that is being delivered is done with it.
        m_icon->hide();
        m_icon->disconnect();
        m_icon->deleteLater();
        m_icon = nullptr;
        return true;
    }

    bool isAvailable() override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    void setCallback(std::function<void(int)> callback) override { m_callback = std::move(callback); }

private:
    void deliver(QSystemTrayIcon::ActivationReason reason) {
        if (!m_callback) {
            return;
        }
        switch (reason) {
        case QSystemTrayIcon::Trigger:
            // Panels that speak StatusNotifierItem send one primary click (Activate) and never a
            // double-click: there, that click is what opens the window.
            // Told by how Qt placed the icon, so never a D-Bus round trip on this thread.
            m_callback(static_cast<int>(
                primaryActivationOpens(m_icon->geometry().isValid()) ? TrayMouse::LeftDoubleClick : TrayMouse::LeftUp));
            break;
        case QSystemTrayIcon::DoubleClick:
            m_callback(static_cast<int>(TrayMouse::LeftDoubleClick));
            break;
        case QSystemTrayIcon::Context:
            m_callback(static_cast<int>(TrayMouse::RightUp));
            break;
        case QSystemTrayIcon::MiddleClick:
            m_callback(static_cast<int>(TrayMouse::MiddleUp));
            break;
        case QSystemTrayIcon::Unknown:
            break;
        }
    }

    QSystemTrayIcon* m_icon = nullptr;
    std::uint32_t m_id = 0;
    std::function<void(int)> m_callback;
};

} // namespace

TrayService& systemTray() {
    static QtTray tray;
    return tray;
}

} // namespace dsc::platform
