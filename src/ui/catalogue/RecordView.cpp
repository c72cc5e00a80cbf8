#include "ui/catalogue/RecordView.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>

#include <algorithm>

#include "catalogue/CatalogueState.h"
#include "catalogue/Jpeg.h"
#include "table/TMlb2.h"
#include "ui/kit/PictureBox.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

// Geometry for an 8-point font; the positions actually used grow with the font's measures.
constexpr int kTitleHeight = 26;
constexpr int kRowHeight = 21;
constexpr int kLabelLeft = 24;
constexpr int kColumnWidth = 232; // the field boxes' column
constexpr int kCoverGap = 8;

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

QString cellText(const table::TMlb2& table, const char* field)
{
    return fromCp(table.GetValue(field));
}

} // namespace

struct RecordView::CoverCache
{
    QString path;
    qint64 size = -1;
    QDateTime modified;
    QSize box;
    QImage image;
    QString error;
};

RecordView::RecordView(QWidget* parent) : QWidget(parent), m_cover(std::make_unique<CoverCache>())
{
    setObjectName(QStringLiteral("RecordView"));
    buildTitle();
    buildFields();
    buildLists();
}

RecordView::~RecordView() = default;

void RecordView::buildTitle()
{
    lblTitre = new QLabel(this);
    lblTitre->setObjectName(QStringLiteral("lblTitre"));
    lblTitre->setToolTip(QStringLiteral("Titre"));
    lblTitre->setAlignment(Qt::AlignCenter);
    lblTitre->setWordWrap(true);
    lblTitre->setFrameShape(QFrame::StyledPanel);
    lblTitre->setAutoFillBackground(true);
    // Titles come from the catalogue: never read as markup.
    lblTitre->setTextFormat(Qt::PlainText);
    QFont titleFont = lblTitre->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    lblTitre->setFont(titleFont);
}

void RecordView::buildFields()
{
    filterGroup = new QButtonGroup(this);
    filtreNul = new QRadioButton(QStringLiteral("Aucun Filtre"), this);
    filtreNul->setObjectName(QStringLiteral("filtreNul"));
    filtreNul->setToolTip(QStringLiteral("Appliquer Aucun Filtre"));
    filterGroup->addButton(filtreNul);

    struct Field
    {
        QRadioButton** radio;
        const char* radioName;
        const char* radioHint;
        QLineEdit** box;
        const char* boxName;
        const char* caption;
        const char* hint;
    };
    const Field fields[] = {
        {&filtreReal, "filtreReal", "Filtrer par Réalisateur", &lblReal, "lblReal", "Réalisateur :", "Réalisateur"},
        {&filtreOri, "filtreOri", "Filtrer par Origine", &lblOri, "lblOri", "Origine :", "Origine"},
        {&filtreDate, "filtreDate", "Filtrer par Date", &lblDate, "lblDate", "Date :", "Année"},
        {&filtreGenre, "filtreGenre", "Filtrer par Genre", &lblGenre, "lblGenre", "Genre :", "Genre"},
        {&filtreDistrib, "filtreDistrib", "Filtrer par Distributeur", &lblDistrib, "lblDistrib",
         "Distribution :", "Distributeur"},
        {&filtreSupport, "filtreSupport", "Filtrer par Support", &lblSupport, "lblSupport",
         "Support :", "Support Vidéo"},
    };
    for (const Field& f : fields) {
        *f.radio = filterRadio(QLatin1String(f.radioName), QString::fromUtf8(f.radioHint), this);
        filterGroup->addButton(*f.radio);
        m_rows.push_back({*f.radio, fieldLabel(QString::fromUtf8(f.caption), this)});
        *f.box = readOnlyBox(QLatin1String(f.boxName), QString::fromUtf8(f.hint), this);
        if (f.box == &lblDate) {
            m_dureeCaption = fieldLabel(QStringLiteral("Durée :"), this);
            lblDuree = readOnlyBox(QStringLiteral("lblDuree"), QStringLiteral("Durée"), this);
            m_noCaption = fieldLabel(QStringLiteral("N° Film :"), this);
            lblNo = readOnlyBox(QStringLiteral("lblNo"), QStringLiteral("Numéro du Support"), this);
        }
    }
}

void RecordView::buildLists()
{
    lblActeurs = fieldLabel(QStringLiteral("Acteurs :"), this);
    lblActeurs->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lstActeur = new QListWidget(this);
    lstActeur->setObjectName(QStringLiteral("lstActeur"));
    lstActeur->setToolTip(QStringLiteral("Acteurs"));
    lstActeur->setSelectionMode(QAbstractItemView::SingleSelection);

    lblSynopsis = fieldLabel(QStringLiteral("Synopsis"), this);
    lblSynopsis->setAlignment(Qt::AlignRight | Qt::AlignTop);
    MemoResume = new QPlainTextEdit(this);
    MemoResume->setObjectName(QStringLiteral("MemoResume"));
    MemoResume->setToolTip(QStringLiteral("Résumé"));
    MemoResume->setReadOnly(true);
    MemoResume->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    imgCover = new PictureBox(this);
    imgCover->setObjectName(QStringLiteral("imgCover"));
    imgCover->setToolTip(QStringLiteral("Pas d'Affiche disponible"));
    lblimage = new QLabel(this);
    lblimage->setObjectName(QStringLiteral("lblimage"));
    lblimage->setAlignment(Qt::AlignCenter);
    lblimage->setWordWrap(true);
    // Cover messages quote the film's title: never read as markup.
    lblimage->setTextFormat(Qt::PlainText);
    lblimage->hide();
}

void RecordView::setRecord(const table::TMlb2& t, int row, const std::string& checkedActor)
{
    lblTitre->setText(cellText(t, "RESERVE1"));
    lblReal->setText(cellText(t, "REAL"));
    lblDate->setText(cellText(t, "DATE"));
    lblOri->setText(cellText(t, "ORIGINE"));
    lblGenre->setText(cellText(t, "GENRE"));
    lblDuree->setText(cellText(t, "DUREE"));
    QString resume = cellText(t, "RESUME");
    resume.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    MemoResume->setPlainText(resume);
    lblDistrib->setText(cellText(t, "DISTRIB"));
    lblSupport->setText(cellText(t, "RESERVE0"));
    lblNo->setText(cellText(t, "RESERVE3"));
    setActors(t.GetCell(catalogue::posACTEUR, row), checkedActor);
}

void RecordView::setActors(const std::string& actors, const std::string& checkedActor)
{
    lstActeur->clear();
    // A cast list that starts with ";" shows no actor.
    if (!actors.empty() && actors.front() == ';')
        return;
    for (const std::string& name : catalogue::splitList(actors)) {
        auto* item = new QListWidgetItem(fromCp(name), lstActeur);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(!checkedActor.empty() && name == checkedActor ? Qt::Checked : Qt::Unchecked);
    }
}

void RecordView::setCover(const std::string& nativePath, const QString& missing)
{
    const QString path = QFile::decodeName(QByteArray::fromStdString(nativePath));
    const QFileInfo info(path);
    if (!info.isFile()) {
        showCoverText(missing);
        return;
    }
    const CoverCache& cache = decodedCover(nativePath, path, info);
    if (cache.image.isNull()) {
        showCoverText(cache.error);
        return;
    }
    imgCover->setImage(cache.image); // the picture box is always shown; only the text over it comes and goes
    lblimage->hide();
    imgCover->setToolTip(QStringLiteral("Affiche"));
}

const RecordView::CoverCache& RecordView::decodedCover(const std::string& nativePath, const QString& path,
                                                       const QFileInfo& info)
{
    CoverCache& cache = *m_cover;
    const QSize box = imgCover->size().expandedTo(QSize(200, 280));
    if (cache.path == path && cache.size == info.size() && cache.modified == info.lastModified() && cache.box == box)
        return cache;
    catalogue::RgbImage rgb;
    const auto decoded = catalogue::decodeJpegFile(nativePath, rgb, box.width(), box.height());
    cache = {path, info.size(), info.lastModified(), box, {}, {}};
    if (decoded)
        cache.image = QImage(rgb.pixels.data(), rgb.width, rgb.height, rgb.width * 3, QImage::Format_RGB888).copy();
    else
        cache.error = fromCp(decoded.message);
    return cache;
}

void RecordView::showCoverText(const QString& text)
{
    imgCover->clear();
    lblimage->setText(text);
    lblimage->show();
    imgCover->setToolTip(QStringLiteral("Pas d'Affiche disponible"));
}

void RecordView::clear()
{
    for (QLineEdit* box : {lblReal, lblOri, lblDate, lblDuree, lblNo, lblGenre, lblDistrib, lblSupport})
        box->clear();
    lblTitre->clear();
    lstActeur->clear();
    MemoResume->clear();
    lblimage->clear();
    imgCover->clear();
}

void RecordView::setFilterChecked(QRadioButton* button, bool checked)
{
    const bool grouped = button->group() == filterGroup;
    if (grouped)
        filterGroup->setExclusive(false);
    button->setChecked(checked);
    if (grouped)
        filterGroup->setExclusive(true);
}

RecordView::Columns RecordView::columns() const
{
    Columns c;
    // Rows as high as a box needs at this font, captions as wide as the longest one.
    c.rowHeight = std::max(kRowHeight, lblReal->sizeHint().height());
    c.radioWidth = std::max(18, m_rows.front().radio->sizeHint().width());
    c.labelLeft = std::max(kLabelLeft, 4 + c.radioWidth + 2);
    for (const auto& row : m_rows)
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

QSize RecordView::minimumBodySize() const
{
    const Columns c = columns();
    const int twoLines = 2 * MemoResume->fontMetrics().lineSpacing() + 8;
    return {c.boxLeft + c.columnWidth + kCoverGap + 40,
            2 + titleZoneHeight(0) + 2 + 7 * (c.rowHeight + 2) + 2 + twoLines + 4 + twoLines + 4};
}

int RecordView::titleZoneHeight(int width) const
{
    // One line at least, two at most (a longer title is cut at the end of the second line).
    const QFontMetrics fm = lblTitre->fontMetrics();
    const int frame = 2 * lblTitre->frameWidth() + 4;
    const int oneLine = std::max(kTitleHeight, fm.height() + frame);
    const int twoLines = fm.lineSpacing() + fm.height() + frame;
    const int needed = width > 0 ? lblTitre->heightForWidth(width) + 4 : 0;
    return std::clamp(needed, oneLine, twoLines);
}

bool RecordView::event(QEvent* event)
{
    // A new title may need one line more or less: the label asks its parent for a new layout.
    if (event->type() == QEvent::LayoutRequest)
        arrange();
    return QWidget::event(event);
}

void RecordView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    arrange();
}

void RecordView::arrange()
{
    const int titleWidth = std::max(width() - 8, 40);
    const int titleHeight = titleZoneHeight(titleWidth);
    lblTitre->setGeometry(4, 2, titleWidth, titleHeight);
    if (m_collapsed || height() <= 0)
        return;
    const Columns c = columns();
    const int top = 2 + titleHeight + 2;
    filtreNul->setGeometry(4, top, filtreNul->sizeHint().width(), c.rowHeight);
    arrangeFields(c, top + c.rowHeight + 2);
}

void RecordView::arrangeFields(const Columns& c, int top)
{
    const int pitch = c.rowHeight + 2;
    const int rowTop = top;
    for (const auto& row : m_rows) {
        row.radio->setGeometry(4, top, c.radioWidth, c.rowHeight);
        row.caption->setGeometry(c.labelLeft, top, c.captionWidth, c.rowHeight);
        top += pitch;
    }
    const auto boxAt = [&](QWidget* box, int index) {
        box->setGeometry(c.boxLeft, rowTop + index * pitch, c.columnWidth, c.rowHeight);
    };
    boxAt(lblReal, 0);
    boxAt(lblOri, 1);
    boxAt(lblGenre, 3);
    boxAt(lblDistrib, 4);
    boxAt(lblSupport, 5);
    // The date row: year, then the running time and the film number with their captions.
    const int dateTop = rowTop + 2 * pitch;
    int x = c.boxLeft;
    const auto place = [&](QWidget* w, int width, int gap) {
        w->setGeometry(x, dateTop, width, c.rowHeight);
        x += width + gap;
    };
    place(lblDate, c.dateWidth, 4);
    place(m_dureeCaption, m_dureeCaption->sizeHint().width(), 2);
    place(lblDuree, c.dureeWidth, 4);
    place(m_noCaption, m_noCaption->sizeHint().width(), 2);
    place(lblNo, c.boxLeft + c.columnWidth - x, 0);
    arrangeLists(c, top, rowTop);
}

void RecordView::arrangeLists(const Columns& c, int top, int rowTop)
{
    const int h = height();
    // Actor list and synopsis share the height below the fields, the synopsis the larger part.
    const int listTop = top + 2;
    const int listHeight = std::max((h - listTop - 8) * 2 / 5, 24);
    const int memoTop = listTop + listHeight + 4;
    const int memoHeight = std::max(h - memoTop - 4, 24);
    const int captionHeight = lblActeurs->sizeHint().height();
    lblActeurs->setGeometry(c.labelLeft, listTop + 2, c.captionWidth, captionHeight);
    lstActeur->setGeometry(c.boxLeft, listTop, c.columnWidth, listHeight);
    lblSynopsis->setGeometry(c.labelLeft, memoTop + 2, c.captionWidth, captionHeight);
    MemoResume->setGeometry(c.boxLeft, memoTop, c.columnWidth, memoHeight);
    // The cover stands right of the fields, from the first field to the bottom of the synopsis.
    const int coverLeft = c.boxLeft + c.columnWidth + kCoverGap;
    const int coverHeight = memoTop + memoHeight - rowTop + 2;
    const int coverWidth = std::max(std::min(coverHeight, width() - coverLeft - 4), 0);
    const QRect cover(coverLeft, rowTop - 2, coverWidth, coverHeight);
    imgCover->setGeometry(cover);
    lblimage->setGeometry(cover.adjusted(6, 0, -6, 0));
}

} // namespace cinevaro::ui
