#include "catalogue/Versions.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "catalogue/VersionDelta.h"
#include "catalogue/VersionFiles.h"
#include "table/Cp1252.h"
#include "table/SafeFile.h"
#include "table/TMlb2.h"

namespace fs = std::filesystem;

namespace cinevaro::catalogue {

using namespace versionfiles;

namespace {
bool& enabledFlag()
{
    static bool enabled = true;
    return enabled;
}
} // namespace

void VersionStore::setEnabledForTesting(bool enabled)
{
    enabledFlag() = enabled;
}

bool VersionStore::enabled()
{
    return enabledFlag();
}

void VersionStore::setClockForTesting(std::function<std::int64_t()> clock)
{
    clockFunction() = std::move(clock);
}

std::int64_t VersionStore::now()
{
    if (clockFunction())
        return clockFunction()();
    return static_cast<std::int64_t>(std::time(nullptr));
}

VersionStore::VersionStore(std::string catalogueFile, std::string collectionFolder)
    : m_catalogueFile(std::move(catalogueFile)), m_collectionFolder(std::move(collectionFolder))
{
    fs::path file(m_catalogueFile);
    std::string name = file.filename().string();
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".cvo") == 0)
        name.resize(name.size() - 4);
    m_folder = (file.parent_path() / (name + ".versions")).string() + "/";
    if (!m_collectionFolder.empty() && m_collectionFolder.back() != '/')
        m_collectionFolder += '/';
}

VersionStore::~VersionStore()
{
    if (m_pending && m_groupDepth > 0 && m_groupSaved) {
        m_groupDepth = 1;
        // A destructor has no one to report to: a version that cannot be written is simply not kept.
        static_cast<void>(endGroup());
    }
    if (m_pending) {
        m_groupDepth = 0;
        abort();
    }
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

std::string VersionStore::coversFolder(int number) const
{
    return path("v" + std::to_string(number) + ".covers/");
}

bool VersionStore::ensureFolder()
{
    std::error_code ec;
    fs::create_directories(m_folder, ec);
    return fs::is_directory(m_folder, ec);
}

int VersionStore::nextNumber()
{
    int highest = m_lastNumber;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(m_folder, ec)) {
        const std::string name = item.path().filename().string();
        for (const char* suffix : {".ver", ".hdr", ".raw", ".covers", ".base"})
            highest = std::max({highest, numberOf(name, "v", suffix), numberOf(name, "b", suffix)});
    }
    m_lastNumber = highest + 1;
    return m_lastNumber;
}

void VersionStore::prepare(const std::string& operation)
{
    if (m_groupDepth > 0) {
        prepareInGroup();
        return;
    }
    if (m_pending)
        return;
    Pending p;
    p.operation = operation;
    p.hadFile = enabled() && exists(m_catalogueFile);
    if (!p.hadFile || !ensureFolder()) {
        m_pending = std::move(p); // nothing to keep, or no folder (reported at commit)
        return;
    }
    p.number = nextNumber();
    p.linked = ::link(m_catalogueFile.c_str(), path("v" + std::to_string(p.number) + ".raw").c_str()) == 0;
    if (!p.linked) {
        // File systems without hard links: a copy.
        std::error_code ec;
        p.linked = fs::copy_file(m_catalogueFile, path("v" + std::to_string(p.number) + ".raw"), ec);
    }
    m_pending = std::move(p);
}

Outcome VersionStore::writeHeader(const Pending& p, std::int64_t time)
{
    Header h;
    h.time = time;
    h.operation = p.operation;
    h.redo = p.redo;
    h.keepRedo = p.keepRedo;
    h.kept = p.keptCovers;
    h.added = p.addedCovers;
    // Not synced: the save waits for no second sync. The worker packs the version into a synced
    // file soon after; a power cut before that loses this version only, never the catalogue.
    table::SafeWriteOptions unsynced;
    unsynced.sync = false;
    if (!table::writeFileAtomically(path("v" + std::to_string(p.number) + ".hdr"), formatHeader(h), unsynced))
        return Outcome::failure(table::cp("La version précédente de la base n'a pas pu être conservée dans ") +
                                table::cp(m_folder) + table::cp(" (disque plein ou accès refusé)."));
    return Outcome::success();
}

Outcome VersionStore::commit()
{
    if (!m_pending)
        return Outcome::success();
    if (m_groupDepth > 0) {
        m_groupSaved = true; // the version is made when the group ends
        return Outcome::success();
    }
    Pending p = std::move(*m_pending);
    m_pending.reset();
    if (!p.hadFile)
        return Outcome::success(); // a new catalogue: nothing was replaced
    if (!p.linked) {
        if (p.number)
            removeVersionFiles(p.number);
        return Outcome::failure(table::cp("La version précédente de la base n'a pas pu être conservée dans ") +
                                table::cp(m_folder) + table::cp(" (disque plein ou accès refusé)."));
    }
    Outcome written = writeHeader(p, now());
    if (!written) {
        removeVersionFiles(p.number);
        return written;
    }
    m_lastNumber = std::max(m_lastNumber, p.number);
    enqueue(p.number);
    return Outcome::success();
}

void VersionStore::abort()
{
    if (!m_pending)
        return;
    if (m_groupDepth > 0 && m_groupSaved)
        return; // earlier saves of the group stand: their version stays pending
    Pending p = std::move(*m_pending);
    m_pending.reset();
    m_groupOpen = false;
    for (const auto& name : p.keptCovers)
        moveFile(coversFolder(p.number) + name, m_collectionFolder + name);
    if (p.number)
        removeVersionFiles(p.number);
}

void VersionStore::keepCover(const std::string& coverPath)
{
    recordCover(coverPath, CoverChange::Removed);
}

void VersionStore::keepCoverBeforeWrite(const std::string& coverPath)
{
    recordCover(coverPath, exists(coverPath) ? CoverChange::Overwritten : CoverChange::Added);
}

void VersionStore::recordCover(const std::string& coverPath, CoverChange change)
{
    const std::string name = fileName(coverPath);
    const int number = !enabled() ? 0 : m_pending ? m_pending->number : m_lastNumber;
    std::error_code ec;
    if (change != CoverChange::Added) {
        if (!exists(coverPath))
            return;
        bool kept = number != 0 && safeCoverName(name) && ensureFolder();
        if (kept) {
            fs::create_directories(coversFolder(number), ec);
            kept = change == CoverChange::Removed ? moveFile(coverPath, coversFolder(number) + name)
                                                  : fs::copy_file(coverPath, coversFolder(number) + name,
                                                                  fs::copy_options::overwrite_existing, ec);
        }
        if (!kept) {
            if (change == CoverChange::Removed)
                fs::remove(coverPath, ec);
            return;
        }
    } else if (number == 0 || !safeCoverName(name)) {
        return;
    }
    if (m_pending) {
        auto& names = change == CoverChange::Added ? m_pending->addedCovers : m_pending->keptCovers;
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
        return;
    }
    // After the save: the version it made learns of the cover.
    flush();
    auto add = [&](Header& h) {
        auto& names = change == CoverChange::Added ? h.added : h.kept;
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    };
    // The header starts the version's file: alone while the version waits to be packed, followed
    // by the packed catalogue once it is.
    for (const char* suffix : {".hdr", ".ver"}) {
        const std::string file = path("v" + std::to_string(number) + suffix);
        if (auto bytes = readWhole(file)) {
            std::size_t end = 0;
            if (auto h = parseHeader(*bytes, &end)) {
                add(*h);
                writeWhole(file, formatHeader(*h) + bytes->substr(end));
            }
            return;
        }
    }
}

std::set<std::string> VersionStore::collectionNames() const
{
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(m_collectionFolder, ec))
        names.insert(item.path().filename().string());
    return names;
}

void VersionStore::beginGroup(const std::string& operation)
{
    if (m_groupDepth++ > 0)
        return;
    m_groupStart = collectionNames();
    m_groupOpen = false;
    m_groupSaved = false;
    m_groupOperation = operation;
}

void VersionStore::prepareInGroup()
{
    if (m_groupDepth == 0 || m_groupOpen)
        return;
    m_groupOpen = true;
    // prepare takes the file as it is before the group's first save, at any depth of nesting.
    const int depth = std::exchange(m_groupDepth, 0);
    prepare(m_groupOperation);
    m_groupDepth = depth;
}

Outcome VersionStore::endGroup()
{
    if (m_groupDepth == 0 || --m_groupDepth > 0 || !m_groupOpen)
        return Outcome::success();
    m_groupOpen = false;
    // Covers the group created: undo removes them again.
    for (const auto& name : collectionNames())
        if (!m_groupStart.count(name))
            recordCover(m_collectionFolder + name, CoverChange::Added);
    return commit();
}

std::vector<VersionEntry> VersionStore::list()
{
    flush();
    return scan();
}

std::vector<VersionEntry> VersionStore::restorable()
{
    auto versions = list();
    std::erase_if(versions, [](const VersionEntry& e) { return e.Redo; });
    return versions;
}

UndoRedo VersionStore::nextUndoRedo(bool wait)
{
    UndoRedo next;
    for (auto& v : wait ? list() : peek()) {
        auto& slot = v.Redo ? next.redo : next.undo;
        if (!slot)
            slot = std::move(v);
    }
    return next;
}

std::optional<VersionEntry> VersionStore::nextUndo()
{
    for (const auto& e : list())
        if (!e.Redo)
            return e;
    return std::nullopt;
}

std::optional<VersionEntry> VersionStore::nextRedo()
{
    for (const auto& e : list())
        if (e.Redo)
            return e;
    return std::nullopt;
}

Outcome VersionStore::bringBack(const VersionEntry& entry, bool toRedo)
{
    auto target = reconstruct(entry.Number);
    if (!target)
        return Outcome::failure(table::cp("La version ") + std::to_string(entry.Number) +
                                table::cp(" de la base est illisible ; rien n'a été modifié."));
    auto header = [&]() -> std::optional<Header> {
        const std::string stem = "v" + std::to_string(entry.Number);
        if (auto hdr = readWhole(path(stem + ".hdr")))
            return parseHeader(*hdr);
        if (auto ver = readWhole(path(stem + ".ver")))
            return parseHeader(*ver);
        return std::nullopt;
    }();
    if (!header)
        return Outcome::failure(table::cp("La version ") + std::to_string(entry.Number) +
                                table::cp(" de la base est illisible ; rien n'a été modifié."));

    // The current state becomes the entry of the other direction.
    prepare(entry.Operation);
    m_pending->redo = toRedo;
    m_pending->keepRedo = !toRedo;
    std::error_code ec;
    const std::string from = coversFolder(entry.Number);
    for (const auto& name : header->added)
        if (safeCoverName(name) && exists(m_collectionFolder + name))
            keepCover(m_collectionFolder + name);
    std::vector<std::string> broughtBack;
    // Puts back the covers moved above, and only those: a cover of the same name that the
    // version no longer held stays in the collection.
    const auto giveBack = [&] {
        for (const auto& name : broughtBack) {
            fs::create_directories(from, ec);
            moveFile(m_collectionFolder + name, from + name);
        }
        abort();
    };
    for (const auto& name : header->kept) {
        if (!safeCoverName(name) || !exists(from + name))
            continue;
        if (exists(m_collectionFolder + name))
            keepCover(m_collectionFolder + name);
        else
            m_pending->addedCovers.push_back(name);
        fs::create_directories(m_collectionFolder, ec);
        if (!moveFile(from + name, m_collectionFolder + name)) {
            // Left in this version, the cover would be removed with it below: nothing is changed.
            giveBack();
            return Outcome::failure(table::cp("La couverture ") + name +
                                    table::cp(" n'a pas pu être remise dans le dossier des couvertures ; "
                                              "rien n'a été modifié."));
        }
        broughtBack.push_back(name);
    }
    if (!writeWhole(m_catalogueFile, *target)) {
        giveBack();
        return Outcome::failure(table::cp("La base ") + table::cp(m_catalogueFile) +
                                table::cp(" n'a pas pu être enregistrée (disque plein ou accès refusé) ; "
                                          "le fichier précédent est conservé"));
    }
    removeVersionFiles(entry.Number);
    Pending p = *m_pending;
    m_pending.reset();
    if (p.linked && writeHeader(p, now())) {
        enqueue(p.number);
    } else if (p.number) {
        removeVersionFiles(p.number);
    }
    return Outcome::success();
}

Outcome VersionStore::undo()
{
    const auto entry = nextUndo();
    if (!entry)
        return Outcome::failure(table::cp("Aucune modification à annuler."));
    return bringBack(*entry, true);
}

Outcome VersionStore::redo()
{
    const auto entry = nextRedo();
    if (!entry)
        return Outcome::failure(table::cp("Aucune modification à rétablir."));
    return bringBack(*entry, false);
}

Outcome VersionStore::restore(int number)
{
    const auto entries = list();
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [number](const VersionEntry& e) { return e.Number == number && !e.Redo; });
    if (found == entries.end())
        return Outcome::failure(table::cp("La version ") + std::to_string(number) + table::cp(" n'existe pas."));
    auto target = reconstruct(number);
    if (!target)
        return Outcome::failure(table::cp("La version ") + std::to_string(number) +
                                table::cp(" de la base est illisible ; rien n'a été modifié."));
    prepare(table::cp("Restauration de version"));
    // Covers removed since that version come back where the folder has none of that name.
    std::error_code ec;
    for (const auto& e : entries) {
        if (e.Redo || e.Number < number)
            continue;
        for (const auto& item : fs::directory_iterator(coversFolder(e.Number), ec)) {
            const std::string name = item.path().filename().string();
            if (!exists(m_collectionFolder + name)) {
                fs::create_directories(m_collectionFolder, ec);
                if (fs::copy_file(item.path(), m_collectionFolder + name, ec))
                    m_pending->addedCovers.push_back(name);
            }
        }
    }
    if (!writeWhole(m_catalogueFile, *target)) {
        for (const auto& name : m_pending->addedCovers)
            fs::remove(m_collectionFolder + name, ec);
        m_pending->addedCovers.clear();
        abort();
        return Outcome::failure(table::cp("La base ") + table::cp(m_catalogueFile) +
                                table::cp(" n'a pas pu être enregistrée (disque plein ou accès refusé) ; "
                                          "le fichier précédent est conservé"));
    }
    return commit();
}

} // namespace cinevaro::catalogue
