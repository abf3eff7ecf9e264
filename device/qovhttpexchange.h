#pragma once

#include <QByteArray>
#include <QUrl>

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
