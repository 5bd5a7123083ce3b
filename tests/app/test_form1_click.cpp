// A click on a file: selection state, file facts, and the preview switched by kind.
#include "app/form1.h"
#include "browse/fileinfo.h"
#include "browse/filelist.h"
#include "browse/folderlist.h"
#include "components/dwgvignette.h"
#include "components/slideviewer.h"
#include "support/dwgwriter.h"
#include "support/fakefilesystem.h"
#include "support/faketray.h"
#include "support/samples.h"
#include "support/slidewriter.h"
#include "support/testwindow.h"

#include <QLabel>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace dsc;

namespace {

const QString kLibrary = QStringLiteral("Cliché AutoCAD dans une bibliothèque");
const QString kSlide = QStringLiteral("Cliché AutoCAD indépendant");
const QString kDrawing = QStringLiteral("Cliquez sur l'image pour lancer le dessin");
const QString kRefused = QStringLiteral("Ce fichier n'est pas au format R13 ou R14");

class FileClick : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeFile(
            dir / "plan.dwg",
            test::drawingWith(2, test::writeDib(8, 4, 24, [](int, int) -> std::uint32_t { return 0x00FF00; })).build());
        test::writeFile(dir / "VIEUX.DWG", {'A', 'C', '1', '0', '0', '9', 0, 0, 0, 0, 0, 0, 0, 3, 0, 5, 0, 0, 0, 0, 0});
        test::writeFile(dir / "porte.sld", test::simpleSlide());
        test::writeFile(dir / "SYMBOLES.SLB", test::writeLibrary({{"PORTE", test::simpleSlide(1)},
                                                                  {"FENETRE_GAUCHE", test::simpleSlide(2)}}));
        form.open();
    }
    void click(const std::string& name) { ASSERT_TRUE(form.clickFile(name)) << name; }

    test::TempDir dir;
    test::TestWindow form{dir.path()};
};

TEST_F(FileClick, DrawingShowsItsThumbnail) {
    click("plan.dwg");
    const std::string chemin = dir.path().string() + "/";
    EXPECT_EQ(form->Chemin, chemin);
    EXPECT_EQ(form->Fichier, "plan.dwg");
    EXPECT_EQ(form->FichVi, chemin + "plan.dwg");
    EXPECT_EQ(form->lblMessage->text(), kDrawing);
    EXPECT_TRUE(form->DwgVignette1->isVisible());
    EXPECT_FALSE(form->Cliche1->isVisible());
    EXPECT_FALSE(form->lstSld1->isVisible());
    EXPECT_EQ(form->DwgVignette1->dwgFileName(), form->FichVi);
    EXPECT_FALSE(form->DwgVignette1->image().isNull());
    EXPECT_TRUE(form->lblTaille->text().endsWith(QStringLiteral(" octets")));
    EXPECT_FALSE(form->lblModif->text().isEmpty());
}

TEST_F(FileClick, RefusedDrawingKeepsTheThumbnailVisible) {
    click("VIEUX.DWG"); // upper-case extension, classified all the same
    EXPECT_EQ(form->lblMessage->text(), kRefused);
    EXPECT_TRUE(form->DwgVignette1->isVisible());
    EXPECT_FALSE(form->Cliche1->isVisible());
    EXPECT_TRUE(form->DwgVignette1->image().isNull());
    EXPECT_EQ(form->lblTaille->text(), QStringLiteral("   21 octets"));
}

TEST_F(FileClick, SlideShowsTheViewer) {
    click("porte.sld");
    EXPECT_EQ(form->lblMessage->text(), kSlide);
    EXPECT_TRUE(form->Cliche1->isVisible());
    EXPECT_FALSE(form->DwgVignette1->isVisible());
    EXPECT_FALSE(form->lstSld1->isVisible());
    EXPECT_EQ(form->Cliche1->reference(), (SlideReference{form->FichVi, {}, false}));
    EXPECT_TRUE(form->Cliche1->hasSlide());
}

TEST_F(FileClick, LibraryListsItsSlidesWithNoneSelected) {
    click("SYMBOLES.SLB");
    EXPECT_EQ(form->lblMessage->text(), kLibrary);
    EXPECT_TRUE(form->lstSld1->isVisible());
    EXPECT_TRUE(form->Cliche1->isVisible());
    EXPECT_FALSE(form->DwgVignette1->isVisible());
    ASSERT_EQ(form->lstSld1->count(), 2);
    EXPECT_EQ(form->lstSld1->item(0)->text(), QStringLiteral("PORTE"));
    EXPECT_EQ(form->lstSld1->item(1)->text(), QStringLiteral("FENETRE_GA"));
    EXPECT_EQ(form->lstSld1->item(1)->toolTip(), QStringLiteral("FENETRE_GAUCHE"));
    EXPECT_TRUE(form->lstSld1->selectedItems().isEmpty());
    EXPECT_EQ(form->Cliche1->reference(), (SlideReference{form->FichVi, {}, true}));
    EXPECT_FALSE(form->Cliche1->hasSlide());

    // A drawing after a library hides the list and the viewer.
    click("plan.dwg");
    EXPECT_FALSE(form->lstSld1->isVisible());
    EXPECT_FALSE(form->Cliche1->isVisible());
    EXPECT_TRUE(form->DwgVignette1->isVisible());
    EXPECT_EQ(form->lstSld1->count(), 2); // hidden, not emptied
}

TEST_F(FileClick, SlideNamePickedShowsThatSlideByItsFullName) {
    click("SYMBOLES.SLB");
    const QString message = form->lblMessage->text();
    form->lstSld1->setCurrentRow(1);
    QTest::mouseClick(form->lstSld1->viewport(), Qt::LeftButton, {},
                      form->lstSld1->visualItemRect(form->lstSld1->item(1)).center());
    ASSERT_TRUE(form.settle());
    EXPECT_EQ(form->Cliche1->reference(), (SlideReference{form->FichVi, "FENETRE_GAUCHE", true}));
    EXPECT_TRUE(form->Cliche1->hasSlide());
    EXPECT_EQ(form->Cliche1->slide().points[0].x, 2);
    EXPECT_EQ(form->lblMessage->text(), message);
}

TEST_F(FileClick, VanishedFileLeavesEmptyLabelsAndGoesOn) {
    std::filesystem::remove(dir / "porte.sld");
    click("porte.sld");
    EXPECT_TRUE(form->lblTaille->text().isEmpty());
    EXPECT_TRUE(form->lblCreation->text().isEmpty());
    EXPECT_TRUE(form->lblModif->text().isEmpty());
    EXPECT_EQ(form->lblMessage->text(), kSlide);
    EXPECT_FALSE(form->Cliche1->hasSlide());
    std::filesystem::remove(dir / "SYMBOLES.SLB");
    click("SYMBOLES.SLB");
    EXPECT_TRUE(form->lstSld1->isVisible());
    EXPECT_EQ(form->lstSld1->count(), 0);
}

// With a fake file system: the root folder and the texts of the facts.
TEST(FileClickFake, RootFolderGetsOneSeparatorAndFactsInUtc) {
    test::FakeFileSystem fs;
    const std::int64_t written = 116444736000000000LL + 1706700000LL * 10000000LL; // 2024-01-31 11:20 UTC
    fs.addFile("/PLAN.DWG", 1234567, {std::nullopt, written});
    test::TestWindow form("/", &fs);
    form.open();
    ASSERT_TRUE(form.clickFile("PLAN.DWG"));
    EXPECT_EQ(form->Chemin, "/");
    EXPECT_EQ(form->FichVi, "/PLAN.DWG");
    EXPECT_EQ(form->lblTaille->text(), QStringLiteral(" 1 234 567 octets"));
    EXPECT_EQ(form->lblModif->text(), QStringLiteral("31/01/2024 - 11:20:00"));
    EXPECT_TRUE(form->lblCreation->text().isEmpty()); // no birth time kept by this file system
}

TEST(FileClickReal, SamplesOfEveryKind) {
    DSC_REQUIRE_SAMPLES();
    test::TestWindow form(test::samplesDir() / "dwg");
    form.open();
    ASSERT_TRUE(form.clickFile("r2013_example.dwg"));
    EXPECT_EQ(form->lblMessage->text(), kDrawing);
    EXPECT_EQ(form->lblTaille->text(), QStringLiteral("  146 906 octets"));
    // No stored preview: drawn from its geometry, on the reading thread, and clickable as any other.
    ASSERT_TRUE(form.clickFile("pre_r11_LINE1_AC1009.DWG"));
    EXPECT_EQ(form->lblMessage->text(), kDrawing);
    EXPECT_FALSE(form->DwgVignette1->image().isNull());
    ASSERT_TRUE(form.go(test::samplesDir() / "sld"));
    ASSERT_TRUE(form.clickFile("mnas_LINES.slb"));
    EXPECT_EQ(form->lstSld1->count(), 5);
    ASSERT_TRUE(form.clickFile("deanpjones_clock.sld"));
    EXPECT_TRUE(form->Cliche1->hasSlide());
}

} // namespace

TEST_F(FileClick, ArrowKeysInTheSlideListShowTheSlide) {
    click("SYMBOLES.SLB");
    form->lstSld1->setFocus();
    QTest::keyClick(form->lstSld1, Qt::Key_Home); // the first name becomes current
    ASSERT_TRUE(form.settle());
    ASSERT_TRUE(form->Cliche1->hasSlide());
    EXPECT_EQ(form->Cliche1->reference(), (SlideReference{form->FichVi, "PORTE", true}));
    QTest::keyClick(form->lstSld1, Qt::Key_Down);
    ASSERT_TRUE(form.settle());
    EXPECT_EQ(form->Cliche1->reference(), (SlideReference{form->FichVi, "FENETRE_GAUCHE", true}));
    EXPECT_EQ(form->Cliche1->slide().points[0].x, 2);
}

TEST_F(FileClick, DeselectedFileShowsNoStaleFacts) {
    click("plan.dwg");
    ASSERT_FALSE(form->lblTaille->text().isEmpty());
    form->filFich1->currentItem()->setSelected(false); // what a Ctrl-click on it does
    form->filFich1_Click();
    EXPECT_TRUE(form->FichVi.empty());
    EXPECT_TRUE(form->lblTaille->text().isEmpty());
    EXPECT_TRUE(form->lblModif->text().isEmpty());
    EXPECT_TRUE(form->lblCreation->text().isEmpty());
    EXPECT_TRUE(form->DwgVignette1->image().isNull());
}
