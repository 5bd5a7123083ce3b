// The window's handlers: navigation, the file click, the library list and the actions on a file.
#include "form1.h"

#include "browse/drivelist.h"
#include "browse/fileinfo.h"
#include "browse/filelist.h"
#include "browse/folderlist.h"
#include "browse/navigation.h"
#include "components/dwgvignette.h"
#include "components/messagebox.h"
#include "components/slideviewer.h"
#include "fileops/deletion.h"
#include "fileops/publisherlink.h"
#include "preview/bibcliche.h"

#include <QByteArray>
#include <QLabel>
#include <QListWidget>

namespace dsc {

void Form1::drvLecteurs_Change(const std::filesystem::path& root) {
    // Choosing the volume the folder list is already on keeps its folder; another volume opens at
    // its root. One that cannot be entered (no medium, unmounted) leaves the folder list as it was.
    const auto& volumes = drvLecteurs->volumes();
    const int current = volumeIndexFor(volumes, dirDisc1->path());
    if (current >= 0 && volumes[static_cast<std::size_t>(current)].root == root) {
        return;
    }
    dirDisc1->setPath(root);
}

Form1::~Form1() {
    m_services.fileSystem->watchVolumes({});
}

void Form1::volumesChanged() {
    const std::filesystem::path shown = dirDisc1->path();
    if (m_services.fileSystem->isDirectory(shown)) {
        drvLecteurs->reload(shown); // the selected volume stays selected
        return;
    }
    std::filesystem::path nearest = shown;
    while (nearest.has_relative_path() && !m_services.fileSystem->isDirectory(nearest)) {
        nearest = nearest.parent_path();
    }
    drvLecteurs->reload(nearest);
    dirDisc1->setPath(nearest); // lists the folder's files anew
    Fichier.clear();
    lblMessage->setText(QStringLiteral(" "));
    showNoFile();
}

void Form1::showNoFile() {
    FichVi.clear();
    lblTaille->setText(QString());
    lblCreation->setText(QString());
    lblModif->setText(QString());
    lstSld1->hide();
    Cliche1->hide();
    DwgVignette1->setDwgFileName({});
    DwgVignette1->show();
}

void Form1::dirDisc1_Change(const std::filesystem::path& folder) {
    filFich1->setFolder(folder);
}

void Form1::filFich1_Click() {
    lblMessage->setText(QStringLiteral(" "));
    Chemin = withTrailingSeparator(dirDisc1->path());
    Fichier = filFich1->selectedName();
    if (Fichier.empty()) {
        // The selection was taken away (Ctrl-click): nothing is selected, so no facts and no
        // preview are shown, rather than the folder's own.
        showNoFile();
        return;
    }
    FichVi = Chemin / Fichier;
    FichInfo(FichVi);
    const auto size = m_services.fileSystem->fileSize(FichVi);
    lblTaille->setText(size ? QString::fromStdString(sizeText(*size)) : QString());

    const auto& native = FichVi.native();
    const auto lastChar = native.empty() ? 0 : native.back();
    const char last =
        lastChar >= 'a' && lastChar <= 'z' ? static_cast<char>(lastChar - 'a' + 'A') : static_cast<char>(lastChar);
    if (last == 'B') {
        BibCliche();
        DwgVignette1->hide();
        Cliche1->show();
        const QListWidgetItem* selected = lstSld1->currentItem();
        const std::string name =
            (selected && selected->isSelected()) ? selected->data(Qt::UserRole).toByteArray().toStdString() : "";
        Cliche1->setReference({FichVi, name, true});
        lblMessage->setText(QStringLiteral("Cliché AutoCAD dans une bibliothèque"));
    }
    if (last == 'D') {
        lstSld1->hide();
        DwgVignette1->hide();
        Cliche1->show();
        Cliche1->setReference({FichVi, {}, false});
        lblMessage->setText(QStringLiteral("Cliché AutoCAD indépendant"));
    }
    if (last == 'G') {
        lstSld1->hide();
        DwgVignette1->show();
        Cliche1->hide();
        if (!DwgVignette1->setDwgFileName(FichVi)) {
            DwgVignette1->Refresh();
            lblMessage->setText(QStringLiteral("Ce fichier n'est pas au format R13 ou R14"));
            return;
        }
        lblMessage->setText(QStringLiteral("Cliquez sur l'image pour lancer le dessin"));
        DwgVignette1->Refresh();
    }
}

void Form1::lstSld1_Click() {
    const QListWidgetItem* item = lstSld1->currentItem();
    if (!item) {
        return;
    }
    // The full directory name, not the shortened text the list shows.
    Cliche1->setReference({FichVi, item->data(Qt::UserRole).toByteArray().toStdString(), true});
}

void Form1::FichInfo(const std::filesystem::path& path) {
    const platform::FileTimes times = m_services.fileSystem->fileTimes(path);
    auto text = [this](const std::optional<std::int64_t>& stamp) {
        return stamp ? QString::fromStdString(DateEnTexte(*stamp, *m_services.locale)) : QString();
    };
    lblCreation->setText(text(times.creation));
    lblModif->setText(text(times.lastWrite));
}

void Form1::BibCliche() {
    listSlideNames(*lstSld1, FichVi);
}

namespace {

bool isRegularFile(const std::filesystem::path& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

} // namespace

void Form1::DwgVignette1_Click() {
    // Nothing selected, or the drawing has gone since: nothing to open.
    if (!isRegularFile(FichVi)) {
        return;
    }
    hideToTray();
    const platform::LaunchOutcome outcome =
        m_services.launcher->open(static_cast<std::uint64_t>(winId()), Fichier, Chemin);
    if (outcome.result == platform::LaunchOutcome::Result::NoAssociation) {
        MessageBox::information(this, QStringLiteral("Absence d'association de fichier"),
                                QStringLiteral("Ni AutoCAD ni LT ne sont associés aux fichiers .dwg !"));
    } else if (outcome.result == platform::LaunchOutcome::Result::Failed) {
        MessageBox::warning(this, QStringLiteral("Dessiscope"),
                            QStringLiteral("Le dessin n'a pas pu être ouvert :\n") +
                                QString::fromStdString(outcome.reason));
    }
}

void Form1::cmdPoubelle_Click() {
    // Nothing selected, or already gone: nothing to delete.
    if (!isRegularFile(FichVi)) {
        return;
    }
    const QString path = QString::fromStdString(platform::displayText(FichVi));
    if (MessageBox::question(this, QStringLiteral("Dessiscope"), deleteQuestion(path)) != MessageBox::Answer::Yes) {
        return;
    }
    if (!SuppressFich(FichVi)) {
        // The file is still there: say so, and leave the display as it is.
        MessageBox::warning(this, QStringLiteral("Dessiscope"),
                            QStringLiteral("Le fichier n'a pas pu être mis à la corbeille :\n") + path +
                                QStringLiteral("\n") + QString::fromStdString(m_lastTrashError));
        return;
    }
    filFich1->refresh();
    lstSld1->hide();
    DwgVignette1->setDwgFileName({});
    DwgVignette1->Refresh();
    lblTaille->setText(QString());
    lblCreation->setText(QString());
    lblModif->setText(QString());
}

bool Form1::SuppressFich(const std::filesystem::path& sFileNames) {
    m_lastTrashError.clear();
    return m_services.trash->moveToTrash(sFileNames, m_lastTrashError);
}

void Form1::cmdURL_Click() {
    requestPublisherPage(*netLienPub, m_services.publisherPage.isEmpty() ? kPublisherPage : m_services.publisherPage);
}

} // namespace dsc
