// The record editor's "Fichier" menu: a film file read into the boxes, or the boxes written as a
// film file with the cover beside it.
#include "ui/editing/TfrmAjout.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

#include "editing/FilmFile.h"
#include "editing/JpegWriter.h"
#include "editing/RecordEdit.h"
#include "ui/Prompts.h"
#include "ui/kit/PictureBox.h"
#include "ui/kit/Text.h"

namespace cinevaro::ui {

namespace {

const QString kFilmFilter =
    QStringLiteral("Fichier Moviecovers (*.film);;Fichier TXT (*.txt);;Tous les fichiers (*.*)");

// The kind of film file to write: the filter chosen in the dialog (film, text, any), else the
// file name's extension.
editing::FilmFileKind exportKind(int filterIndex, const std::string& path)
{
    switch (filterIndex) {
    case 0:
        return editing::FilmFileKind::Film;
    case 1:
        return editing::FilmFileKind::Txt;
    case 2:
        return editing::FilmFileKind::Any;
    default:
        return editing::filmFileKindOf(path);
    }
}

} // namespace

void TfrmAjout::Importerfilm1Click()
{
    const QString chosen = m_prompts.openFileName(QStringLiteral("Importer une fiche"), kFilmFilter, QString());
    if (chosen.isEmpty())
        return;
    const std::string path = QFile::encodeName(chosen).toStdString();
    if (const auto film = editing::readFilmFile(path))
        showImportedFilm(*film, path);
    else
        m_prompts.error(fromCp(film.message()));
}

void TfrmAjout::showImportedFilm(const editing::FilmRecord& film, const std::string& path)
{
    auto values = readBoxes();
    if (!values)
        return;
    editing::applyFilmRecord(*values, film);
    showValues(*values);
    showImportedPicture(editing::existingCompanionPicture(path));
}

void TfrmAjout::showImportedPicture(const std::string& picture)
{
    if (!picture.empty())
        pickCover(picture);
}

void TfrmAjout::Exporterfilm1Click()
{
    // No default suffix: the extension follows the filter chosen in the dialog (below).
    const Prompts::SaveChoice choice =
        m_prompts.saveFile(QStringLiteral("Exporter une fiche"), kFilmFilter, QString(), QString(), true);
    if (choice.fileName.isEmpty())
        return;
    const std::string path = QFile::encodeName(choice.fileName).toStdString();
    if (auto values = readBoxes())
        exportRecord(*values, path, exportKind(choice.filterIndex, path));
}

void TfrmAjout::exportRecord(editing::RecordValues& values, const std::string& path, editing::FilmFileKind kind)
{
    const auto names = editing::exportFilmRecord(values, path, kind);
    lblDureeH->setText(fromCp(values.hours)); // the duration boxes as exported
    lblDureeM->setText(fromCp(values.minutes));
    if (names)
        writeCoverBeside(names->picture);
    else
        m_prompts.error(fromCp(names.message()));
}

void TfrmAjout::writeCoverBeside(const std::string& picture)
{
    // An existing picture of that name is left as it is.
    std::error_code ec;
    if (picture.empty() || imgCover->isEmpty() || std::filesystem::exists(picture, ec))
        return;
    const QImage rgb = imgCover->image().convertToFormat(QImage::Format_RGB888);
    if (auto written = editing::writeJpegFile(picture, rgb.width(), rgb.height(), rgb.constBits(),
                                              static_cast<int>(rgb.bytesPerLine()));
        !written)
        m_prompts.error(fromCp(written.message));
}

} // namespace cinevaro::ui
