#include "table/MappedFile.h"

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

} // namespace cinevaro::table
