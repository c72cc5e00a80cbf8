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
#include <system_error>

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

struct PlannedFile
{
    std::string path;
    std::string name;
    std::uint64_t size = 0;
    time_t mtime = 0;
};

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

std::string zipErrorText(int code)
{
    switch (code) {
    case ZIP_ER_TMPOPEN:
        return cp("impossible de créer le fichier temporaire (dossier protégé en écriture ?)");
    case ZIP_ER_RENAME:
        return cp("impossible de renommer le fichier temporaire");
    case ZIP_ER_WRITE:
        return cp("erreur d'écriture (disque plein ?)");
    case ZIP_ER_READ:
        return cp("erreur de lecture d'un fichier");
    case ZIP_ER_OPEN:
        return cp("impossible d'ouvrir un fichier");
    case ZIP_ER_NOZIP:
        return cp("le fichier existant n'est pas une archive zip");
    case ZIP_ER_INCONS:
        return cp("le fichier existant est une archive incohérente");
    case ZIP_ER_CANCELLED:
        return cp("opération annulée");
    case ZIP_ER_MEMORY:
        return cp("mémoire insuffisante");
    default:
        return cp("erreur de la bibliothèque zip n°") + std::to_string(code);
    }
}

void removeQuietly(const std::string& path)
{
    ::unlink(path.c_str());
}

// The archive file as the zip library sees it: read from the existing file, written through the
// safe-file helper (a new file beside it, synced, renamed over it, then the folder synced), so a
// failed or killed write leaves the previous archive whole.
struct ArchiveFile
{
    std::string path;
    table::UniqueFd readFd;
    std::uint64_t readPos = 0;
    std::uint64_t readSize = 0;
    std::unique_ptr<table::SafeFileWriter> writer;
    zip_error_t error{};

    explicit ArchiveFile(std::string p) : path(std::move(p)) { zip_error_init(&error); }
    ~ArchiveFile() { zip_error_fini(&error); }
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    void closeRead() { readFd.reset(); }
    zip_int64_t fail(int zipCode, int systemCode)
    {
        zip_error_set(&error, zipCode, systemCode);
        return -1;
    }
    zip_int64_t writeFailed(int zipCode) { return fail(zipCode, writer ? writer->result().error : 0); }

    static zip_int64_t callback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd)
    {
        auto* a = static_cast<ArchiveFile*>(userdata);
        switch (cmd) {
        case ZIP_SOURCE_SUPPORTS:
            return ZIP_SOURCE_SUPPORTS_WRITABLE;
        case ZIP_SOURCE_STAT: {
            auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &a->error);
            if (!st)
                return -1;
            struct stat file
            {
            };
            // The library takes a missing file (read error, ENOENT) as an archive to create.
            if (::stat(a->path.c_str(), &file) != 0)
                return a->fail(ZIP_ER_READ, errno);
            zip_stat_init(st);
            st->size = static_cast<zip_uint64_t>(file.st_size);
            st->mtime = file.st_mtime;
            st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_OPEN: {
            a->readFd.reset(::open(a->path.c_str(), O_RDONLY | O_CLOEXEC));
            struct stat file
            {
            };
            if (!a->readFd || ::fstat(a->readFd.get(), &file) != 0)
                return a->fail(ZIP_ER_OPEN, errno);
            a->readPos = 0;
            a->readSize = static_cast<std::uint64_t>(file.st_size);
            return 0;
        }
        case ZIP_SOURCE_READ: {
            ssize_t n;
            do {
                n = ::read(a->readFd.get(), data, len);
            } while (n < 0 && errno == EINTR);
            if (n < 0)
                return a->fail(ZIP_ER_READ, errno);
            a->readPos += static_cast<std::uint64_t>(n);
            return n;
        }
        case ZIP_SOURCE_SEEK: {
            const zip_int64_t to = zip_source_seek_compute_offset(a->readPos, a->readSize, data, len, &a->error);
            if (to < 0)
                return -1;
            if (::lseek(a->readFd.get(), static_cast<off_t>(to), SEEK_SET) < 0)
                return a->fail(ZIP_ER_SEEK, errno);
            a->readPos = static_cast<std::uint64_t>(to);
            return 0;
        }
        case ZIP_SOURCE_TELL:
            return static_cast<zip_int64_t>(a->readPos);
        case ZIP_SOURCE_CLOSE:
            a->closeRead();
            return 0;
        case ZIP_SOURCE_BEGIN_WRITE:
            a->writer = std::make_unique<table::SafeFileWriter>(a->path);
            if (!a->writer->open())
                return a->writeFailed(ZIP_ER_TMPOPEN);
            return 0;
        case ZIP_SOURCE_WRITE:
            if (!a->writer || !a->writer->write(data, len))
                return a->writeFailed(ZIP_ER_WRITE);
            return static_cast<zip_int64_t>(len);
        case ZIP_SOURCE_SEEK_WRITE: {
            if (!a->writer)
                return a->fail(ZIP_ER_INTERNAL, 0);
            const zip_int64_t to =
                zip_source_seek_compute_offset(a->writer->tell(), a->writer->size(), data, len, &a->error);
            if (to < 0)
                return -1;
            if (!a->writer->seek(static_cast<std::uint64_t>(to)))
                return a->writeFailed(ZIP_ER_WRITE);
            return 0;
        }
        case ZIP_SOURCE_TELL_WRITE:
            if (!a->writer)
                return a->fail(ZIP_ER_INTERNAL, 0);
            return static_cast<zip_int64_t>(a->writer->tell());
        case ZIP_SOURCE_COMMIT_WRITE: {
            if (!a->writer)
                return a->fail(ZIP_ER_INTERNAL, 0);
            a->closeRead();
            const table::FileWriteResult done = a->writer->commit();
            if (!done)
                return a->fail(done.error == ENOSPC || done.error == EIO ? ZIP_ER_WRITE : ZIP_ER_RENAME, done.error);
            a->writer.reset();
            return 0;
        }
        case ZIP_SOURCE_ROLLBACK_WRITE:
            if (a->writer)
                a->writer->abort();
            a->writer.reset();
            return 0;
        case ZIP_SOURCE_REMOVE:
            // An archive left without entries is removed.
            if (::unlink(a->path.c_str()) != 0 && errno != ENOENT)
                return a->fail(ZIP_ER_REMOVE, errno);
            (void)table::syncFolderOf(a->path);
            return 0;
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&a->error, data, len);
        case ZIP_SOURCE_FREE:
            a->closeRead();
            return 0;
        default:
            return a->fail(ZIP_ER_OPNOTSUPP, 0);
        }
    }
};

} // namespace

// One file read by the zip library while it writes the archive; raises the progress events.
struct ZipSourceState
{
    TZipMaster* owner = nullptr;
    PlannedFile file;
    table::UniqueFd fd;
    std::uint64_t read = 0;
    zip_error_t error{};

    static zip_int64_t callback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd)
    {
        auto* s = static_cast<ZipSourceState*>(userdata);
        switch (cmd) {
        case ZIP_SOURCE_OPEN:
            s->fd.reset(::open(s->file.path.c_str(), O_RDONLY | O_CLOEXEC));
            if (!s->fd) {
                zip_error_set(&s->error, ZIP_ER_OPEN, errno);
                return -1;
            }
            s->read = 0;
            s->owner->progress(ProgressFileBegins, s->file.name, static_cast<std::int64_t>(s->file.size));
            return 0;
        case ZIP_SOURCE_READ: {
            ssize_t n;
            do {
                n = ::read(s->fd.get(), data, len);
            } while (n < 0 && errno == EINTR);
            if (n < 0) {
                zip_error_set(&s->error, ZIP_ER_READ, errno);
                return -1;
            }
            const std::uint64_t before = s->read / TZipMaster::kProgressStepBytes;
            s->read += static_cast<std::uint64_t>(n);
            for (std::uint64_t k = before; k < s->read / TZipMaster::kProgressStepBytes; ++k)
                if (!s->owner->progressStep()) {
                    zip_error_set(&s->error, ZIP_ER_CANCELLED, 0);
                    return -1;
                }
            return n;
        }
        case ZIP_SOURCE_CLOSE:
            s->fd.reset();
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &s->error);
            if (!st)
                return -1;
            zip_stat_init(st);
            st->size = s->file.size;
            st->mtime = s->file.mtime;
            st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&s->error, data, len);
        case ZIP_SOURCE_FREE:
            zip_error_fini(&s->error);
            delete s;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                                  ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            zip_error_set(&s->error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }
};

bool wildcardMatch(const std::string& pattern, const std::string& name)
{
    if (pattern == "*.*" || pattern == "*")
        return true;
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

struct ZipDiscard
{
    void operator()(zip_t* za) const { zip_discard(za); }
};
// An open archive; discarded (nothing written) unless closed with closeArchive.
using ZipHandle = std::unique_ptr<zip_t, ZipDiscard>;

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
    zip_error_init(&openError);
    zip_source_t* archiveSource = zip_source_function_create(&ArchiveFile::callback, &file, &openError);
    zip_t* za = archiveSource ? zip_open_from_source(archiveSource, ZIP_CREATE, &openError) : nullptr;
    const int error = zip_error_code_zip(&openError);
    zip_error_fini(&openError);
    if (!za) {
        if (archiveSource)
            zip_source_free(archiveSource);
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
    return existing >= 0 && zip_stat_index(za, static_cast<zip_uint64_t>(existing), 0, &st) == 0 &&
           (st.valid & ZIP_STAT_MTIME) && st.mtime >= file.mtime;
}

// The unpacked entries of Extract, as planned before anything is written.
struct ExtractEntry
{
    zip_uint64_t index;
    std::string name; // last component of the stored name
    std::uint64_t size;
    time_t mtime;
};

// The archive opened for reading. A file that is not a readable archive gives the entry walk's
// numbered error, as the list does; otherwise the library's error.
catalogue::Result<ZipHandle> openForReading(const std::string& path)
{
    int error = 0;
    zip_t* za = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (za)
        return ZipHandle(za);
    std::vector<ZipDirEntry> list;
    if (ZipListError walk = readEntryList(path, list); walk != ZipListError::None)
        return Outcome::failure(numberedReadError(walk));
    return Outcome::failure(cp("Impossible de lire l'archive ") + path + " : " + zipErrorText(error));
}

// Whether stored entry `index` is a link or another special file (Unix attributes).
bool isSpecialFile(zip_t* za, zip_uint64_t index)
{
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(za, index, 0, &opsys, &attributes) != 0 || opsys != ZIP_OPSYS_UNIX)
        return false;
    const auto kind = (attributes >> 16) & S_IFMT;
    return kind != 0 && kind != S_IFREG;
}

// Every entry checked and the whole sized before anything is written: folders are passed over,
// unsafe entries (control characters, links, empty or dot names) go to `skipped`, and an archive
// read otherwise than stored or over kMaxExtractBytes unpacked is refused.
Outcome planExtract(zip_t* za, const std::string& path, std::vector<ExtractEntry>& plan,
                    std::vector<std::string>& skipped)
{
    const std::string inconsistent = cp("L'archive est incohérente ; rien n'a été extrait : ") + path;
    const zip_int64_t count = zip_get_num_entries(za, 0);
    // The zip library turns a NUL of a stored name into a space: the names are checked as stored.
    std::vector<std::string> storedNames;
    if (!readCentralNames(path, storedNames) || storedNames.size() != static_cast<std::uint64_t>(count))
        return Outcome::failure(inconsistent);
    std::uint64_t total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        const auto index = static_cast<zip_uint64_t>(i);
        if (zip_stat_index(za, index, ZIP_FL_ENC_RAW, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE))
            continue;
        const std::string& stored = storedNames[static_cast<std::size_t>(i)];
        std::string read = stored;
        std::replace(read.begin(), read.end(), '\0', ' ');
        if (read != st.name)
            return Outcome::failure(inconsistent);
        if (holdsControlCharacter(stored)) {
            skipped.push_back(stored);
            continue;
        }
        if (stored.empty() || stored.back() == '/' || stored.back() == '\\')
            continue; // a folder
        std::string name = lastComponent(stored);
        if (isSpecialFile(za, index) || name.empty() || name == "." || name == "..") {
            skipped.push_back(stored);
            continue;
        }
        total += st.size;
        if (st.size > TZipMaster::kMaxExtractBytes || total > TZipMaster::kMaxExtractBytes)
            return Outcome::failure(cp("L'archive dépasse 256 Mo une fois décompressée ; rien n'a été extrait : ") +
                                    path);
        plan.push_back({index, std::move(name), st.size, (st.valid & ZIP_STAT_MTIME) ? st.mtime : 0});
    }
    return Outcome::success();
}

enum class TargetAction { Keep, Create, Replace };

// What unpacking an entry of time `mtime` does to `target`: links and folders are never touched,
// an existing file is replaced only as the options ask, and ExtrFreshen alone creates nothing.
TargetAction decideTarget(const std::string& target, time_t mtime, unsigned options)
{
    struct stat existing
    {
    };
    if (::lstat(target.c_str(), &existing) != 0)
        return (options & ExtrFreshen) && !(options & ExtrUpdate) ? TargetAction::Keep : TargetAction::Create;
    if (S_ISLNK(existing.st_mode) || S_ISDIR(existing.st_mode))
        return TargetAction::Keep;
    if ((options & ExtrOverWrite) || ((options & (ExtrFreshen | ExtrUpdate)) && existing.st_mtime < mtime))
        return TargetAction::Replace;
    return TargetAction::Keep; // existing files are kept
}

// The entry's bytes into `fd`: never more than its announced size; `step` is called once per
// kProgressStepBytes and cancels by returning false.
Outcome copyEntryBytes(zip_t* za, const ExtractEntry& entry, int fd, const std::string& target, std::string& buffer,
                       const std::function<bool()>& step)
{
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> zf(zip_fopen_index(za, entry.index, 0), &zip_fclose);
    if (!zf)
        return Outcome::failure(cp("Impossible d'extraire ") + entry.name + cp(" : ") +
                                zipErrorText(zip_error_code_zip(zip_get_error(za))));
    std::uint64_t done = 0;
    for (;;) {
        const zip_int64_t n = zip_fread(zf.get(), buffer.data(), buffer.size());
        if (n < 0)
            return Outcome::failure(cp("Impossible d'extraire ") + entry.name + cp(" : archive endommagée"));
        if (n == 0)
            return Outcome::success();
        const std::uint64_t before = done / TZipMaster::kProgressStepBytes;
        done += static_cast<std::uint64_t>(n);
        if (done > entry.size)
            return Outcome::failure(cp("Impossible d'extraire ") + entry.name + cp(" : taille annoncée inexacte"));
        if (::write(fd, buffer.data(), static_cast<std::size_t>(n)) != n)
            return Outcome::failure(cp("Impossible d'écrire le fichier ") + target);
        for (std::uint64_t k = before; k < done / TZipMaster::kProgressStepBytes; ++k)
            if (!step())
                return Outcome::failure(cp("Extraction annulée"));
    }
}

// Unpacks an entry into a new temporary file in `base`, then puts it at `target`: renamed over
// the file there (Replace), or linked exclusively (Create), which keeps a name that appeared
// meanwhile (`created` false). The temporary file never stays behind.
Outcome unpackEntry(zip_t* za, const ExtractEntry& entry, const std::string& base, const std::string& target,
                    TargetAction action, std::string& buffer, const std::function<bool()>& step, bool& created)
{
    created = false;
    std::string temp = base + ".cinevaro-XXXXXX";
    table::UniqueFd fd(::mkstemp(temp.data()));
    if (!fd)
        return Outcome::failure(cp("Impossible de créer le fichier ") + target);
    table::ScopeExit removeTemp([&] { removeQuietly(temp); });
    if (Outcome copied = copyEntryBytes(za, entry, fd.get(), target, buffer, step); !copied)
        return copied;
    if (entry.mtime) {
        timespec times[2] = {{entry.mtime, 0}, {entry.mtime, 0}};
        ::futimens(fd.get(), times);
    }
    ::fchmod(fd.get(), 0644);
    if (!fd.close())
        return Outcome::failure(cp("Impossible d'écrire le fichier ") + target);
    if (action == TargetAction::Replace) {
        if (::rename(temp.c_str(), target.c_str()) != 0)
            return Outcome::failure(cp("Impossible de créer le fichier ") + target);
        removeTemp.dismiss();
        return Outcome::success();
    }
    const int linked = table::linkExclusive(temp, target);
    if (linked != 0 && linked != EEXIST)
        return Outcome::failure(cp("Impossible de créer le fichier ") + target);
    created = linked == 0;
    return Outcome::success();
}

// Adds `files` to the archive, each read through a ZipSourceState when the archive is written;
// `written` gets their paths and `newest` the latest time among them.
Outcome addEntries(TZipMaster& owner, zip_t* za, const std::vector<PlannedFile>& files,
                   std::vector<std::string>& written, time_t& newest)
{
    for (const auto& f : files) {
        const zip_int64_t existing = zip_name_locate(za, f.name.c_str(), ZIP_FL_ENC_RAW);
        if (keepsArchivedEntry(za, existing, f, owner.AddOptions))
            continue;
        auto* state = new ZipSourceState{&owner, f, {}, 0, {}};
        zip_error_init(&state->error);
        zip_error_t createError;
        zip_error_init(&createError);
        zip_source_t* source = zip_source_function_create(&ZipSourceState::callback, state, &createError);
        zip_error_fini(&createError);
        if (!source) {
            delete state;
            return Outcome::failure(writeFailure(owner.ZipFilename(), ZIP_ER_MEMORY));
        }
        const zip_int64_t index = zip_file_add(za, f.name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_GUESS);
        if (index < 0) {
            zip_source_free(source);
            return Outcome::failure(writeFailure(owner.ZipFilename(), zip_error_code_zip(zip_get_error(za))));
        }
        const int level = std::clamp(owner.AddCompLevel, 0, 9);
        zip_set_file_compression(za, static_cast<zip_uint64_t>(index), level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                 static_cast<zip_uint32_t>(level));
        zip_file_set_mtime(za, static_cast<zip_uint64_t>(index), f.mtime, 0);
        newest = std::max(newest, f.mtime);
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

    ArchiveFile archiveFile(m_zipFilename);
    auto za = openForWriting(archiveFile);
    if (!za)
        return za.outcome();
    std::vector<std::string> written;
    time_t newest = 0;
    if (auto added = addEntries(*this, za->get(), files, written, newest); !added)
        return added;
    // zip_close frees the archive once it is written; on a failure it stays to be discarded.
    if (zip_close(za->get()) != 0) {
        const int code = zip_error_code_zip(zip_get_error(za->get()));
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
    if (AddOptions & AddZipTime) {
        std::error_code e;
        fs::last_write_time(m_zipFilename,
                            fs::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(newest)), e);
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
