#include "support/FakeFilmService.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

#include "support/ZipBuilder.h"
#include "table/Cp1252.h"

namespace cinevaro::testing {

namespace {

using table::cp;

constexpr std::size_t kMaxRequestHead = 64 * 1024;

std::string lower(std::string text)
{
    for (auto& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool containsFolded(const std::string& haystack, const std::string& needle)
{
    return lower(haystack).find(lower(needle)) != std::string::npos;
}

// A small block that starts and ends like a JPEG file.
std::string jpegLike(const std::string& seed)
{
    std::string data = "\xFF\xD8\xFF\xE0";
    data += std::string("\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 16);
    std::uint32_t x = 2166136261u;
    for (char c : seed)
        x = (x ^ static_cast<unsigned char>(c)) * 16777619u;
    for (int i = 0; i < 600; ++i) {
        x = x * 1664525u + 1013904223u;
        data.push_back(static_cast<char>(x >> 24));
    }
    data += "\xFF\xD9";
    return data;
}

bool sendAll(int fd, const char* data, std::size_t size, const std::atomic<bool>& stop)
{
    while (size > 0) {
        if (stop)
            return false;
        pollfd p{fd, POLLOUT, 0};
        int r = ::poll(&p, 1, 50);
        if (r < 0 && errno != EINTR)
            return false;
        if (r <= 0)
            continue;
        ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string hex(std::size_t value)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), digits[value & 15]);
        value >>= 4;
    } while (value);
    return out;
}

FakeRequest parseRequest(const std::string& head)
{
    FakeRequest request;
    request.raw = head;
    auto lineEnd = head.find("\r\n");
    std::string line = head.substr(0, lineEnd);
    auto s1 = line.find(' ');
    auto s2 = line.find(' ', s1 == std::string::npos ? 0 : s1 + 1);
    if (s1 != std::string::npos) {
        request.method = line.substr(0, s1);
        request.target = line.substr(s1 + 1, s2 == std::string::npos ? std::string::npos : s2 - s1 - 1);
    }
    request.path = request.target;
    if (request.path.rfind("http://", 0) == 0) {
        auto slash = request.path.find('/', 7);
        request.path = slash == std::string::npos ? "/" : request.path.substr(slash);
    }
    std::size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
    while (pos < head.size()) {
        auto end = head.find("\r\n", pos);
        if (end == std::string::npos || end == pos)
            break;
        std::string h = head.substr(pos, end - pos);
        auto colon = h.find(':');
        if (colon != std::string::npos) {
            std::string value = h.substr(colon + 1);
            while (!value.empty() && value.front() == ' ')
                value.erase(value.begin());
            request.headers.emplace_back(h.substr(0, colon), value);
        }
        pos = end + 2;
    }
    return request;
}

std::map<std::string, std::string> queryValues(const std::string& path)
{
    std::map<std::string, std::string> values;
    auto q = path.find('?');
    if (q == std::string::npos)
        return values;
    std::string query = path.substr(q + 1);
    std::size_t pos = 0;
    while (pos <= query.size()) {
        auto amp = query.find('&', pos);
        std::string pair = query.substr(pos, amp == std::string::npos ? std::string::npos : amp - pos);
        auto eq = pair.find('=');
        if (eq != std::string::npos)
            values.emplace(pair.substr(0, eq), decodeQueryValue(pair.substr(eq + 1)));
        else if (!pair.empty())
            values.emplace(pair, "");
        if (amp == std::string::npos)
            break;
        pos = amp + 1;
    }
    return values;
}

} // namespace

std::string decodeQueryValue(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '+') {
            out.push_back(' ');
        } else if (c == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
                   std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out.push_back(static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string FakeFilm::filmFile() const
{
    std::string out;
    for (const auto* line : {&title, &director, &year, &origin, &genre, &duration, &actors, &synopsis, &distributor})
        out += *line + "\r\n";
    return out;
}

FakeResponse FakeResponse::html(std::string body)
{
    FakeResponse r;
    r.headers.emplace_back("Content-Type", "text/html; charset=windows-1252");
    r.body = std::move(body);
    return r;
}

FakeResponse FakeResponse::withStatus(int code, std::string reason, std::string body)
{
    FakeResponse r;
    r.status = code;
    r.reason = std::move(reason);
    r.body = std::move(body);
    return r;
}

FakeResponse FakeResponse::redirect(const std::string& location, int code)
{
    FakeResponse r = withStatus(code, code == 301 ? "Moved Permanently" : "Found", "<HTML>moved</HTML>");
    r.headers.emplace_back("Location", location);
    return r;
}

FakeResponse FakeResponse::rawBytes(std::string bytes, bool thenStall)
{
    FakeResponse r;
    r.raw = std::move(bytes);
    if (thenStall)
        r.stallAfter = 0;
    return r;
}

std::string FakeRequest::header(const std::string& name) const
{
    for (const auto& [n, v] : headers)
        if (lower(n) == lower(name))
            return v;
    return {};
}

std::vector<FakeFilm> FakeFilmService::builtInFilms()
{
    std::vector<FakeFilm> films;
    FakeFilm a;
    a.name = "LE_PHARE_DU_NORD";
    a.listedTitle = cp("Le Phare du Nord (1987)");
    a.title = cp("Le Phare du Nord");
    a.director = cp("Hélène Marchetti");
    a.year = "1987";
    a.origin = cp("Français");
    a.genre = cp("Drame");
    a.duration = "1H52";
    a.actors = cp("Jérôme Vasseur;Agnès Poulain;Noël Brévent");
    a.synopsis = cp("Un gardien de phare reçoit chaque hiver une lettre sans signature ; "
                    "l'été venu, il part à la recherche de l'expéditrice.");
    a.distributor = "Films du Cormoran";
    films.push_back(a);

    FakeFilm b;
    b.name = "CAFE_DES_ECLUSES";
    b.listedTitle = cp("Le Café des Écluses &amp; autres récits (2003)");
    b.title = cp("Le Café des Écluses");
    b.director = cp("Rémi Ostrowski");
    b.year = "2003";
    b.origin = cp("Belge");
    b.genre = cp("Comédie");
    b.duration = "1H38";
    b.actors = cp("Françoise Delbœuf;Gaëtan Leroy");
    b.synopsis = cp("Au bord du canal, un café menacé de fermeture devient le cœur d'une bataille "
                    "joyeuse entre mariniers et promoteurs.");
    b.distributor = "IDMC";
    films.push_back(b);

    FakeFilm c;
    c.name = "NUIT_A_45";
    c.listedTitle = cp("Nuit à 45&deg; (1994)");
    c.title = cp("Nuit à 45°");
    c.director = cp("Zoé Kernével");
    c.year = "1994";
    c.origin = cp("Québécois");
    c.genre = cp("Thriller");
    c.duration = "2H05";
    c.actors = cp("Benoît Lafleur;Maëlle Côté");
    c.synopsis = cp("Une nuit de canicule à Montréal, une chauffeuse de taxi découvre qu'elle transporte "
                    "le témoin d'un crime.");
    c.distributor = cp("Éditions Lumière");
    films.push_back(c);
    return films;
}

FakeFilmService::FakeFilmService() : m_films(builtInFilms())
{
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        throw std::runtime_error("socket");
    int one = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_listenFd, 64) != 0)
        throw std::runtime_error("bind/listen");
    socklen_t len = sizeof addr;
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { serve(); });
}

FakeFilmService::~FakeFilmService()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    ::close(m_listenFd);
}

std::string FakeFilmService::rootAddress() const
{
    return "http://127.0.0.1:" + std::to_string(m_port);
}

void FakeFilmService::addFilm(const FakeFilm& film)
{
    std::lock_guard lock(m_mutex);
    m_films.push_back(film);
}

void FakeFilmService::clearFilms()
{
    std::lock_guard lock(m_mutex);
    m_films.clear();
}

std::vector<FakeFilm> FakeFilmService::films() const
{
    std::lock_guard lock(m_mutex);
    return m_films;
}

void FakeFilmService::setOverride(const std::string& path, FakeResponse response)
{
    std::lock_guard lock(m_mutex);
    m_overrides[path] = std::make_shared<const FakeResponse>(std::move(response));
}

void FakeFilmService::clearOverrides()
{
    std::lock_guard lock(m_mutex);
    m_overrides.clear();
}

void FakeFilmService::setHandler(Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_handler = std::move(handler);
}

void FakeFilmService::addDefaultHeader(const std::string& name, const std::string& value)
{
    std::lock_guard lock(m_mutex);
    m_defaultHeaders.emplace_back(name, value);
}

std::vector<FakeRequest> FakeFilmService::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t FakeFilmService::requestCount() const
{
    std::lock_guard lock(m_mutex);
    return m_requests.size();
}

void FakeFilmService::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

std::string FakeFilmService::filmPath(const FakeFilm& film)
{
    return "/film/" + film.name + ".html";
}

std::string FakeFilmService::archivePath(const FakeFilm& film)
{
    return "/getzip.html/" + film.name + ".zip";
}

std::string FakeFilmService::searchPage(const std::string& key, const std::string& text) const
{
    std::string page = "<HTML><HEAD><TITLE>" + cp("Résultats de la recherche") + "</TITLE></HEAD><BODY>\r\n";
    page += "<H2>" + cp("Films trouvés pour : ") + text + "</H2>\r\n<UL>\r\n";
    int found = 0;
    for (const auto& film : films()) {
        const std::string& field = key == "acteur" ? film.actors : key == "real" ? film.director : film.title;
        bool match =
            text.empty() || containsFolded(field, text) || (key == "titre" && containsFolded(film.listedTitle, text));
        if (!match)
            continue;
        // The link starts 13 characters after "<LI>"; the title follows the first ">".
        page += "<LI><A HREF=\"" + filmPath(film) + "\">" + film.listedTitle + "</A> <I>" + film.year + "</I>\r\n";
        ++found;
    }
    page += "</UL>\r\n";
    if (found == 0)
        page += cp("<P>Aucun film ne correspond à votre recherche.</P>\r\n");
    page += "</BODY></HTML>\r\n";
    return page;
}

std::string FakeFilmService::filmPage(const FakeFilm& film)
{
    std::string page = "<HTML><HEAD><TITLE>" + film.title + "</TITLE></HEAD><BODY>\r\n<H1>" + film.title +
                       "</H1>\r\n<TABLE border=\"0\">\r\n";
    page += cp("<TR><TD><B>Réalisateur</B></TD><TD>") + film.director + "</TD></TR>\r\n";
    page += cp("<TR><TD><B>Année</B></TD><TD>") + film.year + "</TD></TR>\r\n";
    page += "<TR><TD><B>Genre</B></TD><TD>" + film.genre + "</TD></TR>\r\n";
    // The distributor is read after the first ">" found from 79 characters past the start of the
    // marker: the long FONT tag spans that position.
    const std::string marker = "Distribution";
    const std::string before = "</B></TD><TD>";
    const std::string tag =
        "<FONT face=\"Verdana, Arial, Helvetica, sans-serif\" size=\"2\" color=\"#000080\" class=\"info\">";
    if (marker.size() + before.size() >= 79 || marker.size() + before.size() + tag.size() - 1 < 79)
        throw std::logic_error("film page layout");
    page += "<TR><TD><B>" + marker + before + tag + film.distributor + "</FONT></TD></TR>\r\n</TABLE>\r\n";
    page += "<P>" + film.synopsis + "</P>\r\n";
    // The archive link starts 28 characters after the start of "zip.gif".
    const std::string zipMarker = "zip.gif\" width=\"9\"><A HREF=\"";
    if (zipMarker.size() != 28)
        throw std::logic_error("archive link layout");
    page += "<P><IMG SRC=\"/images/" + zipMarker + archivePath(film) + cp("\">Télécharger la fiche</A></P>\r\n");
    page += "</BODY></HTML>\r\n";
    return page;
}

std::string FakeFilmService::filmArchive(const FakeFilm& film)
{
    ZipBuilder zip;
    zip.add(film.name + ".film", film.filmFile());
    zip.add(film.name + ".jpg", film.cover.empty() ? jpegLike(film.name) : film.cover);
    zip.add("(c).txt", cp("Fiche fournie par le service de films. Reproduction réservée à un usage privé.\r\n"));
    return zip.bytes();
}

std::shared_ptr<const FakeResponse> FakeFilmService::respond(const FakeRequest& request)
{
    Handler handler;
    {
        std::lock_guard lock(m_mutex);
        handler = m_handler;
    }
    if (handler)
        if (auto r = handler(request))
            return std::make_shared<const FakeResponse>(std::move(*r));
    const std::string& path = request.path;
    const std::string bare = path.substr(0, path.find('?'));
    {
        std::lock_guard lock(m_mutex);
        auto it = m_overrides.find(path);
        if (it == m_overrides.end())
            it = m_overrides.find(bare);
        if (it != m_overrides.end())
            return it->second;
    }
    return std::make_shared<const FakeResponse>(builtIn(request));
}

FakeResponse FakeFilmService::builtIn(const FakeRequest& request)
{
    const std::string& path = request.path;
    const std::string bare = path.substr(0, path.find('?'));
    if (bare == "/multicrit.html") {
        auto values = queryValues(path);
        for (const char* key : {"titre", "acteur", "real"})
            if (values.count(key))
                return FakeResponse::html(searchPage(key, values[key]));
        return FakeResponse::html(searchPage("titre", ""));
    }
    if (bare.rfind("/redirect/", 0) == 0) {
        int n = std::atoi(bare.c_str() + 10);
        if (n <= 0)
            return FakeResponse::html(cp("<HTML>fin de la chaîne</HTML>"));
        return FakeResponse::redirect("/redirect/" + std::to_string(n - 1));
    }
    for (const auto& film : films()) {
        if (bare == filmPath(film))
            return FakeResponse::html(filmPage(film));
        if (bare == archivePath(film)) {
            FakeResponse r;
            r.headers.emplace_back("Content-Type", "application/zip");
            r.body = filmArchive(film);
            return r;
        }
    }
    if (bare == "/" || bare == "/index.html")
        return FakeResponse::html(cp("<HTML><BODY>Service de fiches de films</BODY></HTML>"));
    return FakeResponse::withStatus(404, "Not Found", "<HTML>Page introuvable</HTML>");
}

void FakeFilmService::serve()
{
    std::vector<std::thread> workers;
    int accepted = 0;
    while (!m_stop) {
        pollfd p{m_listenFd, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        workers.emplace_back([this, fd, connection = ++accepted] {
            handleConnection(fd, connection);
            ::close(fd);
        });
    }
    for (auto& w : workers)
        w.join();
}

void FakeFilmService::handleConnection(int fd, int connection)
{
    std::string buffer;
    while (!m_stop) {
        // Read one request head.
        std::size_t end;
        while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
            if (m_stop || buffer.size() > kMaxRequestHead)
                return;
            pollfd p{fd, POLLIN, 0};
            int r = ::poll(&p, 1, 50);
            if (r <= 0)
                continue;
            char chunk[4096];
            ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n <= 0)
                return;
            buffer.append(chunk, static_cast<std::size_t>(n));
        }
        FakeRequest request = parseRequest(buffer.substr(0, end + 4));
        request.connection = connection;
        buffer.erase(0, end + 4);
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        const auto reply = respond(request);
        const FakeResponse& response = *reply;
        if (!sendResponse(fd, response))
            return;
        bool close = response.raw || response.stallAfter || response.framing == FakeResponse::Framing::Close;
        for (const auto& [n, v] : response.headers)
            if (lower(n) == "connection" && lower(v) == "close")
                close = true;
        if (close)
            return;
    }
}

bool FakeFilmService::stall(int fd)
{
    // Keeps the connection open without sending until the client goes away or the service stops.
    while (!m_stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
            char c[256];
            if (::recv(fd, c, sizeof c, 0) <= 0)
                return false;
        }
    }
    return false;
}

bool FakeFilmService::sendResponse(int fd, const FakeResponse& response)
{
    if (response.writer) {
        struct Stream : FakeStream
        {
            int fd;
            const std::atomic<bool>& stop;
            Stream(int f, const std::atomic<bool>& s) : fd(f), stop(s) {}
            bool send(const std::string& bytes) override { return sendAll(fd, bytes.data(), bytes.size(), stop); }
            bool pause(int ms) override
            {
                const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
                while (!stop && std::chrono::steady_clock::now() < end) {
                    pollfd p{fd, POLLIN | POLLRDHUP, 0};
                    if (::poll(&p, 1, 20) > 0) {
                        char c[256];
                        if ((p.revents & (POLLRDHUP | POLLHUP | POLLERR)) || ::recv(fd, c, sizeof c, 0) <= 0)
                            return false;
                    }
                }
                return !stop;
            }
            void reset() override
            {
                linger l{1, 0};
                ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l); // the close then sends RST
            }
        } stream(fd, m_stop);
        response.writer(stream);
        return false; // the connection closes after a hostile reply
    }
    if (response.raw) {
        if (!sendAll(fd, response.raw->data(), response.raw->size(), m_stop))
            return false;
        if (response.stallAfter)
            return stall(fd);
        return true;
    }
    std::string generated;
    if (response.generatedSize) {
        generated.resize(response.generatedSize);
        std::uint32_t x = 12345;
        for (auto& c : generated) {
            x = x * 1103515245u + 12345u;
            c = static_cast<char>(x >> 23);
        }
    }
    const std::string& body = response.generatedSize ? generated : response.body;
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + response.reason + "\r\n";
    head += "Server: FakeFilmService\r\n";
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [n, v] : m_defaultHeaders)
            head += n + ": " + v + "\r\n";
    }
    for (const auto& [n, v] : response.headers)
        head += n + ": " + v + "\r\n";
    if (response.framing == FakeResponse::Framing::Length)
        head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    else if (response.framing == FakeResponse::Framing::Chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else
        head += "Connection: close\r\n";
    head += "\r\n";
    if (!sendAll(fd, head.data(), head.size(), m_stop))
        return false;

    std::size_t limit = response.stallAfter ? std::min(*response.stallAfter, body.size()) : body.size();
    std::size_t piece =
        response.framing == FakeResponse::Framing::Chunked ? std::max<std::size_t>(1, response.chunkSize) : 256 * 1024;
    if (response.trickle)
        piece = std::min(piece, response.trickle);
    for (std::size_t pos = 0; pos < limit; pos += piece) {
        std::size_t n = std::min(piece, limit - pos);
        std::string out;
        if (response.framing == FakeResponse::Framing::Chunked) {
            out = hex(n) + "\r\n" + body.substr(pos, n) + "\r\n";
            if (!sendAll(fd, out.data(), out.size(), m_stop))
                return false;
        } else if (!sendAll(fd, body.data() + pos, n, m_stop)) {
            return false;
        }
        if (response.trickle)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (response.stallAfter)
        return stall(fd);
    if (response.framing == FakeResponse::Framing::Chunked)
        return sendAll(fd, "0\r\n\r\n", 5, m_stop);
    return true;
}

} // namespace cinevaro::testing
