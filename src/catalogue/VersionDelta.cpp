#include "catalogue/VersionDelta.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <unordered_map>
#include <vector>

#include <zlib.h>

namespace cinevaro::catalogue {

namespace {

// Chunk sizes: records of a catalogue are a few hundred bytes, so chunks of about 256 bytes keep
// a one-record change to one or two chunks.
constexpr std::size_t kMinChunk = 64;
constexpr std::size_t kMaxChunk = 2048;
constexpr std::uint64_t kBoundaryMask = 0xFF;

const std::array<std::uint64_t, 256>& gearTable()
{
    static const std::array<std::uint64_t, 256> table = [] {
        std::array<std::uint64_t, 256> t{};
        std::uint64_t x = 0x9E3779B97F4A7C15ull; // splitmix64: the same table in every build
        for (auto& v : t) {
            x += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = x;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            v = z ^ (z >> 31);
        }
        return t;
    }();
    return table;
}

struct Chunk
{
    std::size_t offset;
    std::size_t length;
};

std::vector<Chunk> chunks(std::string_view bytes)
{
    const auto& gear = gearTable();
    std::vector<Chunk> out;
    out.reserve(bytes.size() / 200 + 1);
    std::size_t start = 0;
    std::uint64_t hash = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        hash = (hash << 1) + gear[static_cast<unsigned char>(bytes[i])];
        const std::size_t length = i + 1 - start;
        if ((length >= kMinChunk && (hash & kBoundaryMask) == 0) || length >= kMaxChunk) {
            out.push_back({start, length});
            start = i + 1;
            hash = 0;
        }
    }
    if (start < bytes.size())
        out.push_back({start, bytes.size() - start});
    return out;
}

std::uint64_t contentHash(std::string_view bytes)
{
    std::uint64_t h = 0xCBF29CE484222325ull ^ bytes.size();
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes.data() + i, 8);
        h = (h ^ w) * 0x100000001B3ull;
        h ^= h >> 29;
    }
    for (; i < bytes.size(); ++i)
        h = (h ^ static_cast<unsigned char>(bytes[i])) * 0x100000001B3ull;
    return h;
}

void putNumber(std::string& out, std::uint64_t n)
{
    while (n >= 0x80) {
        out += static_cast<char>((n & 0x7F) | 0x80);
        n >>= 7;
    }
    out += static_cast<char>(n);
}

bool getNumber(std::string_view in, std::size_t& pos, std::uint64_t& n)
{
    n = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (pos >= in.size())
            return false;
        const auto b = static_cast<unsigned char>(in[pos++]);
        n |= static_cast<std::uint64_t>(b & 0x7F) << shift;
        if (!(b & 0x80))
            return true;
    }
    return false;
}

// Ops: 'C' base offset, length  |  'L' length, bytes.
class DeltaWriter
{
public:
    void copy(std::size_t offset, std::size_t length)
    {
        flushLiteral();
        if (m_copyLength && m_copyOffset + m_copyLength == offset) {
            m_copyLength += length;
            return;
        }
        flushCopy();
        m_copyOffset = offset;
        m_copyLength = length;
    }
    void literal(std::string_view bytes)
    {
        flushCopy();
        m_literal.append(bytes);
    }
    std::string finish()
    {
        flushCopy();
        flushLiteral();
        return std::move(m_out);
    }

private:
    void flushCopy()
    {
        if (!m_copyLength)
            return;
        m_out += 'C';
        putNumber(m_out, m_copyOffset);
        putNumber(m_out, m_copyLength);
        m_copyLength = 0;
    }
    void flushLiteral()
    {
        if (m_literal.empty())
            return;
        m_out += 'L';
        putNumber(m_out, m_literal.size());
        m_out += m_literal;
        m_literal.clear();
    }

    std::string m_out;
    std::string m_literal;
    std::size_t m_copyOffset = 0;
    std::size_t m_copyLength = 0;
};

} // namespace

std::string makeDelta(std::string_view base, std::string_view target)
{
    std::unordered_map<std::uint64_t, Chunk> known;
    const auto baseChunks = chunks(base);
    known.reserve(baseChunks.size() * 2);
    for (const Chunk& c : baseChunks)
        known.emplace(contentHash(base.substr(c.offset, c.length)), c);

    DeltaWriter delta;
    for (const Chunk& c : chunks(target)) {
        const std::string_view piece = target.substr(c.offset, c.length);
        const auto found = known.find(contentHash(piece));
        if (found != known.end() && found->second.length == c.length &&
            base.substr(found->second.offset, c.length) == piece)
            delta.copy(found->second.offset, c.length);
        else
            delta.literal(piece);
    }
    return delta.finish();
}

std::optional<std::string> applyDelta(std::string_view base, std::string_view delta)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < delta.size()) {
        const char op = delta[pos++];
        std::uint64_t a = 0, b = 0;
        if (op == 'C') {
            if (!getNumber(delta, pos, a) || !getNumber(delta, pos, b) || a > base.size() || b > base.size() - a)
                return std::nullopt;
            out.append(base.substr(a, b));
        } else if (op == 'L') {
            if (!getNumber(delta, pos, a) || a > delta.size() - pos)
                return std::nullopt;
            out.append(delta.substr(pos, a));
            pos += a;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

std::size_t deltaLiteralBytes(std::string_view delta)
{
    std::size_t total = 0, pos = 0;
    while (pos < delta.size()) {
        const char op = delta[pos++];
        std::uint64_t a = 0, b = 0;
        if (op == 'C') {
            if (!getNumber(delta, pos, a) || !getNumber(delta, pos, b))
                break;
        } else if (op == 'L') {
            if (!getNumber(delta, pos, a) || a > delta.size() - pos)
                break;
            total += a;
            pos += a;
        } else {
            break;
        }
    }
    return total;
}

std::string deflateBytes(std::string_view bytes, int level)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::string out(8 + size, '\0');
    // The packed size is preceded by the original size (64 bits, little-endian).
    std::uint64_t original = bytes.size();
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<char>((original >> (8 * i)) & 0xFF);
    if (compress2(reinterpret_cast<Bytef*>(out.data() + 8), &size, reinterpret_cast<const Bytef*>(bytes.data()),
                  static_cast<uLong>(bytes.size()), level) != Z_OK)
        return {};
    out.resize(8 + size);
    return out;
}

std::optional<std::string> inflateBytes(std::string_view packed, std::size_t maxSize)
{
    if (packed.size() < 8)
        return std::nullopt;
    std::uint64_t original = 0;
    for (int i = 0; i < 8; ++i)
        original |= static_cast<std::uint64_t>(static_cast<unsigned char>(packed[i])) << (8 * i);
    if (original > maxSize)
        return std::nullopt;
    if (original == 0)
        return std::string();
    std::string out(original, '\0');
    uLongf size = static_cast<uLongf>(original);
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(packed.data() + 8),
                   static_cast<uLong>(packed.size() - 8)) != Z_OK ||
        size != original)
        return std::nullopt;
    return out;
}

} // namespace cinevaro::catalogue
