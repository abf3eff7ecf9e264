#pragma once

#include <QByteArray>

// One HTTP/1.1 response as far as the mixer requests need it.
struct QovHttpResponse
{
    int status = 0;
    QByteArray body;
};

// Reads a response from the bytes received so far. A pure function so that the receive loop
// only buffers: Incomplete asks for more bytes, Complete fills `response`, Malformed means
// the bytes can never become a response. `closed` says the peer has closed the connection,
// which ends a body that has neither a length nor chunks.
class QovHttpResponseParser
{
public:
    enum Result { Complete, Incomplete, Malformed };

    static Result parse(const QByteArray &received, bool closed, QovHttpResponse &response);

private:
    static Result parseChunked(const QByteArray &received, int bodyStart, bool closed,
                               QByteArray &body);
};
