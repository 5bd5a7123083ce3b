// Drive and folder changes in the window.
#include "app/form1.h"
#include "browse/drivelist.h"
#include "browse/filelist.h"
#include "browse/folderlist.h"
#include "support/fakefilesystem.h"
#include "support/faketray.h"
#include "support/testwindow.h"

#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace dsc;

namespace {

QStringList texts(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) {
        out << list->item(i)->text().trimmed();
    }
    return out;
}

class Navigation : public ::testing::Test {
protected:
    void SetUp() override {
        fs.volumeList = {{"/", {}}, {"/media/cle", "CLE"}, {"/media/vide", {}}};
        fs.addFolder("/media");
        fs.addFolder("/media/cle");
        fs.addFile("/media/cle/B.DWG");
        fs.addFolder("/plans");
        fs.addFolder("/plans/Vieux");
        fs.addFolder("/plans/archives");
        fs.addFile("/plans/rez.dwg");
        fs.addFile("/plans/porte.SLD");
        fs.addFile("/plans/lisez.txt");
        fs.addFile("/plans/Vieux/a.slb");
        form.open();
    }
    test::FakeFileSystem fs;
    test::TestWindow form{"/plans", &fs};
};

TEST_F(Navigation, StartsOnTheStartFolder) {
    EXPECT_EQ(form->drvLecteurs->currentText(), QStringLiteral("/"));
    EXPECT_EQ(form->drvLecteurs->count(), 3);
    EXPECT_EQ(form->drvLecteurs->itemText(1), QStringLiteral("/media/cle [CLE]"));
    EXPECT_EQ(form->dirDisc1->path(), "/plans");
    EXPECT_EQ(texts(form->dirDisc1),
              (QStringList{QString::fromStdString(platform::displayText(std::filesystem::path("/").lexically_normal())),
                           "plans", "archives", "Vieux"}));
    EXPECT_EQ(form->dirDisc1->currentRow(), 1); // the current folder
    EXPECT_EQ(texts(form->filFich1), (QStringList{"porte.SLD", "rez.dwg"}));
    // Ancestors are indented one step per level; sub-folders one step further.
    EXPECT_TRUE(form->dirDisc1->item(2)->text().startsWith(QStringLiteral("    ")));
}

TEST_F(Navigation, FolderChangeByDoubleClickAndEnter) {
    // Enter on a sub-folder makes it current and lists its files.
    form->dirDisc1->setCurrentRow(3);
    QTest::keyClick(form->dirDisc1, Qt::Key_Return);
    ASSERT_TRUE(form.settle());
    EXPECT_EQ(form->dirDisc1->path(), "/plans/Vieux");
    EXPECT_EQ(texts(form->filFich1), (QStringList{"a.slb"}));
    // Activating the root item climbs back up.
    emit form->dirDisc1->itemActivated(form->dirDisc1->item(0));
    ASSERT_TRUE(form.settle());
    EXPECT_EQ(form->dirDisc1->path(), "/");
    EXPECT_TRUE(texts(form->filFich1).isEmpty());
}

TEST_F(Navigation, DriveChangeOpensTheVolume) {
    form->drvLecteurs->setCurrentIndex(1);
    emit form->drvLecteurs->activated(1);
    ASSERT_TRUE(form.settle());
    EXPECT_EQ(form->dirDisc1->path(), "/media/cle");
    EXPECT_EQ(texts(form->filFich1), (QStringList{"B.DWG"}));
}

TEST_F(Navigation, DriveChangeFailureIsIgnored) {
    // "/media/vide" is listed but cannot be entered: only the drive list changes.
    form->drvLecteurs->setCurrentIndex(2);
    emit form->drvLecteurs->activated(2);
    EXPECT_EQ(form->drvLecteurs->currentIndex(), 2);
    EXPECT_EQ(form->dirDisc1->path(), "/plans");
    EXPECT_EQ(texts(form->filFich1), (QStringList{"porte.SLD", "rez.dwg"}));
}

TEST_F(Navigation, NavigationLeavesSelectionAndLabels) {
    ASSERT_TRUE(form.clickFile("rez.dwg"));
    const std::filesystem::path fichVi = form->FichVi;
    const QString message = form->lblMessage->text();
    ASSERT_TRUE(form.go("/plans/Vieux"));
    EXPECT_EQ(form->FichVi, fichVi);
    EXPECT_EQ(form->lblMessage->text(), message);
}

TEST_F(Navigation, KeyboardSelectionRaisesTheFileClick) {
    QSignalSpy spy(form->filFich1, &FileList::fileClicked);
    form->filFich1->setFocus();
    form->filFich1->setCurrentRow(0);
    QTest::keyClick(form->filFich1, Qt::Key_Down);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(form->Fichier, "rez.dwg");
    QTest::keyClick(form->filFich1, Qt::Key_Down); // already on the last file: no click
    EXPECT_EQ(spy.count(), 1);
}

} // namespace
