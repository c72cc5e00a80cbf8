// Owner of a file descriptor: closed when the owner goes, unless released first. close() closes
// early and tells whether the close itself worked (a write error can surface only there).
// writeAll() is the one write loop of the file layer.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <utility>

#include "table/Platform.h"

namespace cinevaro::table {

class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }

    // Gives the descriptor up without closing it.
    int release() { return std::exchange(m_fd, -1); }
    // Closes the descriptor held (if any) and holds `fd` instead.
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now; false (errno set) when the close failed. Nothing held counts as success.
    bool close()
    {
        const int fd = release();
        if (fd < 0)
            return true;
        if (fileFaultInjected(FileOp::Close)) {
            const int error = errno;
            ::close(fd);
            errno = error;
            return false;
        }
        return ::close(fd) == 0;
    }

private:
    int m_fd = -1;
};

// Writes the `size` bytes at `data` to `fd`, going on after a partial write or an interrupted one.
// Returns 0, or the errno of the failure (ENOSPC when the system wrote nothing and said nothing).
int writeAll(int fd, const void* data, std::size_t size);

} // namespace cinevaro::table
