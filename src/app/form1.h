#pragma once
// The main window: its controls, as named and placed on the form, and the handlers that tie
// them to the browsing, preview and file logic.

#include "browse/readpool.h"
#include "platform/filesystem.h"
#include "platform/launcher.h"
#include "platform/locale.h"
#include "platform/trash.h"
#include "platform/tray.h"

#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QNetworkAccessManager;

namespace dsc {

class DriveList;
struct FileView;
class ReadLane;
class DwgVignette;
class FileList;
class FolderList;
class PictureButton;
class SlideViewer;

// The outside world as the window sees it; tests replace parts of it.
struct Form1Services {
    platform::FileSystem* fileSystem = &platform::systemFileSystem();
    platform::LocaleFormats* locale = &platform::systemLocaleFormats();
    platform::TrayService* tray = &platform::systemTray();
    platform::Launcher* launcher = &platform::systemLauncher();
    platform::Trash* trash = &platform::systemTrash();
    QUrl publisherPage;                // empty: the publisher's own page
    std::filesystem::path startFolder; // empty: the process's current folder
    // How long the start waits for a notification area to appear before it shows the window.
    int trayWaitMs = 2000;
};

class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(const Form1Services& services = {}, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up: fills the tray record, puts the tool in the tray (or shows the window where the
    // desktop has no notification area), hides the list of slide names and the slide viewer.
    void Form_Load();
    // The tray icon's notifications, as mouse message numbers.
    void trayNotification(int mouseMessage);
    // Shows the window and removes the tray icon.
    void AfficheFenetre();
    // Hides the window and adds the tray icon; minimizes instead while there is no tray.
    void hideToTray();
    void cmdIcon_Click() { hideToTray(); }
    void Agrandir_Click() { AfficheFenetre(); }
    void Quitter_Click();
    // Before the window closes, whatever the cause: removes the tray icon.
    void Form_QueryUnload();

    // Navigation.
    void drvLecteurs_Change(const std::filesystem::path& root);
    // A volume came or went: the drive list follows; a folder shown that went with it gives way to
    // its nearest folder still there, and what was shown of its files is cleared.
    void volumesChanged();
    void dirDisc1_Change(const std::filesystem::path& folder);
    // Selection of a file: records it, then reads its facts and preview off the window's thread;
    // they show when read, unless another file was selected meanwhile.
    void filFich1_Click();
    // A slide name picked in the list of a library: its slide is read, then shown.
    void lstSld1_Click();

    // What was read of the selected file: its facts, then its preview switched by kind.
    void showFileView(FileView& view);
    void FichInfo(const FileView& view);
    void BibCliche(const FileView& view);
    // True while something the window shows is still being read.
    bool busy() const;

    // A click or double-click on the thumbnail: to the tray, and the drawing opened in its program.
    void DwgVignette1_Click();
    // The trash button: asks, sends the selected file to the trash, clears what showed it.
    void cmdPoubelle_Click();
    void SuppressFich(const std::filesystem::path& sFileNames, std::function<void(bool trashed)> done);
    void launchEnded(const platform::LaunchOutcome& outcome);
    void trashEnded(bool trashed, const QString& path);
    // The publisher link.
    void cmdURL_Click();

    // Controls, in tab order, then those without one.
    DriveList* drvLecteurs = nullptr;
    FolderList* dirDisc1 = nullptr;
    FileList* filFich1 = nullptr;
    DwgVignette* DwgVignette1 = nullptr;
    QLabel* lblMessage = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    PictureButton* cmdURL = nullptr;
    PictureButton* cmdIcon = nullptr;
    PictureButton* cmdPoubelle = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblTaille = nullptr;
    QLabel* lblModif = nullptr;
    QLabel* lblCreation = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label5 = nullptr;
    SlideViewer* Cliche1 = nullptr;
    QListWidget* lstSld1 = nullptr;
    QNetworkAccessManager* netLienPub = nullptr;
    QMenu* Menu = nullptr;
    QAction* Agrandir = nullptr;
    QAction* bb = nullptr;
    QAction* Quitter = nullptr;

    // Selection state: folder (ending in a separator), bare name, full path.
    std::filesystem::path Chemin;
    std::filesystem::path Fichier;
    std::filesystem::path FichVi;

signals:
    // The window was closed: the program ends.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    // No file selected: no facts, no preview, the empty thumbnail.
    void showNoFile();
    // What showed a file is cleared (its facts, its preview), the selection kept.
    void clearShown();
    // The size and dates emptied.
    void clearFacts();
    void trayReady();
    QLabel* makeLabel(const char* name, const QString& text, QRect geometry);

    Form1Services m_services;
    // Reads from the disk run on these threads, never on the window's: a slow share or a sleeping
    // disk makes a preview come later, never freezes the window. Their calls mostly wait, so a few
    // more than the processors; one for each lane below and in the folder and file lists, so none
    // waits behind a read stuck on a share that stopped answering.
    static constexpr int kReadThreads = 4;
    ReadPool m_reads{kReadThreads};
    ReadLane* m_fileLane = nullptr;  // a file's facts and preview
    ReadLane* m_slideLane = nullptr; // a slide picked in a library
    // A file that takes longer than this to read has what showed the previous one cleared
    // meanwhile; quicker ones replace it at once, without flicker.
    static constexpr int kSlowReadMs = 100;
    QTimer m_slowRead;
    bool m_unloaded = false;
    std::string m_lastTrashError;
};

// Window texts and colours shared with tests.
namespace form1 {
inline constexpr const char* kCaption = "Dessiscope - V 3.0";
inline constexpr int kClientWidth = 422;
inline constexpr int kClientHeight = 288;
} // namespace form1

} // namespace dsc
