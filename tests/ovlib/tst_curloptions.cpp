// The request rules every HTTP caller of ours shares, applied to a bare handle and tried
// against peers on the private network that want more than a request may give them.
#include "privatenetwork.h"

#include "ovlib/curloptions.h"
#include "tcpservice.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

using velmora::sim::receiveSome;
using velmora::sim::sendAll;
using velmora::sim::TcpService;

namespace {

const std::array<uint8_t, 4> kPeer{127, 0, 8, 2};
const std::array<uint8_t, 4> kElsewhere{127, 0, 8, 3};

struct Outcome
{
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string error;
    size_t bodyBytes = 0;
};

size_t countBody(char *, size_t size, size_t count, void *user)
{
    *static_cast<size_t *>(user) += size * count;
    return size * count;
}

Outcome fetch(const std::string &url, long deadlineMs = 5000, long stallSeconds = 5,
              curl_off_t maxBodyBytes = 1024)
{
    Outcome outcome;
    char errorText[CURL_ERROR_SIZE] = {};
    std::unique_ptr<CURL, void (*)(CURL *)> handle(curl_easy_init(), curl_easy_cleanup);
    ovlib::CurlOptions options;
    options.url = url.c_str();
    options.deadlineMs = deadlineMs;
    options.stallSeconds = stallSeconds;
    options.maxBodyBytes = maxBodyBytes;
    options.onBody = countBody;
    options.bodySink = &outcome.bodyBytes;
    options.errorText = errorText;
    ovlib::applyCurlOptions(handle.get(), options);
    outcome.code = curl_easy_perform(handle.get());
    curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &outcome.status);
    outcome.error = errorText;
    return outcome;
}

// Counts the connections that reach an address where no request of ours may go.
class Tripwire
{
public:
    bool start(const std::array<uint8_t, 4> &address, uint16_t port)
    {
        return m_service.start(address, port, [this](int fd, const std::atomic<bool> &) {
            ++m_connections;
            std::string request;
            receiveSome(fd, request, 200);
            sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nno");
        });
    }
    int connections() const { return m_connections; }

private:
    std::atomic<int> m_connections{0};
    TcpService m_service;
};

// Replies to each request with `head`, then sends `body` a byte every `pauseMs`.
bool serve(TcpService &service, uint16_t port, const std::string &head,
           const std::string &body = {}, int pauseMs = 0)
{
    return service.start(kPeer, port, [head, body, pauseMs](int fd, const std::atomic<bool> &stop) {
        std::string request;
        receiveSome(fd, request, 500);
        if (!sendAll(fd, head)) {
            return;
        }
        for (size_t i = 0; i < body.size() && !stop; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
            if (!sendAll(fd, body.substr(i, 1))) {
                return;
            }
        }
    });
}

// Holds each connection without a word until the client gives up.
bool serveSilence(TcpService &service, uint16_t port)
{
    return service.start(kPeer, port, [](int fd, const std::atomic<bool> &stop) {
        std::string request;
        while (!stop && receiveSome(fd, request, 100) >= 0) {
        }
    });
}

} // namespace

class TestCurlOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        velmora::test::requirePrivateNetwork();
        ovlib::initialiseCurl();
    }

    void requestGoesNowhereElse()
    {
        // A proxy from the environment and a redirect both point at the tripwire; the mixer's own
        // answer is what the request gets.
        Tripwire tripwire;
        QVERIFY(tripwire.start(kElsewhere, 3128));
        TcpService peer;
        QVERIFY(serve(peer, 8080,
                      "HTTP/1.1 302 Found\r\nLocation: http://127.0.8.3:3128/\r\n"
                      "Content-Length: 0\r\n\r\n"));
        const char *const proxyVariables[] = {"http_proxy", "HTTP_PROXY", "ALL_PROXY", "all_proxy"};
        for (const char *variable : proxyVariables) {
            qputenv(variable, "http://127.0.8.3:3128");
        }
        const Outcome outcome = fetch("http://127.0.8.2:8080/description.xml");
        for (const char *variable : proxyVariables) {
            qunsetenv(variable);
        }
        QCOMPARE(outcome.code, CURLE_OK);
        QCOMPARE(outcome.status, 302L);
        QCOMPARE(tripwire.connections(), 0);
    }

    void timeLimits()
    {
        // A silent peer is left at the stall limit, long before the deadline; a peer that keeps
        // a trickle going never stalls, and is left at the deadline. libcurl names which one.
        TcpService silent;
        QVERIFY(serveSilence(silent, 8081));
        const Outcome stalled = fetch("http://127.0.8.2:8081/", 30000, 1);
        QCOMPARE(stalled.code, CURLE_OPERATION_TIMEDOUT);
        QVERIFY2(stalled.error.find("too slow") != std::string::npos, stalled.error.c_str());

        TcpService trickle;
        QVERIFY(serve(trickle, 8082, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n",
                      std::string(100, 'x'), 200));
        const Outcome late = fetch("http://127.0.8.2:8082/", 1500, 5);
        QCOMPARE(late.code, CURLE_OPERATION_TIMEDOUT);
        QVERIFY2(late.error.find("timed out") != std::string::npos, late.error.c_str());
        QVERIFY(late.bodyBytes < 100);
    }

    void announcedOversizeIsRefusedUnread()
    {
        TcpService peer;
        QVERIFY(serve(peer, 8083, "HTTP/1.1 200 OK\r\nContent-Length: 2048\r\n\r\n",
                      std::string(2048, 'x')));
        const Outcome outcome = fetch("http://127.0.8.2:8083/", 5000, 5, 1024);
        QCOMPARE(outcome.code, CURLE_FILESIZE_EXCEEDED);
        QCOMPARE(outcome.bodyBytes, size_t(0));
    }

    void onlyHttpIsSpoken_data()
    {
        // A description's location comes from whoever answered a search: it must not make us read
        // a local file or speak another protocol to the address it names.
        QTest::addColumn<QByteArray>("url");
        QTest::newRow("local file") << QByteArray("file:///etc/hostname");
        QTest::newRow("https") << QByteArray("https://127.0.8.3:3128/");
        QTest::newRow("ftp") << QByteArray("ftp://127.0.8.3:3128/");
        QTest::newRow("dict") << QByteArray("dict://127.0.8.3:3128/");
    }

    void onlyHttpIsSpoken()
    {
        QFETCH(QByteArray, url);
        Tripwire tripwire;
        QVERIFY(tripwire.start(kElsewhere, 3128));
        const Outcome outcome = fetch(url.toStdString());
        QCOMPARE(outcome.code, CURLE_UNSUPPORTED_PROTOCOL);
        QCOMPARE(outcome.bodyBytes, size_t(0));
        QCOMPARE(tripwire.connections(), 0);
    }
};

QTEST_APPLESS_MAIN(TestCurlOptions)
#include "tst_curloptions.moc"
