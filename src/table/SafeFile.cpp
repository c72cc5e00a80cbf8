#include "table/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "table/Cp1252.h"
#include "table/ExclusiveLink.h"
#include "table/Platform.h"
#include "table/UniqueFd.h"

namespace cinevaro::table {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr const char* kTempMark = ".tmp";
constexpr std::size_t kTempDigits = 12;

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string reasonOf(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return cp("disque plein");
    case EACCES:
    case EPERM:
        return cp("accès refusé");
    case EROFS:
        return cp("support protégé en écriture");
    case EEXIST:
        return cp("un fichier de ce nom existe déjà");
    case ENOENT:
    case ENOTDIR:
        return cp("dossier introuvable");
    case ENAMETOOLONG:
        return cp("nom trop long");
    default:
        return cp("erreur d'écriture n°") + std::to_string(error);
    }
}

std::string randomDigits()
{
    thread_local std::mt19937_64 random(std::random_device{}() ^ (static_cast<std::uint64_t>(::getpid()) << 32));
    char digits[kTempDigits + 1];
    std::snprintf(digits, sizeof digits, "%012llx", static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
    return digits;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

bool isTemporaryNameOf(const std::string& fileName, const std::string& targetName)
{
    const std::string prefix = "." + targetName + kTempMark;
    if (targetName.empty() || fileName.size() != prefix.size() + kTempDigits ||
        fileName.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (std::size_t i = prefix.size(); i < fileName.size(); ++i) {
        const char c = fileName[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

bool syncFolderOf(const std::string& path)
{
    if (fileFaultInjected(FileOp::SyncFolder))
        return false;
    UniqueFd dir(::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir)
        return false;
    int rc = ::fsync(dir.get());
    // Some file systems cannot sync a folder; their renames are as durable as they get.
    if (rc != 0 && (errno == EINVAL || errno == ENOTSUP))
        rc = 0;
    const int saved = errno; // the sync's error, whatever the close does
    static_cast<void>(dir.close());
    errno = saved;
    return rc == 0;
}

int removeStaleTemporaries(const std::string& target)
{
    const std::string targetName = nameOf(target);
    const int dirFd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return 0;
    }
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!isTemporaryNameOf(name, targetName))
            continue;
        const UniqueFd fd(::openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!fd)
            continue;
        struct stat opened
        {
        }, named{};
        // A writer holds its lock until its file is renamed or removed: a lock we can take
        // belongs to no running write. The name must still be the file we locked.
        if (::fstat(fd.get(), &opened) == 0 && S_ISREG(opened.st_mode) && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dirFd, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(opened, named) &&
            ::unlinkat(dirFd, name.c_str(), 0) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

SafeFileWriter::SafeFileWriter(std::string target, SafeWriteOptions options)
    : m_target(std::move(target)), m_options(options)
{
}

SafeFileWriter::~SafeFileWriter()
{
    if (!m_committed)
        abort();
}

void SafeFileWriter::fail(int error, std::string message)
{
    if (!m_result.ok)
        return;
    m_result.ok = false;
    m_result.error = error;
    m_result.message = std::move(message);
}

bool SafeFileWriter::failStep(int error)
{
    fail(error, cp("Impossible d'écrire le fichier ") + m_target + " (" + reasonOf(error) +
                    cp(") ; aucun fichier n'a été modifié"));
    return false;
}

FileWriteResult SafeFileWriter::open()
{
    if (m_fd >= 0 || failed())
        return m_result;
    if (m_target.empty() || m_target.back() == '/') {
        failStep(EISDIR);
        return m_result;
    }
    const std::string folder = folderOf(m_target);
    const std::string prefix = (folder == "/" ? std::string("/") : folder + "/") + "." + nameOf(m_target) + kTempMark;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = prefix + randomDigits();
        const int fd = fileFaultInjected(FileOp::Open)
                           ? -1
                           : ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, m_options.mode);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            failStep(errno);
            return m_result;
        }
        // The lock tells a later clean-up that this file is being written. A clean-up may have
        // removed the name between the open and the lock: then start again under a new name.
        struct stat mine
        {
        }, named{};
        // A file system without locks (some network shares) keeps the file unlocked; the clean-up
        // then leaves it alone, since it cannot take the lock either.
        int locked = 0;
        do {
            locked = ::flock(fd, LOCK_EX);
        } while (locked != 0 && errno == EINTR);
        if (::fstat(fd, &mine) != 0 || ::lstat(temp.c_str(), &named) != 0 || !sameFile(mine, named)) {
            ::close(fd);
            continue;
        }
        m_fd = fd;
        m_temp = temp;
        break;
    }
    if (m_fd < 0) {
        failStep(EEXIST);
        return m_result;
    }
    struct stat old
    {
    };
    if (m_options.replace && m_options.keepOwnerAndMode && ::lstat(m_target.c_str(), &old) == 0 &&
        S_ISREG(old.st_mode)) {
        // The owner first, since changing it may clear permission bits. An ordinary user may not
        // give a file away: it then belongs to the one who saves.
        if (::fchown(m_fd, old.st_uid, old.st_gid) != 0) {
        }
        (void)::fchmod(m_fd, old.st_mode & 07777);
    }
    m_buffer.reserve(kBufferSize);
    return m_result;
}

bool SafeFileWriter::writeOut(const char* data, std::size_t size)
{
    const long long limit = saveWriteLimitForTesting();
    std::size_t done = 0;
    while (done < size) {
        std::size_t chunk = size - done;
        if (limit >= 0) {
            const auto allowed = static_cast<unsigned long long>(limit);
            if (m_written >= allowed)
                return failStep(ENOSPC);
            chunk = static_cast<std::size_t>(std::min<unsigned long long>(chunk, allowed - m_written));
        }
        if (fileFaultInjected(FileOp::Write))
            return failStep(errno);
        if (const int error = writeAll(m_fd, data + done, chunk))
            return failStep(error);
        done += chunk;
        m_written += chunk;
    }
    return true;
}

bool SafeFileWriter::flushBuffer()
{
    if (m_buffer.empty())
        return true;
    const bool ok = writeOut(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
    return ok;
}

bool SafeFileWriter::write(const void* data, std::size_t size)
{
    if (m_fd < 0 && !failed())
        open();
    if (failed())
        return false;
    const char* bytes = static_cast<const char*>(data);
    if (m_buffer.size() + size <= kBufferSize) {
        m_buffer.append(bytes, size);
    } else {
        if (!flushBuffer())
            return false;
        if (size >= kBufferSize) {
            if (!writeOut(bytes, size))
                return false;
        } else {
            m_buffer.append(bytes, size);
        }
    }
    m_position += size;
    m_size = std::max(m_size, m_position);
    return true;
}

bool SafeFileWriter::seek(std::uint64_t offset)
{
    if (m_fd < 0 && !failed())
        open();
    if (failed() || !flushBuffer())
        return false;
    if (::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) < 0)
        return failStep(errno);
    m_position = offset;
    return true;
}

FileWriteResult SafeFileWriter::commit()
{
    if (m_committed)
        return m_result;
    if (m_fd < 0 && !failed())
        open();
    bool ok = !failed();
    if (ok && fileFaultInjected(FileOp::Flush))
        ok = failStep(errno);
    ok = ok && flushBuffer();
    if (ok && m_options.sync && (fileFaultInjected(FileOp::Fsync) || ::fsync(m_fd) != 0))
        ok = failStep(errno);
    if (ok && m_options.replace) {
        if (fileFaultInjected(FileOp::Rename) || ::rename(m_temp.c_str(), m_target.c_str()) != 0)
            ok = failStep(errno);
    } else if (ok) {
        // The exclusive link refuses an existing name, so a file that appeared meanwhile is never
        // replaced; where hard links are refused it creates the target with O_EXCL.
        if (const int error = linkExclusive(m_temp, m_target); error != 0)
            ok = failStep(error);
        else
            ::unlink(m_temp.c_str());
    }
    if (!ok) {
        abort();
        return m_result;
    }
    m_committed = true;
    // The new name is in place; a folder that cannot be synced does not undo it, so the write
    // is reported as done.
    if (m_options.sync)
        (void)syncFolderOf(m_target);
    ::close(m_fd); // releases the lock
    m_fd = -1;
    removeStaleTemporaries(m_target);
    return m_result;
}

void SafeFileWriter::abort()
{
    if (m_committed)
        return;
    if (m_fd >= 0) {
        // Removed before the lock goes with the close, so no clean-up sees it unlocked.
        ::unlink(m_temp.c_str());
        ::close(m_fd);
        m_fd = -1;
    }
    m_buffer.clear();
    if (m_result.ok)
        fail(ECANCELED, cp("Écriture du fichier ") + m_target + cp(" abandonnée ; aucun fichier n'a été modifié"));
}

FileWriteResult writeFileAtomically(const std::string& path, std::string_view bytes, const SafeWriteOptions& options)
{
    SafeFileWriter writer(path, options);
    if (FileWriteResult opened = writer.open(); !opened)
        return opened;
    writer.write(bytes);
    return writer.commit();
}

} // namespace cinevaro::table
