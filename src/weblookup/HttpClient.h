// The HTTP/1.1 client of the web lookup: plain GET requests over POSIX sockets, directly or through
// a proxy, with redirections, cookies and transfer events. It runs on the caller's thread; every
// wait is cut into 10 ms slices after which OnIdle is called, so a window can keep processing its
// events during a transfer. Each fetch has an overall deadline, can be cancelled from OnIdle, and
// reads at most a bounded number of bytes: a page, an archive, the body of a redirection or error.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "weblookup/CookieStore.h"
#include "weblookup/HttpAddress.h"

namespace cinevaro::weblookup {

// Outcome of one fetch.
struct FetchResult
{
    enum class Kind {
        Success,    // 2xx (204: empty body), or a redirection on the last allowed request (empty body)
        ErrorReply, // the service answered with a status that is not accepted
        Transport,  // connection refused, host not found, time-out, lost connection, malformed reply
    };

    Kind kind = Kind::Success;
    int status = 0;         // status code of the last reply read (0 when none was read)
    std::string message;    // transport failures: French text (Windows-1252)
    std::string body;       // FetchPage: the reply body, bytes as received
    bool cancelled = false; // a Transport failure caused by Cancel()

    bool ok() const { return kind == Kind::Success; }
    // The text the windows and the command line show for a failure (Windows-1252): the fixed
    // sentence for an error reply, the transport's own message otherwise.
    std::string userMessage() const;
};

// Text shown for an error reply of the service (Windows-1252).
std::string errorReplyMessage();
// Text of a fetch stopped by the user (Windows-1252).
std::string cancelledMessage();

class HttpClient
{
public:
    // "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98; Win 9x 4.90", 58 characters.
    static const std::string kUserAgent;
    static constexpr int kMaxRequestsPerFetch = 15;
    static constexpr std::size_t kMaxPageBytes = 32u * 1024 * 1024;
    // Default cap of FetchFile: the most an archive may unpack to.
    static constexpr std::int64_t kMaxFileBytes = 256ll * 1024 * 1024;
    // The body of a redirection or an error reply is read up to this size, then the connection is
    // dropped.
    static constexpr std::size_t kMaxDiscardBytes = 8 * 1024;
    // Overall time allowed to one fetch (connection, redirections and bodies), in milliseconds.
    static constexpr int kDefaultDeadlineMs = 120000;

    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // The whole body of the reply to a GET of `address`.
    FetchResult FetchPage(const std::string& address);
    // Writes the body into the file `path` (created or emptied first), streaming it; a body
    // announced or grown beyond `maxBytes` stops the fetch with a failure (the file then holds
    // what came before; the caller removes it).
    FetchResult FetchFile(const std::string& address, const std::string& path, std::int64_t maxBytes = kMaxFileBytes);
    // A lower cap for every FetchFile of this client (kMaxFileBytes by default).
    void setMaxFileBytes(std::int64_t bytes) { m_maxFileBytes = bytes; }

    // Proxy used by the following requests; an empty server means a direct connection.
    void setProxy(const std::string& server, int port);
    const std::string& proxyServer() const { return m_proxyServer; }
    int proxyPort() const { return m_proxyPort; }

    // Closes the kept connection, if any.
    void Disconnect();

    // Time-outs in milliseconds: connection 120000, data 60000, body of a redirection or error 2000;
    // whatever they allow, the whole fetch ends by its deadline (kDefaultDeadlineMs).
    void setDeadlineMs(int ms) { m_deadlineMs = ms > 0 ? ms : kDefaultDeadlineMs; }
    int deadlineMs() const { return m_deadlineMs; }
    void setConnectTimeoutMs(int ms) { m_connectTimeoutMs = ms; }
    void setReadTimeoutMs(int ms) { m_readTimeoutMs = ms; }
    void setDiscardTimeoutMs(int ms) { m_discardTimeoutMs = ms; }
    int connectTimeoutMs() const { return m_connectTimeoutMs; }
    int readTimeoutMs() const { return m_readTimeoutMs; }

    CookieStore& cookies() { return m_cookies; }
    const CookieStore& cookies() const { return m_cookies; }

    // Transfer events of the body that becomes the result: announced length (0 when unknown),
    // bytes received so far, end. Once per body.
    std::function<void(std::int64_t length)> OnWorkBegin;
    std::function<void(std::int64_t received)> OnWork;
    std::function<void()> OnWorkEnd;
    // Called every 10 ms while the client waits for the network.
    std::function<void()> OnIdle;

    // True while a fetch runs; a fetch started from OnIdle during another fails at once.
    bool busy() const { return m_busy; }
    // Stops the running fetch at its next wait or read (within 10 ms of network activity or
    // silence): it fails with cancelledMessage() and `cancelled` set. Meant to be called from
    // OnIdle (a window closed by the user); without a running fetch it does nothing.
    void Cancel();
    bool cancelRequested() const { return m_cancelRequested; }

    // The bytes of the request for `address` as the client sends them (request line, headers,
    // empty line), with the current proxy and cookies.
    std::string buildRequest(const HttpAddress& address) const;

private:
    class Connection;
    struct BodySink;
    struct FetchState; // one fetch across its requests: deadline, idle callback, address, result
    struct Exchange;   // one request: its connection, reply reader and reply head

    // GET of `address` into `sink`, following redirections up to kMaxRequestsPerFetch requests.
    FetchResult fetch(const std::string& address, BodySink& sink);
    // A connection to the current address's server (or the proxy): the kept one when it still
    // serves, else a new one.
    std::unique_ptr<Connection> connectionFor(FetchState& fetch);
    // Keeps the exchange's connection for the next fetch when the reply allows it.
    void keepConnection(Exchange& exchange);
    // Reads and drops a body nobody wants (redirections, error replies), within bounds.
    void discardBody(Exchange& exchange, FetchState& fetch);
    // The body of a 2xx reply into the sink, with the work events.
    void receiveBody(Exchange& exchange, BodySink& sink);

    std::string m_proxyServer;
    int m_proxyPort = 0;
    int m_connectTimeoutMs = 120000;
    int m_readTimeoutMs = 60000;
    int m_discardTimeoutMs = 2000;
    int m_deadlineMs = kDefaultDeadlineMs;
    std::int64_t m_maxFileBytes = kMaxFileBytes;
    bool m_busy = false;
    bool m_cancelRequested = false;
    bool m_disconnectRequested = false;
    CookieStore m_cookies;
    std::unique_ptr<Connection> m_connection;
};

} // namespace cinevaro::weblookup
