// The window as laid out: every control's name, place, text, font, colours and tab order.
#include "app/form1.h"
#include "app/picturebutton.h"
#include "browse/drivelist.h"
#include "browse/filelist.h"
#include "browse/folderlist.h"
#include "components/dwgvignette.h"
#include "components/slideviewer.h"
#include "support/fakefilesystem.h"
#include "support/faketray.h"
#include "support/testwindow.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QTest>

#include <gtest/gtest.h>

using namespace dsc;

namespace {

struct Expected {
    const char* name;
    int left, top, width, height; // twips
};

// Places in twips; a pixel is 15 twips.
const Expected kControls[] = {
    {"drvLecteurs", 120, 120, 2775, 315},  {"dirDisc1", 120, 555, 2775, 990},
    {"filFich1", 120, 1650, 2775, 1455},   {"DwgVignette1", 3000, 120, 3255, 2535},
    {"lblMessage", 3000, 2760, 3255, 375}, {"Label1", 3960, 3240, 1095, 255},
    {"Label2", 5040, 3240, 1215, 255},     {"Label3", 3000, 3240, 855, 255},
    {"cmdURL", 4440, 3600, 1815, 615},     {"cmdIcon", 3720, 3600, 615, 615},
    {"cmdPoubelle", 3000, 3600, 615, 615}, {"Label4", 120, 3480, 465, 195},
    {"lblTaille", 960, 3480, 1935, 255},   {"lblModif", 960, 3960, 1935, 255},
    {"lblCreation", 960, 3720, 1935, 255}, {"Label6", 120, 3960, 840, 195},
    {"Label5", 120, 3720, 585, 195},       {"Cliche1", 3000, 120, 3255, 2535},
    {"lstSld1", 120, 3200, 2775, 1035},
};

class Form1Layout : public ::testing::Test {
protected:
    void SetUp() override {
        fs.addFolder("/dessins");
        form.create();
    }
    template <typename T = QWidget> T* child(const char* name) {
        return form->findChild<T*>(QString::fromLatin1(name));
    }

    test::FakeFileSystem fs;
    test::TestWindow form{"/dessins", &fs};
};

TEST_F(Form1Layout, WindowFrame) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Dessiscope - V 3.0"));
    EXPECT_EQ(form->size(), QSize(422, 288));
    EXPECT_EQ(form->minimumSize(), form->maximumSize()); // cannot be resized
    const Qt::WindowFlags flags = form->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(0, 255, 255));
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_TRUE(form->windowIcon().availableSizes().contains(QSize(32, 32)));
}

TEST_F(Form1Layout, EveryControlInItsPlace) {
    for (const auto& e : kControls) {
        SCOPED_TRACE(e.name);
        QWidget* w = child(e.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget(), form.get());
        const QRect place(e.left / 15, e.top / 15, e.width / 15, e.height / 15);
        const QString name = QString::fromLatin1(e.name);
        if (name == "Label4" || name == "Label5" || name == "Label6") {
            // Captions size themselves to their text: in place, at least as large, and the text fits.
            EXPECT_EQ(w->pos(), place.topLeft());
            EXPECT_GE(w->width(), place.width());
            EXPECT_GE(w->height(), place.height());
            EXPECT_GE(w->width(), w->sizeHint().width());
            EXPECT_LT(w->geometry().right(), 64); // clear of the value labels
        } else {
            EXPECT_EQ(w->geometry(), place);
        }
    }
    EXPECT_NE(child<QNetworkAccessManager>("netLienPub"), nullptr);
}

TEST_F(Form1Layout, TextsAlignmentAndBorders) {
    struct Text {
        const char* name;
        const char* text;
        Qt::Alignment align;
        bool border;
    };
    const Text texts[] = {
        {"Label4", "Taille :", Qt::AlignLeft, false},
        {"Label5", "Créé le :", Qt::AlignLeft, false},
        {"Label6", "Modifié le :", Qt::AlignLeft, false},
        {"lblTaille", "", Qt::AlignLeft, true},
        {"lblCreation", "", Qt::AlignLeft, true},
        {"lblModif", "", Qt::AlignLeft, true},
        {"lblMessage", " ", Qt::AlignHCenter, true},
        {"Label3", "Offert par", Qt::AlignLeft, false},
        {"Label1", "Le Grenier des", Qt::AlignHCenter, false},
        {"Label2", "Planotiers   ", Qt::AlignHCenter, false},
    };
    for (const auto& t : texts) {
        SCOPED_TRACE(t.name);
        auto* l = child<QLabel>(t.name);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->text(), QString::fromUtf8(t.text));
        EXPECT_TRUE(l->alignment() & t.align);
        EXPECT_EQ(l->frameShape() != QFrame::NoFrame, t.border);
        EXPECT_EQ(l->focusPolicy(), Qt::NoFocus);
    }
}

TEST_F(Form1Layout, FontsAndColours) {
    struct Look {
        const char* name;
        QColor background, text;
        bool serif, italic;
    };
    const QColor cyan(0, 255, 255), darkBlue(0, 0, 64);
    const Look looks[] = {
        {"Label3", cyan, darkBlue, true, true},
        {"Label1", darkBlue, QColor(255, 0, 255), true, true},
        {"Label2", darkBlue, QColor(224, 224, 224), true, false},
        {"Label4", cyan, {}, false, false},
        {"Label5", cyan, {}, false, false},
        {"Label6", cyan, {}, false, false},
        {"lblMessage", cyan, {}, false, false},
    };
    for (const auto& l : looks) {
        SCOPED_TRACE(l.name);
        auto* w = child<QLabel>(l.name);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->autoFillBackground());
        EXPECT_EQ(w->palette().color(QPalette::Window), l.background);
        if (l.text.isValid()) {
            EXPECT_EQ(w->palette().color(QPalette::WindowText), l.text);
        }
        if (l.serif) {
            EXPECT_EQ(w->font().family(), QStringLiteral("Times New Roman"));
            EXPECT_DOUBLE_EQ(w->font().pointSizeF(), 9.75);
            EXPECT_TRUE(w->font().bold());
            EXPECT_EQ(w->font().italic(), l.italic);
            // Without the font itself, a metric-compatible serif stands in.
            const QString real = QFontInfo(w->font()).family();
            EXPECT_TRUE(real == QStringLiteral("Times New Roman") || real == QStringLiteral("Liberation Serif") ||
                        real.contains(QStringLiteral("Serif")))
                << real.toStdString();
        } else {
            EXPECT_FALSE(w->font().bold());
        }
    }
    auto* trash = child<PictureButton>("cmdPoubelle");
    auto* tray = child<PictureButton>("cmdIcon");
    auto* link = child<PictureButton>("cmdURL");
    EXPECT_EQ(trash->background(), QColor(192, 192, 255));
    EXPECT_EQ(tray->background(), QColor(128, 255, 255));
    EXPECT_EQ(link->background(), QColor(192, 192, 255));
    EXPECT_EQ(trash->picture().size(), QSize(32, 32));
    EXPECT_EQ(tray->picture().size(), QSize(36, 36));
    EXPECT_EQ(link->picture().size(), QSize(120, 34));
    for (auto* b : {trash, tray, link}) {
        EXPECT_TRUE(b->text().isEmpty());
        EXPECT_FALSE(b->toolTip().isEmpty());
        EXPECT_FALSE(b->accessibleName().isEmpty());
    }
    auto* thumb = child<DwgVignette>("DwgVignette1");
    EXPECT_EQ(thumb->backColor(), QColor(255, 255, 255));
    EXPECT_EQ(thumb->borderStyle(), 1);
    EXPECT_EQ(thumb->appearance(), 1);
    EXPECT_EQ(thumb->bitmapBackColor(), QColor(0, 0, 0));
    EXPECT_EQ(thumb->stretchBltMode(), 2);
    EXPECT_FALSE(thumb->noMagnify());
    EXPECT_TRUE(thumb->hasFocusRect());
    EXPECT_TRUE(thumb->dwgFileName().empty());
}

TEST_F(Form1Layout, HiddenPopupMenu) {
    auto* menu = form->Menu;
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), QStringLiteral("Menu"));
    EXPECT_EQ(menu->title(), QStringLiteral("Menu"));
    EXPECT_FALSE(menu->isVisible());
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->objectName(), QStringLiteral("Agrandir"));
    EXPECT_EQ(actions[0]->text(), QStringLiteral("&Agrandir"));
    EXPECT_EQ(menu->defaultAction(), actions[0]);
    EXPECT_EQ(actions[1]->objectName(), QStringLiteral("bb"));
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->objectName(), QStringLiteral("Quitter"));
    EXPECT_EQ(actions[2]->text(), QStringLiteral("&Désactiver"));
}

TEST_F(Form1Layout, AllVisibleBeforeLoadThenLoadHidesListAndViewer) {
    form->show();
    for (const auto& e : kControls) {
        EXPECT_TRUE(child(e.name)->isVisible()) << e.name;
    }
    form->Form_Load();
    EXPECT_TRUE(form->lstSld1->isHidden());
    EXPECT_TRUE(form->Cliche1->isHidden());
    EXPECT_FALSE(form->DwgVignette1->isHidden()); // the thumbnail alone, once the window opens
    EXPECT_TRUE(form->lblTaille->text().isEmpty());
    EXPECT_TRUE(form->lblCreation->text().isEmpty());
    EXPECT_TRUE(form->lblModif->text().isEmpty());
    EXPECT_EQ(form->lblMessage->text(), QStringLiteral(" "));
}

TEST_F(Form1Layout, TabOrderSkipsLabels) {
    form->show();
    form->Form_Load();
    QApplication::setActiveWindow(form.get());
    form->drvLecteurs->setFocus();
    const char* expected[] = {"drvLecteurs", "dirDisc1", "filFich1",   "DwgVignette1",
                              "cmdURL",      "cmdIcon",  "cmdPoubelle"};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::fromLatin1(expected[i]));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Round again: the hidden list and viewer are skipped.
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("drvLecteurs"));
    // With the list shown it takes its turn after the buttons.
    form->lstSld1->show();
    form->cmdPoubelle->setFocus();
    QTest::keyClick(form->cmdPoubelle, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->lstSld1);
}

TEST_F(Form1Layout, ListCoversTheInformationRows) {
    form->show();
    const QRect list = form->lstSld1->geometry();
    for (QWidget* w : {static_cast<QWidget*>(form->lblTaille), static_cast<QWidget*>(form->lblCreation),
                       static_cast<QWidget*>(form->lblModif)}) {
        EXPECT_TRUE(list.contains(w->geometry().center()));
    }
    // The list is drawn above the labels.
    const auto children = form->children();
    EXPECT_GT(children.indexOf(form->lstSld1), children.indexOf(form->lblModif));
}

} // namespace
