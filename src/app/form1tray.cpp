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

void Form1::Form_Load() {
    IconeNotif.cbSize = 88;
    IconeNotif.hWnd = static_cast<std::uint32_t>(winId());
    IconeNotif.uID = 1;
    IconeNotif.uFlags = platform::NIF_MESSAGE | platform::NIF_ICON | platform::NIF_TIP;
    IconeNotif.uCallbackMessage = platform::WM_MOUSEMOVE;
    IconeNotif.hIcon = platform::iconHandle(windowIcon());
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
    m_services.tray->notifyIcon(platform::NIM_ADD, IconeNotif);
}

void Form1::trayNotification(int mouseMessage) {
    if (mouseMessage == platform::WM_LBUTTONDBLCLK) {
        AfficheFenetre();
    } else if (mouseMessage == platform::WM_RBUTTONUP) {
        Menu->popup(QCursor::pos());
    }
}

void Form1::AfficheFenetre() {
    showNormal();
    raise();
    activateWindow();
    IconeNotif.cbSize = 88;
    IconeNotif.hWnd = static_cast<std::uint32_t>(winId());
    IconeNotif.uID = 1;
    m_services.tray->notifyIcon(platform::NIM_DELETE, IconeNotif);
}

void Form1::hideToTray() {
    if (!m_services.tray->isAvailable()) {
        showMinimized(); // nowhere to put an icon: keep the window within reach
        return;
    }
    hide();
    m_services.tray->notifyIcon(platform::NIM_ADD, IconeNotif);
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
    IconeNotif.cbSize = 88;
    IconeNotif.hWnd = static_cast<std::uint32_t>(winId());
    IconeNotif.uID = 1;
    m_services.tray->notifyIcon(platform::NIM_DELETE, IconeNotif);
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_QueryUnload();
    event->accept();
    emit unloaded();
}

} // namespace dsc
