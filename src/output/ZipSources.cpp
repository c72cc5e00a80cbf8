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

zip_int64_t ArchiveFile::callback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd)
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

zip_int64_t ZipSourceState::callback(void* userdata, void* data, zip_uint64_t len, zip_source_cmd_t cmd)
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

} // namespace cinevaro::output
