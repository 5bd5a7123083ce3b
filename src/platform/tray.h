#pragma once
// The notification-area (tray) icon, driven by the shell's notify-icon record.

#include <QIcon>

#include <cstdint>
#include <functional>

namespace dsc::platform {

// The first, 88-byte layout of the shell's notify-icon record (ANSI form). Kept byte for byte so
// the Windows backend can pass it to the shell as it is.
struct NotifyIconData {
    std::uint32_t cbSize = 0;
    std::uint32_t hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    std::uint32_t hIcon = 0;
    char szTip[64] = {};
};
static_assert(sizeof(NotifyIconData) == 88, "the record's layout is fixed");

enum NotifyIconMessage : std::uint32_t { NIM_ADD = 0, NIM_MODIFY = 1, NIM_DELETE = 2 };
enum NotifyIconFlags : std::uint32_t { NIF_MESSAGE = 1, NIF_ICON = 2, NIF_TIP = 4 };

// Mouse message numbers the icon's notifications carry.
enum MouseMessage : int {
    WM_MOUSEMOVE = 512,
    WM_LBUTTONDOWN = 513,
    WM_LBUTTONUP = 514,
    WM_LBUTTONDBLCLK = 515,
    WM_RBUTTONDOWN = 516,
    WM_RBUTTONUP = 517,
    WM_MBUTTONUP = 520
};

class TrayService {
public:
    virtual ~TrayService() = default;
    // Adds or removes the icon the record describes; the result, like the shell's, may be ignored.
    virtual bool notifyIcon(std::uint32_t message, const NotifyIconData& data) = 0;
    // Whether the desktop has a notification area now.
    virtual bool isAvailable() = 0;
    // Receives each of the icon's notifications as a mouse message number.
    virtual void setCallback(std::function<void(int mouseMessage)> callback) = 0;
};

// A handle standing for an icon in the record; the tray backend turns it back into the icon.
std::uint32_t iconHandle(const QIcon& icon);
QIcon iconFromHandle(std::uint32_t handle);

// The system's tray service.
TrayService& systemTray();

} // namespace dsc::platform
