#include "weblookup/Importer.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>

#include "catalogue/CatalogueState.h"
#include "catalogue/CoverPath.h"
#include "editing/FilmFile.h"
#include "output/TZipMaster.h"
#include "table/Cp1252.h"
#include "table/Platform.h"
#include "table/ScopeExit.h"
#include "table/TMlb2.h"
#include "table/Text.h"
#include "weblookup/HttpClient.h"

namespace cinevaro::weblookup {

namespace fs = std::filesystem;
using catalogue::Outcome;

namespace {

bool isFilmFileName(const std::string& name)
{
    return table::endsWithNoCase(name, ".film");
}

bool contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Among the files this run unpacked, the one named `name`, or failing that one whose name differs
// only in letter case; only a film file (".film" in any case) is picked. Empty when there is none.
std::string findUnpackedFilmFile(const std::vector<std::string>& unpacked, const std::string& name)
{
    if (contains(unpacked, name) && isFilmFileName(name))
        return name;
    const std::string wanted = table::lowerAscii(name);
    for (const auto& file : unpacked)
        if (table::lowerAscii(file) == wanted && isFilmFileName(file))
            return file;
    return {};
}

void removeFile(const std::string& path)
{
    std::error_code ec;
    fs::remove(path, ec);
}

// A name from the service as the user may read it: control characters are shown as "?".
std::string printableName(std::string name)
{
    for (auto& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return name;
}

// The numbered reading error of an archive, within a sentence the user can read.
Outcome unreadableArchive(const std::string& archiveName, const Outcome& listed)
{
    return Outcome::failure(table::cp("L'archive ") + printableName(archiveName) +
                                table::cp(" téléchargée est illisible ou incomplète (") + listed.message + ")",
                            "Cinevaro");
}

// Downloads go to ".cinevaro-import-PID-TOKEN.part" in the collection folder and get the archive's
// name only once complete. The pattern is this program's own: a later run removes such a file
// when the process named in it is gone (killed during a download).
const std::string kPartialPrefix = ".cinevaro-import-";
const std::string kPartialSuffix = ".part";

// A new, empty partial file created exclusively (never an existing file); empty path on failure.
std::string createPartialFile(const std::string& folder)
{
    std::random_device device;
    std::mt19937_64 random((static_cast<std::uint64_t>(device()) << 32) ^ device() ^
                           static_cast<std::uint64_t>(::getpid()));
    for (int attempt = 0; attempt < 16; ++attempt) {
        char token[17];
        std::snprintf(token, sizeof token, "%016llx", static_cast<unsigned long long>(random()));
        std::string path = folder + kPartialPrefix + std::to_string(::getpid()) + "-" + token + kPartialSuffix;
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST)
            break;
    }
    return {};
}

// Gives the complete download its final name, unless a file of that name appeared meanwhile.
bool renameNoReplace(const std::string& from, const std::string& to)
{
    const int renamed = table::fileFaultInjected(table::FileOp::Rename)
                            ? -1
                            : ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    if (renamed == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    // File systems without RENAME_NOREPLACE: check, then rename.
    std::error_code ec;
    if (fs::exists(fs::symlink_status(to, ec)))
        return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

Outcome fetchFailure(const FetchResult& fetched)
{
    return Outcome::failure(fetched.userMessage(), "Cinevaro");
}

// The cover this run unpacked under the entry's own bytes is moved to the name the record view
// reads. The film name may come from a downloaded file: it only ever names a file this run created.
// Returns where the cover this run made now stands, if it made one.
std::optional<fs::path> settleCover(const catalogue::CatalogueState& state, const std::string& filmName,
                                    const std::vector<std::string>& unpackedFiles)
{
    const std::string unpackedName = filmName + ".jpg";
    if (!catalogue::isSafeNameComponent(unpackedName) || !contains(unpackedFiles, unpackedName))
        return std::nullopt;
    std::error_code ec;
    fs::path wanted = catalogue::coverPath(state, filmName);
    fs::path unpacked = fs::path(state.CollectionFolder) / unpackedName;
    if (wanted != unpacked && !fs::exists(wanted, ec) && fs::exists(unpacked, ec)) {
        fs::rename(unpacked, wanted, ec);
        if (!ec)
            return wanted;
    }
    return unpacked;
}

// A confirmed duplicate gets its own cover: a copy of the picture of the name it was found under
// (returned), unless a picture of the new name exists already (it belongs to another film).
std::optional<fs::path> copyCover(const catalogue::CatalogueState& state, const std::string& from,
                                  const std::string& to)
{
    std::error_code ec;
    fs::path source = catalogue::coverPath(state, from);
    fs::path target = catalogue::coverPath(state, to);
    if (source != target && fs::exists(source, ec) && !fs::exists(target, ec) && fs::copy_file(source, target, ec))
        return target;
    return std::nullopt;
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

// What the film's page gives: the distributor and the name of the archive to download.
struct FilmPage
{
    std::string distributor;
    std::string archiveName;
};

catalogue::Result<FilmPage> fetchFilmPage(HttpClient& client, const ImportItem& item, const ImportHooks& hooks)
{
    if (hooks.progress)
        hooks.progress(table::cp("Extraction de l URL de : ") + item.listedTitle);
    FetchResult page = client.FetchPage(item.pageAddress);
    client.Disconnect();
    if (!page.ok())
        return fetchFailure(page);
    FilmPage found{pageDistributor(page.body), archiveNameOfLink(pageArchiveLink(page.body))};
    if (found.archiveName.empty())
        return Outcome::failure(table::cp("La page du film ne donne aucune fiche à télécharger : ") + item.listedTitle,
                                "Cinevaro");
    return found;
}

Outcome archiveNameTaken(const std::string& archiveName)
{
    return Outcome::failure(table::cp("L'archive ") + table::cp(archiveName) +
                                table::cp(" n'a pas été téléchargée : un fichier de ce nom existe déjà "
                                          "dans le dossier de la collection"),
                            "Cinevaro");
}

// The archive name comes from the service: it must be a plain file name, and it must never
// replace a file already in the collection folder (a cover, say), which the download would empty
// and the clean-up delete.
Outcome checkArchiveName(const std::string& folder, const std::string& archiveName)
{
    if (!catalogue::isSafeNameComponent(archiveName))
        return Outcome::failure(table::cp("Le nom d'archive donné par le service n'est pas un nom de fichier "
                                          "valable : « ") +
                                    printableName(archiveName) + table::cp(" »"),
                                "Cinevaro");
    std::error_code ec;
    if (fs::exists(fs::symlink_status(folder + archiveName, ec)))
        return archiveNameTaken(archiveName);
    return Outcome::success();
}

// Downloads the archive to `folder` + `archiveName`. The download goes to a partial file, removed
// on any failure or cancel, and takes the archive's name only once complete: an interrupted run
// leaves no file of that name.
Outcome downloadArchive(HttpClient& client, const std::string& root, const std::string& folder,
                        const std::string& archiveName, const ImportItem& item, const ImportHooks& hooks)
{
    if (auto checked = checkArchiveName(folder, archiveName); !checked)
        return checked;
    const std::string archivePath = folder + archiveName;
    const std::string partialPath = createPartialFile(folder);
    if (partialPath.empty())
        return Outcome::failure(table::cp("Impossible de créer le fichier ") + archivePath, "Cinevaro");
    const table::ScopeExit removePartial([&] { removeFile(partialPath); });
    if (hooks.progress)
        hooks.progress(table::cp("Extraction de la fiche de : ") + item.listedTitle);
    FetchResult archive =
        client.FetchFile(root + "/getzip.html/" + archiveName, partialPath, output::TZipMaster::kMaxExtractBytes);
    client.Disconnect();
    if (!archive.ok())
        return fetchFailure(archive);
    if (!renameNoReplace(partialPath, archivePath))
        return archiveNameTaken(archiveName);
    return Outcome::success();
}

// The film file an unpacked archive holds and the film name it gives (empty: the film's title).
struct UnpackedFilm
{
    std::string filmFile;
    std::string filmName;
    std::vector<std::string> createdFiles; // only files this run created are read, moved or deleted
};

// The last ".film" entry of the archive; unpacking drops directory names, so the film file is the
// entry's last component.
UnpackedFilm listedFilmFile(const output::TZipDir& zipDir)
{
    UnpackedFilm listed;
    for (const auto& entry : zipDir.ListEntries()) {
        if (entry.FileName.ends_with(".film")) {
            listed.filmFile = output::lastComponent(entry.FileName);
            listed.filmName = table::replaceAll(listed.filmFile, ".film", "");
        }
    }
    return listed;
}

std::string skippedEntriesNotice(const ImportItem& item, std::size_t skipped)
{
    return table::cp("Archive de ") + item.listedTitle + " : " + std::to_string(skipped) +
           table::cp(skipped == 1 ? " entrée ignorée" : " entrées ignorées") +
           table::cp(" (liens, noms vides ou contenant des caractères de contrôle)");
}

// The listed film file must be one this run unpacked; an archive that lists none gives the film
// file named after the archive (letter case aside).
Outcome findFilmFile(const std::string& folder, const std::string& archiveName, UnpackedFilm& film)
{
    if (!film.filmFile.empty()) {
        if (contains(film.createdFiles, film.filmFile))
            return Outcome::success();
        std::error_code ec;
        const bool existing = fs::exists(fs::symlink_status(folder + film.filmFile, ec));
        return Outcome::failure(table::cp("Le fichier ") + printableName(film.filmFile) +
                                    table::cp(existing ? " de l'archive n'a pas été extrait : un fichier de ce nom "
                                                         "existe déjà dans le dossier de la collection"
                                                       : " de l'archive n'est pas un fichier ordinaire : il n'a "
                                                         "pas été extrait"),
                                "Cinevaro");
    }
    const std::string wanted = table::replaceAll(archiveName, ".zip", ".film");
    film.filmName = table::replaceAll(archiveName, ".zip", "");
    film.filmFile = findUnpackedFilmFile(film.createdFiles, wanted);
    if (film.filmFile.empty())
        return Outcome::failure(table::cp("Fichier introuvable : ") + folder + printableName(wanted), "Cinevaro");
    return Outcome::success();
}

// Lists and unpacks the downloaded archive into the collection folder, then removes the archive
// and its "(c).txt"; skipped entries are noted in `result`.
catalogue::Result<UnpackedFilm> unpackArchive(const std::string& folder, const std::string& archiveName,
                                              const ImportItem& item, ImportResult& result)
{
    const std::string archivePath = folder + archiveName;
    // Both readers list the archive; the numbered error of the unpacker is reported first.
    output::TZipMaster zipMaster;
    output::TZipDir zipDir;
    if (auto listed = zipMaster.setZipFilename(archivePath); !listed)
        return unreadableArchive(archiveName, listed);
    if (auto listed = zipDir.setZipFileName(archivePath); !listed)
        return unreadableArchive(archiveName, listed);
    UnpackedFilm film = listedFilmFile(zipDir);
    zipMaster.ExtrBaseDir = folder;
    zipMaster.ExtrOptions = 0;
    if (auto extracted = zipMaster.Extract(); !extracted)
        return extracted;
    if (const auto& skipped = zipMaster.skippedEntries(); !skipped.empty())
        result.notices.push_back(skippedEntriesNotice(item, skipped.size()));
    film.createdFiles = zipMaster.createdFiles();
    removeFile(archivePath);
    if (contains(film.createdFiles, "(c).txt"))
        removeFile(folder + "(c).txt");
    if (auto found = findFilmFile(folder, archiveName, film); !found)
        return found;
    return film;
}

// The film added under its name (the user asked about each look-alike first), or declined.
Outcome addImportedFilm(catalogue::CatalogueState& state, const editing::FilmRecord& film, const UnpackedFilm& unpacked,
                        const std::string& distributor, const ImportItem& item, const ImportHooks& hooks,
                        ImportResult& result)
{
    const auto settled = settleCover(state, unpacked.filmName, unpacked.createdFiles);
    std::string finalName = unpacked.filmName;
    if (!duplicateWalk(state, finalName, hooks)) {
        ++result.declined;
    } else {
        const auto copied = copyCover(state, unpacked.filmName, finalName);
        if (auto added = addFilmRow(state, film, finalName, distributor, item); !added) {
            // The film is not in the catalogue: the covers this run made for it go too.
            for (const auto& cover : {copied, settled})
                if (cover)
                    removeFile(cover->string());
            return added;
        }
        ++result.added;
    }
    if (hooks.filmDone)
        hooks.filmDone();
    return Outcome::success();
}

// One ticked film: its page, its archive downloaded and unpacked, its film file read and added.
Outcome importOne(catalogue::CatalogueState& state, HttpClient& client, const std::string& root, const ImportItem& item,
                  const ImportHooks& hooks, ImportResult& result)
{
    auto page = fetchFilmPage(client, item, hooks);
    if (!page)
        return page.outcome();
    const std::string folder = state.CollectionFolder;
    if (auto downloaded = downloadArchive(client, root, folder, page->archiveName, item, hooks); !downloaded)
        return downloaded;
    const table::ScopeExit removeArchive([&] { removeFile(folder + page->archiveName); });
    auto unpacked = unpackArchive(folder, page->archiveName, item, result);
    if (!unpacked)
        return unpacked.outcome();
    const std::string filmPath = folder + unpacked->filmFile;
    auto film = editing::readFilmFile(filmPath);
    if (!film)
        return Outcome::failure(film.message(), "Cinevaro");
    const table::ScopeExit removeFilmFile([&] { removeFile(filmPath); });
    if (unpacked->filmName.empty())
        unpacked->filmName = film->titre;
    return addImportedFilm(state, *film, *unpacked, page->distributor, item, hooks, result);
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

std::string partialDownloadPrefix()
{
    return kPartialPrefix;
}

int removeStalePartialDownloads(const std::string& folder)
{
    int removed = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= kPartialPrefix.size() + kPartialSuffix.size() || name.rfind(kPartialPrefix, 0) != 0 ||
            !name.ends_with(kPartialSuffix))
            continue;
        // PID-TOKEN: a run still alive keeps its download.
        const std::string middle =
            name.substr(kPartialPrefix.size(), name.size() - kPartialPrefix.size() - kPartialSuffix.size());
        const auto dash = middle.find('-');
        if (dash == std::string::npos || dash == 0 || dash > 9 || middle.size() != dash + 17 ||
            middle.find_first_not_of("0123456789") != dash ||
            middle.find_first_not_of("0123456789abcdef", dash + 1) != std::string::npos)
            continue;
        const pid_t pid = static_cast<pid_t>(std::stol(middle.substr(0, dash)));
        if (::kill(pid, 0) == 0 || errno == EPERM)
            continue;
        std::error_code fileEc;
        if (!entry.is_regular_file(fileEc) || entry.is_symlink(fileEc))
            continue;
        if (fs::remove(entry.path(), fileEc))
            ++removed;
    }
    return removed;
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
        removeStalePartialDownloads(state.CollectionFolder);
    }
    // The films of one run are one change for undo. A version that cannot be kept does not undo
    // the films saved: the import's own outcome is what the user is told.
    catalogue::VersionStore* versions = any ? &catalogue::versionsOf(state) : nullptr;
    if (versions)
        versions->beginGroup("Import web");
    const table::ScopeExit endGroup([versions] {
        if (versions)
            static_cast<void>(versions->endGroup());
    });
    for (const auto& item : items) {
        if (!item.ticked)
            continue;
        if (auto done = importOne(state, client, root, item, hooks, result); !done) {
            // The entries left out often explain the failure: the user reads both together.
            for (const auto& notice : result.notices)
                done.message += "\r\n" + notice;
            result.outcome = done;
            return result;
        }
    }
    return result;
}

} // namespace cinevaro::weblookup
