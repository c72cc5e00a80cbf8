#include "output/ZipSources.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "output/TZipMaster.h"
#include "table/Cp1252.h"

namespace cinevaro::output {

using table::cp;

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

namespace {

// One read(2), tried again when a signal interrupts it.
ssize_t readRetrying(int fd, void* data, zip_uint64_t len)
{
    ssize_t n;
    do {
        n = ::read(fd, data, len);
    } while (n < 0 && errno == EINTR);
    return n;
}

} // namespace

zip_int64_t ArchiveFile::callback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd)
{
    auto* a = static_cast<ArchiveFile*>(userdata);
    switch (cmd) {
    case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_WRITABLE;
    case ZIP_SOURCE_STAT:
        return a->statArchive(data, len);
    case ZIP_SOURCE_OPEN:
        return a->openRead();
    case ZIP_SOURCE_READ:
        return a->readArchive(data, len);
    case ZIP_SOURCE_SEEK:
        return a->seekRead(data, len);
    case ZIP_SOURCE_TELL:
        return static_cast<zip_int64_t>(a->readPos);
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        a->closeRead();
        return 0;
    case ZIP_SOURCE_ERROR:
        return zl().error_to_data(&a->error, data, len);
    default:
        return a->writeCommand(cmd, data, len);
    }
}

zip_int64_t ArchiveFile::writeCommand(zip_source_cmd_t cmd, void* data, zip_uint64_t len)
{
    switch (cmd) {
    case ZIP_SOURCE_BEGIN_WRITE:
        return beginWrite();
    case ZIP_SOURCE_WRITE:
        if (!writer || !writer->write(data, len))
            return writeFailed(ZIP_ER_WRITE);
        return static_cast<zip_int64_t>(len);
    case ZIP_SOURCE_SEEK_WRITE:
        return seekWrite(data, len);
    case ZIP_SOURCE_TELL_WRITE:
        if (!writer)
            return fail(ZIP_ER_INTERNAL, 0);
        return static_cast<zip_int64_t>(writer->tell());
    case ZIP_SOURCE_COMMIT_WRITE:
        return commitWrite();
    case ZIP_SOURCE_ROLLBACK_WRITE:
        if (writer)
            writer->abort();
        writer.reset();
        return 0;
    case ZIP_SOURCE_REMOVE:
        return removeArchive();
    default:
        return fail(ZIP_ER_OPNOTSUPP, 0);
    }
}

zip_int64_t ArchiveFile::statArchive(void* data, zip_uint64_t len)
{
    auto* st = sourceArgs<zip_stat_t>(data, len, &error);
    if (!st)
        return -1;
    struct stat file
    {
    };
    // The library takes a missing file (read error, ENOENT) as an archive to create.
    if (::stat(path.c_str(), &file) != 0)
        return fail(ZIP_ER_READ, errno);
    zl().stat_init(st);
    st->size = static_cast<zip_uint64_t>(file.st_size);
    st->mtime = file.st_mtime;
    st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
    return sizeof(zip_stat_t);
}

zip_int64_t ArchiveFile::openRead()
{
    readFd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat file
    {
    };
    if (!readFd || ::fstat(readFd.get(), &file) != 0)
        return fail(ZIP_ER_OPEN, errno);
    readPos = 0;
    readSize = static_cast<std::uint64_t>(file.st_size);
    return 0;
}

zip_int64_t ArchiveFile::readArchive(void* data, zip_uint64_t len)
{
    const ssize_t n = readRetrying(readFd.get(), data, len);
    if (n < 0)
        return fail(ZIP_ER_READ, errno);
    readPos += static_cast<std::uint64_t>(n);
    return n;
}

zip_int64_t ArchiveFile::seekRead(void* data, zip_uint64_t len)
{
    const zip_int64_t to = zl().source_seek_compute_offset(readPos, readSize, data, len, &error);
    if (to < 0)
        return -1;
    if (::lseek(readFd.get(), static_cast<off_t>(to), SEEK_SET) < 0)
        return fail(ZIP_ER_SEEK, errno);
    readPos = static_cast<std::uint64_t>(to);
    return 0;
}

zip_int64_t ArchiveFile::beginWrite()
{
    writer = std::make_unique<table::SafeFileWriter>(path);
    if (!writer->open())
        return writeFailed(ZIP_ER_TMPOPEN);
    return 0;
}

zip_int64_t ArchiveFile::seekWrite(void* data, zip_uint64_t len)
{
    if (!writer)
        return fail(ZIP_ER_INTERNAL, 0);
    const zip_int64_t to = zl().source_seek_compute_offset(writer->tell(), writer->size(), data, len, &error);
    if (to < 0)
        return -1;
    if (!writer->seek(static_cast<std::uint64_t>(to)))
        return writeFailed(ZIP_ER_WRITE);
    return 0;
}

zip_int64_t ArchiveFile::commitWrite()
{
    if (!writer)
        return fail(ZIP_ER_INTERNAL, 0);
    closeRead();
    const table::FileWriteResult done = writer->commit();
    if (!done)
        return fail(done.error == ENOSPC || done.error == EIO ? ZIP_ER_WRITE : ZIP_ER_RENAME, done.error);
    writer.reset();
    return 0;
}

zip_int64_t ArchiveFile::removeArchive()
{
    // An archive left without entries is removed.
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return fail(ZIP_ER_REMOVE, errno);
    (void)table::syncFolderOf(path);
    return 0;
}

zip_int64_t ZipSourceState::callback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd)
{
    auto* s = static_cast<ZipSourceState*>(userdata);
    switch (cmd) {
    case ZIP_SOURCE_OPEN:
        s->fd.reset(::open(s->file.path.c_str(), O_RDONLY | O_CLOEXEC));
        if (!s->fd) {
            zl().error_set(&s->error, ZIP_ER_OPEN, errno);
            return -1;
        }
        s->read = 0;
        s->owner->progress(ProgressFileBegins, s->file.name, static_cast<std::int64_t>(s->file.size));
        return 0;
    case ZIP_SOURCE_READ: {
        const ssize_t n = readRetrying(s->fd.get(), data, len);
        if (n < 0) {
            zl().error_set(&s->error, ZIP_ER_READ, errno);
            return -1;
        }
        const std::uint64_t before = s->read / TZipMaster::kProgressStepBytes;
        s->read += static_cast<std::uint64_t>(n);
        for (std::uint64_t k = before; k < s->read / TZipMaster::kProgressStepBytes; ++k)
            if (!s->owner->progressStep()) {
                zl().error_set(&s->error, ZIP_ER_CANCELLED, 0);
                return -1;
            }
        return n;
    }
    case ZIP_SOURCE_CLOSE:
        s->fd.reset();
        return 0;
    case ZIP_SOURCE_STAT: {
        auto* st = sourceArgs<zip_stat_t>(data, len, &s->error);
        if (!st)
            return -1;
        zl().stat_init(st);
        st->size = s->file.size;
        st->mtime = s->file.mtime;
        st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zl().error_to_data(&s->error, data, len);
    case ZIP_SOURCE_FREE:
        zl().error_fini(&s->error);
        delete s;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_MAKE_COMMAND_BITMASK(ZIP_SOURCE_OPEN) | ZIP_SOURCE_MAKE_COMMAND_BITMASK(ZIP_SOURCE_READ) |
               ZIP_SOURCE_MAKE_COMMAND_BITMASK(ZIP_SOURCE_CLOSE) | ZIP_SOURCE_MAKE_COMMAND_BITMASK(ZIP_SOURCE_STAT) |
               ZIP_SOURCE_MAKE_COMMAND_BITMASK(ZIP_SOURCE_ERROR) | ZIP_SOURCE_MAKE_COMMAND_BITMASK(ZIP_SOURCE_FREE);
    default:
        zl().error_set(&s->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace cinevaro::output
