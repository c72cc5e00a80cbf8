#include "table/ExclusiveLink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "table/Platform.h"
#include "table/UniqueFd.h"

namespace cinevaro::table {

namespace {

// Creates `target` with O_EXCL and copies `temp` into it, synced; the target is removed again
// on failure.
int createAndCopy(const std::string& temp, const std::string& target)
{
    const UniqueFd in(::open(temp.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in)
        return errno;
    struct stat st
    {
    };
    const mode_t mode = ::fstat(in.get(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    UniqueFd out(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!out)
        return errno;
    char buffer[64 * 1024];
    int error = 0;
    while (!error) {
        const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno != EINTR)
                error = errno;
            continue;
        }
        if (n == 0)
            break;
        error = writeAll(out.get(), buffer, static_cast<std::size_t>(n));
    }
    if (!error) {
        const timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out.get(), times);
        if (::fsync(out.get()) != 0)
            error = errno;
    }
    if (!out.close() && !error)
        error = errno;
    if (error)
        ::unlink(target.c_str());
    return error;
}

} // namespace

bool linkRefusedByFileSystem(int error)
{
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == EMLINK || error == EXDEV;
}

int linkExclusive(const std::string& temp, const std::string& target)
{
    if (!fileFaultInjected(FileOp::Link) && ::link(temp.c_str(), target.c_str()) == 0)
        return 0;
    const int error = errno;
    if (!linkRefusedByFileSystem(error))
        return error;
    return createAndCopy(temp, target);
}

} // namespace cinevaro::table
