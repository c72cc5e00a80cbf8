// Reading of HTTP replies from any source of bytes (a socket, or a buffer in the tests and the
// fuzz target): status line, header lines, status 100, and the body as sized, chunked or read up
// to the closing of the connection. Everything the network sends is bounded: the status line and
// header block (64 KiB), each chunk-size line, the numbers read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace cinevaro::weblookup {

// A transport failure; the message is French, Windows-1252.
class TransportError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class ByteSource
{
public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes into `buffer`; 0 when the peer closed the connection. Throws
    // TransportError on a time-out or a failure.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

// A source over bytes held in memory; closes after the last byte.
class BufferSource : public ByteSource
{
public:
    explicit BufferSource(std::string data, std::size_t pieceSize = 4096)
        : m_data(std::move(data)), m_piece(pieceSize ? pieceSize : 1)
    {
    }
    std::size_t read(char* buffer, std::size_t size) override;

private:
    std::string m_data;
    std::size_t m_pos = 0;
    std::size_t m_piece;
};

struct ReplyHead
{
    std::string version;                                      // first word of the status line ("HTTP/1.1")
    int status = -1;                                          // second word as a decimal number, -1 when it is not one
    std::vector<std::pair<std::string, std::string>> headers; // names as sent, values trimmed
    bool complete = false;                                    // the empty line ending the headers was received

    // First value of a header (name without regard to case).
    std::optional<std::string> header(const std::string& name) const;
    std::vector<std::string> all(const std::string& name) const;
    // Content-Length when present; throws TransportError when it is not a plain number.
    std::optional<std::int64_t> contentLength() const;
    bool chunked() const;
    // An HTTP/1.1 reply whose Connection and Proxy-Connection are not "close".
    bool keepAlive() const;
};

class ReplyReader
{
public:
    static constexpr std::size_t kMaxHeadBytes = 64 * 1024;
    static constexpr std::size_t kMaxLineBytes = 8 * 1024; // chunk-size and trailer lines

    // Receives each piece of the body; may throw TransportError to stop the read.
    using Sink = std::function<void(const char* data, std::size_t size)>;

    explicit ReplyReader(ByteSource& source) : m_source(source) {}

    // Status line and headers, skipping "100" replies. A connection closed before a status line
    // or a head over 64 KiB is a TransportError; closed during the headers, the head is used as
    // far as it came (complete = false).
    ReplyHead readHead();
    // The body as the head frames it; returns its length. When the peer closes before a sized or
    // chunked body ends, the bytes received so far are the body.
    std::int64_t readBody(const ReplyHead& head, const Sink& sink);
    // True when the body ended with the connection (read to close, or cut short).
    bool connectionEnded() const { return m_closed; }
    // True when the connection closed before a sized or chunked body was complete.
    bool bodyCutShort() const { return m_cutShort; }

private:
    bool fill();
    std::optional<std::string> readLine(std::size_t limit, std::size_t& budget);
    std::int64_t readSized(std::int64_t length, const Sink& sink);
    std::int64_t readChunked(const Sink& sink);
    std::int64_t readToClose(const Sink& sink);

    ByteSource& m_source;
    std::string m_buffer;
    std::size_t m_pos = 0;
    bool m_closed = false;
    bool m_cutShort = false;
};

} // namespace cinevaro::weblookup
