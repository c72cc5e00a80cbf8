#include "weblookup/HttpConnection.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "table/Cp1252.h"

namespace cinevaro::weblookup {

namespace {

using table::cp;
constexpr int kSliceMs = 10;

std::string endpoint(const std::string& host, int port)
{
    return host + ":" + std::to_string(port);
}

std::string connectErrorText(int error, const std::string& where)
{
    switch (error) {
    case ECONNREFUSED:
        return cp("Connexion refusée par ") + where;
    case ENETUNREACH:
        return cp("Réseau inaccessible pour joindre ") + where;
    case EHOSTUNREACH:
        return cp("Hôte inaccessible : ") + where;
    case ETIMEDOUT:
        return cp("Délai de connexion dépassé pour ") + where;
    default:
        return cp("Connexion impossible à ") + where + " (erreur " + std::to_string(error) + ")";
    }
}

} // namespace

void FetchGuard::check() const
{
    if (cancelled && *cancelled)
        throw CancelledError();
    if (Clock::now() >= deadline)
        throw TransportError(cp("Délai dépassé : le service n'a pas terminé sa réponse en ") +
                             std::to_string((deadlineMs + 999) / 1000) + " s");
}

void HttpClient::Connection::open(int timeoutMs, const std::function<void()>& idle)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string where = endpoint(m_host, m_port);
    int rc = ::getaddrinfo(m_host.c_str(), std::to_string(m_port).c_str(), &hints, &found);
    const std::unique_ptr<addrinfo, void (*)(addrinfo*)> list(found, &::freeaddrinfo);
    if (rc != 0 || !list)
        throw TransportError(cp("Hôte introuvable : ") + m_host);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int lastError = ECONNREFUSED;
    for (addrinfo* ai = list.get(); ai; ai = ai->ai_next) {
        table::UniqueFd fd(::socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol));
        if (!fd) {
            lastError = errno;
            continue;
        }
        int error = 0;
        if (::connect(fd.get(), ai->ai_addr, ai->ai_addrlen) != 0) {
            error = errno;
            if (error == EINPROGRESS)
                error = waitConnected(fd.get(), deadline, idle);
        }
        if (error == 0) {
            int one = 1;
            ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            m_fd = std::move(fd);
            return;
        }
        lastError = error;
        if (error == ETIMEDOUT)
            break;
    }
    throw TransportError(connectErrorText(lastError, where));
}

bool HttpClient::Connection::stillUsable() const
{
    pollfd p{m_fd.get(), POLLIN, 0};
    return ::poll(&p, 1, 0) == 0;
}

void HttpClient::Connection::send(const std::string& data, int timeoutMs, const std::function<void()>& idle)
{
    std::size_t done = 0;
    auto last = Clock::now();
    while (done < data.size()) {
        ssize_t n = ::send(m_fd.get(), data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            last = Clock::now();
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            throw TransportError(cp("La connexion a été perdue pendant l'envoi de la requête"));
        if (!waitReady(POLLOUT, last, timeoutMs, idle))
            throw TransportError(cp("Délai d'envoi dépassé"));
    }
}

std::size_t HttpClient::Connection::read(char* buffer, std::size_t size)
{
    auto last = Clock::now();
    for (;;) {
        ssize_t n = ::recv(m_fd.get(), buffer, size, 0);
        if (n >= 0) {
            maybeIdle();
            if (m_guard)
                m_guard->check();
            return static_cast<std::size_t>(n);
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            throw TransportError(cp("La connexion a été perdue"));
        if (!waitReady(POLLIN, last, m_timeoutMs, m_idle ? *m_idle : std::function<void()>()))
            throw TransportError(cp("Délai de lecture dépassé : aucune donnée reçue pendant ") +
                                 std::to_string(m_timeoutMs) + " ms");
    }
}

int HttpClient::Connection::waitConnected(int fd, Clock::time_point deadline, const std::function<void()>& idle)
{
    for (;;) {
        pollfd p{fd, POLLOUT, 0};
        int r = ::poll(&p, 1, kSliceMs);
        if (r > 0) {
            int error = 0;
            socklen_t len = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len);
            return error;
        }
        if (r < 0 && errno != EINTR)
            return errno;
        if (idle)
            idle();
        if (m_guard)
            m_guard->check();
        if (Clock::now() >= deadline)
            return ETIMEDOUT;
    }
}

bool HttpClient::Connection::waitReady(short events, Clock::time_point since, int timeoutMs,
                                       const std::function<void()>& idle)
{
    for (;;) {
        pollfd p{m_fd.get(), events, 0};
        int r = ::poll(&p, 1, kSliceMs);
        if (r > 0)
            return true;
        if (idle)
            idle();
        m_lastIdle = Clock::now();
        if (m_guard)
            m_guard->check();
        if (Clock::now() - since >= std::chrono::milliseconds(timeoutMs))
            return false;
    }
}

void HttpClient::Connection::maybeIdle()
{
    if (!m_idle || !*m_idle)
        return;
    auto now = Clock::now();
    if (now - m_lastIdle >= std::chrono::milliseconds(kSliceMs)) {
        m_lastIdle = now;
        (*m_idle)();
    }
}

} // namespace cinevaro::weblookup
