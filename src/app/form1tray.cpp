// The tray life cycle: the start in the tray, the icon's notifications, showing, hiding, ending.
#include "form1.h"

#include "components/slideviewer.h"
#include "module1.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDeadlineTimer>
#include <QListWidget>
#include <QMenu>
#include <QTimer>

namespace dsc {

namespace {

// What the tray is handed for the record as it stands, with the menu the icon offers.
platform::TrayIcon trayIcon(const NotifyIconRecord& r, QMenu* menu) {
    platform::TrayIcon icon;
    icon.id = r.uID;
    if (r.uFlags & kNifIcon) {
        icon.icon = r.hIcon;
    }
    if (r.uFlags & kNifTip) {
        icon.tip = QString::fromLatin1(r.szTip.c_str()); // up to the NUL
    }
    icon.notify = (r.uFlags & kNifMessage) != 0;
    icon.menu = menu;
    return icon;
}

} // namespace

void Form1::Form_Load() {
    IconeNotif.uID = 1;
    IconeNotif.uFlags = kNifMessage | kNifIcon | kNifTip;
    IconeNotif.uCallbackMessage = static_cast<std::uint32_t>(platform::TrayMouse::Move);
    IconeNotif.hIcon = windowIcon();
    setTip(IconeNotif, "Dessiscope");
    m_services.tray->setCallback([this](int message) { trayNotification(message); });

    lstSld1->hide();
    Cliche1->hide();
    if (m_services.tray->isAvailable()) {
        trayReady();
        return;
    }
    // No notification area (yet): a tool nobody could see or reach is no use, so wait a moment
    // for one to appear, as at the start of a session, then show the window instead.
    if (m_services.trayWaitMs <= 0) {
        show();
        return;
    }
    const QDeadlineTimer deadline(m_services.trayWaitMs);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, timer, deadline] {
        if (m_services.tray->isAvailable()) {
            timer->deleteLater();
            trayReady();
        } else if (deadline.hasExpired()) {
            timer->deleteLater();
            show();
        }
    });
    timer->start(100);
}

void Form1::trayReady() {
    hide();
    m_services.tray->addIcon(trayIcon(IconeNotif, Menu));
}

void Form1::trayNotification(int mouseMessage) {
    if (mouseMessage == static_cast<int>(platform::TrayMouse::LeftDoubleClick)) {
        AfficheFenetre();
    } else if (mouseMessage == static_cast<int>(platform::TrayMouse::RightUp) && !Menu->isVisible()) {
        // XEmbed and Windows trays have popped the icon's menu already; a panel that asks for it
        // (ContextMenu) without reading the exported one has not.
        Menu->popup(QCursor::pos());
    }
}

void Form1::AfficheFenetre() {
    showNormal();
    raise();
    activateWindow();
    IconeNotif.uID = 1;
    m_services.tray->removeIcon(IconeNotif.uID);
}

void Form1::hideToTray() {
    if (!m_services.tray->isAvailable()) {
        showMinimized(); // nowhere to put an icon: keep the window within reach
        return;
    }
    hide();
    m_services.tray->addIcon(trayIcon(IconeNotif, Menu));
}

void Form1::Quitter_Click() {
    if (isVisible()) {
        close();
    } else {
        // Closing a hidden window sends no close event; unload it all the same.
        Form_QueryUnload();
        emit unloaded();
    }
}

void Form1::Form_QueryUnload() {
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    IconeNotif.uID = 1;
    m_services.tray->removeIcon(IconeNotif.uID);
    m_services.tray->setCallback({}); // nothing may call into a window that is going
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
    emit unloaded();
}

} // namespace dsc
