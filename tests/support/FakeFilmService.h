// A stand-in for the web film service on 127.0.0.1 (ephemeral port), run by one thread:
// search pages at "/multicrit.html" with one "<LI>" entry per film found, film pages at
// "/film/NAME.html" carrying the "Distribution" and "zip.gif" markers, and archives at
// "/getzip.html/NAME.zip" holding NAME.film, NAME.jpg and "(c).txt". Tests can add films, override
// any path with a scripted reply (status, headers, chunked or unsized body, a stall, raw bytes),
// follow the built-in redirection chain "/redirect/N", and read every request received.
// Texts are Windows-1252 bytes.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace cinevaro::testing {

// One film of the service.
struct FakeFilm
{
    std::string name;        // archive and film file name, without extension (e.g. "LE_PHARE_DU_NORD")
    std::string listedTitle; // title shown on the result page (may hold "&amp;" or "&deg;")
    std::string title;       // line 1 of the film file
    std::string director;
    std::string year;
    std::string origin;
    std::string genre;
    std::string duration; // "1H45"
    std::string actors;   // names joined by ";"
    std::string synopsis;
    std::string distributor; // read from the film page
    std::string cover;       // bytes of NAME.jpg; a small JPEG-like block when empty

    // The nine CR LF lines of the film file (line 9 is the distributor).
    std::string filmFile() const;
};

// The connection as a hostile reply writes it (see FakeResponse::writer).
class FakeStream
{
public:
    virtual ~FakeStream() = default;
    // False once the client has gone away or the service stops.
    virtual bool send(const std::string& bytes) = 0;
    // Waits; false when the client closed the connection or the service stops meanwhile.
    virtual bool pause(int ms) = 0;
    // Aborts the connection with a TCP reset (RST) instead of a normal close.
    virtual void reset() = 0;
};

// A scripted reply.
struct FakeResponse
{
    enum class Framing {
        Length,  // Content-Length header and the body
        Chunked, // Transfer-Encoding: chunked, the body cut into chunks of chunkSize
        Close,   // no length: the body, then the connection is closed
    };

    int status = 200;
    std::string reason = "OK";
    std::vector<std::pair<std::string, std::string>> headers; // sent after Date-less defaults
    std::string body;
    Framing framing = Framing::Length;
    std::size_t chunkSize = 4096;
    // Stops sending (connection left open, nothing more sent) after this many body bytes.
    std::optional<std::size_t> stallAfter;
    // Sent as it stands instead of a reply built from the fields above, then the connection closes.
    std::optional<std::string> raw;
    // Size of a generated body (pattern bytes) used instead of `body` when not 0; for large transfers.
    std::size_t generatedSize = 0;
    // Writes the body in pieces of this size with a short pause between them (transfer events).
    std::size_t trickle = 0;
    // Hostile mode: when set, writes the whole reply itself (endless, slow, lying or reset
    // replies); the connection closes when it returns.
    std::function<void(FakeStream& stream)> writer;

    static FakeResponse html(std::string body);
    static FakeResponse withStatus(int code, std::string reason, std::string body = {});
    static FakeResponse redirect(const std::string& location, int code = 302);
    // These bytes as they stand, then the connection closes (or stays silent when `thenStall`).
    static FakeResponse rawBytes(std::string bytes, bool thenStall = false);
};

// One request as received.
struct FakeRequest
{
    std::string raw;    // request line and headers, CR LF included, up to the empty line
    std::string method; // "GET"
    std::string target; // as written on the request line (absolute through a proxy)
    std::string path;   // target without scheme and host, with the query
    std::vector<std::pair<std::string, std::string>> headers;
    int connection = 0; // the connection it came on, numbered from 1 in the order they were accepted

    // Value of a header (first one, name compared without regard to case); empty when absent.
    std::string header(const std::string& name) const;
};

class FakeFilmService
{
public:
    using Handler = std::function<std::optional<FakeResponse>(const FakeRequest&)>;

    // Starts serving with the built-in films (three with accented titles).
    FakeFilmService();
    ~FakeFilmService();
    FakeFilmService(const FakeFilmService&) = delete;
    FakeFilmService& operator=(const FakeFilmService&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:PORT", no final "/".
    std::string rootAddress() const;

    void addFilm(const FakeFilm& film);
    void clearFilms();
    std::vector<FakeFilm> films() const;
    static std::vector<FakeFilm> builtInFilms();

    // Reply for an exact path (query included when the override names one; otherwise any query).
    void setOverride(const std::string& path, FakeResponse response);
    void clearOverrides();
    // Consulted first for every request; returning nothing falls through to the overrides and pages.
    void setHandler(Handler handler);
    // Headers added to every built reply (for instance a Set-Cookie).
    void addDefaultHeader(const std::string& name, const std::string& value);

    std::vector<FakeRequest> requests() const;
    std::size_t requestCount() const;
    void clearRequests();

    // The pages as served; useful to tests of the parsers.
    std::string searchPage(const std::string& key, const std::string& text) const;
    static std::string filmPage(const FakeFilm& film);
    static std::string filmArchive(const FakeFilm& film);
    // "/film/NAME.html" and "/getzip.html/NAME.zip".
    static std::string filmPath(const FakeFilm& film);
    static std::string archivePath(const FakeFilm& film);

private:
    void serve();
    void handleConnection(int fd, int connection);
    std::shared_ptr<const FakeResponse> respond(const FakeRequest& request);
    FakeResponse builtIn(const FakeRequest& request);
    bool sendResponse(int fd, const FakeResponse& response);
    bool stall(int fd);

    mutable std::mutex m_mutex;
    std::vector<FakeFilm> m_films;
    std::map<std::string, std::shared_ptr<const FakeResponse>> m_overrides;
    Handler m_handler;
    std::vector<std::pair<std::string, std::string>> m_defaultHeaders;
    std::vector<FakeRequest> m_requests;

    int m_listenFd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Percent-decodes a query value ("+" is a space).
std::string decodeQueryValue(const std::string& text);

} // namespace cinevaro::testing
