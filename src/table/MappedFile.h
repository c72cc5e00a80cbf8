// The bytes of a regular file, mapped read-only for as long as the holder lives. Reading a
// catalogue this way takes its pages from the file cache instead of filling fresh memory with a
// copy, which costs more than parsing it. Files the system cannot map (empty ones, some special
// file systems) are read into memory instead.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cinevaro::table {

class MappedFile
{
public:
    // Nothing when `path` is not a regular file or cannot be read.
    static std::optional<MappedFile> open(const std::string& path);

    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    std::string_view bytes() const { return m_mapped ? std::string_view(m_mapped, m_size) : m_copy; }

private:
    MappedFile() = default;
    void unmap();

    const char* m_mapped = nullptr;
    std::size_t m_size = 0;
    std::string m_copy;
};

} // namespace cinevaro::table
