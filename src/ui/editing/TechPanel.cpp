#include "ui/editing/TechPanel.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyleOptionComboBox>
#include <QtMath>

#include <algorithm>
#include <utility>

#include "editing/AviInfo.h"
#include "editing/MediaInfo.h"
#include "ui/editing/TfrmAjout.h"
#include "ui/kit/ElidedLineEdit.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

QStringList videoFormats()
{
    return {QStringLiteral("ASF"),          QStringLiteral("AVI"),           QStringLiteral("DivX"),
            QStringLiteral("DivX 3.11"),    QStringLiteral("DivX 4"),        QStringLiteral("DivX 5"),
            QStringLiteral("MPEG1"),        QStringLiteral("MPEG1/VideoCD"), QStringLiteral("MPEG1/XVCD"),
            QStringLiteral("MPEG2"),        QStringLiteral("MPEG2/DVD"),     QStringLiteral("MPEG2/Super-VCD"),
            QStringLiteral("MPEG4"),        QStringLiteral("MiniDVD"),       QStringLiteral("QuickTime"),
            QStringLiteral("Real Vidéo"),   QStringLiteral("S-VHS"),         QStringLiteral("VHS"),
            QStringLiteral("VHS NTSC"),     QStringLiteral("VHS PAL"),       QStringLiteral("VHS Secam"),
            QStringLiteral("VHS-C"),        QStringLiteral("Video 8"),       QStringLiteral("WindowMedia 7"),
            QStringLiteral("WindowMedia 8")};
}

QStringList audioFormats()
{
    return {QStringLiteral("AC3"),  QStringLiteral("Analogique Mono"), QStringLiteral("Analogique Stereo"),
            QStringLiteral("MP3"),  QStringLiteral("MPEG1"),           QStringLiteral("MPEG2"),
            QStringLiteral("Mono"), QStringLiteral("Stereo"),          QStringLiteral("WMA")};
}

QStringList resolutions()
{
    return {QStringLiteral("128 x 96"),   QStringLiteral("176 x 144"), QStringLiteral("352 x 288"),
            QStringLiteral("640 x 480"),  QStringLiteral("704 x 576"), QStringLiteral("720 x 480"),
            QStringLiteral("720 x 576"),  QStringLiteral("768 x 576"), QStringLiteral("1408 x 1152"),
            QStringLiteral("1920 x 1035")};
}

QStringList zones()
{
    return {QStringLiteral("1 : Amérique du Nord"), QStringLiteral("2: Europe, Japon et Afrique du Sud"),
            QStringLiteral("3 : Indonésie"),        QStringLiteral("4: Australie et Amérique du Sud"),
            QStringLiteral("5: Russie et Afrique"), QStringLiteral("6 : Chine")};
}

QStringList frameRates()
{
    return {QStringLiteral("23.976"), QStringLiteral("24"), QStringLiteral("24.999"),
            QStringLiteral("25"),     QStringLiteral("29"), QStringLiteral("30")};
}

QStringList discCounts()
{
    QStringList disks{QStringLiteral("1 Disque")};
    for (int i = 2; i <= 9; ++i)
        disks << QStringLiteral("%1 Disques").arg(i);
    return disks;
}

// An editable box sized for its two-character minimum and an icon, whatever its items, as the
// AdjustToMinimumContentsLengthWithIcon policy sizes it. Setting that policy, like setEditable(),
// makes a box build its list's window at once; built this way, the box builds it when the list is
// first opened, and nine boxes made at start-up no longer pay for it.
class TechComboBox final : public QComboBox
{
public:
    explicit TechComboBox(QWidget* parent) : QComboBox(parent)
    {
        // A value wider than the box ends with "…" and shows whole in its tool tip.
        auto* edit = new ElidedLineEdit(this);
        edit->setPalette(palette());
        setLineEdit(edit);
    }

    QSize sizeHint() const override { return fitted(); }
    QSize minimumSizeHint() const override { return fitted(); }

private:
    QSize fitted() const
    {
        const QFontMetrics metrics = fontMetrics();
        QSize size(minimumContentsLength() * metrics.horizontalAdvance(QLatin1Char('X')) + iconSize().width() + 4,
                   std::max(qCeil(QFontMetricsF(metrics).height()), 14) + 2);
        size.setHeight(std::max(size.height(), iconSize().height() + 2));
        QStyleOptionComboBox option;
        initStyleOption(&option);
        return style()->sizeFromContents(QStyle::CT_ComboBox, &option, size, this);
    }
};

QComboBox* techCombo(const QString& name, const QStringList& items, QWidget* parent)
{
    auto* combo = new TechComboBox(parent);
    combo->setObjectName(name);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setMinimumContentsLength(2);
    return combo;
}

QLineEdit* techEdit(const QString& name, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    // Room for five digits; the format and language boxes get the rest of the width.
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 10);
    return edit;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

TechPanel::TechPanel(QWidget* parent) : TechPanel(Deferred{}, parent)
{
    build();
}

TechPanel::TechPanel(Deferred, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TechPanel"));
}

TechPanel* TechPanel::deferred(QWidget* parent)
{
    return new TechPanel(Deferred{}, parent);
}

void TechPanel::ensureBuilt() const
{
    // Making the boxes changes none of the values the panel shows, so readers stay const.
    if (!isBuilt())
        const_cast<TechPanel*>(this)->build();
}

void TechPanel::build()
{
    buildBoxes();
    buildGrid();
    for (QComboBox* combo :
         {cmbVideo, cmbAudio, cmbResol, cmbZone, cmbFrame, cmbLanguep, cmbLangues, cmbSoustitre, cmbDisk})
        connect(combo, &QComboBox::currentTextChanged, this, [this] {
            if (!m_filling)
                emit edited();
        });
    for (QLineEdit* edit : {spnVideo, spnAudio, spnSize})
        connect(edit, &QLineEdit::textChanged, this, [this] {
            if (!m_filling)
                emit edited();
        });
    connect(Button3, &QPushButton::clicked, this, &TechPanel::extractRequested);
    connect(btnEnregistreInfo, &QPushButton::clicked, this, &TechPanel::saveRequested);
    connect(Button2, &QPushButton::clicked, this, &TechPanel::cancelRequested);
    if (const auto pending = std::exchange(m_pending, std::nullopt))
        setValues(*pending);
    // The layouts around take the boxes' needs.
    updateGeometry();
}

void TechPanel::buildBoxes()
{
    // The language boxes offer the same nationalities as the editor's origin box.
    const QStringList languages = TfrmAjout::originList();
    cmbVideo = techCombo(QStringLiteral("cmbVideo"), videoFormats(), this);
    cmbAudio = techCombo(QStringLiteral("cmbAudio"), audioFormats(), this);
    cmbResol = techCombo(QStringLiteral("cmbResol"), resolutions(), this);
    cmbZone = techCombo(QStringLiteral("cmbZone"), zones(), this);
    spnVideo = techEdit(QStringLiteral("spnVideo"), this);
    spnAudio = techEdit(QStringLiteral("spnAudio"), this);
    spnSize = techEdit(QStringLiteral("spnSize"), this);
    cmbFrame = techCombo(QStringLiteral("cmbFrame"), frameRates(), this);
    cmbFrame->setMaximumWidth(spnVideo->maximumWidth());
    // Created in the order the tab key visits them: the third column from the discs down.
    cmbDisk = techCombo(QStringLiteral("cmbDisk"), discCounts(), this);
    cmbLanguep = techCombo(QStringLiteral("cmbLanguep"), languages, this);
    cmbLangues = techCombo(QStringLiteral("cmbLangues"), languages, this);
    cmbSoustitre = techCombo(QStringLiteral("cmbSoustitre"), languages, this);
    Button3 = button(QStringLiteral("Button3"), QStringLiteral("Extraire du fichier"), this);
    btnEnregistreInfo = button(QStringLiteral("btnEnregistreInfo"), QStringLiteral("Enregistrer"), this);
    Button2 = button(QStringLiteral("Button2"), QStringLiteral("Annuler"), this);
}

void TechPanel::buildGrid()
{
    // Three columns of captioned boxes: formats; rates, size and frame rate with their units;
    // discs and languages. Each entry: grid row, caption column, caption, box, unit.
    struct Cell
    {
        int row;
        int column;
        const char* caption;
        QWidget* box;
        const char* unit;
    };
    const Cell cells[] = {
        {0, 0, "Fomat Vidéo : ", cmbVideo, nullptr},
        {1, 0, "Format Audio :", cmbAudio, nullptr},
        {2, 0, "Résolution :", cmbResol, nullptr},
        {3, 0, "Zone DVD :", cmbZone, nullptr},
        {0, 2, "BitRate V. :", spnVideo, "Kb/s"},
        {1, 2, "BitRate A. :", spnAudio, "Kb/s"},
        {2, 2, "Taille", spnSize, "Mo"},
        {3, 2, "Fréquence :", cmbFrame, "imgs/s"},
        {0, 6, "Nb Support :", cmbDisk, nullptr},
        {1, 6, "Principale :", cmbLanguep, nullptr},
        {2, 6, "Secondaire :", cmbLangues, nullptr},
        {3, 6, "Sous Titre :", cmbSoustitre, nullptr},
    };
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(3);
    for (const Cell& cell : cells) {
        auto* caption = new QLabel(QString::fromUtf8(cell.caption), this);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(caption, cell.row, cell.column);
        grid->addWidget(cell.box, cell.row, cell.column + 1);
        if (cell.unit)
            grid->addWidget(new QLabel(QString::fromUtf8(cell.unit), this), cell.row, cell.column + 2);
    }
    auto* langue = new QLabel(QStringLiteral("Langue"), this);
    langue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(langue, 1, 5, 2, 1);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(7, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button3);
    buttons->addWidget(btnEnregistreInfo);
    buttons->addWidget(Button2);
    grid->addLayout(buttons, 4, 0, 1, 8);
}

std::array<QWidget*, editing::kTechFieldCount> TechPanel::boxes() const
{
    return {cmbVideo, cmbAudio, cmbResol,   cmbZone,    spnVideo,     spnAudio,
            spnSize,  cmbFrame, cmbLanguep, cmbLangues, cmbSoustitre, cmbDisk};
}

QString TechPanel::textOf(const QWidget* box)
{
    if (const auto* combo = qobject_cast<const QComboBox*>(box))
        return combo->currentText();
    return static_cast<const QLineEdit*>(box)->text();
}

void TechPanel::setTextOf(QWidget* box, const QString& text)
{
    if (auto* combo = qobject_cast<QComboBox*>(box)) {
        combo->setCurrentText(text);
        combo->lineEdit()->setCursorPosition(0); // long values show their beginning
        return;
    }
    static_cast<QLineEdit*>(box)->setText(text);
}

TechPanel::Texts TechPanel::currentTexts() const
{
    ensureBuilt();
    Texts texts;
    const auto all = boxes();
    for (int i = 0; i < editing::kTechFieldCount; ++i)
        texts[i] = textOf(all[i]);
    return texts;
}

std::optional<editing::TechValues> TechPanel::currentValues(QString* message) const
{
    const Texts texts = currentTexts();
    editing::TechValues values;
    for (int i = 0; i < editing::kTechFieldCount; ++i) {
        auto bytes = toCp(texts[i], message);
        if (!bytes)
            return std::nullopt;
        values[i] = std::move(*bytes);
    }
    return values;
}

void TechPanel::setValues(const editing::TechValues& values)
{
    if (!isBuilt()) {
        m_pending = values;
        return;
    }
    const QScopedValueRollback filling(m_filling, true);
    const auto all = boxes();
    for (int i = 0; i < editing::kTechFieldCount; ++i)
        setTextOf(all[i], fromCp(values[i]));
}

void TechPanel::clear()
{
    if (!isBuilt()) {
        m_pending.reset(); // boxes made later start empty
        return;
    }
    const QScopedValueRollback filling(m_filling, true);
    for (QWidget* box : boxes()) {
        if (auto* combo = qobject_cast<QComboBox*>(box))
            combo->setCurrentText(QString());
        else
            static_cast<QLineEdit*>(box)->clear();
    }
}

void TechPanel::showAviInfo(const editing::AviInfo& info)
{
    ensureBuilt();
    if (info.size)
        spnSize->setText(fromCp(*info.size));
    if (info.frequence)
        cmbFrame->setCurrentText(fromCp(*info.frequence));
    if (info.resolution)
        cmbResol->setCurrentText(fromCp(*info.resolution));
    if (info.formatVideo)
        cmbVideo->setCurrentText(fromCp(*info.formatVideo));
}

void TechPanel::showMediaInfo(const editing::MediaInfo& info)
{
    ensureBuilt();
    const std::pair<QWidget*, const std::optional<std::string>*> found[] = {
        {cmbVideo, &info.formatVideo},  {cmbAudio, &info.formatAudio}, {cmbResol, &info.resolution},
        {spnVideo, &info.bitVideo},     {spnAudio, &info.bitAudio},    {spnSize, &info.size},
        {cmbFrame, &info.frequence},    {cmbLanguep, &info.langueP},   {cmbLangues, &info.langueS},
        {cmbSoustitre, &info.sousTitre}};
    for (const auto& [box, value] : found)
        if (*value)
            setTextOf(box, fromCp(**value));
}

} // namespace cinevaro::ui
