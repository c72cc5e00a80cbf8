#include "support/ZipBuilder.h"

#include <array>

namespace cinevaro::testing {

namespace {

void put16(std::string& out, std::uint32_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put64(std::string& out, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void put32(std::string& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

std::uint32_t crc32(const std::string& data)
{
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : data)
        c = table[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

ZipBuilder& ZipBuilder::add(std::string name, std::string data)
{
    return addEntry({std::move(name), std::move(data), false, -1, std::nullopt});
}

ZipBuilder& ZipBuilder::addSymlink(std::string name, std::string target)
{
    return addEntry({std::move(name), std::move(target), true, -1, std::nullopt});
}

ZipBuilder& ZipBuilder::addEntry(ZipBuilderEntry entry)
{
    m_entries.push_back(std::move(entry));
    return *this;
}

std::string ZipBuilder::bytes() const
{
    std::string out;
    std::string central;
    const std::uint32_t dosTime = (12u << 11) | (30u << 5);
    const std::uint32_t dosDate = ((2020u - 1980u) << 9) | (6u << 5) | 15u;
    for (const auto& e : m_entries) {
        const auto offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t crc = crc32(e.data);
        const auto size = static_cast<std::uint32_t>(e.data.size());
        const auto claimed = e.claimedSize >= 0 ? static_cast<std::uint32_t>(e.claimedSize) : size;
        const std::string& centralName = e.centralName ? *e.centralName : e.name;
        put32(out, 0x04034B50);
        put16(out, 10);
        put16(out, 0);
        put16(out, 0); // stored
        put16(out, dosTime);
        put16(out, dosDate);
        put32(out, crc);
        put32(out, size);
        put32(out, claimed);
        put16(out, static_cast<std::uint32_t>(e.name.size()));
        put16(out, 0);
        out += e.name;
        out += e.data;

        put32(central, 0x02014B50);
        put16(central, e.symlink ? (3u << 8) | 20u : 20u); // made by Unix for links
        put16(central, 10);
        put16(central, 0);
        put16(central, 0);
        put16(central, dosTime);
        put16(central, dosDate);
        put32(central, crc);
        put32(central, size);
        put32(central, claimed);
        put16(central, static_cast<std::uint32_t>(centralName.size()));
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put32(central, e.symlink ? (0120777u << 16) : (0100644u << 16));
        put32(central, offset);
        central += centralName;
    }
    const auto centralOffset = static_cast<std::uint32_t>(out.size());
    out += central;
    const auto count = static_cast<std::uint32_t>(m_entries.size());
    if (m_zip64End) {
        // Zip64 end record and its locator; the classic end record then points to them.
        const auto record = static_cast<std::uint32_t>(out.size());
        put32(out, 0x06064B50);
        put64(out, 44);
        put16(out, 45);
        put16(out, 45);
        put32(out, 0);
        put32(out, 0);
        put64(out, count);
        put64(out, count);
        put64(out, central.size());
        put64(out, centralOffset);
        put32(out, 0x07064B50);
        put32(out, 0);
        put64(out, record);
        put32(out, 1);
    }
    put32(out, 0x06054B50);
    put16(out, 0);
    put16(out, 0);
    put16(out, m_zip64End ? 0xFFFF : count);
    put16(out, m_zip64End ? 0xFFFF : count);
    put32(out, m_zip64End ? 0xFFFFFFFF : static_cast<std::uint32_t>(central.size()));
    put32(out, m_zip64End ? 0xFFFFFFFF : centralOffset);
    put16(out, 0);
    return out;
}

} // namespace cinevaro::testing
