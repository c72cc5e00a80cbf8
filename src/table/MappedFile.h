// The bytes of a regular file, mapped read-only for as long as the holder lives. Reading a
// catalogue this way takes its pages from the file cache instead of filling fresh memory with a
// copy, which costs more than parsing it. A file the system cannot map gives nothing: the caller
// reads it its own way.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cinevaro::table {

class MappedFile
{
public:
    // Nothing when `path` is not a regular file or cannot be mapped; an empty file gives no bytes.
    static std::optional<MappedFile> open(const std::string& path);

    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    std::string_view bytes() const { return std::string_view(m_mapped ? m_mapped : "", m_size); }

private:
    MappedFile() = default;
    void unmap();

    const char* m_mapped = nullptr;
    std::size_t m_size = 0;
};

// Reads the whole file into `out` with as few system calls as its size allows (`out`'s capacity is
// reused); false when it cannot be opened or read, or is a folder. A file that grows or shrinks
// meanwhile is read as it ends up; a named pipe without a writer reads as empty instead of waiting.
bool readWholeFile(const std::string& path, std::string& out);
// The same as a new string; nothing when it cannot be read.
std::optional<std::string> readWholeFile(const std::string& path);

} // namespace cinevaro::table
