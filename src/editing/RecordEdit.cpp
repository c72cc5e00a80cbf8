#include "editing/RecordEdit.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "catalogue/CoverPath.h"
#include "catalogue/Jpeg.h"
#include "table/Cp1252.h"
#include "table/SafeFile.h"

namespace cinevaro::editing {

namespace {

using catalogue::CatalogueState;
using catalogue::Outcome;

// Writes the boxes into the current row (TITRE only when `withTitre`).
void storeValues(table::TMlb2& t, RecordValues& v, bool withTitre)
{
    v.title = upperCp1252(v.title);
    v.distrib = upperCp1252(v.distrib);
    if (withTitre)
        t.SetValue("TITRE", v.title);
    // An empty display title reads back as the TITRE (the catalogue's loading fills it so): stored
    // so at once, the saved row is the one found again when the file is read back.
    if (v.displayTitle && v.displayTitle->empty())
        t.SetValue("RESERVE1", t.GetValue("TITRE"));
    else
        t.SetValue("RESERVE1", v.displayTitle ? upperCp1252(*v.displayTitle) : v.title);
    t.SetValue("REAL", v.real);
    t.SetValue("DATE", v.date);
    t.SetValue("ORIGINE", v.origine);
    t.SetValue("GENRE", v.genre);
    t.SetValue("RESERVE3", v.number);
    t.SetValue("DUREE", durationToStore(v));
    t.SetValue("ACTEUR", joinActors(v.actors));
    t.SetValue("RESUME", v.resume);
    t.SetValue("DISTRIB", v.distrib);
    t.SetValue("RESERVE0", v.support);
}

std::vector<std::string> rowCells(const table::TMlb2& t, int row)
{
    std::vector<std::string> cells;
    for (int i = 1; i <= t.FieldCount(); ++i)
        cells.push_back(t.GetCell(i, row));
    return cells;
}

bool rowIs(const table::TMlb2& t, int row, const std::vector<std::string>& cells)
{
    if (row < 1 || row > t.RowCount() || static_cast<int>(cells.size()) != t.FieldCount())
        return false;
    for (int i = 1; i <= t.FieldCount(); ++i)
        if (t.GetCell(i, row) != cells[static_cast<std::size_t>(i - 1)])
            return false;
    return true;
}

// The row that holds `cells` after the reopen sorted the table, `hint` first; 0 when none does.
int findRow(const table::TMlb2& t, const std::vector<std::string>& cells, int hint)
{
    if (rowIs(t, hint, cells))
        return hint;
    for (int row = t.RowCount(); row >= 1; --row)
        if (rowIs(t, row, cells))
            return row;
    return 0;
}

// Copies the picture over the cover file in one step (safe-file helper: new file, then rename).
Outcome copyCover(const std::string& source, const std::string& target)
{
    const auto failed = [&] {
        return Outcome::warning(
            table::cp("La fiche a été enregistrée, mais l'image n'a pas pu être copiée vers ") + target, "Attention");
    };
    std::ifstream in(source, std::ios::binary);
    if (!in)
        return failed();
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!table::writeFileAtomically(target, bytes))
        return failed();
    return Outcome::success();
}

// Checks done before anything changes: a title, and a usable cover picture with a target.
Outcome checkBeforeSave(const CatalogueState& state, const RecordValues& values, const std::string& titre,
                        const std::string& coverSource)
{
    if (values.title.empty())
        return Outcome::failure(table::cp("Une fiche sans titre ne peut pas être enregistrée"));
    if (coverSource.empty())
        return Outcome::success();
    if (Outcome picture = checkCoverPicture(coverSource); !picture)
        return picture;
    if (catalogue::coverPath(state, titre).empty())
        return Outcome::failure(table::cp("Le titre ") + titre +
                                table::cp(" ne peut pas servir de nom de fichier : l'image ne peut pas être "
                                          "enregistrée"));
    return Outcome::success();
}

// Reopen and cover copy after a successful save: the common end of an addition and of an edit.
// The record is in the file by now, so a failure here is a warning.
Outcome finishSave(CatalogueState& state, const std::vector<std::string>& cells, int hint, const std::string& titre,
                   const std::string& coverSource)
{
    // The file was just written from a normalised table: reading it back (normalised and sorted in
    // memory) needs no second write.
    if (Outcome opened = catalogue::loadCatalogue(state); !opened)
        return Outcome::warning(opened.message, opened.caption);
    state.CurrentRow = findRow(state.table(), cells, hint);
    if (state.CurrentRow == 0)
        state.CurrentRow = 1;
    state.TechModified = false;
    if (coverSource.empty())
        return Outcome::success();
    const std::string cover = catalogue::coverPath(state, titre);
    catalogue::versionsOf(state).keepCoverBeforeWrite(cover);
    return copyCover(coverSource, cover);
}

} // namespace

std::string upperCp1252(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(table::upperCp1252(static_cast<unsigned char>(c)));
    return text;
}

void setDuration(RecordValues& values, const std::string& duree)
{
    values.hours = duree.substr(0, 1);
    values.minutes = duree.size() > 2 ? duree.substr(2) : std::string();
    values.loadedDuration = duree;
    values.durationEdited = false;
}

bool durationFitsBoxes(const std::string& duree)
{
    return duree.empty() || (duree.size() >= 2 && duree[1] == 'H');
}

std::string durationToStore(RecordValues& values)
{
    if (!values.durationEdited && !durationFitsBoxes(values.loadedDuration))
        return values.loadedDuration;
    if (values.hours.empty())
        values.hours = "0";
    if (values.minutes.empty())
        values.minutes = "00";
    return values.hours + "H" + values.minutes;
}

RecordValues loadRecord(const CatalogueState& state, int row)
{
    const table::TMlb2& t = state.table();
    RecordValues v;
    if (row < 1 || row > t.RowCount())
        return v;
    using namespace catalogue;
    v.title = t.GetCell(posRESERVE1, row);
    v.real = t.GetCell(posREAL, row);
    v.date = t.GetCell(posDATE, row);
    v.origine = t.GetCell(posORIGINE, row);
    v.genre = t.GetCell(posGENRE, row);
    setDuration(v, t.GetCell(posDUREE, row));
    v.resume = t.GetCell(posRESUME, row);
    v.distrib = t.GetCell(posDISTRIB, row);
    v.number = t.GetCell(posRESERVE3, row);
    v.support = t.GetCell(posRESERVE0, row);
    v.actors = splitActors(t.GetCell(posACTEUR, row));
    return v;
}

void applyFilmRecord(RecordValues& values, const FilmRecord& film)
{
    values.title = film.titre;
    values.displayTitle.reset();
    values.real = film.real;
    values.date = film.date;
    values.origine = film.origine;
    values.genre = film.genre;
    setDuration(values, film.duree);
    for (std::string& actor : splitActors(film.acteur))
        values.actors.push_back(std::move(actor));
    values.resume = film.resume;
    values.distrib = film.distrib;
}

FilmRecord toFilmRecord(RecordValues& values)
{
    FilmRecord film;
    film.titre = upperCp1252(values.title);
    film.real = values.real;
    film.date = values.date;
    film.origine = values.origine;
    film.genre = values.genre;
    film.duree = durationToStore(values);
    film.acteur = joinActors(values.actors);
    film.resume = values.resume;
    film.distrib = upperCp1252(values.distrib);
    return film;
}

catalogue::Result<FilmFileNames> exportFilmRecord(RecordValues& values, const std::string& chosen, FilmFileKind kind)
{
    const FilmRecord film = toFilmRecord(values);
    FilmFileNames names = filmFileNamesFor(chosen, kind);
    if (auto written = writeFilmFile(names.film, film); !written)
        return written;
    return names;
}

Outcome checkSupport(const CatalogueState& state, const std::string& support)
{
    for (const std::string& name : state.supportNames())
        if (name == support)
            return Outcome::success();
    return Outcome::failure(table::cp("Le support ") + support +
                            table::cp(" n'existe pas dans la liste des supports du catalogue"));
}

Outcome checkCoverPicture(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return Outcome::failure(table::cp("Fichier introuvable : ") + path);
    catalogue::RgbImage image;
    if (Outcome decoded = catalogue::decodeJpegFile(path, image, 1, 1); !decoded)
        return Outcome::failure(table::cp("L'image ") + path + table::cp(" ne peut pas être lue : ") + decoded.message);
    return Outcome::success();
}

Outcome addRecord(CatalogueState& state, RecordValues& values, const std::string& coverSource)
{
    values.title = upperCp1252(values.title);
    if (Outcome checked = checkBeforeSave(state, values, values.title, coverSource); !checked)
        return checked;
    table::TMlb2& t = state.table();
    const int row = catalogue::appendFilmRow(state);
    storeValues(t, values, true);
    const std::vector<std::string> cells = rowCells(t, row);
    if (Outcome saved = catalogue::saveCatalogue(state, "Ajout de fiche"); !saved) {
        t.DeleteRow(row);
        return saved;
    }
    return finishSave(state, cells, row, values.title, coverSource);
}

Outcome saveRecord(CatalogueState& state, int row, RecordValues& values, const std::string& coverSource)
{
    table::TMlb2& t = state.table();
    if (row < 1 || row > t.RowCount())
        return Outcome::failure(table::cp("La fiche n° ") + std::to_string(row) + table::cp(" n'existe pas"));
    values.title = upperCp1252(values.title);
    const std::string titre = t.GetCell(catalogue::posTITRE, row);
    if (Outcome checked = checkBeforeSave(state, values, titre, coverSource); !checked)
        return checked;
    const std::vector<std::string> before = rowCells(t, row);
    t.MoveTo(row);
    storeValues(t, values, false);
    const std::vector<std::string> cells = rowCells(t, row);
    if (Outcome saved = catalogue::saveCatalogue(state, "Modification de fiche"); !saved) {
        for (int i = 1; i <= t.FieldCount(); ++i)
            t.SetCell(i, row, before[static_cast<std::size_t>(i - 1)]);
        return saved;
    }
    return finishSave(state, cells, row, titre, coverSource);
}

} // namespace cinevaro::editing
