// Dessiscope: browses folders for drawings, slides and slide libraries and previews them.
#include "form1.h"
#include "onecopy.h"
#include "platform/quitrequests.h"
#include "platform/session.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

int main(int argc, char* argv[]) {
    std::string message;
    if (!dsc::platform::displayAvailable(message)) {
        std::fprintf(stderr, "%s\n", message.c_str());
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dessiscope"));
    QApplication::setApplicationVersion(QStringLiteral(DESSISCOPE_VERSION));

    // Standard buttons and dialogs in French, like the rest of the window.
    QTranslator qtFrench;
    if (qtFrench.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtFrench);
    }

    // One copy per session: a later start shows the running copy's window and ends.
    dsc::OneCopy oneCopy(dsc::platform::instanceName());
    if (!oneCopy.claim()) {
        return 0;
    }

    // A tray tool: hiding its only window does not end it; unloading the window does.
    QApplication::setQuitOnLastWindowClosed(false);
    dsc::Form1 form;
    QObject::connect(&form, &dsc::Form1::unloaded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // The end of the desktop session ends the tool too; the icon goes with it.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, &dsc::Form1::Form_QueryUnload);
    QObject::connect(&oneCopy, &dsc::OneCopy::startedAgain, &form, &dsc::Form1::AfficheFenetre);
    // The installer and the uninstaller ask the running copy to end, as its tray menu's quit does,
    // before they replace or remove its files.
    dsc::platform::QuitRequests quitRequests([&form] { form.Quitter_Click(); });
    form.Form_Load();
    return QApplication::exec();
}
