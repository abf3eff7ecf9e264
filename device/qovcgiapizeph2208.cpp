#include "device/qovcgiapizeph2208.h"

#include "device/qovcgireply.h"
#include "device/qovhttprequests.h"
#include "device/qovtaskpool.h"

#include <QDebug>
#include <QThread>

QovCgiApiZeph2208::QovCgiApiZeph2208(QObject *parent)
    : QovCgiApi(parent)
{
}

QUrl QovCgiApiZeph2208::cgiUrl(const QString &ip, const QString &page, const QUrlQuery &query)
{
    QUrl url(QStringLiteral("http://%1/cgi-bin/appcmd/%2").arg(ip, page));
    url.setQuery(query);
    return url;
}

bool QovCgiApiZeph2208::simpleRequest(const QString &ip, const QString &page)
{
    return QovCgiReply::succeeded(httpGet(cgiUrl(ip, page), httpTimeoutMs()).get());
}

std::future<bool> QovCgiApiZeph2208::identify(const QovOnlineDeviceModel &device)
{
    return QovTaskPool::run(
        [device] { return simpleRequest(device->ipAddress(), QStringLiteral("zephidentify.cgi")); },
        false);
}

std::future<bool> QovCgiApiZeph2208::keepAlive(const QovAppDeviceModel &device)
{
    return QovTaskPool::run(
        [device] { return simpleRequest(device->ipAddress(), QStringLiteral("keepalive.cgi")); },
        false);
}

std::future<QovCgiApi::DeviceInfo>
QovCgiApiZeph2208::getDeviceInfo(const QovOnlineDeviceModel &device)
{
    return QovTaskPool::run(
        [device] {
            const QUrl url = cgiUrl(device->ipAddress(), QStringLiteral("gdeviceinfo.cgi"));
            return QovCgiReply::deviceInfo(httpGet(url, httpTimeoutMs()).get());
        },
        QovCgiReply::deviceInfo(QByteArray()));
}

std::future<bool> QovCgiApiZeph2208::disconnectDevice(const QovAppDeviceModel &device)
{
    return QovTaskPool::run(
        [device] {
            qDebug() << QThread::currentThreadId() << "QovCgiApiZeph2208::disconnectDevice"
                     << device->debugText();
            device->setIpAddress(QString());
            device->setMacAddress(QString());
            device->setStatus(QovAppDeviceModelInternal::DISCONNECTED);
            return true;
        },
        false);
}

std::future<bool> QovCgiApiZeph2208::connectDevice(bool upload, const QovAppDeviceModel &device,
                                                   const QovOnlineDeviceModel &target)
{
    // The task refers to nothing of this object: the transfers it runs are stateless, so the
    // caller may drop the object before the future is ready.
    return QovTaskPool::run(
        [upload, device, target] {
            qDebug() << QThread::currentThreadId() << "QovCgiApiZeph2208::connectDevice" << upload
                     << device->debugText() << target->debugText();
            if (upload) {
                if (!QovTaskPool::run([&] { return uploadAll(target, device); }, false).get()) {
                    return false;
                }
                target->setDeviceName(device->deviceName());
                target->setDeviceId(device->deviceId());
            } else {
                const ZephData data =
                    QovTaskPool::run([&] { return downloadAll(target); }, failedDownload()).get();
                if (!data.error.isEmpty()) {
                    qDebug() << QThread::currentThreadId() << "QovCgiApiZeph2208::connectDevice"
                             << upload << device->debugText() << target->debugText() << "failed,"
                             << data.error;
                    return false;
                }
                device->setDeviceName(target->deviceName());
                device->setDeviceId(target->deviceId());
                device->setZephDataPreset(data.preset);
                device->setZephData12BandEq(data.eq12Band);
                device->setZephData4BandEq(data.eq4Band);
                device->setZephDataPartialPreset(data.partialPreset);
                device->setZephDataCurrent(data.current);
            }
            device->setIpAddress(target->ipAddress());
            device->setMacAddress(target->macAddress());
            device->setStatus(QovAppDeviceModelInternal::CONNECTED);
            return true;
        },
        false);
}
