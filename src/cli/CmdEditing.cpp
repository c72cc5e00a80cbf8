// add, set, delete, export-film, supports: the record editor, the supports window and the film
// record files from the command line, through the same core operations as the windows.
#include <filesystem>
#include <ostream>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "catalogue/Jpeg.h"
#include "cli/Commands.h"
#include "editing/DeleteRecord.h"
#include "editing/FilmFile.h"
#include "editing/JpegWriter.h"
#include "editing/RecordEdit.h"
#include "editing/Supports.h"
#include "table/Cp1252.h"

namespace cinevaro::cli {

namespace {

namespace fs = std::filesystem;
using editing::RecordValues;

int failText(const std::string& cp1252, std::ostream& err)
{
    err << table::cp1252ToUtf8(cp1252) << "\n";
    return 1;
}

// One FIELD=VALUE typed into the editor's boxes. Returns 2 for a usage error, 1 for a value the
// code page cannot hold, 0 when applied.
int applySet(RecordValues& v, const std::string& assignment, std::ostream& err)
{
    const std::size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) {
        err << "FIELD=VALUE attendu au lieu de '" << assignment << "'\n";
        return 2;
    }
    const std::string field = assignment.substr(0, eq);
    auto value = argToCp(assignment.substr(eq + 1), err);
    if (!value)
        return 1;
    if (field == "TITRE") {
        v.title = *value;
        v.displayTitle.reset();
    } else if (field == "RESERVE1") {
        v.displayTitle = *value;
    } else if (field == "REAL") {
        v.real = *value;
    } else if (field == "DATE") {
        v.date = *value;
    } else if (field == "ORIGINE") {
        v.origine = *value;
    } else if (field == "GENRE") {
        v.genre = *value;
    } else if (field == "DUREE") {
        editing::setDuration(v, *value);
    } else if (field == "ACTEUR") {
        v.actors = editing::splitActors(*value);
    } else if (field == "RESUME") {
        v.resume = *value;
    } else if (field == "DISTRIB") {
        v.distrib = *value;
    } else if (field == "RESERVE0") {
        v.support = *value;
    } else if (field == "RESERVE3") {
        v.number = *value;
    } else {
        err << "Le champ " << field
            << " ne se modifie pas dans l'éditeur de fiche (TITRE, RESERVE1, REAL, DATE, ORIGINE, GENRE, DUREE, "
               "ACTEUR, RESUME, DISTRIB, RESERVE0, RESERVE3)\n";
        return 2;
    }
    return 0;
}

// Reports the outcome of a save: 0 on success, 1 with the message when something failed (even
// when the record itself was saved and only the cover copy failed).
} // namespace

int cmdAdd(const Args& args, std::ostream& out, std::ostream& err)
{
    std::string file, support, film, cover;
    bool haveSupport = false;
    std::vector<std::string> sets;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--support" && hasValue) {
            support = args[++i];
            haveSupport = true;
        } else if (a == "--film" && hasValue) {
            film = args[++i];
        } else if (a == "--set" && hasValue) {
            sets.push_back(args[++i]);
        } else if (a == "--cover" && hasValue) {
            cover = args[++i];
        } else if (file.empty() && !isOption(a)) {
            file = a;
        } else {
            return usageOf("add", err);
        }
    }
    if (file.empty() || !haveSupport)
        return usageOf("add", err);
    catalogue::CatalogueState state;
    if (int status = openForCommand(file, state, true, err))
        return status;

    RecordValues values;
    auto supportName = argToCp(support, err);
    if (!supportName)
        return 1;
    values.support = *supportName;
    std::string coverSource = cover;
    if (!film.empty()) {
        auto record = editing::readFilmFile(film);
        if (!record)
            return failText(record.message(), err);
        editing::applyFilmRecord(values, *record);
        if (cover.empty())
            coverSource = editing::existingCompanionPicture(film);
    }
    for (const std::string& s : sets)
        if (int status = applySet(values, s, err))
            return status;
    if (auto known = editing::checkSupport(state, values.support); !known)
        return fail(known, err);

    if (auto saved = editing::addRecord(state, values, coverSource); !saved)
        return fail(saved, err);
    out << state.CurrentRow << "\t"
        << table::cp1252ToUtf8(state.table().GetCell(catalogue::posRESERVE1, state.CurrentRow)) << "\n";
    return 0;
}

int cmdSet(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() < 3 || isOption(args[0]))
        return usageOf("set", err);
    catalogue::CatalogueState state;
    auto row = openFilmRow(args[0], args[1], state, true, err);
    if (!row)
        return 1;
    RecordValues values = editing::loadRecord(state, *row);
    const std::string support = values.support;
    for (std::size_t i = 2; i < args.size(); ++i)
        if (int status = applySet(values, args[i], err))
            return status;
    if (values.support != support)
        if (auto known = editing::checkSupport(state, values.support); !known)
            return fail(known, err);
    if (auto saved = editing::saveRecord(state, *row, values, ""); !saved)
        return fail(saved, err);
    out << state.CurrentRow << "\t"
        << table::cp1252ToUtf8(state.table().GetCell(catalogue::posRESERVE1, state.CurrentRow)) << "\n";
    return 0;
}

int cmdDelete(const Args& args, std::ostream&, std::ostream& err)
{
    if (args.size() != 2 || isOption(args[0]))
        return usageOf("delete", err);
    catalogue::CatalogueState state;
    auto row = openFilmRow(args[0], args[1], state, true, err);
    if (!row)
        return 1;
    if (auto deleted = editing::deleteRecord(state, *row); !deleted)
        return fail(deleted, err);
    return 0;
}

int cmdExportFilm(const Args& args, std::ostream&, std::ostream& err)
{
    if (args.size() != 3 || isOption(args[0]) || isOption(args[2]))
        return usageOf("export-film", err);
    catalogue::CatalogueState state;
    auto row = openFilmRow(args[0], args[1], state, false, err);
    if (!row)
        return 1;
    RecordValues values = editing::loadRecord(state, *row);
    const editing::FilmRecord film = editing::toFilmRecord(values);
    const std::string& outPath = args[2];
    const auto kind = outPath.ends_with(".film")  ? editing::FilmFileKind::Film
                      : outPath.ends_with(".txt") ? editing::FilmFileKind::Txt
                                                  : editing::FilmFileKind::Any;
    const editing::FilmFileNames names = editing::filmFileNamesFor(outPath, kind);
    if (auto written = editing::writeFilmFile(names.film, film); !written)
        return fail(written, err);

    const std::string cover = catalogue::coverPath(state, state.table().GetCell(catalogue::posTITRE, *row));
    std::error_code ec;
    if (names.picture.empty() || fs::exists(names.picture, ec) || !fs::is_regular_file(cover, ec))
        return 0;
    catalogue::RgbImage image;
    if (auto decoded = catalogue::decodeJpegFile(cover, image); !decoded)
        return failText(table::cp("L'image ") + cover + table::cp(" ne peut pas être lue : ") + decoded.message, err);
    if (auto written =
            editing::writeJpegFile(names.picture, image.width, image.height, image.pixels.data(), image.width * 3);
        !written)
        return fail(written, err);
    return 0;
}

int cmdSupports(const Args& args, std::ostream& out, std::ostream& err)
{
    if (args.size() == 1 && !isOption(args[0])) {
        catalogue::CatalogueState state;
        if (int status = openForCommand(args[0], state, false, err))
            return status;
        for (const std::string& name : state.supportNames())
            out << table::cp1252ToUtf8(name) << "\n";
        return 0;
    }
    if (args.size() != 3 || args[1] != "--set" || isOption(args[0]))
        return usageOf("supports", err);
    catalogue::CatalogueState state;
    if (int status = openForCommand(args[0], state, true, err))
        return status;
    auto list = argToCp(args[2], err);
    if (!list)
        return 1;
    if (auto stored = editing::replaceSupportList(state, *list); !stored)
        return fail(stored, err);
    return 0;
}

} // namespace cinevaro::cli
