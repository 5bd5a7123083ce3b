// The window's handlers: navigation, the file click, the library list and the actions on a file.
#include "form1.h"

#include "browse/drivelist.h"
#include "browse/fileinfo.h"
#include "browse/filelist.h"
#include "browse/folderlist.h"
#include "browse/navigation.h"
#include "browse/readlane.h"
#include "components/dwgvignette.h"
#include "components/messagebox.h"
#include "components/slideviewer.h"
#include "fileops/deletion.h"
#include "fileops/publisherlink.h"
#include "preview/bibcliche.h"
#include "preview/fileview.h"

#include <QByteArray>
#include <QLabel>
#include <QListWidget>
#include <QPointer>

#include <algorithm>
#include <memory>

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
    // Reads still queued are dropped; those under way end before the file system they use goes.
    m_reads.clear();
    m_fileLane->cancel();
    m_slideLane->cancel();
    dirDisc1->cancel();
    filFich1->cancel();
    m_reads.waitForDone();
}

bool Form1::busy() const {
    return m_fileLane->busy() || m_slideLane->busy() || dirDisc1->loading() || filFich1->loading();
}

void Form1::volumesChanged() {
    // The selected volume stays selected while it is there. A folder shown that went gives way to
    // its nearest folder still there; what was shown of its files goes with it.
    const std::filesystem::path shown = dirDisc1->path();
    drvLecteurs->reload(shown);
    auto chain = ancestry(shown);
    std::reverse(chain.begin(), chain.end());
    dirDisc1->enter(std::move(chain), false, [this](const std::filesystem::path& nearest) {
        drvLecteurs->reload(nearest);
        m_fileLane->cancel();
        m_slideLane->cancel();
        Fichier.clear();
        lblMessage->setText(QStringLiteral(" "));
        showNoFile();
    });
}

void Form1::clearFacts() {
    lblTaille->setText(QString());
    lblCreation->setText(QString());
    lblModif->setText(QString());
}

void Form1::clearShown() {
    clearFacts();
    lstSld1->hide();
    Cliche1->hide();
    DwgVignette1->setDwgFileName({});
    DwgVignette1->show();
}

void Form1::showNoFile() {
    m_slowRead.stop();
    FichVi.clear();
    clearShown();
}

void Form1::dirDisc1_Change(const std::filesystem::path& folder) {
    // What the last click put up stays. A click still being read when the folder changed never put
    // anything up: its file belongs to the folder left, so what it finds is dropped, and nothing
    // is selected.
    if (m_fileLane->busy()) {
        m_fileLane->cancel();
        m_slideLane->cancel();
        Fichier.clear();
        lblMessage->setText(QStringLiteral(" "));
        showNoFile();
    }
    filFich1->setFolder(folder);
}

void Form1::filFich1_Click() {
    lblMessage->setText(QStringLiteral(" "));
    Chemin = withTrailingSeparator(dirDisc1->path());
    Fichier = filFich1->selectedName();
    m_slideLane->cancel();
    if (Fichier.empty()) {
        // The selection was taken away (Ctrl-click): nothing is selected, so no facts and no
        // preview are shown, rather than the folder's own.
        m_fileLane->cancel();
        showNoFile();
        return;
    }
    FichVi = Chemin / Fichier;
    m_slowRead.start();
    platform::FileSystem& fs = *m_services.fileSystem;
    const QSize pixels = Cliche1->pixelSize();
    using Result = std::shared_ptr<FileView>;
    m_fileLane->start<Result>(
        [&fs, path = FichVi, pixels](QPromise<Result>& promise) {
            promise.addResult(std::make_shared<FileView>(
                readFileView(fs, path, pixels, [&promise] { return promise.isCanceled(); })));
        },
        [this](const Result& view) { showFileView(*view); });
}

void Form1::showFileView(FileView& view) {
    m_slowRead.stop();
    FichInfo(view);
    lblTaille->setText(view.size ? QString::fromStdString(sizeText(*view.size)) : QString());
    switch (view.kind) {
    case FileKind::Library: {
        BibCliche(view);
        DwgVignette1->hide();
        Cliche1->show();
        // No name is picked yet: the viewer stays empty until one is.
        LoadedSlide none;
        none.status = SlideLoadStatus::NotASlide;
        Cliche1->setSlide({FichVi, {}, true}, std::move(none));
        lblMessage->setText(QStringLiteral("Cliché AutoCAD dans une bibliothèque"));
        break;
    }
    case FileKind::Slide:
        lstSld1->hide();
        DwgVignette1->hide();
        Cliche1->show();
        Cliche1->setSlide({FichVi, {}, false}, std::move(view.slide.loaded), std::move(view.slide.picture));
        lblMessage->setText(QStringLiteral("Cliché AutoCAD indépendant"));
        break;
    case FileKind::Drawing:
        lstSld1->hide();
        DwgVignette1->show();
        Cliche1->hide();
        if (!DwgVignette1->setPreview(FichVi, std::move(view.drawing))) {
            DwgVignette1->Refresh();
            lblMessage->setText(QStringLiteral("Ce fichier n'est pas au format R13 ou R14"));
            return;
        }
        lblMessage->setText(QStringLiteral("Cliquez sur l'image pour lancer le dessin"));
        DwgVignette1->Refresh();
        break;
    case FileKind::Other:
        break;
    }
}

void Form1::lstSld1_Click() {
    const QListWidgetItem* item = lstSld1->currentItem();
    if (!item) {
        return;
    }
    // The full directory name, not the shortened text the list shows.
    const SlideReference ref{FichVi, item->data(Qt::UserRole).toByteArray().toStdString(), true};
    platform::FileSystem& fs = *m_services.fileSystem;
    const QSize pixels = Cliche1->pixelSize();
    using Result = std::shared_ptr<SlidePicture>;
    m_slideLane->start<Result>(
        [&fs, ref, pixels](QPromise<Result>& promise) {
            promise.addResult(std::make_shared<SlidePicture>(
                readSlidePicture(fs, ref, pixels, [&promise] { return promise.isCanceled(); })));
        },
        [this, ref](const Result& slide) {
            Cliche1->setSlide(ref, std::move(slide->loaded), std::move(slide->picture));
        });
}

void Form1::FichInfo(const FileView& view) {
    auto text = [this](const std::optional<std::int64_t>& stamp) {
        return stamp ? QString::fromStdString(DateEnTexte(*stamp, *m_services.locale)) : QString();
    };
    lblCreation->setText(text(view.times.creation));
    lblModif->setText(text(view.times.lastWrite));
}

void Form1::BibCliche(const FileView& view) {
    showSlideNames(*lstSld1, view.names);
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
    // The associated program is looked up from the file's contents, which a slow share may take a
    // while to give: the window goes on meanwhile, and is told the outcome later.
    m_services.launcher->openAsync(static_cast<std::uint64_t>(winId()), Fichier, Chemin,
                                   [self = QPointer<Form1>(this)](const platform::LaunchOutcome& outcome) {
                                       if (self) {
                                           self->launchEnded(outcome);
                                       }
                                   });
}

void Form1::launchEnded(const platform::LaunchOutcome& outcome) {
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
    SuppressFich(FichVi, [self = QPointer<Form1>(this), path](bool trashed) {
        if (self) {
            self->trashEnded(trashed, path);
        }
    });
}

void Form1::trashEnded(bool trashed, const QString& path) {
    if (!trashed) {
        // The file is still there: say so, and leave the display as it is.
        MessageBox::warning(this, QStringLiteral("Dessiscope"),
                            QStringLiteral("Le fichier n'a pas pu être mis à la corbeille :\n") + path +
                                QStringLiteral("\n") + QString::fromStdString(m_lastTrashError));
        return;
    }
    m_fileLane->cancel();
    m_slideLane->cancel();
    m_slowRead.stop();
    filFich1->refresh();
    lstSld1->hide();
    DwgVignette1->setDwgFileName({});
    DwgVignette1->Refresh();
    clearFacts();
}

void Form1::SuppressFich(const std::filesystem::path& sFileNames, std::function<void(bool)> done) {
    m_lastTrashError.clear();
    // Moving to the trash may wait on a slow share: the outcome comes back later.
    m_services.trash->moveToTrashAsync(
        sFileNames, [self = QPointer<Form1>(this), done = std::move(done)](bool trashed, const std::string& reason) {
            if (self) {
                self->m_lastTrashError = reason;
                done(trashed);
            }
        });
}

void Form1::cmdURL_Click() {
    requestPublisherPage(*netLienPub, m_services.publisherPage.isEmpty() ? kPublisherPage : m_services.publisherPage);
}

} // namespace dsc
