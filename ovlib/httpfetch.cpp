#include "ovlib/httpfetch.h"

#include "ovlib/httpresponse.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ovlib::internal {

namespace {

class Fd
{
public:
    explicit Fd(int fd)
        : m_fd(fd)
    {
    }
    ~Fd()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Waits for events until the deadline; false on time-out or error.
bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            return false;
        }
        pollfd p{fd, events, 0};
        const int rc = ::poll(&p, 1, static_cast<int>(left));
        if (rc > 0) {
            return true;
        }
        if (rc < 0 && errno != EINTR) {
            return false;
        }
    }
}

} // namespace

FetchResult httpGet(const std::array<uint8_t, 4> &address, uint16_t port, const std::string &path,
                    size_t maxBody, int timeoutMs)
{
    FetchResult result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (fd.get() < 0) {
        result.error = std::strerror(errno);
        return result;
    }
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    std::memcpy(&to.sin_addr, address.data(), 4);
    if (::connect(fd.get(), reinterpret_cast<sockaddr *>(&to), sizeof to) != 0 &&
        errno != EINPROGRESS) {
        result.error = std::strerror(errno);
        return result;
    }
    int soError = 0;
    socklen_t len = sizeof soError;
    if (!waitFor(fd.get(), POLLOUT, deadline) ||
        getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &soError, &len) != 0 || soError != 0) {
        result.error = soError ? std::strerror(soError) : "connect timed out";
        return result;
    }
    char host[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, address.data(), host, sizeof host);
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: " + host + ":" +
                                std::to_string(port) + "\r\nConnection: close\r\n\r\n";
    size_t sent = 0;
    while (sent < request.size()) {
        if (!waitFor(fd.get(), POLLOUT, deadline)) {
            result.error = "send timed out";
            return result;
        }
        const ssize_t n =
            ::send(fd.get(), request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            result.error = std::strerror(errno);
            return result;
        }
        sent += n > 0 ? static_cast<size_t>(n) : 0;
    }
    std::string bytes;
    bool closed = false;
    char chunk[4096];
    for (;;) {
        const HttpResponseParse parsed = parseHttpResponse(bytes, closed, maxBody);
        if (parsed.status == HttpResponseParse::Complete) {
            result.ok = parsed.statusCode == 200;
            result.body = parsed.body;
            result.error = result.ok ? "" : "HTTP status " + std::to_string(parsed.statusCode);
            return result;
        }
        if (parsed.status == HttpResponseParse::Malformed) {
            result.error = "malformed or oversized response";
            return result;
        }
        if (!waitFor(fd.get(), POLLIN, deadline)) {
            result.error = "timed out";
            return result;
        }
        const ssize_t n = ::recv(fd.get(), chunk, sizeof chunk, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (n < 0) {
            result.error = std::strerror(errno);
            return result;
        }
        if (n == 0) {
            closed = true;
        } else {
            bytes.append(chunk, static_cast<size_t>(n));
        }
    }
}

} // namespace ovlib::internal
