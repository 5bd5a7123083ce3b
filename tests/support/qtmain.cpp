// GoogleTest main for tests that need a QApplication (offscreen platform by default).
#include "components/messagebox.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Dessiscope"));
    QTranslator french;
    if (french.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&french);
    }
    dsc::MessageBox::refuseUnansweredBoxes();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
