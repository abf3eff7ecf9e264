#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>

// One part of a multipart/form-data body.
struct QovFormPart
{
    QByteArray name;
    QByteArray fileName;
    QByteArray contentType;
    QByteArray data;
};

// What a request may cost and receive.
struct QovRequestLimits
{
    // The whole request, connecting included, in milliseconds.
    int deadlineMs = 10000;
    // The reply body; a longer one fails the request.
    qint64 maxBytes = 64 * 1024;
};

// One HTTP/1.1 request to a mixer through libcurl, done synchronously on the calling thread
// with an easy handle and a connection of its own. The body comes back only when the whole
// reply arrived as announced with a 2xx status; every other outcome (no connection, a reset,
// a body shorter than its length, a cut chunked body, a stall, the deadline, a body above the
// limit, an error status) gives an empty body and a debug line naming the cause.
class QovCurlRequest
{
public:
    static QByteArray get(const QUrl &url, const QovRequestLimits &limits);
    static QByteArray postForm(const QUrl &url, const QList<QovFormPart> &parts,
                               const QovRequestLimits &limits);
    // Seconds without a single byte moving after which a request gives up: the deadline, at
    // least one second.
    static long stallSeconds(int deadlineMs);
    // Ends every request running now within about a second (libcurl's progress calls), as
    // failed; requests started afterwards are not affected. For shutdown: a keep-alive pass
    // waiting on a silent mixer need not hold the program's exit for its whole deadline.
    static void abortInFlight();
};
