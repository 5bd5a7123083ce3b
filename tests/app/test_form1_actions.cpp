// Actions on the selected file: a slide picked, the drawing opened, the file trashed, the link.
#include "app/form1.h"
#include "browse/filelist.h"
#include "browse/folderlist.h"
#include "components/dwgvignette.h"
#include "components/messagebox.h"
#include "components/slideviewer.h"
#include "support/dwgwriter.h"
#include "support/fakefilesystem.h"
#include "support/fakeshell.h"
#include "support/faketray.h"
#include "support/samples.h"
#include "support/slidewriter.h"
#include "support/testwindow.h"

#include <QLabel>
#include <QListWidget>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace dsc;
using Answer = MessageBox::Answer;

namespace {

class Actions : public ::testing::Test {
protected:
    void SetUp() override {
        folder = dir / "Projet (2024)";
        std::filesystem::create_directories(folder);
        std::filesystem::create_directories(dir / "bin");
        test::writeFile(
            folder / "plan.dwg",
            test::drawingWith(2, test::writeDib(8, 4, 24, [](int, int) -> std::uint32_t { return 0x00FF00; })).build());
        test::writeFile(folder / "sym.slb", test::writeLibrary({{"PORTE_BATTANTE_1", test::simpleSlide(1)},
                                                                {"PORTE_BATTANTE_2", test::simpleSlide(2)}}));
        trash.bin = dir / "bin";
        form.services.startFolder = folder;
        form.services.launcher = &launcher;
        form.services.trash = &trash;
        form.open();
        MessageBox::takeShown();
    }
    void click(const std::string& name) { ASSERT_TRUE(form.clickFile(name)); }

    test::TempDir dir;
    std::filesystem::path folder;
    test::FakeLauncher launcher;
    test::FakeTrash trash;
    test::TestWindow form{{}};
    test::FakeTray& tray = form.tray;
};

TEST_F(Actions, SlidePickedByFullNameInAFolderWithParentheses) {
    click("sym.slb");
    for (int row : {1, 0, 0}) {
        form->lstSld1->setCurrentRow(row);
        form.pickSlide();
        const std::string name = row == 0 ? "PORTE_BATTANTE_1" : "PORTE_BATTANTE_2";
        EXPECT_EQ(form->Cliche1->reference(), (SlideReference{form->FichVi, name, true}));
        ASSERT_TRUE(form->Cliche1->hasSlide());
        EXPECT_EQ(form->Cliche1->slide().points[0].x, row + 1);
    }
}

TEST_F(Actions, NonAsciiNameListedPreviewedSizedLaunchedAndTrashed) {
    const std::filesystem::path name(std::u8string(u8"Fa\u00e7ade \u03a9 \u5e73\u9762.dwg"));
    std::filesystem::copy_file(folder / "plan.dwg", folder / name);
    ASSERT_TRUE(form.go(folder));
    ASSERT_TRUE(form.clickFile(name));
    EXPECT_EQ(form->Fichier, name);
    EXPECT_EQ(form->FichVi, folder / name);
    EXPECT_FALSE(form->DwgVignette1->image().isNull());
    EXPECT_FALSE(form->lblTaille->text().isEmpty());
    form->DwgVignette1_Click();
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_EQ(launcher.calls[0].fileName, name);
    form->AfficheFenetre();
    MessageBox::setNextAnswer(Answer::Yes);
    form->cmdPoubelle_Click();
    EXPECT_EQ(trash.trashed, (std::vector<std::filesystem::path>{folder / name}));
    EXPECT_FALSE(std::filesystem::exists(folder / name));
}

TEST_F(Actions, ThumbnailClickHidesThenOpensTheDrawing) {
    click("plan.dwg");
    bool hiddenAtLaunch = false;
    launcher.onOpen = [&] { hiddenAtLaunch = !form->isVisible() && tray.iconPresent; };
    QTest::mouseClick(form->DwgVignette1, Qt::LeftButton);
    ASSERT_EQ(launcher.calls.size(), 1u);
    EXPECT_TRUE(hiddenAtLaunch);
    EXPECT_EQ(launcher.calls[0].fileName, "plan.dwg");
    EXPECT_EQ(launcher.calls[0].folder, folder.string() + "/");
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    // The double-click does the same.
    form->AfficheFenetre();
    emit form->DwgVignette1->doubleClicked();
    EXPECT_EQ(launcher.calls.size(), 2u);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(Actions, NoAssociationIsToldWithTheWindowHidden) {
    click("plan.dwg");
    launcher.next = {platform::LaunchOutcome::Result::NoAssociation, {}};
    MessageBox::setNextAnswer(Answer::Ok);
    form->DwgVignette1_Click();
    const auto shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, MessageBox::Kind::Information);
    EXPECT_EQ(shown[0].title, QStringLiteral("Absence d'association de fichier"));
    EXPECT_EQ(shown[0].text, QStringLiteral("Ni AutoCAD ni LT ne sont associés aux fichiers .dwg !"));
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(tray.iconPresent);
}

TEST_F(Actions, OtherLaunchFailuresAreReported) {
    click("plan.dwg");
    launcher.next = {platform::LaunchOutcome::Result::Failed, "Failed to execute child process"};
    MessageBox::setNextAnswer(Answer::Ok);
    form->DwgVignette1_Click();
    const auto shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, MessageBox::Kind::Warning);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("Failed to execute child process")));
}

// Opening and trashing wait on the file, which a slow share may hold: the window goes on, and is
// told the outcome when it comes.
TEST_F(Actions, LaunchAndTrashDoNotHoldTheWindow) {
    click("plan.dwg");
    launcher.hold = true;
    launcher.next = {platform::LaunchOutcome::Result::Failed, "Erreur d'entrée/sortie"};
    MessageBox::setNextAnswer(Answer::Ok);
    form->DwgVignette1_Click(); // returns with the launch still pending
    ASSERT_TRUE(launcher.held());
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
    launcher.release();
    auto shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, MessageBox::Kind::Warning);
    EXPECT_TRUE(shown[0].text.contains(QStringLiteral("Erreur d'entrée/sortie")));

    form->AfficheFenetre();
    trash.hold = true;
    MessageBox::setNextAnswer(Answer::Yes);
    form->cmdPoubelle_Click(); // returns with the file still there
    ASSERT_TRUE(trash.held());
    EXPECT_EQ(MessageBox::takeShown().size(), 1); // the question alone
    EXPECT_TRUE(std::filesystem::exists(folder / "plan.dwg"));
    EXPECT_FALSE(form->DwgVignette1->image().isNull());
    trash.release();
    EXPECT_EQ(trash.trashed, (std::vector<std::filesystem::path>{folder / "plan.dwg"}));
    EXPECT_FALSE(std::filesystem::exists(folder / "plan.dwg"));
    EXPECT_TRUE(form->DwgVignette1->image().isNull()); // what showed it is cleared
    EXPECT_TRUE(MessageBox::takeShown().isEmpty());
}

TEST_F(Actions, ThumbnailClickWithNothingToOpenDoesNothing) {
    form->DwgVignette1_Click(); // nothing clicked yet
    click("plan.dwg");
    std::filesystem::remove(folder / "plan.dwg");
    form->DwgVignette1_Click(); // gone since
    EXPECT_TRUE(launcher.calls.empty());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(tray.iconPresent);
}

TEST_F(Actions, TrashAnsweredNoChangesNothing) {
    click("plan.dwg");
    MessageBox::setNextAnswer(Answer::No);
    form->cmdPoubelle_Click();
    const auto shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, MessageBox::Kind::Question);
    EXPECT_EQ(shown[0].title, QStringLiteral("Dessiscope"));
    EXPECT_EQ(shown[0].text, QStringLiteral("Voulez-vous supprimer\n") +
                                 QString::fromStdString(platform::displayText(form->FichVi)) + QStringLiteral(" ?"));
    EXPECT_TRUE(trash.trashed.empty());
    EXPECT_FALSE(form->DwgVignette1->image().isNull());
    EXPECT_FALSE(form->lblTaille->text().isEmpty());
    EXPECT_EQ(form->filFich1->count(), 2);
}

TEST_F(Actions, TrashAnsweredYesTrashesAndClears) {
    click("sym.slb");
    const std::filesystem::path fichVi = form->FichVi;
    const SlideReference reference = form->Cliche1->reference();
    MessageBox::setNextAnswer(Answer::Yes);
    form->cmdPoubelle_Click();
    ASSERT_TRUE(form.settle());
    EXPECT_EQ(trash.trashed, (std::vector<std::filesystem::path>{fichVi}));
    EXPECT_EQ(form->filFich1->count(), 1); // the file dropped out of the list
    EXPECT_TRUE(form->lstSld1->isHidden());
    EXPECT_TRUE(form->DwgVignette1->dwgFileName().empty());
    EXPECT_TRUE(form->lblTaille->text().isEmpty());
    EXPECT_TRUE(form->lblCreation->text().isEmpty());
    EXPECT_TRUE(form->lblModif->text().isEmpty());
    // What stays: the selection, the message, the viewer and its reference.
    EXPECT_EQ(form->FichVi, fichVi);
    EXPECT_EQ(form->lblMessage->text(), QStringLiteral("Cliché AutoCAD dans une bibliothèque"));
    EXPECT_EQ(form->Cliche1->reference(), reference);
    EXPECT_TRUE(form->Cliche1->isVisible());
    // Deleted already: the button does nothing more, not even ask.
    EXPECT_EQ(MessageBox::takeShown().size(), 1);
    MessageBox::setNextAnswer(Answer::Yes);
    form->cmdPoubelle_Click();
    EXPECT_TRUE(MessageBox::takeShown().empty());
    EXPECT_EQ(trash.trashed.size(), 1u);
    EXPECT_EQ(MessageBox::takeAnswers(), 1); // the answer was never asked for
}

TEST_F(Actions, TrashFailureKeepsEverythingAndSaysWhy) {
    click("plan.dwg");
    trash.succeed = false;
    MessageBox::setNextAnswer(Answer::Yes); // the question
    MessageBox::setNextAnswer(Answer::Ok);  // the report
    form->cmdPoubelle_Click();
    const auto shown = MessageBox::takeShown();
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[1].kind, MessageBox::Kind::Warning);
    EXPECT_TRUE(shown[1].text.contains(QStringLiteral("Permission non accordée")));
    EXPECT_EQ(form->filFich1->count(), 2);
    EXPECT_FALSE(form->DwgVignette1->image().isNull());
    EXPECT_FALSE(form->lblTaille->text().isEmpty());
    EXPECT_TRUE(std::filesystem::exists(folder / "plan.dwg"));
}

TEST_F(Actions, PublisherLinkSendsOneRequestAndChangesNothing) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QByteArray received;
    int connections = 0;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* socket = server.nextPendingConnection();
        ++connections;
        QObject::connect(socket, &QTcpSocket::readyRead, [&, socket] {
            received += socket->readAll();
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello");
            socket->disconnectFromHost();
        });
    });
    form.services.publisherPage = QUrl(QStringLiteral("http://127.0.0.1:%1/accueil").arg(server.serverPort()));
    form.open();
    click("plan.dwg");
    const std::filesystem::path fichVi = form->FichVi;
    const QString message = form->lblMessage->text();
    QSignalSpy finished(form->netLienPub, &QNetworkAccessManager::finished);
    form->cmdURL_Click();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return finished.count() == 1; })); // answered and read: nothing is sent after that
    EXPECT_TRUE(received.startsWith("GET /accueil HTTP/1.1"));
    EXPECT_EQ(connections, 1);
    EXPECT_EQ(form->FichVi, fichVi);
    EXPECT_EQ(form->lblMessage->text(), message);
    EXPECT_FALSE(form->DwgVignette1->image().isNull());
}

TEST_F(Actions, PublisherLinkNeverFreezesTheWindow) {
    QTcpServer server; // accepts, never answers
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    form.services.publisherPage = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort()));
    form.open();
    bool turned = false;
    QTimer::singleShot(0, [&] { turned = true; });
    form->cmdURL_Click();
    // The click returned before anything reached the server: the request goes on in the event loop,
    // which keeps turning while the server says nothing.
    EXPECT_FALSE(server.hasPendingConnections());
    EXPECT_FALSE(turned);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasPendingConnections(); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return turned; }));
    EXPECT_TRUE(form->isEnabled());
}

} // namespace
