#include "ui/paint/PdfFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

#include "table/Cp1252.h"

namespace cinevaro::paint {

namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The target's name as shown in a message: the path bytes read as UTF-8 when they are.
std::string shownName(const std::string& path)
{
    const auto cp = table::utf8ToCp1252(path);
    return cp ? *cp : path;
}

} // namespace

PdfFile::PdfFile(const std::string& target) : m_target(target)
{
    // A link is written through: the file it names is replaced, the link stays.
    struct stat st
    {
    };
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(target.c_str(), nullptr)) {
            m_target = resolved;
            std::free(resolved);
        }
    }
    const std::size_t slash = m_target.find_last_of('/');
    const std::string base = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
    if (base.empty())
        return;
    const std::string folder = slash == std::string::npos ? std::string() : m_target.substr(0, slash + 1);
    std::random_device device;
    std::mt19937_64 random(device() ^ static_cast<std::uint64_t>(::getpid()));
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".tmp%012llx",
                      static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFull));
        m_temp = folder + "." + base + suffix;
        m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0 || !m_file.open(m_fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
        if (m_fd >= 0) {
            ::close(m_fd);
            ::unlink(m_temp.c_str());
        }
        m_fd = -1;
    }
}

PdfFile::~PdfFile()
{
    // Never committed: the unfinished temporary goes.
    if (m_fd >= 0) {
        m_file.close();
        ::close(m_fd);
        ::unlink(m_temp.c_str());
    }
}

catalogue::Outcome PdfFile::commit(bool drawn)
{
    const auto failure = [this] {
        return catalogue::Outcome::failure(table::cp("Impossible d'écrire le fichier ") + shownName(m_target) +
                                               table::cp(" (disque plein ou accès refusé) ; le fichier précédent est "
                                                         "conservé"),
                                           "Cinevaro");
    };
    if (m_fd < 0)
        return failure();
    bool ok = drawn && m_file.flush() && m_file.error() == QFileDevice::NoError;
    m_file.close();
    struct stat st
    {
    };
    ok = ok && ::fsync(m_fd) == 0 && ::fstat(m_fd, &st) == 0 && st.st_size > 0;
    ok = ::close(m_fd) == 0 && ok;
    m_fd = -1;
    ok = ok && ::rename(m_temp.c_str(), m_target.c_str()) == 0;
    if (!ok) {
        ::unlink(m_temp.c_str());
        return failure();
    }
    // The rename itself survives a power cut once the folder is synced.
    const int dir = ::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return catalogue::Outcome::success();
}

} // namespace cinevaro::paint
