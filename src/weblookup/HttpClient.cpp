#include "weblookup/HttpClient.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>

#include "table/Cp1252.h"
#include "table/ScopeExit.h"
#include "table/UniqueFd.h"
#include "weblookup/HttpConnection.h"
#include "weblookup/HttpReply.h"

namespace cinevaro::weblookup {

namespace {

using table::cp;

std::string printable(const std::string& text)
{
    std::string out = text.substr(0, 300);
    for (auto& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return out;
}

} // namespace

std::string cancelledMessage()
{
    return cp("Transfert annulé par l'utilisateur : rien n'a été enregistré");
}

const std::string HttpClient::kUserAgent = "Mozilla/4.0 (compatible; MSIE 5.5; Windows 98; Win 9x 4.90";

std::string errorReplyMessage()
{
    return cp("La Connexion à été fermé pour des raisons inconnues");
}

std::string FetchResult::userMessage() const
{
    switch (kind) {
    case Kind::Success:
        return {};
    case Kind::ErrorReply:
        return errorReplyMessage();
    case Kind::Transport:
        return message;
    }
    return message;
}

// Where the body of the final reply goes.
struct HttpClient::BodySink
{
    virtual ~BodySink() = default;
    virtual void write(const char* data, std::size_t size) = 0;
    // Back to the state at the start of the fetch (after a redirection).
    virtual void reset() = 0;
    // Largest body accepted, and the message when a body is larger.
    virtual std::int64_t limit() const = 0;
    virtual std::string tooLarge() const = 0;
    // A body cut short by the connection is a failure rather than the result.
    virtual bool needsWholeBody() const { return false; }
};

HttpClient::HttpClient() = default;
HttpClient::~HttpClient() = default;

void HttpClient::setProxy(const std::string& server, int port)
{
    m_proxyServer = server;
    m_proxyPort = port;
}

void HttpClient::Cancel()
{
    if (m_busy)
        m_cancelRequested = true;
}

void HttpClient::Disconnect()
{
    m_connection.reset();
    if (m_busy)
        m_disconnectRequested = true;
}

std::string HttpClient::buildRequest(const HttpAddress& address) const
{
    const bool viaProxy = !m_proxyServer.empty();
    std::string request = "GET " + (viaProxy ? address.absoluteTarget() : address.target()) + " HTTP/1.1\r\n";
    request += "Content-Type: text/html\r\n";
    request += "Host: " + address.hostHeader() + "\r\n";
    request += "Accept: text/html, */*\r\n";
    request += "User-Agent: " + kUserAgent + "\r\n";
    std::string cookies = m_cookies.headerFor(address.host, address.target());
    if (!cookies.empty())
        request += "Cookie: " + cookies + "\r\n";
    request += "\r\n";
    return request;
}

FetchResult HttpClient::FetchPage(const std::string& address)
{
    struct Sink : BodySink
    {
        std::string body;
        void write(const char* data, std::size_t size) override
        {
            if (body.size() + size > kMaxPageBytes)
                throw TransportError(tooLarge());
            // Grown by doubling, but never beyond the limit: a page near 32 MB would otherwise
            // take a 60 MB buffer beside the 30 MB one being copied.
            // (A new string: reserve on the old one would double its capacity regardless.)
            if (body.size() + size > body.capacity()) {
                std::string larger;
                larger.reserve(std::min(std::max(body.capacity() * 2, body.size() + size), kMaxPageBytes));
                larger.append(body);
                body.swap(larger);
            }
            body.append(data, size);
        }
        void reset() override { body.clear(); }
        std::int64_t limit() const override { return static_cast<std::int64_t>(kMaxPageBytes); }
        std::string tooLarge() const override { return cp("La page reçue dépasse la taille admise (32 Mo)"); }
    } sink;
    FetchResult result = fetch(address, sink);
    if (result.ok())
        result.body = std::move(sink.body);
    return result;
}

FetchResult HttpClient::FetchFile(const std::string& address, const std::string& path, std::int64_t maxBytes)
{
    struct Sink : BodySink
    {
        table::UniqueFd fd;
        std::string path;
        std::int64_t maxBytes = 0;
        std::int64_t written = 0;
        void write(const char* data, std::size_t size) override
        {
            if (written + static_cast<std::int64_t>(size) > maxBytes)
                throw TransportError(tooLarge());
            written += static_cast<std::int64_t>(size);
            if (table::writeAll(fd.get(), data, size) != 0)
                throw TransportError(cp("Impossible d'écrire dans le fichier ") + path);
        }
        void reset() override
        {
            written = 0;
            if (::ftruncate(fd.get(), 0) != 0 || ::lseek(fd.get(), 0, SEEK_SET) != 0)
                throw TransportError(cp("Impossible d'écrire dans le fichier ") + path);
        }
        std::int64_t limit() const override { return maxBytes; }
        bool needsWholeBody() const override { return true; }
        std::string tooLarge() const override
        {
            return cp("Le fichier reçu dépasse la taille admise (") + std::to_string(maxBytes / (1024 * 1024)) +
                   cp(" Mo) : le téléchargement a été interrompu");
        }
    } sink;
    sink.path = path;
    sink.maxBytes = std::min(maxBytes, m_maxFileBytes);
    sink.fd.reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!sink.fd) {
        FetchResult failed;
        failed.kind = FetchResult::Kind::Transport;
        failed.message = cp("Impossible de créer le fichier ") + path;
        return failed;
    }
    FetchResult result = fetch(address, sink);
    if (!sink.fd.close() && result.ok()) {
        result.kind = FetchResult::Kind::Transport;
        result.message = cp("Impossible d'écrire dans le fichier ") + path;
    }
    return result;
}

namespace {

bool hasNoBody(int status)
{
    return status == 204 || status == 304 || (status >= 100 && status < 200);
}

bool isRedirection(const ReplyHead& head)
{
    return head.header("Location") || (head.status >= 300 && head.status < 400 && head.status != 304);
}

} // namespace

struct HttpClient::FetchState
{
    FetchGuard guard;
    std::function<void()> idle;
    HttpAddress current;
    FetchResult result;
};

struct HttpClient::Exchange
{
    explicit Exchange(std::unique_ptr<Connection> c) : connection(std::move(c)), reader(*connection) {}

    std::unique_ptr<Connection> connection; // dropped when a body could not be read to its end
    ReplyReader reader;
    ReplyHead head;
};

std::unique_ptr<HttpClient::Connection> HttpClient::connectionFor(FetchState& fetch)
{
    const bool viaProxy = !m_proxyServer.empty();
    const std::string host = viaProxy ? m_proxyServer : fetch.current.host;
    const int port = viaProxy ? (m_proxyPort > 0 ? m_proxyPort : 80) : fetch.current.port;
    std::unique_ptr<Connection> connection = std::move(m_connection);
    if (connection && (connection->host() != host || connection->port() != port || !connection->stillUsable()))
        connection.reset();
    if (!connection) {
        connection = std::make_unique<Connection>(host, port);
        connection->setGuard(&fetch.guard);
        connection->open(m_connectTimeoutMs, fetch.idle);
    }
    connection->setGuard(&fetch.guard);
    connection->setIdle(&fetch.idle);
    connection->setTimeout(m_readTimeoutMs);
    return connection;
}

void HttpClient::keepConnection(Exchange& exchange)
{
    if (!exchange.connection || !exchange.head.complete || !exchange.head.keepAlive() ||
        exchange.reader.connectionEnded() || m_disconnectRequested)
        return;
    exchange.connection->setGuard(nullptr);
    exchange.connection->setIdle(nullptr);
    m_connection = std::move(exchange.connection);
}

// Up to kMaxDiscardBytes of a body nobody reads; a longer, slow or broken one is dropped with its
// connection. A cancel or the deadline still ends the fetch.
void HttpClient::discardBody(Exchange& exchange, FetchState& fetch)
{
    if (hasNoBody(exchange.head.status))
        return;
    exchange.connection->setTimeout(std::min(m_discardTimeoutMs, m_readTimeoutMs));
    try {
        if (auto length = exchange.head.contentLength(); length && *length > std::int64_t{kMaxDiscardBytes})
            throw TransportError(std::string());
        std::size_t discarded = 0;
        exchange.reader.readBody(exchange.head, [&](const char*, std::size_t size) {
            discarded += size;
            if (discarded > kMaxDiscardBytes)
                throw TransportError(std::string());
        });
    } catch (const CancelledError&) {
        throw;
    } catch (const TransportError&) {
        fetch.guard.check();
        exchange.connection.reset();
    }
    if (exchange.connection)
        exchange.connection->setTimeout(m_readTimeoutMs);
}

void HttpClient::receiveBody(Exchange& exchange, BodySink& sink)
{
    const bool noBody = hasNoBody(exchange.head.status);
    const std::int64_t announced = noBody ? 0 : exchange.head.contentLength().value_or(0);
    if (announced > sink.limit())
        throw TransportError(sink.tooLarge());
    if (OnWorkBegin)
        OnWorkBegin(announced);
    std::int64_t received = 0;
    if (!noBody)
        exchange.reader.readBody(exchange.head, [&](const char* data, std::size_t size) {
            sink.write(data, size);
            received += static_cast<std::int64_t>(size);
            if (OnWork)
                OnWork(received);
        });
    // A file is only complete with its whole body; a page keeps what arrived.
    if (exchange.reader.bodyCutShort() && sink.needsWholeBody())
        throw TransportError(cp("La connexion a été coupée avant la fin du téléchargement"));
    if (OnWorkEnd)
        OnWorkEnd();
    keepConnection(exchange);
}

FetchResult HttpClient::fetch(const std::string& address, BodySink& sink)
{
    auto failed = [](FetchResult result, std::string message) {
        result.kind = FetchResult::Kind::Transport;
        result.message = std::move(message);
        return result;
    };
    if (m_busy)
        return failed({}, cp("Une autre transmission est déjà en cours"));
    m_busy = true;
    m_disconnectRequested = false;
    m_cancelRequested = false;
    const table::ScopeExit notBusy([this] {
        m_busy = false;
        m_cancelRequested = false;
    });
    auto parsed = parseAddress(address);
    if (!parsed)
        return failed({}, cp("Adresse invalide : ") + printable(address));
    FetchState fetch{{Clock::now() + std::chrono::milliseconds(m_deadlineMs), m_deadlineMs, &m_cancelRequested},
                     OnIdle,
                     *parsed,
                     {}};
    try {
        for (int request = 1;; ++request) {
            if (fetch.current.scheme == "https")
                return failed(fetch.result, cp("Les adresses https ne sont pas prises en charge"));
            if (fetch.current.scheme != "http")
                return failed(fetch.result, cp("Protocole non pris en charge : ") + fetch.current.scheme);
            Exchange exchange(connectionFor(fetch));
            exchange.connection->send(buildRequest(fetch.current), m_readTimeoutMs, fetch.idle);
            exchange.head = exchange.reader.readHead();
            fetch.result.status = exchange.head.status;
            for (const char* name : {"Set-Cookie", "Set-Cookie2"})
                for (const auto& value : exchange.head.all(name))
                    m_cookies.receive(value, fetch.current.host, fetch.current.target());

            if (!isRedirection(exchange.head)) {
                if (exchange.head.status >= 200 && exchange.head.status < 300) {
                    receiveBody(exchange, sink);
                    return fetch.result;
                }
                discardBody(exchange, fetch);
                keepConnection(exchange);
                fetch.result.kind = FetchResult::Kind::ErrorReply;
                return fetch.result;
            }
            if (request >= kMaxRequestsPerFetch) {
                sink.reset();
                // A page is then empty; an empty file is no download at all.
                if (sink.needsWholeBody())
                    throw TransportError(cp("Trop de redirections : le téléchargement a été abandonné"));
                return fetch.result; // success with an empty result
            }
            discardBody(exchange, fetch);
            keepConnection(exchange);
            sink.reset();
            // A 3xx reply without Location resolves to the same address: it is asked again, until
            // kMaxRequestsPerFetch requests were made.
            const std::string location = exchange.head.header("Location").value_or(std::string());
            auto next = resolveLocation(fetch.current, location);
            if (!next)
                return failed(fetch.result, cp("Adresse de redirection invalide : ") + printable(location));
            fetch.current = *next;
        }
    } catch (const CancelledError& e) {
        fetch.result.cancelled = true;
        return failed(fetch.result, e.what());
    } catch (const TransportError& e) {
        return failed(fetch.result, e.what());
    }
}

} // namespace cinevaro::weblookup
