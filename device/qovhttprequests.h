#pragma once

#include "device/qovcurlrequest.h"

#include <QByteArray>
#include <QUrl>

#include <future>

// What a mixer may send back: a CGI reply is a small JSON object, a data-set file a text of
// at most a few megabytes.
constexpr qint64 kCgiReplyLimit = 64 * 1024;
constexpr qint64 kDataFileLimit = 8 * 1024 * 1024;

// The two requests the mixers understand. Each starts at once as a task of its own and
// performs one synchronous request (QovCurlRequest); the future holds the reply body, which
// is empty on every kind of failure. `timeoutMs` is the deadline of the whole request,
// normally httpTimeoutMs().
std::future<QByteArray> httpGet(const QUrl &url, int timeoutMs, qint64 maxBytes = kCgiReplyLimit);
// The parts are copied before the call returns.
std::future<QByteArray> httpPostMultipart(const QUrl &url, const QList<QovFormPart> &parts,
                                          int timeoutMs);

// The "Debug"/"http_timeout_ms" program setting as read once for the process: 10000 when the
// value is 0 or less, so that no request waits for ever.
int httpTimeoutMs();
// Reads the program settings again; called after the program settings were saved.
void reloadHttpSettings();
