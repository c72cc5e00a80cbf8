#include "output/ZipEntryList.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "table/Cp1252.h"

namespace cinevaro::output {

namespace {

constexpr std::uint32_t kLocalHeader = 0x04034B50;
constexpr std::uint32_t kCentralHeader = 0x02014B50;
constexpr std::uint32_t kEndRecord = 0x06054B50;
constexpr std::uint32_t kZip64EndRecord = 0x06064B50;
constexpr std::uint32_t kZip64Locator = 0x07064B50;
constexpr std::uint64_t kEndRecordSize = 22;
constexpr std::uint64_t kCentralHeaderSize = 46;
constexpr std::uint64_t kMaxCommentSize = 0xFFFF;

std::uint16_t le16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t le32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint64_t le64(const unsigned char* p)
{
    return static_cast<std::uint64_t>(le32(p)) | (static_cast<std::uint64_t>(le32(p + 4)) << 32);
}

// The length of an open file (0 when it cannot be told); leaves the position at the end.
std::uint64_t sizeOf(std::FILE* file)
{
    if (fseeko(file, 0, SEEK_END) != 0)
        return 0;
    const off_t end = ftello(file);
    return end > 0 ? static_cast<std::uint64_t>(end) : 0;
}

// Reads `count` bytes at `offset` of an archive; false when they are not all there.
class RandomAccess
{
public:
    virtual ~RandomAccess() = default;
    virtual std::uint64_t size() const = 0;
    virtual bool readAt(std::uint64_t offset, unsigned char* buffer, std::size_t count) = 0;
};

class FileAccess : public RandomAccess
{
public:
    explicit FileAccess(std::FILE* file) : m_file(file), m_size(sizeOf(file)) {}
    std::uint64_t size() const override { return m_size; }
    bool readAt(std::uint64_t offset, unsigned char* buffer, std::size_t count) override
    {
        if (offset > m_size || count > m_size - offset || fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) != 0)
            return false;
        return std::fread(buffer, 1, count, m_file) == count;
    }

private:
    std::FILE* m_file;
    std::uint64_t m_size;
};

class BytesAccess : public RandomAccess
{
public:
    explicit BytesAccess(const std::string& bytes) : m_bytes(bytes) {}
    std::uint64_t size() const override { return m_bytes.size(); }
    bool readAt(std::uint64_t offset, unsigned char* buffer, std::size_t count) override
    {
        if (offset > m_bytes.size() || count > m_bytes.size() - offset)
            return false;
        std::memcpy(buffer, m_bytes.data() + offset, count);
        return true;
    }

private:
    const std::string& m_bytes;
};

// The end record is the last one found within the comment's reach from the end of the archive;
// the central directory's entry count and offset come from it, or from the Zip64 record it points to.
bool centralNames(RandomAccess& in, std::vector<std::string>& names)
{
    names.clear();
    const std::uint64_t size = in.size();
    if (size < kEndRecordSize)
        return false;
    const std::uint64_t tailSize = std::min<std::uint64_t>(size, kEndRecordSize + kMaxCommentSize);
    std::vector<unsigned char> tail(static_cast<std::size_t>(tailSize));
    if (!in.readAt(size - tailSize, tail.data(), tail.size()))
        return false;
    std::size_t at = tail.size() - kEndRecordSize + 1;
    do {
        --at;
    } while (at > 0 && le32(tail.data() + at) != kEndRecord);
    if (le32(tail.data() + at) != kEndRecord)
        return false;
    const std::uint64_t endOffset = size - tailSize + at;
    std::uint64_t count = le16(tail.data() + at + 10);
    std::uint64_t offset = le32(tail.data() + at + 16);
    if (count == 0xFFFF || offset == 0xFFFFFFFFu) {
        unsigned char locator[20];
        unsigned char record[56];
        if (endOffset < sizeof locator || !in.readAt(endOffset - sizeof locator, locator, sizeof locator) ||
            le32(locator) != kZip64Locator || !in.readAt(le64(locator + 8), record, sizeof record) ||
            le32(record) != kZip64EndRecord)
            return false;
        count = le64(record + 32);
        offset = le64(record + 48);
    }
    // Every central header takes at least 46 bytes: a count the file cannot hold is a lie.
    if (offset > endOffset || count > (endOffset - offset) / kCentralHeaderSize)
        return false;
    names.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        unsigned char h[kCentralHeaderSize];
        if (!in.readAt(offset, h, sizeof h) || le32(h) != kCentralHeader)
            return false;
        const std::uint16_t nameLength = le16(h + 28);
        std::string name(nameLength, '\0');
        if (!in.readAt(offset + sizeof h, reinterpret_cast<unsigned char*>(name.data()), nameLength))
            return false;
        names.push_back(std::move(name));
        offset += sizeof h + nameLength + le16(h + 30) + le16(h + 32);
    }
    return true;
}

class FileReader : public ZipByteReader
{
public:
    explicit FileReader(std::FILE* file) : m_file(file), m_size(sizeOf(file)) { fseeko(m_file, 0, SEEK_SET); }
    std::uint64_t size() const override { return m_size; }
    std::uint64_t position() const override { return m_pos; }
    std::size_t read(char* buffer, std::size_t count) override
    {
        std::size_t n = std::fread(buffer, 1, count, m_file);
        m_pos += n;
        return n;
    }
    bool skip(std::uint64_t count) override
    {
        if (count > m_size - m_pos || fseeko(m_file, static_cast<off_t>(m_pos + count), SEEK_SET) != 0)
            return false;
        m_pos += count;
        return true;
    }

private:
    std::FILE* m_file;
    std::uint64_t m_size;
    std::uint64_t m_pos = 0;
};

class MemoryReader : public ZipByteReader
{
public:
    explicit MemoryReader(const std::string& bytes) : m_bytes(bytes) {}
    std::uint64_t size() const override { return m_bytes.size(); }
    std::uint64_t position() const override { return m_pos; }
    std::size_t read(char* buffer, std::size_t count) override
    {
        std::size_t n = std::min<std::size_t>(count, m_bytes.size() - m_pos);
        std::memcpy(buffer, m_bytes.data() + m_pos, n);
        m_pos += n;
        return n;
    }
    bool skip(std::uint64_t count) override
    {
        if (count > m_bytes.size() - m_pos) // never past the end, however large the count
            return false;
        m_pos += count;
        return true;
    }

private:
    const std::string& m_bytes;
    std::size_t m_pos = 0;
};

} // namespace

bool holdsControlCharacter(const std::string& name)
{
    return std::any_of(name.begin(), name.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
}

ZipListError walkEntryList(ZipByteReader& reader, std::vector<ZipDirEntry>& entries)
{
    entries.clear();
    const std::uint64_t size = reader.size();
    std::size_t walked = 0;
    for (;;) {
        unsigned char sig[4];
        if (reader.read(reinterpret_cast<char*>(sig), 4) < 4)
            return ZipListError::ShortSignature;
        const std::uint32_t signature = le32(sig);
        if (signature == kCentralHeader || signature == kEndRecord)
            return ZipListError::None;
        if (signature != kLocalHeader)
            continue; // the next 4 bytes are read
        unsigned char h[26];
        if (reader.read(reinterpret_cast<char*>(h), 26) < 26)
            return ZipListError::ShortHeader;
        ZipDirEntry e;
        e.VersionNeeded = le16(h);
        e.Flag = le16(h + 2);
        e.CompressionMethod = le16(h + 4);
        e.DateTime_Time = le16(h + 6);
        e.DateTime_Date = le16(h + 8);
        e.CRC32 = le32(h + 10);
        e.CompressedSize = le32(h + 14);
        e.UncompressedSize = le32(h + 18);
        e.FileNameLength = le16(h + 22);
        e.ExtraFieldLength = le16(h + 24);
        e.FileName.resize(e.FileNameLength);
        if (reader.read(e.FileName.data(), e.FileNameLength) < e.FileNameLength)
            return ZipListError::ShortHeader;
        if (walked >= kMaxZipEntries)
            return ZipListError::TooManyEntries;
        ++walked;
        const std::uint64_t extra = e.ExtraFieldLength;
        const std::uint64_t data = e.CompressedSize;
        if (!holdsControlCharacter(e.FileName))
            entries.push_back(std::move(e));
        if (size < kEndRecordSize || reader.position() + extra + data > size - kEndRecordSize)
            return ZipListError::PastEnd;
        if (!reader.skip(extra))
            return ZipListError::SkipExtra;
        if (!reader.skip(data))
            return ZipListError::SkipData;
    }
}

ZipListError readEntryList(const std::string& path, std::vector<ZipDirEntry>& entries)
{
    entries.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return ZipListError::ShortSignature;
    FileReader reader(file);
    ZipListError error = walkEntryList(reader, entries);
    std::fclose(file);
    return error;
}

ZipListError readEntryListFromBytes(const std::string& bytes, std::vector<ZipDirEntry>& entries)
{
    MemoryReader reader(bytes);
    return walkEntryList(reader, entries);
}

bool readCentralNames(const std::string& path, std::vector<std::string>& names)
{
    names.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    FileAccess access(file);
    const bool read = centralNames(access, names);
    std::fclose(file);
    return read;
}

bool readCentralNamesFromBytes(const std::string& bytes, std::vector<std::string>& names)
{
    BytesAccess access(bytes);
    return centralNames(access, names);
}

std::string numberedReadError(ZipListError error)
{
    switch (error) {
    case ZipListError::None:
        return {};
    case ZipListError::ShortSignature:
        return "Error 1 reading Zip File";
    case ZipListError::TooManyEntries:
        return table::cp("L'archive contient trop d'entrées (plus de 65535)");
    default:
        return "Error " + std::to_string(static_cast<int>(error)) + " reading Zip file";
    }
}

std::string plainReadError(ZipListError error)
{
    switch (error) {
    case ZipListError::None:
        return {};
    case ZipListError::ShortSignature:
        return "Error reading Zip File";
    case ZipListError::TooManyEntries:
        return numberedReadError(error);
    default:
        return "Error reading Zip file";
    }
}

} // namespace cinevaro::output
