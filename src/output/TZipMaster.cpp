#include "output/TZipMaster.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include "table/Cp1252.h"
#include "table/ExclusiveLink.h"
#include "table/SafeFile.h"

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

std::string upper(std::string text)
{
    for (auto& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
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
    int readFd = -1;
    std::uint64_t readPos = 0;
    std::uint64_t readSize = 0;
    std::unique_ptr<table::SafeFileWriter> writer;
    zip_error_t error{};

    explicit ArchiveFile(std::string p) : path(std::move(p)) { zip_error_init(&error); }
    ~ArchiveFile()
    {
        closeRead();
        zip_error_fini(&error);
    }
    ArchiveFile(const ArchiveFile&) = delete;
    ArchiveFile& operator=(const ArchiveFile&) = delete;

    void closeRead()
    {
        if (readFd >= 0)
            ::close(readFd);
        readFd = -1;
    }
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
            a->closeRead();
            a->readFd = ::open(a->path.c_str(), O_RDONLY | O_CLOEXEC);
            struct stat file
            {
            };
            if (a->readFd < 0 || ::fstat(a->readFd, &file) != 0)
                return a->fail(ZIP_ER_OPEN, errno);
            a->readPos = 0;
            a->readSize = static_cast<std::uint64_t>(file.st_size);
            return 0;
        }
        case ZIP_SOURCE_READ: {
            ssize_t n;
            do {
                n = ::read(a->readFd, data, len);
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
            if (::lseek(a->readFd, static_cast<off_t>(to), SEEK_SET) < 0)
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
    int fd = -1;
    std::uint64_t read = 0;
    zip_error_t error{};

    static zip_int64_t callback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd)
    {
        auto* s = static_cast<ZipSourceState*>(userdata);
        switch (cmd) {
        case ZIP_SOURCE_OPEN:
            s->fd = ::open(s->file.path.c_str(), O_RDONLY | O_CLOEXEC);
            if (s->fd < 0) {
                zip_error_set(&s->error, ZIP_ER_OPEN, errno);
                return -1;
            }
            s->read = 0;
            s->owner->progress(ProgressFileBegins, s->file.name, static_cast<std::int64_t>(s->file.size));
            return 0;
        case ZIP_SOURCE_READ: {
            ssize_t n;
            do {
                n = ::read(s->fd, data, len);
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
            if (s->fd >= 0)
                ::close(s->fd);
            s->fd = -1;
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
            if (s->fd >= 0)
                ::close(s->fd);
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
    struct Done
    {
        TZipMaster& z;
        ~Done()
        {
            z.FSpecArgs.clear();
            z.m_addBusy = false;
            z.m_cancel = false;
        }
    } done{*this};

    // An existing file must be a readable archive: it is updated, never replaced by accident.
    if (auto listed = readList(); !listed)
        return listed;

    std::vector<PlannedFile> files;
    const bool recurse = AddOptions & AddRecurseDirs;
    for (const auto& fileSpec : FSpecArgs) {
        fs::path p(fileSpec);
        Outcome o = Outcome::success();
        if (hasWildcard(p.filename().string()))
            o = addFolder(p.parent_path().empty() ? fs::path(".") : p.parent_path(), p.filename().string(), recurse,
                          AddRootDir, AddOptions, files);
        else if (std::error_code ec; fs::is_directory(p, ec))
            o = addFolder(p, "*", recurse, AddRootDir, AddOptions, files);
        else
            o = addFile(p, AddRootDir, AddOptions, files);
        if (!o)
            return o;
    }
    // The archive never contains itself.
    std::error_code ec;
    const fs::path self = fs::weakly_canonical(m_zipFilename, ec);
    std::erase_if(files, [&](const PlannedFile& f) {
        std::error_code e;
        return fs::weakly_canonical(f.path, e) == self;
    });
    if (AddOptions & AddForceDOS)
        for (auto& f : files)
            f.name = upper(f.name);
    if (files.empty())
        return Outcome::failure(cp("Aucun fichier à archiver"));

    ArchiveFile archiveFile(m_zipFilename);
    zip_error_t openError;
    zip_error_init(&openError);
    zip_source_t* archiveSource = zip_source_function_create(&ArchiveFile::callback, &archiveFile, &openError);
    zip_t* za = archiveSource ? zip_open_from_source(archiveSource, ZIP_CREATE, &openError) : nullptr;
    const int error = zip_error_code_zip(&openError);
    zip_error_fini(&openError);
    if (!za) {
        if (archiveSource)
            zip_source_free(archiveSource);
        return Outcome::failure(cp("Impossible d'écrire l'archive ") + m_zipFilename + " : " + zipErrorText(error));
    }
    std::vector<std::string> written;
    time_t newest = 0;
    for (const auto& f : files) {
        zip_int64_t existing = zip_name_locate(za, f.name.c_str(), ZIP_FL_ENC_RAW);
        if (AddOptions & (AddFreshen | AddUpdate)) {
            if ((AddOptions & AddFreshen) && !(AddOptions & AddUpdate) && existing < 0)
                continue;
            zip_stat_t st;
            if (existing >= 0 && zip_stat_index(za, static_cast<zip_uint64_t>(existing), 0, &st) == 0 &&
                (st.valid & ZIP_STAT_MTIME) && st.mtime >= f.mtime)
                continue;
        }
        auto* state = new ZipSourceState{this, f, -1, 0, {}};
        zip_error_init(&state->error);
        zip_error_t createError;
        zip_error_init(&createError);
        zip_source_t* source = zip_source_function_create(&ZipSourceState::callback, state, &createError);
        zip_error_fini(&createError);
        if (!source) {
            delete state;
            zip_discard(za);
            return Outcome::failure(cp("Impossible d'écrire l'archive ") + m_zipFilename + " : " +
                                    zipErrorText(ZIP_ER_MEMORY));
        }
        zip_int64_t index = zip_file_add(za, f.name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_GUESS);
        if (index < 0) {
            zip_source_free(source);
            int code = zip_error_code_zip(zip_get_error(za));
            zip_discard(za);
            return Outcome::failure(cp("Impossible d'écrire l'archive ") + m_zipFilename + " : " + zipErrorText(code));
        }
        const int level = std::clamp(AddCompLevel, 0, 9);
        zip_set_file_compression(za, static_cast<zip_uint64_t>(index), level == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE,
                                 static_cast<zip_uint32_t>(level));
        zip_file_set_mtime(za, static_cast<zip_uint64_t>(index), f.mtime, 0);
        newest = std::max(newest, f.mtime);
        written.push_back(f.path);
    }
    if (zip_close(za) != 0) {
        int code = zip_error_code_zip(zip_get_error(za));
        zip_discard(za);
        std::string message = cp("Impossible d'écrire l'archive ") + m_zipFilename + " : " + zipErrorText(code);
        if (OnMessage)
            OnMessage(code, message);
        progress(ProgressBatchEnds, " ", 0);
        return Outcome::failure(message);
    }
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
    struct Done
    {
        TZipMaster& z;
        ~Done()
        {
            z.FSpecArgs.clear();
            z.m_extractBusy = false;
            z.m_cancel = false;
        }
    } done{*this};

    m_created.clear();
    m_skipped.clear();
    std::error_code ec;
    if (ExtrBaseDir.empty() || !fs::is_directory(ExtrBaseDir, ec))
        return Outcome::failure(cp("Le dossier de destination n'existe pas : ") + ExtrBaseDir);
    int error = 0;
    zip_t* za = zip_open(m_zipFilename.c_str(), ZIP_RDONLY, &error);
    if (!za) {
        std::vector<ZipDirEntry> list;
        ZipListError walk = readEntryList(m_zipFilename, list);
        if (walk != ZipListError::None)
            return Outcome::failure(numberedReadError(walk));
        return Outcome::failure(cp("Impossible de lire l'archive ") + m_zipFilename + " : " + zipErrorText(error));
    }
    struct Closer
    {
        zip_t* za;
        ~Closer() { zip_discard(za); }
    } closer{za};

    // Plan first: what is skipped, and whether the whole fits the size bound.
    struct Planned
    {
        zip_uint64_t index;
        std::string name;
        std::uint64_t size;
        time_t mtime;
    };
    std::vector<Planned> plan;
    std::uint64_t total = 0;
    const zip_int64_t count = zip_get_num_entries(za, 0);
    // The zip library turns a NUL of a stored name into a space: the names are checked as stored.
    std::vector<std::string> storedNames;
    if (!readCentralNames(m_zipFilename, storedNames) || storedNames.size() != static_cast<std::uint64_t>(count))
        return Outcome::failure(cp("L'archive est incohérente ; rien n'a été extrait : ") + m_zipFilename);
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
            return Outcome::failure(cp("L'archive est incohérente ; rien n'a été extrait : ") + m_zipFilename);
        if (holdsControlCharacter(stored)) {
            m_skipped.push_back(stored);
            continue;
        }
        if (stored.empty() || stored.back() == '/' || stored.back() == '\\')
            continue; // a folder
        zip_uint8_t opsys = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(za, index, 0, &opsys, &attributes) == 0 && opsys == ZIP_OPSYS_UNIX &&
            ((attributes >> 16) & S_IFMT) != 0 && ((attributes >> 16) & S_IFMT) != S_IFREG) {
            m_skipped.push_back(stored);
            continue; // a link or another special file
        }
        std::string name = lastComponent(stored);
        if (name.empty() || name == "." || name == "..") {
            m_skipped.push_back(stored);
            continue;
        }
        total += st.size;
        if (st.size > kMaxExtractBytes || total > kMaxExtractBytes)
            return Outcome::failure(cp("L'archive dépasse 256 Mo une fois décompressée ; rien n'a été extrait : ") +
                                    m_zipFilename);
        plan.push_back({index, name, st.size, (st.valid & ZIP_STAT_MTIME) ? st.mtime : 0});
    }

    const std::string base = ExtrBaseDir.back() == '/' ? ExtrBaseDir : ExtrBaseDir + "/";
    std::string buffer(256 * 1024, '\0');
    for (const auto& p : plan) {
        const std::string target = base + p.name;
        struct stat existing
        {
        };
        const bool exists = ::lstat(target.c_str(), &existing) == 0;
        bool replace = false;
        if (exists) {
            if (S_ISLNK(existing.st_mode) || S_ISDIR(existing.st_mode))
                continue;
            if (ExtrOptions & ExtrOverWrite)
                replace = true;
            else if ((ExtrOptions & (ExtrFreshen | ExtrUpdate)) && existing.st_mtime < p.mtime)
                replace = true;
            if (!replace)
                continue; // existing files are kept
        } else if ((ExtrOptions & ExtrFreshen) && !(ExtrOptions & ExtrUpdate)) {
            continue;
        }
        progress(ProgressFileBegins, p.name, static_cast<std::int64_t>(p.size));
        std::string temp = base + ".cinevaro-XXXXXX";
        int fd = ::mkstemp(temp.data());
        if (fd < 0)
            return Outcome::failure(cp("Impossible de créer le fichier ") + target);
        auto failWith = [&](const std::string& message) {
            ::close(fd);
            removeQuietly(temp);
            return Outcome::failure(message);
        };
        zip_file_t* zf = zip_fopen_index(za, p.index, 0);
        if (!zf)
            return failWith(cp("Impossible d'extraire ") + p.name + cp(" : ") +
                            zipErrorText(zip_error_code_zip(zip_get_error(za))));
        std::uint64_t done = 0;
        bool ok = true;
        std::string message;
        for (;;) {
            zip_int64_t n = zip_fread(zf, buffer.data(), buffer.size());
            if (n < 0) {
                ok = false;
                message = cp("Impossible d'extraire ") + p.name + cp(" : archive endommagée");
                break;
            }
            if (n == 0)
                break;
            const std::uint64_t before = done / kProgressStepBytes;
            done += static_cast<std::uint64_t>(n);
            if (done > p.size) {
                ok = false;
                message = cp("Impossible d'extraire ") + p.name + cp(" : taille annoncée inexacte");
                break;
            }
            if (::write(fd, buffer.data(), static_cast<std::size_t>(n)) != n) {
                ok = false;
                message = cp("Impossible d'écrire le fichier ") + target;
                break;
            }
            bool cancelled = false;
            for (std::uint64_t k = before; k < done / kProgressStepBytes && !cancelled; ++k)
                cancelled = !progressStep();
            if (cancelled) {
                ok = false;
                message = cp("Extraction annulée");
                break;
            }
        }
        zip_fclose(zf);
        if (!ok)
            return failWith(message);
        if (p.mtime) {
            timespec times[2] = {{p.mtime, 0}, {p.mtime, 0}};
            ::futimens(fd, times);
        }
        ::fchmod(fd, 0644);
        if (::close(fd) != 0) {
            removeQuietly(temp);
            return Outcome::failure(cp("Impossible d'écrire le fichier ") + target);
        }
        // Without replacement, the exclusive link refuses a name that appeared meanwhile.
        if (replace) {
            if (::rename(temp.c_str(), target.c_str()) != 0) {
                removeQuietly(temp);
                return Outcome::failure(cp("Impossible de créer le fichier ") + target);
            }
            continue;
        }
        const int linked = table::linkExclusive(temp, target);
        removeQuietly(temp);
        if (linked == 0)
            m_created.push_back(p.name);
        else if (linked != EEXIST)
            return Outcome::failure(cp("Impossible de créer le fichier ") + target);
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
