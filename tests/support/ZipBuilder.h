// Writes small zip archives byte by byte (stored entries), including the odd ones no archiver
// makes: names with "../" or absolute paths, symbolic links, lying sizes. Used by the stand-in film
// service and by the tests of the archive reader.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cinevaro::testing {

struct ZipBuilderEntry
{
    std::string name;
    std::string data;
    bool symlink = false; // made by Unix, mode S_IFLNK; the data is the link target
    // Uncompressed size written in the headers instead of the real one, when not negative.
    std::int64_t claimedSize = -1;
    // Name written in the central directory instead of `name` (the local header keeps `name`).
    std::optional<std::string> centralName;
};

class ZipBuilder
{
public:
    ZipBuilder& add(std::string name, std::string data);
    ZipBuilder& addSymlink(std::string name, std::string target);
    ZipBuilder& addEntry(ZipBuilderEntry entry);
    // Ends the archive as large archives do: the end record's count and offset point to a Zip64
    // end record through its locator.
    ZipBuilder& zip64End()
    {
        m_zip64End = true;
        return *this;
    }
    // The archive bytes: local headers and data, central directory, end record.
    std::string bytes() const;

private:
    std::vector<ZipBuilderEntry> m_entries;
    bool m_zip64End = false;
};

std::uint32_t crc32(const std::string& data);

} // namespace cinevaro::testing
