#include "table/MappedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "table/UniqueFd.h"

namespace cinevaro::table {

std::optional<MappedFile> MappedFile::open(const std::string& path)
{
    // Without O_NONBLOCK, opening a named pipe would wait for a writer.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st
    {
    };
    if (!fd || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    MappedFile file;
    if (st.st_size == 0)
        return file; // nothing to map
    void* at =
        ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd.get(), 0);
    if (at == MAP_FAILED)
        return std::nullopt;
    file.m_mapped = static_cast<const char*>(at);
    file.m_size = static_cast<std::size_t>(st.st_size);
    return file;
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : m_mapped(std::exchange(other.m_mapped, nullptr)), m_size(std::exchange(other.m_size, 0))
{
}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept
{
    if (this != &other) {
        unmap();
        m_mapped = std::exchange(other.m_mapped, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

MappedFile::~MappedFile()
{
    unmap();
}

void MappedFile::unmap()
{
    if (m_mapped)
        ::munmap(const_cast<char*>(m_mapped), m_size);
    m_mapped = nullptr;
    m_size = 0;
}

std::optional<std::string> readWholeFile(const std::string& path)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st;
    if (!fd || ::fstat(fd.get(), &st) != 0)
        return std::nullopt;
    std::string bytes;
    // The size is a hint: a file that grows or shrinks meanwhile is read to its actual end.
    bytes.resize(S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096);
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t got = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

} // namespace cinevaro::table
