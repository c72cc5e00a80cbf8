#include "output/TZipMaster.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <system_error>

#include "output/ZipSources.h"
#include "output/ZipUnpack.h"
#include "table/Cp1252.h"
#include "table/ExclusiveLink.h"
#include "table/SafeFile.h"
#include "table/ScopeExit.h"
#include "table/Text.h"
#include "table/UniqueFd.h"

namespace fs = std::filesystem;

namespace cinevaro::output {

using catalogue::Outcome;
using table::cp;

namespace {

bool hasWildcard(const std::string& text)
{
    return text.find_first_of("*?") != std::string::npos;
}

// Stored name of a file: relative to the root folder when it lies inside it, otherwise its path
// without the leading separator; only the file name without AddDirNames.
std::string storedName(const fs::path& file, const std::string& root, unsigned options)
{
    if (!(options & AddDirNames))
        return file.filename().string();
    fs::path normal = file.lexically_normal();
    if (!root.empty()) {
        fs::path rel = normal.lexically_relative(fs::path(root).lexically_normal());
        if (!rel.empty() && *rel.begin() != "..")
            return rel.generic_string();
    }
    std::string name = normal.generic_string();
    while (!name.empty() && name.front() == '/')
        name.erase(0, 1);
    return name;
}

Outcome addFile(const fs::path& path, const std::string& root, unsigned options, std::vector<PlannedFile>& files)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return Outcome::failure(cp("Fichier introuvable : ") + path.string());
    files.push_back(
        {path.string(), storedName(path, root, options), static_cast<std::uint64_t>(st.st_size), st.st_mtime});
    return Outcome::success();
}

// Files of `dir` whose names match `pattern`, sub-folders included when asked; sorted by path so
// the archive's order does not depend on the file system.
Outcome addFolder(const fs::path& dir, const std::string& pattern, bool recurse, const std::string& root,
                  unsigned options, std::vector<PlannedFile>& files)
{
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return Outcome::success(); // nothing matches in a missing folder
    std::vector<fs::path> found;
    auto visit = [&](const fs::directory_entry& entry) {
        std::error_code e;
        if (entry.is_regular_file(e) && wildcardMatch(pattern, entry.path().filename().string()))
            found.push_back(entry.path());
    };
    if (recurse) {
        fs::recursive_directory_iterator it(dir, ec), end;
        for (; !ec && it != end; it.increment(ec))
            visit(*it);
    } else {
        fs::directory_iterator it(dir, ec), end;
        for (; !ec && it != end; it.increment(ec))
            visit(*it);
    }
    if (ec)
        return Outcome::failure(cp("Impossible de lire le dossier ") + dir.string());
    std::sort(found.begin(), found.end());
    for (const auto& path : found)
        if (auto o = addFile(path, root, options, files); !o)
            return o;
    return Outcome::success();
}

} // namespace

bool wildcardMatch(const std::string& pattern, const std::string& name)
{
    // Iterative match with backtracking on the last "*".
    std::size_t p = 0, n = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    // "name.*" also matches "name" without extension, as Windows reads it.
    if (p + 2 == pattern.size() && pattern[p] == '.' && pattern[p + 1] == '*')
        return true;
    return p == pattern.size();
}

std::string lastComponent(const std::string& name)
{
    auto sep = name.find_last_of("/\\");
    return sep == std::string::npos ? name : name.substr(sep + 1);
}

void TZipMaster::progress(int type, const std::string& name, std::int64_t size)
{
    if (OnProgress)
        OnProgress(type, name, size);
}

int progressBarSteps(std::int64_t fileSize)
{
    const std::int64_t steps = fileSize / static_cast<std::int64_t>(TZipMaster::kProgressStepBytes);
    return steps > 1 ? static_cast<int>(std::min<std::int64_t>(steps, 1 << 30)) : 1;
}

bool TZipMaster::progressStep()
{
    progress(ProgressStep, " ", 0);
    return !m_cancel;
}

Outcome TZipMaster::readList()
{
    m_entries.clear();
    std::error_code ec;
    if (m_zipFilename.empty() || !fs::exists(m_zipFilename, ec))
        return Outcome::success();
    ZipListError error = readEntryList(m_zipFilename, m_entries);
    if (error != ZipListError::None) {
        m_entries.clear();
        return Outcome::failure(numberedReadError(error));
    }
    if (OnDirUpdate)
        OnDirUpdate();
    return Outcome::success();
}

Outcome TZipMaster::setZipFilename(const std::string& path)
{
    m_zipFilename = path;
    return readList();
}

namespace {

std::string writeFailure(const std::string& archive, int zipCode)
{
    return cp("Impossible d'écrire l'archive ") + archive + " : " + zipErrorText(zipCode);
}

// The files FSpecArgs name (file names, folders, wildcards), without the archive itself, names
// upper-cased with AddForceDOS.
Outcome planAddedFiles(const std::vector<std::string>& specs, const std::string& root, unsigned options,
                       const std::string& archive, std::vector<PlannedFile>& files)
{
    const bool recurse = options & AddRecurseDirs;
    for (const auto& fileSpec : specs) {
        fs::path p(fileSpec);
        Outcome o = Outcome::success();
        if (hasWildcard(p.filename().string()))
            o = addFolder(p.parent_path().empty() ? fs::path(".") : p.parent_path(), p.filename().string(), recurse,
                          root, options, files);
        else if (std::error_code ec; fs::is_directory(p, ec))
            o = addFolder(p, "*", recurse, root, options, files);
        else
            o = addFile(p, root, options, files);
        if (!o)
            return o;
    }
    // The archive never contains itself.
    std::error_code ec;
    const fs::path self = fs::weakly_canonical(archive, ec);
    std::erase_if(files, [&](const PlannedFile& f) {
        std::error_code e;
        return fs::weakly_canonical(f.path, e) == self;
    });
    if (options & AddForceDOS)
        for (auto& f : files)
            f.name = table::upperAscii(f.name);
    return Outcome::success();
}

// The archive opened (or created) for writing through `file`.
catalogue::Result<ZipHandle> openForWriting(ArchiveFile& file)
{
    zip_error_t openError;
    zl().error_init(&openError);
    zip_source_t* archiveSource = zl().source_function_create(&ArchiveFile::callback, &file, &openError);
    zip_t* za = archiveSource ? zl().open_from_source(archiveSource, ZIP_CREATE, &openError) : nullptr;
    const int error = zl().error_code_zip(&openError);
    zl().error_fini(&openError);
    if (!za) {
        if (archiveSource)
            zl().source_free(archiveSource);
        return Outcome::failure(writeFailure(file.path, error));
    }
    return ZipHandle(za);
}

// With AddFreshen or AddUpdate, whether `file` leaves its entry (or its absence) as it is.
bool keepsArchivedEntry(zip_t* za, zip_int64_t existing, const PlannedFile& file, unsigned options)
{
    if (!(options & (AddFreshen | AddUpdate)))
        return false;
    if ((options & AddFreshen) && !(options & AddUpdate) && existing < 0)
        return true;
    zip_stat_t st;
    return existing >= 0 && zl().stat_index(za, static_cast<zip_uint64_t>(existing), 0, &st) == 0 &&
           (st.valid & ZIP_STAT_MTIME) && st.mtime >= file.mtime;
}

// Adds `files` to the archive, each read through a ZipSourceState when the archive is written;
// `written` gets their paths and `newest` the latest time among them (nothing when every entry was
// kept as it was).
Outcome addEntries(TZipMaster& owner, zip_t* za, const std::vector<PlannedFile>& files,
                   std::vector<std::string>& written, std::optional<time_t>& newest)
{
    for (const auto& f : files) {
        const zip_int64_t existing = zl().name_locate(za, f.name.c_str(), ZIP_FL_ENC_RAW);
        if (keepsArchivedEntry(za, existing, f, owner.AddOptions))
            continue;
        auto* state = new ZipSourceState{&owner, f, {}, 0, {}};
        zl().error_init(&state->error);
        zip_error_t createError;
        zl().error_init(&createError);
        zip_source_t* source = zl().source_function_create(&ZipSourceState::callback, state, &createError);
        zl().error_fini(&createError);
        if (!source) {
            delete state;
            return Outcome::failure(writeFailure(owner.ZipFilename(), ZIP_ER_MEMORY));
        }
        const zip_int64_t index = zl().file_add(za, f.name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_GUESS);
        if (index < 0) {
            zl().source_free(source);
            return Outcome::failure(writeFailure(owner.ZipFilename(), zl().error_code_zip(zl().get_error(za))));
        }
        const int level = std::clamp(owner.AddCompLevel, 0, 9);
        zl().set_file_compression(za, static_cast<zip_uint64_t>(index), level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                  static_cast<zip_uint32_t>(level));
        zl().file_set_mtime(za, static_cast<zip_uint64_t>(index), f.mtime, 0);
        newest = newest ? std::max(*newest, f.mtime) : f.mtime;
        written.push_back(f.path);
    }
    return Outcome::success();
}

} // namespace

Outcome TZipMaster::Add()
{
    if (FSpecArgs.empty())
        return Outcome::failure("Error - no files to zip");
    if (m_addBusy)
        return Outcome::failure(cp("Une archive est déjà en cours d'écriture"));
    if (m_zipFilename.empty())
        return Outcome::failure("Error - no zip file specified");
    m_addBusy = true;
    m_cancel = false;
    const table::ScopeExit done([this] {
        FSpecArgs.clear();
        m_addBusy = false;
        m_cancel = false;
    });

    // An existing file must be a readable archive: it is updated, never replaced by accident.
    if (auto listed = readList(); !listed)
        return listed;
    std::vector<PlannedFile> files;
    if (auto planned = planAddedFiles(FSpecArgs, AddRootDir, AddOptions, m_zipFilename, files); !planned)
        return planned;
    if (files.empty())
        return Outcome::failure(cp("Aucun fichier à archiver"));

    if (!zipLibraryLoaded())
        return Outcome::failure(zipLibraryMissing());
    ArchiveFile archiveFile(m_zipFilename);
    auto za = openForWriting(archiveFile);
    if (!za)
        return za.outcome();
    std::vector<std::string> written;
    std::optional<time_t> newest;
    if (auto added = addEntries(*this, za->get(), files, written, newest); !added)
        return added;
    // zip_close frees the archive once it is written; on a failure it stays to be discarded.
    if (zl().close(za->get()) != 0) {
        const int code = zl().error_code_zip(zl().get_error(za->get()));
        const std::string message = writeFailure(m_zipFilename, code);
        if (OnMessage)
            OnMessage(code, message);
        progress(ProgressBatchEnds, " ", 0);
        return Outcome::failure(message);
    }
    static_cast<void>(za->release());
    progress(ProgressBatchEnds, " ", 0);
    if (AddOptions & AddMove)
        for (const auto& path : written)
            removeQuietly(path);
    // An archive left as it was keeps its time; files dated before 1970 date it before 1970.
    if ((AddOptions & AddZipTime) && newest) {
        std::error_code e;
        fs::last_write_time(m_zipFilename,
                            fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(*newest)), e);
    }
    return readList();
}

Outcome TZipMaster::Extract()
{
    if (m_extractBusy)
        return Outcome::failure(cp("Une extraction est déjà en cours"));
    m_extractBusy = true;
    m_cancel = false;
    const table::ScopeExit done([this] {
        FSpecArgs.clear();
        m_extractBusy = false;
        m_cancel = false;
    });

    m_created.clear();
    m_skipped.clear();
    std::error_code ec;
    if (ExtrBaseDir.empty() || !fs::is_directory(ExtrBaseDir, ec))
        return Outcome::failure(cp("Le dossier de destination n'existe pas : ") + ExtrBaseDir);
    auto za = openForReading(m_zipFilename);
    if (!za)
        return za.outcome();
    std::vector<ExtractEntry> plan;
    if (auto planned = planExtract(za->get(), m_zipFilename, plan, m_skipped); !planned)
        return planned;

    const std::string base = ExtrBaseDir.back() == '/' ? ExtrBaseDir : ExtrBaseDir + "/";
    std::string buffer(256 * 1024, '\0');
    const auto step = [this] { return progressStep(); };
    for (const auto& entry : plan) {
        const std::string target = base + entry.name;
        const TargetAction action = decideTarget(target, entry.mtime, ExtrOptions);
        if (action == TargetAction::Keep)
            continue;
        progress(ProgressFileBegins, entry.name, static_cast<std::int64_t>(entry.size));
        bool created = false;
        if (auto unpacked = unpackEntry(za->get(), entry, base, target, action, buffer, step, created); !unpacked)
            return unpacked;
        if (created)
            m_created.push_back(entry.name);
    }
    progress(ProgressBatchEnds, " ", 0);
    return Outcome::success();
}

Outcome TZipDir::setZipFileName(const std::string& path)
{
    m_zipFileName = path;
    m_entries.clear();
    std::error_code ec;
    if (path.empty() || !fs::exists(path, ec))
        return Outcome::success();
    ZipListError error = readEntryList(path, m_entries);
    if (error != ZipListError::None) {
        m_entries.clear();
        return Outcome::failure(plainReadError(error));
    }
    return Outcome::success();
}

} // namespace cinevaro::output
