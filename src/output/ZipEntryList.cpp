#include "output/ZipEntryList.h"

#include <cstdio>
#include <cstring>

#include "table/Cp1252.h"

namespace cinevaro::output {

namespace {

constexpr std::uint32_t kLocalHeader = 0x04034B50;
constexpr std::uint32_t kCentralHeader = 0x02014B50;
constexpr std::uint32_t kEndRecord = 0x06054B50;
constexpr std::uint64_t kEndRecordSize = 22;

std::uint16_t le16(const unsigned char* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t le32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

class FileReader : public ZipByteReader
{
public:
    explicit FileReader(std::FILE* file) : m_file(file)
    {
        if (std::fseek(m_file, 0, SEEK_END) == 0) {
            long end = std::ftell(m_file);
            m_size = end > 0 ? static_cast<std::uint64_t>(end) : 0;
        }
        std::fseek(m_file, 0, SEEK_SET);
    }
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
        if (m_pos + count > m_size || std::fseek(m_file, static_cast<long>(m_pos + count), SEEK_SET) != 0)
            return false;
        m_pos += count;
        return true;
    }

private:
    std::FILE* m_file;
    std::uint64_t m_size = 0;
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
        if (m_pos + count > m_bytes.size())
            return false;
        m_pos += count;
        return true;
    }

private:
    const std::string& m_bytes;
    std::size_t m_pos = 0;
};

} // namespace

ZipListError walkEntryList(ZipByteReader& reader, std::vector<ZipDirEntry>& entries)
{
    entries.clear();
    const std::uint64_t size = reader.size();
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
        if (entries.size() >= kMaxZipEntries)
            return ZipListError::TooManyEntries;
        const std::uint64_t extra = e.ExtraFieldLength;
        const std::uint64_t data = e.CompressedSize;
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
