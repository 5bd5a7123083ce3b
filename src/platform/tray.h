#pragma once
// The notification-area (tray) icon.

#include <QIcon>
#include <QString>

#include <cstdint>
#include <functional>

class QMenu;

namespace dsc::platform {

// The icon's mouse notifications, numbered as the shell numbers its mouse messages.
enum class TrayMouse : int {
    Move = 512,
    LeftDown = 513,
    LeftUp = 514,
    LeftDoubleClick = 515,
    RightDown = 516,
    RightUp = 517,
    MiddleUp = 520
};

// What the program hands over when it adds its icon.
struct TrayIcon {
    std::uint32_t id = 0;
    QIcon icon;
    QString tip;
    bool notify = false; // whether the icon's mouse notifications reach the program
    // The icon's menu, handed to the desktop with the icon: exported to panels that show menus
    // themselves, popped by the toolkit on the others. Owned by the program.
    QMenu* menu = nullptr;
};

class TrayService {
public:
    virtual ~TrayService() = default;
    // Adds the icon; false when one with that id is there already or there is no notification area.
    virtual bool addIcon(const TrayIcon& icon) = 0;
    // Removes the icon of that id; false when there is none.
    virtual bool removeIcon(std::uint32_t id) = 0;
    // Whether the desktop has a notification area now.
    virtual bool isAvailable() = 0;
    // Receives each of the icon's notifications (a TrayMouse value). Cleared with an empty one.
    virtual void setCallback(std::function<void(int mouseMessage)> callback) = 0;
};

// Whether the icon's primary activation is the panel's one way of opening the window (an item
// drawn by a panel, which sends no double-click) rather than a single click on an icon of our own
// (XEmbed, the Windows notification area), told by where the toolkit put the icon: a panel's item
// has no geometry of ours. Asks nothing of D-Bus.
bool primaryActivationOpens(bool iconHasGeometry);

// The system's tray service.
TrayService& systemTray();

} // namespace dsc::platform
