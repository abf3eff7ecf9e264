#include "device/qovhttpresponseparser.h"

#include <QList>

namespace {

// Header names compare case-insensitively; the value is trimmed.
QByteArray headerValue(const QList<QByteArray> &lines, const QByteArray &name)
{
    for (const QByteArray &line : lines) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name) {
            return line.mid(colon + 1).trimmed();
        }
    }
    return {};
}

} // namespace

QovHttpResponseParser::Result QovHttpResponseParser::parse(const QByteArray &received, bool closed,
                                                           QovHttpResponse &response)
{
    const int headerEnd = received.indexOf("\r\n\r\n");
    if (headerEnd < 0) {
        // Sixty-four kilobytes of header is no mixer talking.
        return (closed || received.size() > 65536) ? Malformed : Incomplete;
    }
    QList<QByteArray> lines = received.left(headerEnd).split('\n');
    for (QByteArray &line : lines) {
        line = line.trimmed();
    }
    const QList<QByteArray> statusLine = lines.value(0).split(' ');
    bool numeric = false;
    const int status = statusLine.value(1).toInt(&numeric);
    if (!statusLine.value(0).startsWith("HTTP/1.") || !numeric || status < 100 || status > 999) {
        return Malformed;
    }
    const int bodyStart = headerEnd + 4;
    QByteArray body;
    const QByteArray encoding = headerValue(lines, "transfer-encoding").toLower();
    const QByteArray length = headerValue(lines, "content-length");
    if (encoding.contains("chunked")) {
        const Result result = parseChunked(received, bodyStart, closed, body);
        if (result != Complete) {
            return result;
        }
    } else if (!length.isEmpty()) {
        bool valid = false;
        const qint64 size = length.toLongLong(&valid);
        if (!valid || size < 0) {
            return Malformed;
        }
        if (received.size() - bodyStart < size) {
            return closed ? Malformed : Incomplete;
        }
        body = received.mid(bodyStart, static_cast<int>(size));
    } else if (status == 204 || status == 304) {
        // No body by definition.
    } else if (!closed) {
        return Incomplete;
    } else {
        body = received.mid(bodyStart);
    }
    response.status = status;
    response.body = body;
    return Complete;
}

QovHttpResponseParser::Result QovHttpResponseParser::parseChunked(const QByteArray &received,
                                                                  int bodyStart, bool closed,
                                                                  QByteArray &body)
{
    int pos = bodyStart;
    const Result short_ = closed ? Malformed : Incomplete;
    for (;;) {
        const int lineEnd = received.indexOf("\r\n", pos);
        if (lineEnd < 0) {
            return short_;
        }
        // Chunk extensions after ';' are allowed and ignored.
        QByteArray sizeText = received.mid(pos, lineEnd - pos);
        sizeText =
            sizeText.left(sizeText.indexOf(';') < 0 ? sizeText.size() : sizeText.indexOf(';'));
        bool valid = false;
        const qint64 size = sizeText.trimmed().toLongLong(&valid, 16);
        if (!valid || size < 0 || size > 0x7fffffff - lineEnd) {
            return Malformed;
        }
        pos = lineEnd + 2;
        if (size == 0) {
            // Trailers, if any, end with an empty line.
            return received.indexOf("\r\n", pos) < 0 ? short_ : Complete;
        }
        if (received.size() < pos + size + 2) {
            return short_;
        }
        body += received.mid(pos, static_cast<int>(size));
        if (received.mid(pos + static_cast<int>(size), 2) != "\r\n") {
            return Malformed;
        }
        pos += static_cast<int>(size) + 2;
    }
}
