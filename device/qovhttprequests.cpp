#include "device/qovhttprequests.h"
#include "device/qovtaskpool.h"

#include "device/qovhttpexchange.h"
#include "models/qovprogramsettingsmodel.h"

std::future<QByteArray> httpGet(const QUrl &url, int timeoutMs)
{
    return QovTaskPool::run([url, timeoutMs] { return QovHttpExchange::get(url, timeoutMs); });
}

std::future<QByteArray> httpPostMultipart(const QUrl &url, const QovMultipartBody &body,
                                          int timeoutMs)
{
    return QovTaskPool::run([url, type = body.contentType(), bytes = body.serialized(), timeoutMs] {
        return QovHttpExchange::post(url, type, bytes, timeoutMs);
    });
}

int httpTimeoutMs()
{
    return QovProgramSettingsModel().httpTimeoutMs();
}
