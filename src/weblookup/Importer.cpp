#include "weblookup/Importer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "editing/FilmFile.h"
#include "output/TZipMaster.h"
#include "table/Cp1252.h"
#include "table/TMlb2.h"
#include "weblookup/HttpClient.h"

namespace cinevaro::weblookup {

namespace fs = std::filesystem;
using catalogue::Outcome;

namespace {

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t pos = text.find(from); pos != std::string::npos; pos = text.find(from, pos + to.size()))
        text.replace(pos, from.size(), to);
    return text;
}

std::string lowerAscii(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

// A file of the folder named `name`, or failing that one whose name differs only in letter case.
std::string findIgnoringCase(const std::string& folder, const std::string& name)
{
    std::error_code ec;
    if (fs::exists(fs::path(folder) / name, ec))
        return (fs::path(folder) / name).string();
    const std::string wanted = lowerAscii(name);
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (lowerAscii(entry.path().filename().string()) == wanted)
            return entry.path().string();
    }
    return (fs::path(folder) / name).string();
}

void removeFile(const std::string& path)
{
    std::error_code ec;
    fs::remove(path, ec);
}

// Removes a file when the scope ends, unless released.
class FileGuard
{
public:
    explicit FileGuard(std::string path) : m_path(std::move(path)) {}
    ~FileGuard()
    {
        if (!m_path.empty())
            removeFile(m_path);
    }
    FileGuard(const FileGuard&) = delete;
    FileGuard& operator=(const FileGuard&) = delete;

private:
    std::string m_path;
};

Outcome fetchFailure(const FetchResult& fetched)
{
    return Outcome::failure(fetched.userMessage(), "Cinevaro");
}

// The cover unpacked under the entry's own bytes is moved to the name the record view reads.
void settleCover(const catalogue::CatalogueState& state, const std::string& filmName)
{
    std::error_code ec;
    fs::path wanted = catalogue::coverPath(state, filmName);
    fs::path unpacked = fs::path(state.CollectionFolder) / (filmName + ".jpg");
    if (wanted != unpacked && !fs::exists(wanted, ec) && fs::exists(unpacked, ec))
        fs::rename(unpacked, wanted, ec);
}

// A confirmed duplicate gets its own cover: a copy of the picture of the name it was found
// under, unless a picture of the new name exists already (it belongs to another film).
void copyCover(const catalogue::CatalogueState& state, const std::string& from, const std::string& to)
{
    std::error_code ec;
    fs::path source = catalogue::coverPath(state, from);
    fs::path target = catalogue::coverPath(state, to);
    if (source != target && fs::exists(source, ec) && !fs::exists(target, ec))
        fs::copy_file(source, target, ec);
}

// Asks about every row whose RESERVE1 matches the film name as a LIKE pattern. Returns false when
// the user declines; on each confirmation the name gets "1" appended and the row is tested again.
bool duplicateWalk(catalogue::CatalogueState& state, std::string& filmName, const ImportHooks& hooks)
{
    auto& t = state.table();
    for (int row = 1; row <= t.RowCount();) {
        t.MoveTo(row);
        if (!t.Search("RESERVE1", "LIKE", filmName)) {
            ++row;
            continue;
        }
        if (!hooks.confirmDuplicate || !hooks.confirmDuplicate(filmName))
            return false;
        filmName += "1";
    }
    return true;
}

// Appends the film's row, saves and reloads the catalogue. A failed save removes the row again,
// so the table stays as the file on disk.
Outcome addFilmRow(catalogue::CatalogueState& state, const editing::FilmRecord& film, const std::string& filmName,
                   const std::string& distributor, const ImportItem& item)
{
    int row = catalogue::appendFilmRow(state);
    auto& t = state.table();
    const std::pair<const char*, const std::string*> cells[] = {
        {"TITRE", &filmName},        {"REAL", &film.real},           {"DATE", &film.date},
        {"ORIGINE", &film.origine},  {"GENRE", &film.genre},         {"DUREE", &film.duree},
        {"ACTEUR", &film.acteur},    {"RESUME", &film.resume},       {"DISTRIB", &distributor},
        {"RESERVE0", &item.support}, {"RESERVE1", &item.listedTitle}};
    for (const auto& [field, value] : cells)
        t.SetCell(t.FieldIndex(field), row, *value);
    if (auto saved = catalogue::saveCatalogue(state); !saved) {
        t.DeleteRow(row);
        return saved;
    }
    auto reloaded = std::make_unique<table::TMlb2>();
    if (reloaded->LoadFromFile(state.CatalogueFileName))
        state.CatalogueTable = std::move(reloaded);
    return Outcome::success();
}

Outcome importOne(catalogue::CatalogueState& state, HttpClient& client, const std::string& root, const ImportItem& item,
                  const ImportHooks& hooks, ImportResult& result)
{
    if (hooks.progress)
        hooks.progress(table::cp("Extraction de l URL de : ") + item.listedTitle);
    FetchResult page = client.FetchPage(item.pageAddress);
    client.Disconnect();
    if (!page.ok())
        return fetchFailure(page);
    const std::string distributor = pageDistributor(page.body);
    const std::string archiveName = archiveNameOfLink(pageArchiveLink(page.body));

    const std::string folder = state.CollectionFolder;
    const std::string archivePath = folder + archiveName;
    {
        // The archive name comes from the service: it must never replace a file already in the
        // collection folder (a cover, say), which the download would empty and the clean-up delete.
        std::error_code ec;
        if (archiveName == "." || archiveName == ".." || fs::exists(fs::symlink_status(archivePath, ec)))
            return Outcome::failure(table::cp("L'archive ") + table::cp(archiveName) +
                                        table::cp(" n'a pas été téléchargée : un fichier de ce nom existe déjà "
                                                  "dans le dossier de la collection"),
                                    "Cinevaro");
        std::ofstream create;
        if (!archiveName.empty())
            create.open(archivePath, std::ios::binary | std::ios::trunc);
        if (!create)
            return Outcome::failure(table::cp("Impossible de créer le fichier ") + archivePath, "Cinevaro");
    }
    FileGuard archiveGuard(archivePath);
    if (hooks.progress)
        hooks.progress(table::cp("Extraction de la fiche de : ") + item.listedTitle);
    FetchResult archive = client.FetchFile(root + "/getzip.html/" + archiveName, archivePath);
    client.Disconnect();
    if (!archive.ok())
        return fetchFailure(archive);

    // Both readers list the archive; the numbered error of the unpacker is reported first.
    output::TZipMaster zipMaster;
    output::TZipDir zipDir;
    if (auto listed = zipMaster.setZipFilename(archivePath); !listed)
        return listed;
    if (auto listed = zipDir.setZipFileName(archivePath); !listed)
        return listed;
    // Unpacking drops directory names, so the film file is the entry's last component.
    std::string filmFile;
    std::string filmName;
    for (const auto& entry : zipDir.ListEntries()) {
        if (endsWith(entry.FileName, ".film")) {
            filmFile = output::lastComponent(entry.FileName);
            filmName = replaceAll(filmFile, ".film", "");
        }
    }
    zipMaster.ExtrBaseDir = folder;
    zipMaster.ExtrOptions = 0;
    if (auto extracted = zipMaster.Extract(); !extracted)
        return extracted;
    removeFile(archivePath);
    removeFile(folder + "(c).txt");
    if (filmFile.empty()) {
        filmFile = replaceAll(archiveName, ".zip", ".film");
        filmName = replaceAll(archiveName, ".zip", "");
    }
    const std::string filmPath = findIgnoringCase(folder, filmFile);
    std::string error;
    auto film = editing::readFilmFile(filmPath, &error);
    if (!film)
        return Outcome::failure(error, "Cinevaro");
    FileGuard filmGuard(filmPath);
    if (filmName.empty())
        filmName = film->titre;
    settleCover(state, filmName);

    std::string finalName = filmName;
    if (!duplicateWalk(state, finalName, hooks)) {
        ++result.declined;
    } else {
        copyCover(state, filmName, finalName);
        if (auto added = addFilmRow(state, *film, finalName, distributor, item); !added)
            return added;
        ++result.added;
    }
    if (hooks.filmDone)
        hooks.filmDone();
    return Outcome::success();
}

} // namespace

std::string missingSupportsMessage()
{
    return table::cp("Il manque des catégories de support pour les films Selectionnés.");
}

std::string missingSupportsCaption()
{
    return table::cp("Opération Arrétée");
}

std::string pageDistributor(const std::string& page)
{
    // Without the marker the position counts from before the page's start, as a failed search gives.
    std::size_t marker = page.find("Distribution");
    std::size_t from = marker == std::string::npos ? 78 : marker + 79;
    std::size_t gt = page.find('>', std::min(from, page.size()));
    if (gt == std::string::npos)
        return {};
    std::size_t lt = page.find('<', gt + 1);
    std::string distributor = page.substr(gt + 1, lt == std::string::npos ? std::string::npos : lt - gt - 1);
    return distributor == "IDMC" ? "N/A" : distributor;
}

std::string pageArchiveLink(const std::string& page)
{
    std::size_t marker = page.find("zip.gif");
    std::size_t start = std::min(marker == std::string::npos ? 27 : marker + 28, page.size());
    std::size_t quote = page.find('"', start);
    return page.substr(start, quote == std::string::npos ? std::string::npos : quote - start);
}

std::string archiveNameOfLink(const std::string& link)
{
    std::string name = link.empty() ? link : link.substr(1);
    auto slash = name.rfind('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

ImportResult importSelection(catalogue::CatalogueState& state, HttpClient& client, const std::string& root,
                             const std::vector<ImportItem>& items, const ImportHooks& hooks)
{
    ImportResult result;
    for (const auto& item : items) {
        if (item.ticked && item.support == "?") {
            result.refused = true;
            result.outcome = Outcome::failure(missingSupportsMessage(), missingSupportsCaption());
            return result;
        }
    }
    bool any = std::any_of(items.begin(), items.end(), [](const ImportItem& item) { return item.ticked; });
    if (any) {
        // Without an open catalogue there is no collection folder to download into; after a failed
        // open the names still point at the unreadable file, which stays as it is.
        if (!state.IsOpen || state.CatalogueFileName.empty() || state.CollectionFolder.empty()) {
            result.outcome = Outcome::failure(table::cp("Aucune base de données n'est ouverte"), "Cinevaro");
            return result;
        }
        if (auto folder = catalogue::ensureCollectionFolder(state.CollectionFolder); !folder) {
            result.outcome = folder;
            return result;
        }
    }
    for (const auto& item : items) {
        if (!item.ticked)
            continue;
        if (auto done = importOne(state, client, root, item, hooks, result); !done) {
            result.outcome = done;
            return result;
        }
    }
    return result;
}

} // namespace cinevaro::weblookup
