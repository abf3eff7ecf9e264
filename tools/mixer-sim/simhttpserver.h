#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace velmora::sim {

struct HttpRequest
{
    std::string method;
    // As it came in: path and raw query.
    std::string target;
    std::string path;
    std::string query;
    // Names in lower case.
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    std::string header(const std::string &lowerName) const;
};

// How a reply goes out on the wire: the ways real devices and networks get HTTP wrong.
struct WireFault
{
    enum Kind {
        None,
        ShortBody,     // Content-Length announces the body, half of it comes, then a close
        Reset,         // the same, then a reset instead of a close
        NoLength,      // no length: the whole body, then a close (valid HTTP)
        NoLengthReset, // no length: half the body, then a reset
        NoLengthCut,   // no length: half the body, then a normal close (looks complete)
        ChunkedCut,    // chunked, the connection closes before the last chunk
        Trickle,       // everything at `bytesPerSecond`
        Stall,         // head and half the body, then nothing until the mixer stops
        Status,        // the normal body under another status (404, 500...)
        Fail,          // a CGI answers rcode 0, a file fetch 404
        BareLf,        // header lines end in LF only (valid for a tolerant client)
        Continue,      // an interim "100 Continue" before the reply (valid)
        Endless,       // no length and a body that never ends
    };
    Kind kind = None;
    int bytesPerSecond = 0;
    int status = 0;
};

struct HttpReply
{
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    // Close the connection without a word.
    bool drop = false;
    WireFault wire;
};

// A small HTTP/1.1 server of the simulator's own, because the faults above need control of
// every byte on the wire. One connection per request (the reply closes it), each served on a
// thread of its own, so a held reply never blocks another client.
class SimHttpServer
{
public:
    using Handler = std::function<HttpReply(const HttpRequest &)>;
    // Sees every request before its route and decides how the reply goes on the wire.
    using Admission = std::function<WireFault(const HttpRequest &)>;

    SimHttpServer() = default;
    ~SimHttpServer();
    SimHttpServer(const SimHttpServer &) = delete;
    SimHttpServer &operator=(const SimHttpServer &) = delete;

    void get(const std::string &path, Handler handler);
    void post(const std::string &path, Handler handler);
    // Every GET whose path starts with `prefix`.
    void getPrefix(const std::string &prefix, Handler handler);
    void setAdmission(Admission admission) { m_admission = std::move(admission); }

    bool start(const std::string &address, int port);
    // Ends every connection, held replies included, and waits for their threads.
    void stop();

private:
    // Status line and headers as the reply's wire fault shapes them.
    static std::string replyHead(const HttpReply &reply, bool withLength);
    void acceptLoop();
    void serve(int fd);
    HttpReply dispatch(const HttpRequest &request);
    void send(int fd, const HttpReply &reply);
    // Waits until the server stops; false right away when it does.
    bool pause(int ms);

    std::map<std::pair<std::string, std::string>, Handler> m_routes;
    std::vector<std::pair<std::string, Handler>> m_prefixRoutes;
    Admission m_admission;

    int m_listener = -1;
    std::thread m_acceptThread;
    std::atomic<bool> m_stopping{false};

    std::mutex m_connectionMutex;
    std::condition_variable m_connectionsDone;
    std::vector<int> m_open;
    int m_running = 0;
};

// Reads one request from the bytes received so far: 1 complete, 0 more needed, -1 malformed.
// A pure function, so the simulator's tests need no socket.
int parseRequest(const std::string &bytes, HttpRequest &request);

} // namespace velmora::sim
