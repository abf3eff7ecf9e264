#pragma once

#include "device/qovcurlrequest.h"

#include <QByteArray>
#include <QUrl>

// What a mixer may send back: a CGI reply is a small JSON object, a data-set file a text of
// at most a few megabytes.
constexpr qint64 kCgiReplyLimit = 64 * 1024;
constexpr qint64 kDataFileLimit = 8 * 1024 * 1024;

// The two requests the mixers understand, each one synchronous request (QovCurlRequest) on the
// calling thread, the task of the operation that makes it. The reply body is empty on every
// kind of failure. `timeoutMs` is the deadline of the whole request, normally httpTimeoutMs().
QByteArray httpGet(const QUrl &url, int timeoutMs, qint64 maxBytes = kCgiReplyLimit);
QByteArray httpPostMultipart(const QUrl &url, const QList<QovFormPart> &parts, int timeoutMs);

// The "Debug"/"http_timeout_ms" program setting as read once for the process: 10000 when the
// value is 0 or less, so that no request waits for ever.
int httpTimeoutMs();
// Reads the program settings again; called after the program settings were saved.
void reloadHttpSettings();
