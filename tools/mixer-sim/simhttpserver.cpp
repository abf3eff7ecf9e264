#include "simhttpserver.h"

#include "tcpservice.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmora::sim {

namespace {

constexpr size_t kMaxHead = 16 * 1024;
constexpr size_t kMaxBody = 1024 * 1024;
constexpr int kReadTimeoutMs = 10000;

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string trim(const std::string &text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    const size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

const char *reason(int status)
{
    switch (status) {
    case 100:
        return "Continue";
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

// A reset rather than a close: the peer sees ECONNRESET, not the end of the stream.
void resetConnection(int fd)
{
    const linger abort{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
}

} // namespace

std::string HttpRequest::header(const std::string &lowerName) const
{
    for (const auto &[name, value] : headers) {
        if (name == lowerName) {
            return value;
        }
    }
    return {};
}

int parseRequest(const std::string &bytes, HttpRequest &request)
{
    const size_t headEnd = bytes.find("\r\n\r\n");
    if (headEnd == std::string::npos) {
        return bytes.size() > kMaxHead ? -1 : 0;
    }
    HttpRequest parsed;
    size_t lineStart = 0;
    bool first = true;
    while (lineStart < headEnd) {
        size_t lineEnd = bytes.find("\r\n", lineStart);
        const std::string line = bytes.substr(lineStart, lineEnd - lineStart);
        lineStart = lineEnd + 2;
        if (first) {
            first = false;
            const size_t space1 = line.find(' ');
            const size_t space2 = line.rfind(' ');
            if (space1 == std::string::npos || space2 == space1 ||
                line.compare(space2 + 1, 7, "HTTP/1.") != 0) {
                return -1;
            }
            parsed.method = line.substr(0, space1);
            parsed.target = line.substr(space1 + 1, space2 - space1 - 1);
            const size_t question = parsed.target.find('?');
            parsed.path = parsed.target.substr(0, question);
            parsed.query = question == std::string::npos ? "" : parsed.target.substr(question + 1);
            continue;
        }
        const size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) {
            return -1;
        }
        parsed.headers.emplace_back(lower(trim(line.substr(0, colon))),
                                    trim(line.substr(colon + 1)));
    }
    if (parsed.method.empty() || parsed.path.empty() || parsed.path[0] != '/') {
        return -1;
    }
    size_t length = 0;
    const std::string lengthText = parsed.header("content-length");
    if (!lengthText.empty()) {
        if (lengthText.find_first_not_of("0123456789") != std::string::npos ||
            lengthText.size() > 9) {
            return -1;
        }
        length = std::stoul(lengthText);
    } else if (!parsed.header("transfer-encoding").empty()) {
        return -1; // no client of a mixer sends chunked requests
    }
    if (length > kMaxBody) {
        return -1;
    }
    if (bytes.size() - (headEnd + 4) < length) {
        return 0;
    }
    parsed.body = bytes.substr(headEnd + 4, length);
    request = std::move(parsed);
    return 1;
}

SimHttpServer::~SimHttpServer()
{
    stop();
}

void SimHttpServer::get(const std::string &path, Handler handler)
{
    m_routes[{"GET", path}] = std::move(handler);
}

void SimHttpServer::post(const std::string &path, Handler handler)
{
    m_routes[{"POST", path}] = std::move(handler);
}

void SimHttpServer::getPrefix(const std::string &prefix, Handler handler)
{
    m_prefixRoutes.emplace_back(prefix, std::move(handler));
}

bool SimHttpServer::start(const std::string &address, int port)
{
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(uint16_t(port));
    if (inet_pton(AF_INET, address.c_str(), &at.sin_addr) != 1) {
        return false;
    }
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0 ||
        ::listen(m_listener, 64) != 0) {
        if (m_listener >= 0) {
            ::close(m_listener);
        }
        m_listener = -1;
        return false;
    }
    m_stopping = false;
    m_acceptThread = std::thread([this] { acceptLoop(); });
    return true;
}

void SimHttpServer::stop()
{
    m_stopping = true;
    if (m_acceptThread.joinable()) {
        m_acceptThread.join();
    }
    if (m_listener >= 0) {
        ::close(m_listener);
        m_listener = -1;
    }
    std::unique_lock<std::mutex> lock(m_connectionMutex);
    for (int fd : m_open) {
        ::shutdown(fd, SHUT_RDWR);
    }
    m_connectionsDone.wait(lock, [this] { return m_running == 0; });
}

void SimHttpServer::acceptLoop()
{
    while (!m_stopping) {
        pollfd p{m_listener, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0) {
            continue;
        }
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        {
            std::lock_guard<std::mutex> lock(m_connectionMutex);
            m_open.push_back(fd);
            ++m_running;
        }
        std::thread([this, fd] {
            serve(fd);
            std::lock_guard<std::mutex> lock(m_connectionMutex);
            m_open.erase(std::find(m_open.begin(), m_open.end(), fd));
            ::close(fd);
            --m_running;
            m_connectionsDone.notify_all();
        }).detach();
    }
}

void SimHttpServer::serve(int fd)
{
    std::string received;
    HttpRequest request;
    bool continued = false;
    for (;;) {
        const int parsed = parseRequest(received, request);
        if (parsed < 0) {
            HttpReply bad;
            bad.status = 400;
            bad.body = "bad request";
            send(fd, bad);
            return;
        }
        if (parsed > 0) {
            break;
        }
        // A client that waits for leave to send its body gets it.
        if (!continued && received.find("\r\n\r\n") != std::string::npos &&
            lower(received.substr(0, received.find("\r\n\r\n"))).find("expect: 100-continue") !=
                std::string::npos) {
            continued = true;
            sendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n");
        }
        if (m_stopping || receiveSome(fd, received, kReadTimeoutMs) <= 0) {
            return;
        }
    }
    const WireFault wire = m_admission ? m_admission(request) : WireFault();
    HttpReply reply;
    if (wire.kind == WireFault::Fail) {
        // The request is refused before it has any effect.
        if (request.path.compare(0, 9, "/cgi-bin/") == 0) {
            reply.body = "{\"rcode\":0}";
        } else {
            reply.status = 404;
            reply.contentType = "text/plain";
            reply.body = "not found";
        }
    } else {
        reply = dispatch(request);
    }
    reply.wire = wire;
    if (!reply.drop && !m_stopping) {
        send(fd, reply);
    }
}

HttpReply SimHttpServer::dispatch(const HttpRequest &request)
{
    const auto route = m_routes.find({request.method, request.path});
    if (route != m_routes.end()) {
        return route->second(request);
    }
    if (request.method == "GET") {
        for (const auto &[prefix, handler] : m_prefixRoutes) {
            if (request.path.compare(0, prefix.size(), prefix) == 0) {
                return handler(request);
            }
        }
    }
    HttpReply missing;
    missing.status = 404;
    missing.contentType = "text/plain";
    missing.body = "not found";
    return missing;
}

std::string SimHttpServer::replyHead(const HttpReply &reply, bool withLength)
{
    const char *eol = reply.wire.kind == WireFault::BareLf ? "\n" : "\r\n";
    const int status = reply.wire.kind == WireFault::Status ? reply.wire.status : reply.status;
    std::string head = "HTTP/1.1 " + std::to_string(status) + ' ' + reason(status) + eol;
    head += "Content-Type: " + reply.contentType + eol;
    if (withLength) {
        head += "Content-Length: " + std::to_string(reply.body.size()) + eol;
    }
    if (reply.wire.kind == WireFault::ChunkedCut) {
        head += std::string("Transfer-Encoding: chunked") + eol;
    }
    head += std::string("Connection: close") + eol + eol;
    if (reply.wire.kind == WireFault::Continue) {
        head = "HTTP/1.1 100 Continue\r\n\r\n" + head;
    }
    return head;
}

bool SimHttpServer::pause(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!m_stopping) {
        if (std::chrono::steady_clock::now() >= until) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(ms, 10)));
    }
    return false;
}

void SimHttpServer::send(int fd, const HttpReply &reply)
{
    const WireFault &wire = reply.wire;
    const std::string &body = reply.body;
    const std::string half = body.substr(0, body.size() / 2);
    switch (wire.kind) {
    case WireFault::ShortBody:
        sendAll(fd, replyHead(reply, true) + half);
        return;
    case WireFault::Reset:
        sendAll(fd, replyHead(reply, true) + half);
        resetConnection(fd);
        return;
    case WireFault::NoLength:
        sendAll(fd, replyHead(reply, false) + body);
        return;
    case WireFault::NoLengthReset:
        sendAll(fd, replyHead(reply, false) + half);
        resetConnection(fd);
        return;
    case WireFault::NoLengthCut:
        sendAll(fd, replyHead(reply, false) + half);
        return;
    case WireFault::ChunkedCut: {
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", half.size());
        sendAll(fd, replyHead(reply, false) + size + half + "\r\n");
        return;
    }
    case WireFault::Trickle: {
        const std::string all = replyHead(reply, true) + body;
        const int rate = std::max(1, wire.bytesPerSecond);
        // At least ten pieces a second, so a slow rate still moves bytes all the time.
        const size_t piece = std::max<size_t>(1, size_t(rate) / 10);
        const int gapMs = int(1000 * piece / size_t(rate));
        for (size_t at = 0; at < all.size(); at += piece) {
            if (!sendAll(fd, all.substr(at, piece)) || (at + piece < all.size() && !pause(gapMs))) {
                return;
            }
        }
        return;
    }
    case WireFault::Stall:
        sendAll(fd, replyHead(reply, true) + half);
        while (pause(100)) {
            pollfd p{fd, POLLIN, 0};
            char byte;
            // The client gave up: nobody is left to stall.
            if (::poll(&p, 1, 0) > 0 && ::recv(fd, &byte, 1, MSG_DONTWAIT) <= 0) {
                return;
            }
        }
        return;
    case WireFault::Endless: {
        if (!sendAll(fd, replyHead(reply, false))) {
            return;
        }
        const std::string block(16 * 1024, ' ');
        while (!m_stopping && sendAll(fd, block)) {
        }
        return;
    }
    default:
        sendAll(fd, replyHead(reply, true) + body);
        return;
    }
}

} // namespace velmora::sim
