// The "MLB" table file: reading (from one buffer holding the whole file) and writing (into one
// buffer, then written through the safe-file helper).
//
// Layout: "MLB", 2, 0, byte-order flag (1 = little-endian), number of tables (16 bits),
// reserved (16), block kind 0 = TABLE (16), block length (32), reserved (16), table name,
// field count F (32), row count R (32), F x (type byte, name), R x (row length (32), F values).
// A string is a 32-bit little-endian length and its bytes. With a byte-order flag other than 1
// the counts are big-endian while string lengths stay little-endian.
//
// The reader never trusts a count: every count and length is checked against the bytes left,
// the table is built aside and only replaces the current one when the whole file was read.
// Files with a blank or repeated field name are refused, so values never shift columns.
//
// Memory: a row is packed into one block (4 bytes per cell and the cells' bytes), about its size
// in the file, but a cell the file leaves out (rows completed to more fields) still costs its 4
// bytes. The header's counts are checked before any row is built: the cells the table will
// hold (rows x fields, counting the fields the caller completes every row to) must either be
// held in the file (at most one per 4 bytes of it, which every file whose rows carry their
// fields meets) or stay under kMaxCellsBeyondFile, 4 194 304 cells: 113 000 films completed to
// 37 fields. A few bytes announcing millions of empty rows are refused instead of taking memory
// out of all proportion to the file.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "table/MappedFile.h"
#include "table/SafeFile.h"
#include "table/TMlb2.h"
#include "table/UniqueFd.h"

namespace cinevaro::table {

namespace {

const char* const kOpenReadError = "4-Unable to open file for reading";
const char* const kSignatureError = "1-File's Signature must be MLB";
const char* const kTableCountError = "2-number of tables must be at least 1";
const char* const kBlockKindError = "3-First Block must be a TABLE";
const char* const kTruncatedError = "5-Unexpected end of file";
const char* const kFieldNameError = "6-Field names must be unique and not blank";
const char* const kTooManyCellsError = "7-Too many rows and fields for the size of the file";
const char* const kOpenWriteError = "1-Unable to open the file for writing";
const char* const kWriteError = "2-Unable to write the file";

class Reader
{
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}

    std::size_t left() const { return m_bytes.size() - m_pos; }
    void setBigEndian(bool big) { m_bigEndian = big; }

    bool byte(std::uint8_t& out)
    {
        if (left() < 1)
            return false;
        out = static_cast<std::uint8_t>(m_bytes[m_pos++]);
        return true;
    }
    bool u16(std::uint32_t& out) { return number(2, m_bigEndian, out); }
    bool u32(std::uint32_t& out) { return number(4, m_bigEndian, out); }
    // String lengths are little-endian whatever the byte-order flag says; the text stops at
    // its first zero byte.
    // A text ends at its first zero byte, if any.
    bool text(std::string_view& out)
    {
        std::uint32_t length = 0;
        if (!number(4, false, length) || length > left())
            return false;
        const char* begin = m_bytes.data() + m_pos;
        const void* zero = std::memchr(begin, 0, length);
        out = std::string_view(begin, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - begin) : length);
        m_pos += length;
        return true;
    }
    bool text(std::string& out)
    {
        std::string_view view;
        if (!text(view))
            return false;
        out.assign(view);
        return true;
    }

private:
    bool number(int size, bool bigEndian, std::uint32_t& out)
    {
        if (left() < static_cast<std::size_t>(size))
            return false;
        out = 0;
        for (int i = 0; i < size; ++i) {
            const auto b = static_cast<std::uint8_t>(m_bytes[m_pos + static_cast<std::size_t>(i)]);
            out |= static_cast<std::uint32_t>(b) << (8 * (bigEndian ? size - 1 - i : i));
        }
        m_pos += static_cast<std::size_t>(size);
        return true;
    }

    std::string_view m_bytes;
    std::size_t m_pos = 0;
    bool m_bigEndian = false;
};

// Compares what would be written with bytes already there, byte for byte, without writing.
class Matcher
{
public:
    explicit Matcher(std::string_view bytes) : m_bytes(bytes) {}
    void clear() {}
    void reserve(std::size_t) {}
    Matcher& operator+=(char c)
    {
        m_same = m_same && m_pos < m_bytes.size() && m_bytes[m_pos] == c;
        ++m_pos;
        return *this;
    }
    Matcher& operator+=(std::string_view text)
    {
        m_same = m_same && text.size() <= m_bytes.size() - std::min(m_pos, m_bytes.size()) &&
                 m_bytes.compare(m_pos, text.size(), text) == 0;
        m_pos += text.size();
        return *this;
    }
    // A row's values, each its length then its bytes: one length check and one comparison per
    // value, stopping at the first difference (a large catalogue is compared at every open).
    void values(const TKStringList& row)
    {
        for (int i = 0; m_same && i < row.Count(); ++i) {
            const std::string_view value = row.Get(i);
            if (m_pos > m_bytes.size() || m_bytes.size() - m_pos < 4 + value.size()) {
                m_same = false;
                return;
            }
            const auto* at = reinterpret_cast<const unsigned char*>(m_bytes.data() + m_pos);
            const std::uint32_t size = at[0] | at[1] << 8 | at[2] << 16 | std::uint32_t{at[3]} << 24;
            m_same = size == value.size() && std::memcmp(at + 4, value.data(), value.size()) == 0;
            m_pos += 4 + value.size();
        }
    }
    bool same() const { return m_same && m_pos == m_bytes.size(); }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
    bool m_same = true;
};

template <typename Out> void putU16(Out& out, std::uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

template <typename Out> void putU32(Out& out, std::uint32_t v)
{
    const char bytes[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                           static_cast<char>((v >> 16) & 0xFF), static_cast<char>((v >> 24) & 0xFF)};
    out += std::string_view(bytes, 4); // one append, or one comparison, for the four bytes
}

template <typename Out> void putText(Out& out, std::string_view s)
{
    putU32(out, static_cast<std::uint32_t>(s.size()));
    out += s;
}

template <typename Out> void putValues(Out& out, const TKStringList& row)
{
    for (int i = 0; i < row.Count(); ++i)
        putText(out, row.Get(i));
}

void putValues(Matcher& out, const TKStringList& row)
{
    out.values(row);
}

} // namespace

bool TMlb2::LoadFromFile(const std::string& fileName, int completedFields)
{
    clearError();
    // The read buffer is kept between loads: a fresh megabyte costs more in page faults than
    // parsing it, and the catalogue is reloaded after most changes.
    thread_local std::string buffer;
    const bool read = readWholeFile(fileName, buffer);
    const bool ok = read && loadFromBytes(buffer, completedFields);
    if (buffer.capacity() > (std::size_t{32} << 20))
        std::string().swap(buffer);
    if (!read)
        setError(3, kOpenReadError);
    return ok;
}

bool TMlb2::LoadFromBuffer(std::string_view bytes, int completedFields)
{
    return loadFromBytes(bytes, completedFields);
}

bool TMlb2::loadFromBytes(std::string_view bytes, int completedFields)
{
    clearError();
    Reader in(bytes);
    if (bytes.substr(0, 3) != "MLB") {
        setError(2, kSignatureError);
        return false;
    }
    std::uint8_t header[3] = {};
    for (std::uint8_t& b : header)
        in.byte(b);
    std::uint8_t version = 0, unused = 0, byteOrder = 0;
    if (!in.byte(version) || !in.byte(unused) || !in.byte(byteOrder)) {
        setError(2, kTruncatedError);
        return false;
    }
    in.setBigEndian(byteOrder != 1);
    std::uint32_t tables = 0, reserved = 0, kind = 0;
    if (!in.u16(tables)) {
        setError(2, kTruncatedError);
        return false;
    }
    if (tables == 0) {
        setError(2, kTableCountError);
        return false;
    }
    if (!in.u16(reserved) || !in.u16(kind)) {
        setError(2, kTruncatedError);
        return false;
    }
    if (kind != 0) {
        setError(2, kBlockKindError);
        return false;
    }

    TMlb2 loaded;
    std::uint32_t blockLength = 0, fieldCount = 0, rowCount = 0;
    std::string tableName;
    bool ok = in.u32(blockLength) && in.u16(reserved) && in.text(tableName) && in.u32(fieldCount) && in.u32(rowCount);
    // A field takes at least 5 bytes, a row at least 4 + 4 per field.
    ok = ok && fieldCount <= in.left() / 5 &&
         static_cast<std::uint64_t>(rowCount) * (4 + 4 * static_cast<std::uint64_t>(fieldCount)) <= in.left();
    if (ok) {
        const std::uint64_t perRow =
            std::max<std::uint64_t>({fieldCount, static_cast<std::uint64_t>(std::max(completedFields, 0)), 1});
        const std::uint64_t cells = static_cast<std::uint64_t>(rowCount) * perRow;
        if (cells > kMaxCellsBeyondFile && cells > bytes.size() / 4) {
            setError(4, kTooManyCellsError);
            return false;
        }
    }
    for (std::uint32_t i = 1; ok && i <= fieldCount; ++i) {
        std::uint8_t type = 0;
        std::string name;
        ok = in.byte(type) && in.text(name);
        if (ok && !loaded.AddField(name)) {
            setError(2, kFieldNameError);
            return false;
        }
        loaded.SetFieldType(static_cast<int>(i), type == 1 ? "FLOAT" : "STRING");
    }
    auto& rows = loaded.m_rows.Items();
    if (ok)
        rows.reserve(rowCount);
    std::vector<std::string_view> values(ok ? fieldCount : 0);
    for (std::uint32_t r = 0; ok && r < rowCount; ++r) {
        std::uint32_t rowLength = 0; // not interpreted
        ok = in.u32(rowLength);
        for (auto& value : values)
            ok = ok && in.text(value);
        rows.emplace_back(values);
    }
    if (!ok) {
        setError(2, kTruncatedError);
        return false;
    }

    m_tableName = std::move(tableName);
    m_names = std::move(loaded.m_names);
    m_types = std::move(loaded.m_types);
    m_rows = std::move(loaded.m_rows);
    m_cursor = 0;
    m_bof = true;
    m_eof = true;
    MoveLast();
    return true;
}

std::string TMlb2::SaveToBuffer() const
{
    std::string out;
    serialise(out);
    return out;
}

bool TMlb2::SerialisesTo(std::string_view bytes) const
{
    Matcher matcher(bytes);
    serialiseInto(matcher);
    return matcher.same();
}

void TMlb2::serialise(std::string& out) const
{
    serialiseInto(out);
}

template <typename Out> void TMlb2::serialiseInto(Out& out) const
{
    std::size_t size = 18 + 4 + m_tableName.size() + 8;
    // A packed row holds 4 bytes per value and the values: what the file holds of it.
    size += m_names.Packed().size() + static_cast<std::size_t>(FieldCount());
    for (const auto& row : m_rows.Items())
        size += 4 + row.Packed().size();
    out.clear();
    out.reserve(size);
    out += std::string_view("MLB");
    out += '\x02';
    out += '\x00';
    out += '\x01';
    putU16(out, 1); // number of tables
    putU16(out, 0);
    putU16(out, 0); // block kind TABLE
    putU32(out, static_cast<std::uint32_t>(size - 16));
    putU16(out, 0);
    putText(out, m_tableName);
    putU32(out, static_cast<std::uint32_t>(FieldCount()));
    putU32(out, static_cast<std::uint32_t>(RowCount()));
    for (int i = 0; i < FieldCount(); ++i) {
        out += m_types.Get(i) == "FLOAT" ? '\x01' : '\x00';
        putText(out, m_names.Get(i));
    }
    for (const auto& row : m_rows.Items()) {
        putU32(out, static_cast<std::uint32_t>(row.Packed().size()));
        putValues(out, row);
    }
}

bool TMlb2::SaveToFile(const std::string& fileName)
{
    clearError();
    // Write through a symbolic link to the file it names, keeping the link.
    std::string target = fileName;
    struct stat st
    {
    };
    if (::lstat(fileName.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(fileName.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    const bool exists = ::stat(target.c_str(), &st) == 0;
    // A file the user may not write stays protected, as opening it for writing would refuse.
    if (fileName.empty() || (exists && (!S_ISREG(st.st_mode) || ::access(target.c_str(), W_OK) != 0))) {
        setError(3, kOpenWriteError);
        return false;
    }
    // A new file beside the target, synced, renamed over it, then the folder synced; the
    // temporaries of earlier saves killed midway are removed.
    SafeFileWriter writer(target);
    if (!writer.open()) {
        setError(3, kOpenWriteError);
        return false;
    }
    thread_local std::string bytes; // kept between saves, as the read buffer
    serialise(bytes);
    writer.write(bytes);
    if (bytes.capacity() > (std::size_t{32} << 20))
        std::string().swap(bytes);
    if (!writer.commit()) {
        setError(3, kWriteError);
        return false;
    }
    return true;
}

} // namespace cinevaro::table
