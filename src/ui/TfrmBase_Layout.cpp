// Main window layout: tree and splitter, the panel group with its three captioned panels and
// every control they hold.
#include "ui/TfrmBase.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/TfrmAjout.h"
#include "ui/kit/CaptionPanel.h"
#include "ui/kit/PictureBox.h"

namespace cinevaro::ui {

namespace {

// Record view geometry (body coordinates of ADVGen).
constexpr int kRowTop = 52;
constexpr int kRowPitch = 23;
constexpr int kLabelLeft = 24;
constexpr int kBoxLeft = 110;
constexpr int kColumnRight = 342;
constexpr int kCoverLeft = 350;

// The language boxes offer the same 85 nationalities as the editor's origin box.
QStringList languages()
{
    return TfrmAjout::originList();
}

QLabel* fieldLabel(const QString& text, QWidget* parent, const QRect& geometry)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(geometry);
    return label;
}

QLineEdit* readOnlyBox(const QString& name, const QString& hint, QWidget* parent, const QRect& geometry)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setToolTip(hint);
    box->setGeometry(geometry);
    return box;
}

QRadioButton* filterRadio(const QString& name, const QString& hint, QWidget* parent, int top)
{
    auto* radio = new QRadioButton(parent);
    radio->setObjectName(name);
    radio->setToolTip(hint);
    radio->setGeometry(4, top, 18, 21);
    radio->setEnabled(false);
    return radio;
}

QComboBox* techCombo(const QString& name, const QStringList& items)
{
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setMinimumContentsLength(6);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

QLineEdit* techEdit(const QString& name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMaximumWidth(70);
    return edit;
}

} // namespace

void TfrmBase::buildLayout()
{
    Split = new QSplitter(Qt::Horizontal, this);
    Split->setObjectName(QStringLiteral("Split"));
    Split->setChildrenCollapsible(false);
    Split->setHandleWidth(5);

    TreeFilm = new QTreeWidget(Split);
    TreeFilm->setObjectName(QStringLiteral("TreeFilm"));
    TreeFilm->setHeaderHidden(true);
    TreeFilm->setColumnCount(1);
    TreeFilm->setIndentation(19);
    TreeFilm->setMinimumWidth(260);
    TreeFilm->setUniformRowHeights(true);
    TreeFilm->setExpandsOnDoubleClick(false);
    TreeFilm->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeFilm->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeFilm->setContextMenuPolicy(Qt::CustomContextMenu);
    TreeFilm->setIconSize(QSize(16, 16));
    TreeFilm->installEventFilter(this);

    Panel = new QWidget(Split);
    Panel->setObjectName(QStringLiteral("Panel"));
    auto* column = new QVBoxLayout(Panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);

    ADVGen = new CaptionPanel(QStringLiteral("Informations Générales"), Panel);
    ADVGen->setObjectName(QStringLiteral("ADVGen"));
    ADVGen->setResizable(true);
    ADVGen->setExpandedHeight(330);
    buildRecordView(ADVGen->body());
    column->addWidget(ADVGen);

    ADVSupp = new CaptionPanel(QStringLiteral("Informations Supplémentaires"), Panel);
    ADVSupp->setObjectName(QStringLiteral("ADVSupp"));
    ADVSupp->setClosable(true);
    ADVSupp->setExpandedHeight(170);
    buildTechPanel(ADVSupp->body());
    column->addWidget(ADVSupp);

    ADVpret = new CaptionPanel(QStringLiteral("Prêt"), Panel);
    ADVpret->setObjectName(QStringLiteral("ADVpret"));
    ADVpret->setClosable(true);
    ADVpret->setExpandedHeight(58);
    buildLoanPanel(ADVpret->body());
    column->addWidget(ADVpret);
    column->addStretch(1);

    Split->addWidget(TreeFilm);
    Split->addWidget(Panel);
    Split->setStretchFactor(0, 0);
    Split->setStretchFactor(1, 1);
    setCentralWidget(Split);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    for (int i = 0; i < 2; ++i) {
        m_statusPanels[i] = new QLabel(StatusBar);
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_statusPanels[i]->setMinimumWidth(i == 0 ? 200 : 50);
        StatusBar->addWidget(m_statusPanels[i], i);
    }
    setStatusBar(StatusBar);

    connect(ADVGen, &CaptionPanel::heightChanged, this, [this] {
        ADVGenResize();
        FormResize();
    });
    connect(ADVSupp, &CaptionPanel::heightChanged, this, &TfrmBase::FormResize);
    connect(ADVpret, &CaptionPanel::heightChanged, this, &TfrmBase::FormResize);
    connect(ADVpret, &CaptionPanel::closed, this, &TfrmBase::ADVpretClose);
    connect(ADVSupp, &CaptionPanel::closed, this, &TfrmBase::ADVSuppClose);
    ADVGen->body()->installEventFilter(this);
}

void TfrmBase::buildRecordView(QWidget* body)
{
    lblTitre = new QLabel(body);
    lblTitre->setObjectName(QStringLiteral("lblTitre"));
    lblTitre->setToolTip(QStringLiteral("Titre"));
    lblTitre->setAlignment(Qt::AlignCenter);
    lblTitre->setWordWrap(true);
    lblTitre->setFrameShape(QFrame::StyledPanel);
    lblTitre->setAutoFillBackground(true);
    QFont titleFont = lblTitre->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    lblTitre->setFont(titleFont);

    filterGroup = new QButtonGroup(this);
    filtreNul = new QRadioButton(QStringLiteral("Aucun Filtre"), body);
    filtreNul->setObjectName(QStringLiteral("filtreNul"));
    filtreNul->setToolTip(QStringLiteral("Appliquer Aucun Filtre"));
    filtreNul->setGeometry(4, 30, 120, 21);
    filterGroup->addButton(filtreNul);

    struct Row
    {
        QRadioButton** radio;
        const char* radioName;
        QString radioHint;
        QLineEdit** box;
        const char* boxName;
        QString label;
        QString hint;
    };
    const Row rows[] = {
        {&filtreReal, "filtreReal", QStringLiteral("Filtrer par Réalisateur"), &lblReal, "lblReal",
         QStringLiteral("Réalisateur :"), QStringLiteral("Réalisateur")},
        {&filtreOri, "filtreOri", QStringLiteral("Filtrer par Origine"), &lblOri, "lblOri", QStringLiteral("Origine :"),
         QStringLiteral("Origine")},
        {&filtreDate, "filtreDate", QStringLiteral("Filtrer par Date"), &lblDate, "lblDate", QStringLiteral("Date :"),
         QStringLiteral("Année")},
        {&filtreGenre, "filtreGenre", QStringLiteral("Filtrer par Genre"), &lblGenre, "lblGenre",
         QStringLiteral("Genre :"), QStringLiteral("Genre")},
        {&filtreDistrib, "filtreDistrib", QStringLiteral("Filtrer par Distributeur"), &lblDistrib, "lblDistrib",
         QStringLiteral("Distribution :"), QStringLiteral("Distributeur")},
        {&filtreSupport, "filtreSupport", QStringLiteral("Filtrer par Support"), &lblSupport, "lblSupport",
         QStringLiteral("Support :"), QStringLiteral("Support Vidéo")},
    };
    int top = kRowTop;
    for (const auto& row : rows) {
        *row.radio = filterRadio(QLatin1String(row.radioName), row.radioHint, body, top);
        filterGroup->addButton(*row.radio);
        fieldLabel(row.label, body, QRect(kLabelLeft, top, kBoxLeft - kLabelLeft - 4, 21));
        const bool dateRow = row.box == &lblDate;
        *row.box = readOnlyBox(QLatin1String(row.boxName), row.hint, body,
                               QRect(kBoxLeft, top, dateRow ? 44 : kColumnRight - kBoxLeft, 21));
        if (dateRow) {
            fieldLabel(QStringLiteral("Durée :"), body, QRect(156, top, 48, 21));
            lblDuree = readOnlyBox(QStringLiteral("lblDuree"), QStringLiteral("Durée"), body, QRect(206, top, 42, 21));
            fieldLabel(QStringLiteral("N° Film :"), body, QRect(250, top, 56, 21));
            lblNo = readOnlyBox(QStringLiteral("lblNo"), QStringLiteral("Numéro du Support"), body,
                                QRect(308, top, kColumnRight - 308, 21));
        }
        top += kRowPitch;
    }

    lblActeurs =
        fieldLabel(QStringLiteral("Acteurs :"), body, QRect(kLabelLeft, top + 2, kBoxLeft - kLabelLeft - 4, 21));
    lblActeurs->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lstActeur = new QListWidget(body);
    lstActeur->setObjectName(QStringLiteral("lstActeur"));
    lstActeur->setToolTip(QStringLiteral("Acteurs"));
    lstActeur->setSelectionMode(QAbstractItemView::SingleSelection);

    lblSynopsis = fieldLabel(QStringLiteral("Synopsis"), body, QRect(kLabelLeft, 0, kBoxLeft - kLabelLeft - 4, 21));
    lblSynopsis->setAlignment(Qt::AlignRight | Qt::AlignTop);
    MemoResume = new QPlainTextEdit(body);
    MemoResume->setObjectName(QStringLiteral("MemoResume"));
    MemoResume->setToolTip(QStringLiteral("Résumé"));
    MemoResume->setReadOnly(true);
    MemoResume->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    imgCover = new PictureBox(body);
    imgCover->setObjectName(QStringLiteral("imgCover"));
    imgCover->setToolTip(QStringLiteral("Pas d'Affiche disponible"));
    lblimage = new QLabel(body);
    lblimage->setObjectName(QStringLiteral("lblimage"));
    lblimage->setAlignment(Qt::AlignCenter);
    lblimage->setWordWrap(true);
    lblimage->hide();
}

void TfrmBase::ADVGenResize()
{
    QWidget* body = ADVGen->body();
    const int w = body->width();
    const int h = body->height();
    lblTitre->setGeometry(4, 2, std::max(w - 8, 40), 26);
    if (ADVGen->isCollapsed() || h <= 0)
        return;
    // Actor list and synopsis share the height below the fields, the synopsis the larger part.
    const int listTop = kRowTop + 6 * kRowPitch + 2;
    const int listHeight = std::max((h - listTop - 8) * 2 / 5, 24);
    const int memoTop = listTop + listHeight + 4;
    const int memoHeight = std::max(h - memoTop - 4, 24);
    lblActeurs->move(kLabelLeft, listTop + 2);
    lstActeur->setGeometry(kBoxLeft, listTop, kColumnRight - kBoxLeft, listHeight);
    lblSynopsis->move(kLabelLeft, memoTop + 2);
    MemoResume->setGeometry(kBoxLeft, memoTop, kColumnRight - kBoxLeft, memoHeight);
    // The cover stands right of the fields, from the first field to the bottom of the synopsis.
    const int coverHeight = memoTop + memoHeight - kRowTop + 2;
    const int coverWidth = std::max(std::min(coverHeight, w - kCoverLeft - 4), 0);
    const QRect cover(kCoverLeft, kRowTop - 2, coverWidth, coverHeight);
    imgCover->setGeometry(cover);
    lblimage->setGeometry(cover.adjusted(6, 0, -6, 0));
}

void TfrmBase::buildTechPanel(QWidget* body)
{
    cmbVideo =
        techCombo(QStringLiteral("cmbVideo"),
                  {QStringLiteral("ASF"),          QStringLiteral("AVI"),           QStringLiteral("DivX"),
                   QStringLiteral("DivX 3.11"),    QStringLiteral("DivX 4"),        QStringLiteral("DivX 5"),
                   QStringLiteral("MPEG1"),        QStringLiteral("MPEG1/VideoCD"), QStringLiteral("MPEG1/XVCD"),
                   QStringLiteral("MPEG2"),        QStringLiteral("MPEG2/DVD"),     QStringLiteral("MPEG2/Super-VCD"),
                   QStringLiteral("MPEG4"),        QStringLiteral("MiniDVD"),       QStringLiteral("QuickTime"),
                   QStringLiteral("Real Vidéo"),   QStringLiteral("S-VHS"),         QStringLiteral("VHS"),
                   QStringLiteral("VHS NTSC"),     QStringLiteral("VHS PAL"),       QStringLiteral("VHS Secam"),
                   QStringLiteral("VHS-C"),        QStringLiteral("Video 8"),       QStringLiteral("WindowMedia 7"),
                   QStringLiteral("WindowMedia 8")});
    cmbAudio = techCombo(QStringLiteral("cmbAudio"),
                         {QStringLiteral("AC3"), QStringLiteral("Analogique Mono"), QStringLiteral("Analogique Stereo"),
                          QStringLiteral("MP3"), QStringLiteral("MPEG1"), QStringLiteral("MPEG2"),
                          QStringLiteral("Mono"), QStringLiteral("Stereo"), QStringLiteral("WMA")});
    cmbResol = techCombo(QStringLiteral("cmbResol"),
                         {QStringLiteral("128 x 96"), QStringLiteral("176 x 144"), QStringLiteral("352 x 288"),
                          QStringLiteral("640 x 480"), QStringLiteral("704 x 576"), QStringLiteral("720 x 480"),
                          QStringLiteral("720 x 576"), QStringLiteral("768 x 576"), QStringLiteral("1408 x 1152"),
                          QStringLiteral("1920 x 1035")});
    cmbZone = techCombo(QStringLiteral("cmbZone"),
                        {QStringLiteral("1 : Amérique du Nord"), QStringLiteral("2: Europe, Japon et Afrique du Sud"),
                         QStringLiteral("3 : Indonésie"), QStringLiteral("4: Australie et Amérique du Sud"),
                         QStringLiteral("5: Russie et Afrique"), QStringLiteral("6 : Chine")});
    spnVideo = techEdit(QStringLiteral("spnVideo"));
    spnAudio = techEdit(QStringLiteral("spnAudio"));
    spnSize = techEdit(QStringLiteral("spnSize"));
    cmbFrame =
        techCombo(QStringLiteral("cmbFrame"), {QStringLiteral("23.976"), QStringLiteral("24"), QStringLiteral("24.999"),
                                               QStringLiteral("25"), QStringLiteral("29"), QStringLiteral("30")});
    cmbFrame->setMaximumWidth(70);
    cmbLanguep = techCombo(QStringLiteral("cmbLanguep"), languages());
    cmbLangues = techCombo(QStringLiteral("cmbLangues"), languages());
    cmbSoustitre = techCombo(QStringLiteral("cmbSoustitre"), languages());
    QStringList disks;
    disks << QStringLiteral("1 Disque");
    for (int i = 2; i <= 9; ++i)
        disks << QStringLiteral("%1 Disques").arg(i);
    cmbDisk = techCombo(QStringLiteral("cmbDisk"), disks);

    auto* grid = new QGridLayout(body);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    auto label = [body](const QString& text) {
        auto* l = new QLabel(text, body);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return l;
    };
    auto unit = [body](const QString& text) { return new QLabel(text, body); };
    // Column 1: formats; column 2: rates, size, frame rate; column 3: languages and discs.
    grid->addWidget(label(QStringLiteral("Fomat Vidéo : ")), 0, 0);
    grid->addWidget(cmbVideo, 0, 1);
    grid->addWidget(label(QStringLiteral("Format Audio :")), 1, 0);
    grid->addWidget(cmbAudio, 1, 1);
    grid->addWidget(label(QStringLiteral("Résolution :")), 2, 0);
    grid->addWidget(cmbResol, 2, 1);
    grid->addWidget(label(QStringLiteral("Zone DVD :")), 3, 0);
    grid->addWidget(cmbZone, 3, 1);
    grid->addWidget(label(QStringLiteral("BitRate V. :")), 0, 2);
    grid->addWidget(spnVideo, 0, 3);
    grid->addWidget(unit(QStringLiteral("Kb/s")), 0, 4);
    grid->addWidget(label(QStringLiteral("BitRate A. :")), 1, 2);
    grid->addWidget(spnAudio, 1, 3);
    grid->addWidget(unit(QStringLiteral("Kb/s")), 1, 4);
    grid->addWidget(label(QStringLiteral("Taille")), 2, 2);
    grid->addWidget(spnSize, 2, 3);
    grid->addWidget(unit(QStringLiteral("Mo")), 2, 4);
    grid->addWidget(label(QStringLiteral("Fréquence :")), 3, 2);
    grid->addWidget(cmbFrame, 3, 3);
    grid->addWidget(unit(QStringLiteral("imgs/s")), 3, 4);
    auto* langue = new QLabel(QStringLiteral("Langue"), body);
    langue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(label(QStringLiteral("Nb Support :")), 0, 6);
    grid->addWidget(cmbDisk, 0, 7);
    grid->addWidget(langue, 1, 5, 2, 1);
    grid->addWidget(label(QStringLiteral("Principale :")), 1, 6);
    grid->addWidget(cmbLanguep, 1, 7);
    grid->addWidget(label(QStringLiteral("Secondaire :")), 2, 6);
    grid->addWidget(cmbLangues, 2, 7);
    grid->addWidget(label(QStringLiteral("Sous Titre :")), 3, 6);
    grid->addWidget(cmbSoustitre, 3, 7);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(7, 2);

    Button3 = new QPushButton(QStringLiteral("Extraire du fichier"), body);
    Button3->setObjectName(QStringLiteral("Button3"));
    btnEnregistreInfo = new QPushButton(QStringLiteral("Enregistrer"), body);
    btnEnregistreInfo->setObjectName(QStringLiteral("btnEnregistreInfo"));
    Button2 = new QPushButton(QStringLiteral("Annuler"), body);
    Button2->setObjectName(QStringLiteral("Button2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button3);
    buttons->addWidget(btnEnregistreInfo);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 4, 0, 1, 8);
}

void TfrmBase::buildLoanPanel(QWidget* body)
{
    auto* row = new QHBoxLayout(body);
    row->setContentsMargins(4, 4, 6, 4);
    row->setSpacing(4);
    filtrePret = new QRadioButton(body);
    filtrePret->setObjectName(QStringLiteral("filtrePret"));
    filtrePret->setToolTip(QStringLiteral("Filtrer par Emprunteur"));
    filtrePret->setAutoExclusive(false);
    filtrePret->setEnabled(false);
    row->addWidget(filtrePret);
    lblPret = new QLineEdit(body);
    lblPret->setObjectName(QStringLiteral("lblPret"));
    lblPret->setToolTip(QStringLiteral("Prêt"));
    lblPret->setReadOnly(true);
    row->addWidget(lblPret, 1);
    btnPret = new QPushButton(QStringLiteral("Prêter"), body);
    btnPret->setObjectName(QStringLiteral("btnPret"));
    row->addWidget(btnPret);
}

} // namespace cinevaro::ui
