// The window's construction: its controls as placed, named and coloured on the form.
#include "form1.h"

#include "browse/drivelist.h"
#include "browse/filelist.h"
#include "browse/folderlist.h"
#include "components/dwgvignette.h"
#include "components/slideviewer.h"
#include "picturebutton.h"

#include <QAction>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QNetworkAccessManager>

namespace dsc {

namespace {

constexpr QColor kCyan{0, 255, 255};
constexpr QColor kDarkBlue{0, 0, 64};

// Lengths on the form are given in twips; 15 twips make a logical pixel.
QRect twips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

QFont windowFont() {
    QFont f;
    f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                   QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    f.setPointSizeF(8.0);
    return f;
}

QFont sponsorFont(bool italic) {
    QFont f(QStringLiteral("Times New Roman"));
    f.setStyleHint(QFont::Serif);
    f.setPointSizeF(9.75);
    f.setBold(true);
    f.setItalic(italic);
    return f;
}

void setColours(QWidget* w, const QColor& background, const QColor& text) {
    QPalette p = w->palette();
    if (background.isValid()) {
        p.setColor(QPalette::Window, background);
        w->setAutoFillBackground(true);
    }
    if (text.isValid()) {
        p.setColor(QPalette::WindowText, text);
    }
    w->setPalette(p);
}

} // namespace

Form1::Form1(const Form1Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_services(services) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(form1::kCaption));
    setWindowIcon(QIcon(QStringLiteral(":/pictures/dessiscope.ico")));
    setFixedSize(form1::kClientWidth, form1::kClientHeight);
    setFont(windowFont());
    setColours(this, kCyan, {});
    buildControls();

    std::filesystem::path start = m_services.startFolder;
    if (start.empty()) {
        std::error_code ec;
        start = std::filesystem::current_path(ec);
    }
    drvLecteurs->reload(start);
    // The start folder, or the root of its volume when it cannot be entered.
    dirDisc1->enter({start, drvLecteurs->currentRoot()}, true);
    m_services.fileSystem->watchVolumes([this] { volumesChanged(); });
}

QLabel* Form1::makeLabel(const char* name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void Form1::buildControls() {
    auto& fs = *m_services.fileSystem;

    drvLecteurs = new DriveList(fs, this);
    drvLecteurs->setObjectName(QStringLiteral("drvLecteurs"));
    drvLecteurs->setGeometry(twips(120, 120, 2775, 315));
    connect(drvLecteurs, &DriveList::driveChanged, this, &Form1::drvLecteurs_Change);

    m_fileLane = new ReadLane(m_reads, this);
    m_slideLane = new ReadLane(m_reads, this);
    m_slowRead.setSingleShot(true);
    m_slowRead.setInterval(kSlowReadMs);
    connect(&m_slowRead, &QTimer::timeout, this, &Form1::clearShown);

    dirDisc1 = new FolderList(fs, m_reads, this);
    dirDisc1->setObjectName(QStringLiteral("dirDisc1"));
    dirDisc1->setGeometry(twips(120, 555, 2775, 990));
    connect(dirDisc1, &FolderList::folderChanged, this, &Form1::dirDisc1_Change);

    filFich1 = new FileList(fs, m_reads, this);
    filFich1->setObjectName(QStringLiteral("filFich1"));
    filFich1->setGeometry(twips(120, 1650, 2775, 1455));
    connect(filFich1, &FileList::fileClicked, this, &Form1::filFich1_Click);

    DwgVignette1 = new DwgVignette(this);
    DwgVignette1->setObjectName(QStringLiteral("DwgVignette1"));
    DwgVignette1->setGeometry(twips(3000, 120, 3255, 2535));

    lblMessage = makeLabel("lblMessage", QStringLiteral(" "), twips(3000, 2760, 3255, 375));
    lblMessage->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    lblMessage->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setColours(lblMessage, kCyan, {});

    Label1 = makeLabel("Label1", QStringLiteral("Le Grenier des"), twips(3960, 3240, 1095, 255));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label1->setFont(sponsorFont(true));
    setColours(Label1, kDarkBlue, QColor(255, 0, 255));

    Label2 = makeLabel("Label2", QStringLiteral("Planotiers   "), twips(5040, 3240, 1215, 255));
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label2->setFont(sponsorFont(false));
    setColours(Label2, kDarkBlue, QColor(224, 224, 224));

    Label3 = makeLabel("Label3", QStringLiteral("Offert par"), twips(3000, 3240, 855, 255));
    Label3->setFont(sponsorFont(true));
    setColours(Label3, kCyan, kDarkBlue);

    cmdURL = new PictureButton(QPixmap(QStringLiteral(":/pictures/logo.gif")), QColor(192, 192, 255), this);
    cmdURL->setObjectName(QStringLiteral("cmdURL"));
    cmdURL->setGeometry(twips(4440, 3600, 1815, 615));
    cmdURL->setToolTip(QStringLiteral("Site de l'éditeur"));
    cmdURL->setAccessibleName(QStringLiteral("Site de l'éditeur"));

    cmdIcon = new PictureButton(QPixmap(QStringLiteral(":/pictures/icone.bmp")), QColor(128, 255, 255), this);
    cmdIcon->setObjectName(QStringLiteral("cmdIcon"));
    cmdIcon->setGeometry(twips(3720, 3600, 615, 615));
    cmdIcon->setToolTip(QStringLiteral("Ranger dans la zone de notification"));
    cmdIcon->setAccessibleName(QStringLiteral("Ranger dans la zone de notification"));

    cmdPoubelle = new PictureButton(QPixmap(QStringLiteral(":/pictures/poubelle.ico")), QColor(192, 192, 255), this);
    cmdPoubelle->setObjectName(QStringLiteral("cmdPoubelle"));
    cmdPoubelle->setGeometry(twips(3000, 3600, 615, 615));
    cmdPoubelle->setToolTip(QStringLiteral("Supprimer le fichier"));
    cmdPoubelle->setAccessibleName(QStringLiteral("Supprimer le fichier"));

    // The three captions size themselves to their text; never smaller than their place on the form.
    auto caption = [this](const char* name, const QString& text, QRect geometry) {
        QLabel* l = makeLabel(name, text, geometry);
        l->resize(l->size().expandedTo(l->sizeHint()));
        setColours(l, kCyan, {});
        return l;
    };
    Label4 = caption("Label4", QStringLiteral("Taille :"), twips(120, 3480, 465, 195));

    // The three value labels take the face colour of buttons and a sunken single-line edge.
    auto valueLabel = [this](const char* name, QRect geometry) {
        QLabel* l = makeLabel(name, QString(), geometry);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setLineWidth(1);
        setColours(l, palette().color(QPalette::Button), {});
        return l;
    };
    lblTaille = valueLabel("lblTaille", twips(960, 3480, 1935, 255));
    lblModif = valueLabel("lblModif", twips(960, 3960, 1935, 255));
    lblCreation = valueLabel("lblCreation", twips(960, 3720, 1935, 255));

    Label6 = caption("Label6", QStringLiteral("Modifié le :"), twips(120, 3960, 840, 195));
    Label5 = caption("Label5", QStringLiteral("Créé le :"), twips(120, 3720, 585, 195));

    Cliche1 = new SlideViewer(this);
    Cliche1->setObjectName(QStringLiteral("Cliche1"));
    Cliche1->setGeometry(twips(3000, 120, 3255, 2535));

    lstSld1 = new QListWidget(this);
    lstSld1->setObjectName(QStringLiteral("lstSld1"));
    lstSld1->setGeometry(QRect(8, 213, 185, 69)); // top 3200 twips: 213 1/3 pixels
    lstSld1->setUniformItemSizes(true);
    // A click or the arrow keys: whatever makes a name current shows its slide.
    connect(lstSld1, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (item) {
            lstSld1_Click();
        }
    });
    connect(cmdIcon, &QAbstractButton::clicked, this, &Form1::cmdIcon_Click);
    connect(cmdPoubelle, &QAbstractButton::clicked, this, &Form1::cmdPoubelle_Click);
    connect(cmdURL, &QAbstractButton::clicked, this, &Form1::cmdURL_Click);
    connect(DwgVignette1, &DwgVignette::clicked, this, &Form1::DwgVignette1_Click);
    connect(DwgVignette1, &DwgVignette::doubleClicked, this, &Form1::DwgVignette1_Click);

    netLienPub = new QNetworkAccessManager(this);
    netLienPub->setObjectName(QStringLiteral("netLienPub"));

    Menu = new QMenu(QStringLiteral("Menu"), this);
    Menu->setObjectName(QStringLiteral("Menu"));
    Agrandir = Menu->addAction(QStringLiteral("&Agrandir"));
    Agrandir->setObjectName(QStringLiteral("Agrandir"));
    bb = Menu->addSeparator();
    bb->setObjectName(QStringLiteral("bb"));
    Quitter = Menu->addAction(QStringLiteral("&Désactiver"));
    Quitter->setObjectName(QStringLiteral("Quitter"));
    Menu->setDefaultAction(Agrandir);
    connect(Agrandir, &QAction::triggered, this, &Form1::Agrandir_Click);
    connect(Quitter, &QAction::triggered, this, &Form1::Quitter_Click);

    // Focus moves in tab-index order; labels never take it.
    QWidget* order[] = {drvLecteurs, dirDisc1, filFich1, DwgVignette1, cmdURL, cmdIcon, cmdPoubelle, Cliche1, lstSld1};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
    // A list box is always drawn above the labels it covers.
    lstSld1->raise();
}

} // namespace dsc
