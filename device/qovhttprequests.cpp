#include "device/qovhttprequests.h"

#include "device/qovtaskpool.h"
#include "models/qovprogramsettingsmodel.h"

#include <atomic>

namespace {

constexpr int kDefaultTimeoutMs = 10000;
// 0: not read yet.
std::atomic<int> g_timeoutMs{0};

int readTimeoutMs()
{
    const int value = QovProgramSettingsModel().httpTimeoutMs();
    return value > 0 ? value : kDefaultTimeoutMs;
}

} // namespace

std::future<QByteArray> httpGet(const QUrl &url, int timeoutMs, qint64 maxBytes)
{
    return QovTaskPool::run(
        [url, timeoutMs, maxBytes] {
            return QovCurlRequest::get(url, {timeoutMs, maxBytes});
        },
        QByteArray());
}

std::future<QByteArray> httpPostMultipart(const QUrl &url, const QList<QovFormPart> &parts,
                                          int timeoutMs)
{
    return QovTaskPool::run(
        [url, parts, timeoutMs] {
            return QovCurlRequest::postForm(url, parts, {timeoutMs, kCgiReplyLimit});
        },
        QByteArray());
}

int httpTimeoutMs()
{
    int value = g_timeoutMs.load();
    if (value == 0) {
        // Two first callers may both read the file; they store the same value.
        value = readTimeoutMs();
        g_timeoutMs.store(value);
    }
    return value;
}

void reloadHttpSettings()
{
    g_timeoutMs.store(readTimeoutMs());
}
