// The entry list of a zip archive read by walking its local file headers from the start of the
// file up to the central directory, with the numbered reading errors the windows show; and the
// entry names as the central directory stores them, byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cinevaro::output {

// One entry: the fields of its local file header and its name as stored.
struct ZipDirEntry
{
    std::uint16_t VersionNeeded = 0;
    std::uint16_t Flag = 0;
    std::uint16_t CompressionMethod = 0;
    std::uint16_t DateTime_Time = 0;
    std::uint16_t DateTime_Date = 0;
    std::uint32_t CRC32 = 0;
    std::uint32_t CompressedSize = 0;
    std::uint32_t UncompressedSize = 0;
    std::uint16_t FileNameLength = 0;
    std::uint16_t ExtraFieldLength = 0;
    std::string FileName;
};

enum class ZipListError {
    None = 0,
    ShortSignature = 1, // fewer than 4 bytes left where a signature was expected
    ShortHeader = 2,    // the header or the name is cut short
    PastEnd = 3,        // an entry's data runs past the end of the archive
    SkipExtra = 4,      // the extra field could not be skipped
    SkipData = 5,       // the compressed data could not be skipped
    TooManyEntries = 6, // more than kMaxZipEntries headers
};

constexpr std::size_t kMaxZipEntries = 65535;

// Random access to the bytes of an archive.
class ZipByteReader
{
public:
    virtual ~ZipByteReader() = default;
    virtual std::uint64_t size() const = 0;
    virtual std::uint64_t position() const = 0;
    // Reads up to `count` bytes at the position and advances; returns the count read.
    virtual std::size_t read(char* buffer, std::size_t count) = 0;
    // Moves the position forward; false when it cannot.
    virtual bool skip(std::uint64_t count) = 0;
};

// True when the name holds a control character (a byte below 0x20, NUL included, or 0x7F). Such
// names are never listed nor unpacked: the path calls would stop at a NUL and name another file.
bool holdsControlCharacter(const std::string& name);

// Walks the local headers: fills `entries` (cleared first) and returns the first failure. Entries
// whose names hold a control character are walked over but not listed.
ZipListError walkEntryList(ZipByteReader& reader, std::vector<ZipDirEntry>& entries);
// The same walk over a file, or over bytes held in memory.
ZipListError readEntryList(const std::string& path, std::vector<ZipDirEntry>& entries);
ZipListError readEntryListFromBytes(const std::string& bytes, std::vector<ZipDirEntry>& entries);

// The names of the central directory, in its order, exactly as stored (a NUL stays a NUL); the
// Zip64 end records are followed. False when the end record or a central header cannot be read.
bool readCentralNames(const std::string& path, std::vector<std::string>& names);
bool readCentralNamesFromBytes(const std::string& bytes, std::vector<std::string>& names);

// "Error 1 reading Zip File", "Error 2 reading Zip file"... as the archive component reports them.
std::string numberedReadError(ZipListError error);
// "Error reading Zip File" (short signature) or "Error reading Zip file", as the entry lister reports them.
std::string plainReadError(ZipListError error);

} // namespace cinevaro::output
