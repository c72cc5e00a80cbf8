#include "table/MappedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "table/Platform.h"
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
    void* at = fileFaultInjected(FileOp::Map) ? MAP_FAILED
                                              : ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ,
                                                       MAP_PRIVATE | MAP_POPULATE, fd.get(), 0);
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

bool readWholeFile(const std::string& fileName, std::string& out)
{
    // A named pipe with no writer must not hold the program: opened without waiting for one, then
    // read as usual (it ends at once when nobody writes).
    const UniqueFd fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd)
        return false;
    if (const int flags = ::fcntl(fd.get(), F_GETFL); flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) < 0)
        return false;
    struct stat st
    {
    };
    if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    // One byte more than the size, so that reaching the end needs no second growth.
    const std::size_t expected =
        S_ISREG(st.st_mode) && st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 65536;
    out.resize(expected); // within the kept capacity after the first load
    std::size_t used = 0;
    for (;;) {
        if (used == out.size())
            out.resize(out.size() * 2);
        const ssize_t got = ::read(fd.get(), out.data() + used, out.size() - used);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        used += static_cast<std::size_t>(got);
    }
    out.resize(used);
    return true;
}

std::optional<std::string> readWholeFile(const std::string& path)
{
    std::string bytes;
    if (!readWholeFile(path, bytes))
        return std::nullopt;
    return bytes;
}

} // namespace cinevaro::table
