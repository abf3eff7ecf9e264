#pragma once

#include "device/qovmultipartbody.h"

#include <QByteArray>
#include <QUrl>

#include <future>

// The two requests the mixers understand. Each starts at once on a thread of its own and
// performs one synchronous HTTP/1.1 exchange on a new connection; the future holds the whole
// reply body. Neither the transport error nor the HTTP status is looked at: a failure gives an
// empty body, an error page whatever body came with it. `timeoutMs` is the inactivity limit of
// every wait (0: none), normally httpTimeoutMs().
std::future<QByteArray> httpGet(const QUrl &url, int timeoutMs);
// The body is copied before the call returns; the caller may drop it at once.
std::future<QByteArray> httpPostMultipart(const QUrl &url, const QovMultipartBody &body,
                                          int timeoutMs);

// The "Debug"/"http_timeout_ms" program setting, read afresh.
int httpTimeoutMs();
