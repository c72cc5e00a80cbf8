#include "output/ExclusiveLink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace cinevaro::output {

namespace {

std::atomic<LinkCall> g_link{nullptr};

bool linkRefusedByFileSystem(int error)
{
    return error == EPERM || error == ENOTSUP || error == EOPNOTSUPP || error == EMLINK || error == EXDEV;
}

int closeKeepingError(int fd, int error)
{
    ::close(fd);
    return error;
}

// Creates `target` with O_EXCL and copies `temp` into it; the target is removed again on failure.
int createAndCopy(const std::string& temp, const std::string& target)
{
    const int in = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (out < 0)
        return closeKeepingError(in, errno);
    char buffer[64 * 1024];
    int error = 0;
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n < 0)
                error = errno;
            break;
        }
        for (ssize_t done = 0; done < n && !error;) {
            ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno != EINTR)
                error = errno;
            else if (w > 0)
                done += w;
        }
        if (error)
            break;
    }
    struct stat st
    {
    };
    if (!error && ::fstat(in, &st) == 0) {
        timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
    }
    ::close(in);
    if (::close(out) != 0 && !error)
        error = errno;
    if (error)
        ::unlink(target.c_str());
    return error;
}

} // namespace

int linkExclusive(const std::string& temp, const std::string& target)
{
    const LinkCall call = g_link.load();
    if ((call ? call(temp.c_str(), target.c_str()) : ::link(temp.c_str(), target.c_str())) == 0)
        return 0;
    const int error = errno;
    if (!linkRefusedByFileSystem(error))
        return error;
    return createAndCopy(temp, target);
}

void setLinkCallForTesting(LinkCall call)
{
    g_link.store(call);
}

} // namespace cinevaro::output
