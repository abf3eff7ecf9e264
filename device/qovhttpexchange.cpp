#include "device/qovhttpexchange.h"

#include "device/qovhttpresponseparser.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QThread>

namespace {

// Request tasks run on threads Qt did not start. A socket wants an event dispatcher on its
// thread for its notifiers even when only its blocking calls are used; a short-lived event
// loop object makes Qt create one for this thread.
void ensureEventDispatcher()
{
    if (!QThread::currentThread()->eventDispatcher()) {
        QEventLoop loop;
    }
}

} // namespace

QByteArray QovHttpExchange::requestHead(const QByteArray &method, const QUrl &url)
{
    const QByteArray target =
        url.path(QUrl::FullyEncoded).isEmpty()
            ? QByteArray("/")
            : url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (url.port() > 0 && url.port() != 80) {
        host += ':' + QByteArray::number(url.port());
    }
    return method + ' ' + target + " HTTP/1.1\r\nHost: " + host +
           "\r\nConnection: close\r\nAccept: */*\r\nUser-Agent: Velmora\r\n";
}

QByteArray QovHttpExchange::get(const QUrl &url, int timeoutMs)
{
    return run(url, requestHead("GET", url) + "\r\n", timeoutMs);
}

QByteArray QovHttpExchange::post(const QUrl &url, const QByteArray &contentType,
                                 const QByteArray &body, int timeoutMs)
{
    // Head and body in one write: two small segments would wait on each other's
    // acknowledgement.
    return run(url,
               requestHead("POST", url) + "Content-Type: " + contentType +
                   "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body,
               timeoutMs);
}

QByteArray QovHttpExchange::run(const QUrl &url, const QByteArray &request, int timeoutMs)
{
    ensureEventDispatcher();
    const int wait = timeoutMs > 0 ? timeoutMs : -1;
    QTcpSocket socket;
    // Mixers sit on the local network: never through a proxy, and a literal address needs no
    // name lookup.
    socket.setProxy(QNetworkProxy::NoProxy);
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const QHostAddress address(url.host());
    const quint16 port = static_cast<quint16>(url.port(80));
    if (address.isNull()) {
        socket.connectToHost(url.host(), port);
    } else {
        socket.connectToHost(address, port);
    }
    if (!socket.waitForConnected(wait)) {
        return {};
    }
    socket.write(request);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(wait)) {
            return {};
        }
    }
    QByteArray received;
    QovHttpResponse response;
    for (;;) {
        received += socket.readAll();
        const bool closed = socket.state() != QAbstractSocket::ConnectedState;
        switch (QovHttpResponseParser::parse(received, closed, response)) {
        case QovHttpResponseParser::Complete:
            return response.body;
        case QovHttpResponseParser::Malformed:
            return {};
        case QovHttpResponseParser::Incomplete:
            break;
        }
        if (!socket.waitForReadyRead(wait) && socket.state() == QAbstractSocket::ConnectedState &&
            socket.bytesAvailable() == 0) {
            // Nothing arrived within the time-out on a connection still open.
            return {};
        }
    }
}
