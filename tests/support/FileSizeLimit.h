// Stands for a full disk: while alive, no file of this process may grow past `bytes` (a write
// beyond it fails with EFBIG instead of raising SIGXFSZ). Works for every user, root included.
#pragma once

#include <csignal>
#include <sys/resource.h>

#include <gtest/gtest.h>

namespace cinevaro::testing {

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &m_old), 0);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldSignal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_old{};
    void (*m_oldSignal)(int) = nullptr;
};

} // namespace cinevaro::testing
