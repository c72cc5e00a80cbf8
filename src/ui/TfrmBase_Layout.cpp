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

#include <algorithm>

#include "ui/TfrmAjout.h"
#include "ui/kit/CaptionPanel.h"
#include "ui/kit/PictureBox.h"

namespace cinevaro::ui {

namespace {

// Record view geometry (body coordinates of ADVGen) for an 8-point font; the positions
// actually used grow with the font's measures (see ADVGenResize).
constexpr int kTitleHeight = 26;
constexpr int kRowHeight = 21;
constexpr int kLabelLeft = 24;
constexpr int kColumnWidth = 232; // the field boxes' column
constexpr int kCoverGap = 8;

// The language boxes offer the same 85 nationalities as the editor's origin box.
QStringList languages()
{
    return TfrmAjout::originList();
}

QLabel* fieldLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLineEdit* readOnlyBox(const QString& name, const QString& hint, QWidget* parent)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    box->setToolTip(hint);
    return box;
}

QRadioButton* filterRadio(const QString& name, const QString& hint, QWidget* parent)
{
    auto* radio = new QRadioButton(parent);
    radio->setObjectName(name);
    radio->setToolTip(hint);
    radio->setEnabled(false);
    return radio;
}

// Width of a box showing `sample` in full.
int boxWidthFor(const QLineEdit* box, const QString& sample)
{
    return box->fontMetrics().horizontalAdvance(sample) + 12;
}

QComboBox* techCombo(const QString& name, const QStringList& items)
{
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setMinimumContentsLength(2);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

QLineEdit* techEdit(const QString& name)
{
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    // Room for five digits; the format and language boxes get the rest of the width.
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 10);
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
    // The fields' column and a narrow cover always fit, and so do a one-line title, the fields
    // and two lines each of actors and synopsis, whatever the font.
    {
        const RecordColumns c = recordColumns();
        ADVGen->body()->setMinimumWidth(c.boxLeft + c.columnWidth + kCoverGap + 40);
        const int twoLines = 2 * MemoResume->fontMetrics().lineSpacing() + 8;
        ADVGen->body()->setMinimumHeight(2 + titleZoneHeight(0) + 2 + 7 * (c.rowHeight + 2) + 2 + twoLines + 4 +
                                         twoLines + 4);
        ADVGen->setExpandedHeight(ADVGen->expandedHeight());
    }
    column->addWidget(ADVGen);

    ADVSupp = new CaptionPanel(QStringLiteral("Informations Supplémentaires"), Panel);
    ADVSupp->setObjectName(QStringLiteral("ADVSupp"));
    ADVSupp->setClosable(true);
    buildTechPanel(ADVSupp->body());
    ADVSupp->setExpandedHeight(170);
    column->addWidget(ADVSupp);

    ADVpret = new CaptionPanel(QStringLiteral("Prêt"), Panel);
    ADVpret->setObjectName(QStringLiteral("ADVpret"));
    ADVpret->setClosable(true);
    buildLoanPanel(ADVpret->body());
    ADVpret->setExpandedHeight(58);
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
        m_statusPanels[i]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        StatusBar->addWidget(m_statusPanels[i], i);
    }
    m_hintPanel = new QLabel(StatusBar);
    m_hintPanel->setObjectName(QStringLiteral("HintPanel"));
    StatusBar->addWidget(m_hintPanel, 1);
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
    for (const auto& row : rows) {
        *row.radio = filterRadio(QLatin1String(row.radioName), row.radioHint, body);
        filterGroup->addButton(*row.radio);
        m_recordRows.push_back({*row.radio, fieldLabel(row.label, body)});
        *row.box = readOnlyBox(QLatin1String(row.boxName), row.hint, body);
        if (row.box == &lblDate) {
            m_dureeCaption = fieldLabel(QStringLiteral("Durée :"), body);
            lblDuree = readOnlyBox(QStringLiteral("lblDuree"), QStringLiteral("Durée"), body);
            m_noCaption = fieldLabel(QStringLiteral("N° Film :"), body);
            lblNo = readOnlyBox(QStringLiteral("lblNo"), QStringLiteral("Numéro du Support"), body);
        }
    }

    lblActeurs = fieldLabel(QStringLiteral("Acteurs :"), body);
    lblActeurs->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lstActeur = new QListWidget(body);
    lstActeur->setObjectName(QStringLiteral("lstActeur"));
    lstActeur->setToolTip(QStringLiteral("Acteurs"));
    lstActeur->setSelectionMode(QAbstractItemView::SingleSelection);

    lblSynopsis = fieldLabel(QStringLiteral("Synopsis"), body);
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

TfrmBase::RecordColumns TfrmBase::recordColumns() const
{
    RecordColumns c;
    // Rows as high as a box needs at this font, captions as wide as the longest one.
    c.rowHeight = std::max(kRowHeight, lblReal->sizeHint().height());
    c.radioWidth = std::max(18, m_recordRows.front().radio->sizeHint().width());
    c.labelLeft = std::max(kLabelLeft, 4 + c.radioWidth + 2);
    for (const auto& row : m_recordRows)
        c.captionWidth = std::max(c.captionWidth, row.caption->sizeHint().width());
    c.captionWidth = std::max({c.captionWidth, lblActeurs->sizeHint().width(), lblSynopsis->sizeHint().width()});
    c.boxLeft = c.labelLeft + c.captionWidth + 4;
    // The date row holds three boxes: year, running time and film number.
    c.dateWidth = boxWidthFor(lblDate, QStringLiteral("00000"));
    c.dureeWidth = boxWidthFor(lblDuree, QStringLiteral("00H00"));
    const int noWidth = boxWidthFor(lblNo, QStringLiteral("0000"));
    const int dateRowWidth = c.dateWidth + 4 + m_dureeCaption->sizeHint().width() + 2 + c.dureeWidth + 4 +
                             m_noCaption->sizeHint().width() + 2 + noWidth;
    c.columnWidth = std::max(kColumnWidth, dateRowWidth);
    return c;
}

int TfrmBase::titleZoneHeight(int width) const
{
    // One line at least, two at most (a longer title is cut at the end of the second line).
    const QFontMetrics fm = lblTitre->fontMetrics();
    const int frame = 2 * lblTitre->frameWidth() + 4;
    const int oneLine = std::max(kTitleHeight, fm.height() + frame);
    const int twoLines = fm.lineSpacing() + fm.height() + frame;
    const int needed = width > 0 ? lblTitre->heightForWidth(width) + 4 : 0;
    return std::clamp(needed, oneLine, twoLines);
}

void TfrmBase::ADVGenResize()
{
    QWidget* body = ADVGen->body();
    const int w = body->width();
    const int h = body->height();
    const int titleWidth = std::max(w - 8, 40);
    const int titleHeight = titleZoneHeight(titleWidth);
    lblTitre->setGeometry(4, 2, titleWidth, titleHeight);
    if (ADVGen->isCollapsed() || h <= 0)
        return;

    const RecordColumns c = recordColumns();
    const int rowHeight = c.rowHeight;
    const int pitch = rowHeight + 2;
    const int radioWidth = c.radioWidth;
    const int labelLeft = c.labelLeft;
    const int captionWidth = c.captionWidth;
    const int boxLeft = c.boxLeft;
    const int columnWidth = c.columnWidth;
    const int columnRight = boxLeft + columnWidth;
    const int dateWidth = c.dateWidth;
    const int dureeWidth = c.dureeWidth;
    const int dureeCaptionWidth = m_dureeCaption->sizeHint().width();
    const int noCaptionWidth = m_noCaption->sizeHint().width();

    int top = 2 + titleHeight + 2;
    filtreNul->setGeometry(4, top, filtreNul->sizeHint().width(), rowHeight);
    top += pitch;
    const int rowTop = top;
    for (const auto& row : m_recordRows) {
        row.radio->setGeometry(4, top, radioWidth, rowHeight);
        row.caption->setGeometry(labelLeft, top, captionWidth, rowHeight);
        top += pitch;
    }
    const auto boxAt = [&](QWidget* box, int index) {
        box->setGeometry(boxLeft, rowTop + index * pitch, columnWidth, rowHeight);
    };
    boxAt(lblReal, 0);
    boxAt(lblOri, 1);
    boxAt(lblGenre, 3);
    boxAt(lblDistrib, 4);
    boxAt(lblSupport, 5);
    const int dateTop = rowTop + 2 * pitch;
    int x = boxLeft;
    lblDate->setGeometry(x, dateTop, dateWidth, rowHeight);
    x += dateWidth + 4;
    m_dureeCaption->setGeometry(x, dateTop, dureeCaptionWidth, rowHeight);
    x += dureeCaptionWidth + 2;
    lblDuree->setGeometry(x, dateTop, dureeWidth, rowHeight);
    x += dureeWidth + 4;
    m_noCaption->setGeometry(x, dateTop, noCaptionWidth, rowHeight);
    x += noCaptionWidth + 2;
    lblNo->setGeometry(x, dateTop, columnRight - x, rowHeight);

    // Actor list and synopsis share the height below the fields, the synopsis the larger part.
    const int listTop = top + 2;
    const int listHeight = std::max((h - listTop - 8) * 2 / 5, 24);
    const int memoTop = listTop + listHeight + 4;
    const int memoHeight = std::max(h - memoTop - 4, 24);
    const int captionHeight = lblActeurs->sizeHint().height();
    lblActeurs->setGeometry(labelLeft, listTop + 2, captionWidth, captionHeight);
    lstActeur->setGeometry(boxLeft, listTop, columnWidth, listHeight);
    lblSynopsis->setGeometry(labelLeft, memoTop + 2, captionWidth, captionHeight);
    MemoResume->setGeometry(boxLeft, memoTop, columnWidth, memoHeight);
    // The cover stands right of the fields, from the first field to the bottom of the synopsis.
    const int coverLeft = columnRight + kCoverGap;
    const int coverHeight = memoTop + memoHeight - rowTop + 2;
    const int coverWidth = std::max(std::min(coverHeight, w - coverLeft - 4), 0);
    const QRect cover(coverLeft, rowTop - 2, coverWidth, coverHeight);
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
    cmbFrame->setMaximumWidth(spnVideo->maximumWidth());
    cmbFrame->setMinimumContentsLength(2);
    cmbLanguep = techCombo(QStringLiteral("cmbLanguep"), languages());
    cmbLangues = techCombo(QStringLiteral("cmbLangues"), languages());
    cmbSoustitre = techCombo(QStringLiteral("cmbSoustitre"), languages());
    QStringList disks;
    disks << QStringLiteral("1 Disque");
    for (int i = 2; i <= 9; ++i)
        disks << QStringLiteral("%1 Disques").arg(i);
    cmbDisk = techCombo(QStringLiteral("cmbDisk"), disks);

    auto* grid = new QGridLayout(body);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(3);
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
