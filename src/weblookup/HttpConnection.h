// One connection of the HTTP client and the deadline of a fetch. Internal to the web lookup
// module (HttpClient.cpp).
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "table/UniqueFd.h"
#include "weblookup/HttpClient.h"
#include "weblookup/HttpReply.h"

namespace cinevaro::weblookup {

using Clock = std::chrono::steady_clock;

// A fetch stopped by the user.
class CancelledError : public TransportError
{
public:
    CancelledError() : TransportError(cancelledMessage()) {}
};

// Stops a fetch once its deadline has passed or the user cancelled it; checked after every wait
// slice and every read.
struct FetchGuard
{
    Clock::time_point deadline;
    int deadlineMs = 0;
    const bool* cancelled = nullptr;

    void check() const;
};

// One TCP connection; reads wait in 10 ms slices, calling the idle callback.
class HttpClient::Connection : public ByteSource
{
public:
    Connection(std::string host, int port) : m_host(std::move(host)), m_port(port) {}

    const std::string& host() const { return m_host; }
    int port() const { return m_port; }

    void setGuard(const FetchGuard* guard) { m_guard = guard; }

    void open(int timeoutMs, const std::function<void()>& idle);

    // True when the peer has not closed the connection nor sent anything unasked.
    bool stillUsable() const;

    void send(const std::string& data, int timeoutMs, const std::function<void()>& idle);

    void setTimeout(int ms) { m_timeoutMs = ms; }
    void setIdle(const std::function<void()>* idle) { m_idle = idle; }

    std::size_t read(char* buffer, std::size_t size) override;

private:
    int waitConnected(int fd, Clock::time_point deadline, const std::function<void()>& idle);

    bool waitReady(short events, Clock::time_point since, int timeoutMs, const std::function<void()>& idle);

    // While data flows, the idle callback still runs every 10 ms.
    void maybeIdle();

    std::string m_host;
    int m_port;
    table::UniqueFd m_fd;
    int m_timeoutMs = 60000;
    const std::function<void()>* m_idle = nullptr;
    const FetchGuard* m_guard = nullptr;
    Clock::time_point m_lastIdle = Clock::now();
};

} // namespace cinevaro::weblookup
