// GoogleTest main for tests that need a QApplication (offscreen platform by default).
#include "components/messagebox.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QTranslator>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // Where the desktop's fonts are stood in for by their metric-compatible versions and no font
    // configuration says so (Qt's offscreen platform on Windows), say it here.
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QApplication::setApplicationName(QStringLiteral("Dessiscope"));
    QTranslator french;
    if (french.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&french);
    }
    dsc::MessageBox::refuseUnansweredBoxes();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
