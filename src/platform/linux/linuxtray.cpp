// Tray icon on Linux: a QSystemTrayIcon (XEmbed or StatusNotifier, as the desktop offers).
#include "platform/tray.h"

#include <QCoreApplication>
#include <QSystemTrayIcon>

#include <map>
#include <memory>

namespace dsc::platform {

namespace {

std::map<std::uint32_t, QIcon>& icons() {
    static std::map<std::uint32_t, QIcon> registry;
    return registry;
}

class LinuxTray : public TrayService {
public:
    bool notifyIcon(std::uint32_t message, const NotifyIconData& data) override {
        if (message == NIM_DELETE) {
            if (!m_icon || data.uID != m_id) {
                return false;
            }
            m_icon.reset();
            return true;
        }
        if (message != NIM_ADD || m_icon) {
            return false; // adding an icon that is there fails, as the shell does
        }
        m_icon = std::make_unique<QSystemTrayIcon>();
        m_id = data.uID;
        if (data.uFlags & NIF_ICON) {
            m_icon->setIcon(iconFromHandle(data.hIcon));
        }
        if (data.uFlags & NIF_TIP) {
            m_icon->setToolTip(QString::fromLatin1(data.szTip, static_cast<qsizetype>(qstrnlen(data.szTip, 64))));
        }
        if (data.uFlags & NIF_MESSAGE) {
            QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, m_icon.get(),
                             [this](QSystemTrayIcon::ActivationReason reason) { deliver(reason); });
        }
        m_icon->show();
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
            m_callback(WM_LBUTTONUP);
            break;
        case QSystemTrayIcon::DoubleClick:
            m_callback(WM_LBUTTONDBLCLK);
            break;
        case QSystemTrayIcon::Context:
            m_callback(WM_RBUTTONUP);
            break;
        case QSystemTrayIcon::MiddleClick:
            m_callback(WM_MBUTTONUP);
            break;
        case QSystemTrayIcon::Unknown:
            break;
        }
    }

    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::uint32_t m_id = 0;
    std::function<void(int)> m_callback;
};

} // namespace

std::uint32_t iconHandle(const QIcon& icon) {
    auto& registry = icons();
    const std::uint32_t handle = static_cast<std::uint32_t>(registry.size() + 1);
    registry[handle] = icon;
    return handle;
}

QIcon iconFromHandle(std::uint32_t handle) {
    const auto& registry = icons();
    const auto it = registry.find(handle);
    return it == registry.end() ? QIcon() : it->second;
}

TrayService& systemTray() {
    static LinuxTray tray;
    return tray;
}

} // namespace dsc::platform
