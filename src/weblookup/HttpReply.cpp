#include "weblookup/HttpReply.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "table/Cp1252.h"
#include "table/Text.h"

namespace cinevaro::weblookup {

namespace {

constexpr std::size_t kReadPiece = 256 * 1024;

[[noreturn]] void malformed(const char* what)
{
    throw TransportError(table::cp("Réponse du serveur mal formée : ") + table::cp(what));
}

// Status code: the second space-separated word as a decimal number, -1 when it is not one.
int statusCode(const std::string& line)
{
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < line.size() && words.size() < 2) {
        auto space = line.find(' ', pos);
        std::string w = line.substr(pos, space == std::string::npos ? std::string::npos : space - pos);
        if (!w.empty())
            words.push_back(w);
        if (space == std::string::npos)
            break;
        pos = space + 1;
    }
    if (words.size() < 2 || words[1].size() > 9 ||
        !std::all_of(words[1].begin(), words[1].end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::stoi(words[1]);
}

} // namespace

std::size_t BufferSource::read(char* buffer, std::size_t size)
{
    std::size_t n = std::min({size, m_piece, m_data.size() - m_pos});
    std::memcpy(buffer, m_data.data() + m_pos, n);
    m_pos += n;
    return n;
}

std::optional<std::string> ReplyHead::header(const std::string& name) const
{
    const std::string key = table::lowerAscii(name);
    for (const auto& [n, v] : headers)
        if (table::lowerAscii(n) == key)
            return v;
    return std::nullopt;
}

std::vector<std::string> ReplyHead::all(const std::string& name) const
{
    std::vector<std::string> values;
    const std::string key = table::lowerAscii(name);
    for (const auto& [n, v] : headers)
        if (table::lowerAscii(n) == key)
            values.push_back(v);
    return values;
}

std::optional<std::int64_t> ReplyHead::contentLength() const
{
    auto values = all("Content-Length");
    if (values.empty())
        return std::nullopt;
    std::optional<std::int64_t> length;
    for (const auto& raw : values) {
        std::string v = table::trim(raw);
        if (v.empty() || v.size() > 18 || !std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; }))
            malformed("longueur du contenu invalide");
        std::int64_t n = std::stoll(v);
        if (length && *length != n)
            malformed("longueurs du contenu contradictoires");
        length = n;
    }
    return length;
}

bool ReplyHead::chunked() const
{
    for (const auto& v : all("Transfer-Encoding"))
        if (table::lowerAscii(v).find("chunked") != std::string::npos)
            return true;
    return false;
}

bool ReplyHead::keepAlive() const
{
    if (version != "HTTP/1.1")
        return false;
    for (const char* name : {"Connection", "Proxy-Connection"})
        for (const auto& v : all(name))
            if (table::lowerAscii(table::trim(v)) == "close")
                return false;
    return true;
}

bool ReplyReader::fill()
{
    if (m_closed)
        return false;
    if (m_pos == m_buffer.size()) {
        m_buffer.clear();
        m_pos = 0;
    } else if (m_pos > 64 * 1024) {
        m_buffer.erase(0, m_pos);
        m_pos = 0;
    }
    char piece[16 * 1024];
    std::size_t n = m_source.read(piece, sizeof piece);
    if (n == 0) {
        m_closed = true;
        return false;
    }
    m_buffer.append(piece, n);
    return true;
}

// One line up to LF, without its CR LF; nothing when the connection closed first. `budget` is the
// number of head bytes still allowed and shrinks by the line's length.
std::optional<std::string> ReplyReader::readLine(std::size_t limit, std::size_t& budget)
{
    std::size_t scannedAfterPos = 0; // bytes after m_pos already searched
    for (;;) {
        auto lf = m_buffer.find('\n', m_pos + scannedAfterPos);
        if (lf != std::string::npos) {
            std::size_t length = lf + 1 - m_pos;
            if (length > budget || length > limit)
                malformed("en-têtes trop longs");
            budget -= length;
            std::string line = m_buffer.substr(m_pos, lf - m_pos);
            m_pos = lf + 1;
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            return line;
        }
        scannedAfterPos = m_buffer.size() - m_pos;
        if (scannedAfterPos > budget || scannedAfterPos > limit)
            malformed("en-têtes trop longs");
        if (!fill())
            return std::nullopt;
    }
}

ReplyHead ReplyReader::readHead()
{
    std::size_t budget = kMaxHeadBytes;
    for (;;) {
        ReplyHead head;
        auto statusLine = readLine(kMaxHeadBytes, budget);
        // Stray empty lines before a status line are tolerated.
        while (statusLine && statusLine->empty())
            statusLine = readLine(kMaxHeadBytes, budget);
        if (!statusLine)
            throw TransportError(table::cp("La connexion a été fermée par le serveur avant sa réponse"));
        head.version = statusLine->substr(0, statusLine->find(' '));
        if (head.version.rfind("HTTP/", 0) != 0)
            malformed("ligne d'état invalide");
        head.status = statusCode(*statusLine);
        for (;;) {
            auto line = readLine(kMaxHeadBytes, budget);
            if (!line)
                return head; // closed during the headers: used as far as it came
            if (line->empty()) {
                head.complete = true;
                break;
            }
            auto colon = line->find(':');
            if (colon == std::string::npos || colon == 0)
                continue; // not a header line
            head.headers.emplace_back(table::trim(line->substr(0, colon)), table::trim(line->substr(colon + 1)));
        }
        if (head.status != 100)
            return head;
    }
}

std::int64_t ReplyReader::readBody(const ReplyHead& head, const Sink& sink)
{
    if (!head.complete)
        return 0;
    if (auto length = head.contentLength())
        return *length == 0 ? 0 : readSized(*length, sink);
    if (head.chunked())
        return readChunked(sink);
    return readToClose(sink);
}

std::int64_t ReplyReader::readSized(std::int64_t length, const Sink& sink)
{
    std::int64_t done = 0;
    while (done < length) {
        if (m_pos == m_buffer.size() && !fill()) {
            m_cutShort = true;
            return done; // closed early: what came is the body
        }
        std::size_t n = static_cast<std::size_t>(
            std::min<std::int64_t>(length - done, static_cast<std::int64_t>(m_buffer.size() - m_pos)));
        sink(m_buffer.data() + m_pos, n);
        m_pos += n;
        done += static_cast<std::int64_t>(n);
        if (m_pos == m_buffer.size()) {
            m_buffer.clear();
            m_pos = 0;
        }
        // Large bodies bypass the line buffer.
        if (length - done >= static_cast<std::int64_t>(kReadPiece) && m_pos == m_buffer.size() && !m_closed) {
            std::string big(kReadPiece, '\0');
            while (length - done > 0) {
                std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(length - done, kReadPiece));
                std::size_t got = m_source.read(big.data(), want);
                if (got == 0) {
                    m_closed = true;
                    m_cutShort = true;
                    return done;
                }
                sink(big.data(), got);
                done += static_cast<std::int64_t>(got);
            }
        }
    }
    return done;
}

std::int64_t ReplyReader::readChunked(const Sink& sink)
{
    std::int64_t done = 0;
    for (;;) {
        std::size_t budget = kMaxLineBytes;
        auto line = readLine(kMaxLineBytes, budget);
        if (!line) {
            m_cutShort = true;
            return done;
        }
        std::string size = table::trim(line->substr(0, line->find(';')));
        if (size.empty() || size.size() > 15 || !std::all_of(size.begin(), size.end(), [](char c) {
                return std::isxdigit(static_cast<unsigned char>(c)) != 0;
            }))
            malformed("taille de bloc invalide");
        std::int64_t chunk = std::stoll(size, nullptr, 16);
        if (chunk == 0)
            break;
        std::int64_t got = readSized(chunk, sink);
        done += got;
        if (got < chunk)
            return done;
        budget = kMaxLineBytes;
        auto end = readLine(kMaxLineBytes, budget);
        if (!end) {
            m_cutShort = true;
            return done;
        }
        if (!end->empty())
            malformed("fin de bloc manquante");
    }
    // Trailer lines up to the empty line.
    std::size_t budget = kMaxHeadBytes;
    for (;;) {
        auto line = readLine(kMaxLineBytes, budget);
        if (!line || line->empty())
            return done;
    }
}

std::int64_t ReplyReader::readToClose(const Sink& sink)
{
    std::int64_t done = 0;
    if (m_pos < m_buffer.size()) {
        sink(m_buffer.data() + m_pos, m_buffer.size() - m_pos);
        done += static_cast<std::int64_t>(m_buffer.size() - m_pos);
    }
    m_buffer.clear();
    m_pos = 0;
    if (m_closed)
        return done;
    std::string big(kReadPiece, '\0');
    for (;;) {
        std::size_t got = m_source.read(big.data(), big.size());
        if (got == 0) {
            m_closed = true;
            return done;
        }
        sink(big.data(), got);
        done += static_cast<std::int64_t>(got);
    }
}

} // namespace cinevaro::weblookup
