#pragma once

#include <QByteArray>
#include <QUrl>

// Why not QNetworkAccessManager: measured against the simulator on loopback, a synchronous
// request through a fresh manager cost several times a libcurl request although the manager
// itself is cheap to make (tens of microseconds). The request is the cost: each one starts a
// thread of its own with its own event dispatcher, wakes it through an eventfd about twenty
// times, and reads the status line and headers one byte per system call (about 120 reads for a
// small reply). A plain socket exchange on the calling thread does one write and a few reads.
// bench/device/bench_transfer prints the figures.
//
// One HTTP/1.1 request on a connection of its own, done synchronously on the calling thread:
// connect, send, read the whole reply, close. `timeoutMs` limits every wait for the network
// (connecting, sending, each read), so a peer that stops talking ends the exchange; 0 waits
// for ever. Transport failures and malformed replies give an empty body; the status is not
// looked at.
class QovHttpExchange
{
public:
    static QByteArray get(const QUrl &url, int timeoutMs);
    static QByteArray post(const QUrl &url, const QByteArray &contentType, const QByteArray &body,
                           int timeoutMs);

private:
    static QByteArray run(const QUrl &url, const QByteArray &request, int timeoutMs);
    static QByteArray requestHead(const QByteArray &method, const QUrl &url);
};
