#include "table/UniqueFd.h"

#include <algorithm>

namespace cinevaro::table {

int writeAll(int fd, const void* data, std::size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    const std::size_t most = shortWritesForTesting();
    std::size_t done = 0;
    while (done < size) {
        const std::size_t chunk = most > 0 ? std::min(size - done, most) : size - done;
        const ssize_t put = ::write(fd, bytes + done, chunk);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return errno;
        if (put == 0)
            return ENOSPC;
        done += static_cast<std::size_t>(put);
    }
    return 0;
}

} // namespace cinevaro::table
