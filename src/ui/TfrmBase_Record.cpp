// The record view: filling the three panels from CurrentRow, the cover picture, emptying them,
// and deleting the shown film.
#include "ui/TfrmBase.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "catalogue/Jpeg.h"
#include "editing/DeleteRecord.h"
#include "ui/Prompts.h"
#include "ui/kit/PictureBox.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

QString cellText(const table::TMlb2& table, const char* field)
{
    return fromCp(table.GetValue(field));
}

// The cover last decoded, so showing the same film again costs nothing.
struct CoverCache
{
    QString path;
    qint64 size = -1;
    QDateTime modified;
    QSize box;
    QImage image;
    QString error;
};

CoverCache& coverCache()
{
    static CoverCache cache;
    return cache;
}

} // namespace

void TfrmBase::ShowRecord()
{
    auto& t = m_state.table();
    if (m_state.CurrentRow < 1 || m_state.CurrentRow > t.RowCount())
        return;
    t.MoveTo(m_state.CurrentRow);
    lstActeur->clear();
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
    ShowActors();
    m_state.TechModified = false;

    cmbVideo->setCurrentText(cellText(t, "FORMATVIDEO"));
    cmbAudio->setCurrentText(cellText(t, "FORMATAUDIO"));
    cmbResol->setCurrentText(cellText(t, "RESOLUTION"));
    cmbZone->setCurrentText(cellText(t, "ZONE"));
    spnVideo->setText(cellText(t, "BITVIDEO"));
    spnAudio->setText(cellText(t, "BITAUDIO"));
    spnSize->setText(cellText(t, "SIZE"));
    cmbFrame->setCurrentText(cellText(t, "FREQUENCE"));
    cmbLanguep->setCurrentText(cellText(t, "LANGUEP"));
    cmbLangues->setCurrentText(cellText(t, "LANGUES"));
    cmbSoustitre->setCurrentText(cellText(t, "SOUSTITRE"));
    cmbDisk->setCurrentText(cellText(t, "NBDISK"));

    for (QComboBox* combo :
         {cmbVideo, cmbAudio, cmbResol, cmbZone, cmbFrame, cmbLanguep, cmbLangues, cmbSoustitre, cmbDisk})
        combo->lineEdit()->setCursorPosition(0); // long values show their beginning

    if (t.GetFloat("IFEMP") != 1.0) {
        lblPret->setText(QStringLiteral("Disponible"));
        btnPret->setText(QStringLiteral("Prêter"));
        MenuPret->setText(QStringLiteral("Prêter ce Film"));
    } else {
        lblPret->setText(QStringLiteral("Prêté à ") + cellText(t, "NOMEMP") + QStringLiteral(" le ") +
                         cellText(t, "DATEMP"));
        btnPret->setText(QStringLiteral("Rendu"));
        MenuPret->setText(QStringLiteral("Film Rendu"));
    }
    filtrePret->setEnabled(true);
    mnuFiltrePret->setEnabled(true);

    showCover(t.GetValue("TITRE"), t.GetValue("RESERVE1"));
    // Filling the technical boxes above counts as no change of the user.
    m_state.TechModified = false;
}

void TfrmBase::ShowActors()
{
    lstActeur->clear();
    const auto& t = m_state.table();
    if (m_state.CurrentRow < 1 || m_state.CurrentRow > t.RowCount())
        return;
    const std::string actors = t.GetCell(catalogue::posACTEUR, m_state.CurrentRow);
    if (actors.empty() || actors.front() == ';')
        return;
    std::size_t start = 0;
    for (;;) {
        const auto end = actors.find(';', start);
        const std::string name = actors.substr(start, end == std::string::npos ? std::string::npos : end - start);
        auto* item = new QListWidgetItem(fromCp(name), lstActeur);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        const bool checked = m_state.ActorFilterActive && name == m_state.ActorFilterName;
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
}

void TfrmBase::showCover(const std::string& titre, const std::string& caption)
{
    const std::string nativePath = catalogue::coverPath(m_state, titre);
    const QString path = QFile::decodeName(QByteArray::fromStdString(nativePath));
    const QFileInfo info(path);
    if (!info.isFile()) {
        imgCover->clear();
        lblimage->setText(QStringLiteral("Il n'y a pas d'Affiche pour : \"") + fromCp(caption) + QStringLiteral("\""));
        lblimage->show();
        imgCover->setToolTip(QStringLiteral("Pas d'Affiche disponible"));
        return;
    }
    CoverCache& cache = coverCache();
    const QSize box = imgCover->size().expandedTo(QSize(200, 280));
    if (cache.path != path || cache.size != info.size() || cache.modified != info.lastModified() || cache.box != box) {
        catalogue::RgbImage rgb;
        const auto decoded = catalogue::decodeJpegFile(nativePath, rgb, box.width(), box.height());
        cache = {path, info.size(), info.lastModified(), box, {}, {}};
        if (decoded)
            cache.image = QImage(rgb.pixels.data(), rgb.width, rgb.height, rgb.width * 3, QImage::Format_RGB888).copy();
        else
            cache.error = fromCp(decoded.message);
    }
    if (cache.image.isNull()) {
        imgCover->clear();
        lblimage->setText(cache.error);
        lblimage->show();
        imgCover->setToolTip(QStringLiteral("Pas d'Affiche disponible"));
        return;
    }
    imgCover->setImage(cache.image);
    imgCover->show();
    lblimage->hide();
    imgCover->setToolTip(QStringLiteral("Affiche"));
}

void TfrmBase::clearRecordView()
{
    for (QLineEdit* box : {lblReal, lblOri, lblDate, lblDuree, lblNo, lblGenre, lblDistrib, lblSupport, spnVideo,
                           spnAudio, spnSize, lblPret})
        box->clear();
    lblTitre->clear();
    lstActeur->clear();
    MemoResume->clear();
    for (QComboBox* combo :
         {cmbVideo, cmbAudio, cmbResol, cmbZone, cmbFrame, cmbLanguep, cmbLangues, cmbSoustitre, cmbDisk})
        combo->setCurrentText(QString());
    lblimage->clear();
    imgCover->clear();
    m_state.TechModified = false;
}

void TfrmBase::DeleteCurrentFilm()
{
    clearRecordView();
    const auto outcome = editing::deleteRecord(m_state, m_state.CurrentRow);
    if (!outcome)
        m_prompts.error(fromCp(outcome.message));
    ClearTree();
    m_state.FilmCount = 0;
    if (!m_state.IsOpen) {
        setCatalogueEnabled(false);
        return;
    }
    RebuildTree();
}

void TfrmBase::setFilterRadioChecked(QRadioButton* button, bool checked)
{
    if (!button)
        return;
    const bool grouped = filterGroup && button->group() == filterGroup;
    if (grouped)
        filterGroup->setExclusive(false);
    button->setChecked(checked);
    if (grouped)
        filterGroup->setExclusive(true);
}

} // namespace cinevaro::ui
