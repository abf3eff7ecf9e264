#include "device/qovcgiapizeph2208.h"

#include "device/qovcgireply.h"
#include "device/qovhttprequests.h"
#include "device/qovmixerlock.h"
#include "device/qovtaskpool.h"
#include "models/qovsafetycopies.h"
#include "models/qovtextrules.h"

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
    return QovCgiReply::succeeded(httpGet(cgiUrl(ip, page), httpTimeoutMs()));
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
            return QovCgiReply::deviceInfo(httpGet(url, httpTimeoutMs()));
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

QovCgiApi::ConnectOutcome QovCgiApiZeph2208::keepSafetyCopy(const QovOnlineDeviceModel &target,
                                                            bool allowPartialCopy)
{
    ConnectOutcome outcome;
    // Set by set, so that a mixer with one set it will not give can still be copied and then
    // restored: the mixers that most need a restore are often the ones in that state.
    const ZephData current = downloadReadable(target, QovTransferProgress::SafetyCopy);
    if (!current.error.isEmpty()) {
        outcome.safetyCopyFailure = READ_FAILED;
        outcome.safetyCopyDetail = current.error;
        return outcome;
    }
    outcome.unreadable = current.unreadable;
    if (!current.unreadable.isEmpty() && !allowPartialCopy) {
        outcome.safetyCopyFailure = PARTIAL_READ;
        return outcome;
    }
    outcome.safetyCopy = QovSafetyCopies().keep(target, current, &outcome.safetyCopyDetail);
    if (outcome.safetyCopy.isEmpty()) {
        outcome.safetyCopyFailure = WRITE_FAILED;
    }
    return outcome;
}

QovCgiApi::ConnectOutcome QovCgiApiZeph2208::connectNow(bool upload,
                                                        const QovAppDeviceModel &device,
                                                        const QovOnlineDeviceModel &target,
                                                        bool allowPartialCopy, bool keepEdits)
{
    qDebug() << QThread::currentThreadId() << "QovCgiApiZeph2208::connectDevice" << upload
             << device->debugText() << target->debugText();
    ConnectOutcome outcome;
    const QovMixerLock lock(target);
    if (!lock.busy().isEmpty()) {
        outcome.inUse = lock.busy();
        return outcome;
    }
    if (upload) {
        // Data the mixer cannot take whole is refused before the mixer is even read.
        outcome.problem = incompleteData(device);
        if (!outcome.problem.isEmpty()) {
            return outcome;
        }
        // Nothing is written to a mixer before what it holds now is safely on disk.
        outcome = keepSafetyCopy(target, allowPartialCopy);
        if (outcome.safetyCopyFailure != NO_FAILURE) {
            qDebug() << QThread::currentThreadId() << "QovCgiApiZeph2208::connectDevice" << upload
                     << device->debugText() << target->debugText() << "no safety copy,"
                     << outcome.safetyCopyDetail;
            return outcome;
        }
        bool wrote = false;
        if (!uploadAll(target, device, &wrote, &outcome.problem)) {
            outcome.partlyWritten = wrote;
            return outcome;
        }
        target->setDeviceName(device->deviceName());
        target->setDeviceId(device->deviceId());
    } else {
        const ZephData data = downloadAll(target, QovTransferProgress::Download);
        if (!data.error.isEmpty()) {
            qDebug() << QThread::currentThreadId() << "QovCgiApiZeph2208::connectDevice" << upload
                     << device->debugText() << target->debugText() << "failed," << data.error;
            outcome.problem = data.error;
            return outcome;
        }
        // A page stays usable while an automatic reconnect reads its mixer: what the user
        // changed meanwhile is not replaced unasked.
        if (keepEdits && device->editedSinceConnect()) {
            qDebug() << QThread::currentThreadId() << "QovCgiApiZeph2208::connectDevice" << upload
                     << device->debugText()
                     << "edited since its last connect, nothing read is applied";
            outcome.editedMeanwhile = true;
            return outcome;
        }
        // The project keeps a name it can save and open again, whatever the mixer calls itself.
        device->setDeviceName(
            QovTextRules::fitDeviceName(target->deviceName(), device->deviceName()));
        device->setDeviceId(target->deviceId());
        device->setZephDataPreset(data.preset);
        device->setZephData12BandEq(data.eq12Band);
        device->setZephData4BandEq(data.eq4Band);
        device->setZephDataPartialPreset(data.partialPreset);
        device->setZephDataCurrent(data.current);
    }
    device->setIpAddress(target->ipAddress());
    device->setMacAddress(target->macAddress());
    // A mixer reached by its address is asked there again after the project is opened.
    if (!target->addedAddress().isEmpty()) {
        device->setAddedAddress(target->addedAddress());
    }
    device->setStatus(QovAppDeviceModelInternal::CONNECTED);
    outcome.connected = true;
    return outcome;
}

// The tasks refer to nothing of this object: the transfers they run are stateless, so the caller
// may drop the object before the future is ready.
std::future<bool> QovCgiApiZeph2208::connectDevice(bool upload, const QovAppDeviceModel &device,
                                                   const QovOnlineDeviceModel &target)
{
    return QovTaskPool::run(
        [upload, device, target] { return connectNow(upload, device, target, false).connected; },
        false);
}

std::future<QovCgiApi::ConnectOutcome>
QovCgiApiZeph2208::connectDeviceWithOutcome(bool upload, const QovAppDeviceModel &device,
                                            const QovOnlineDeviceModel &target,
                                            bool allowPartialCopy, bool keepEdits)
{
    return QovTaskPool::run(
        [upload, device, target, allowPartialCopy, keepEdits] {
            return connectNow(upload, device, target, allowPartialCopy, keepEdits);
        },
        ConnectOutcome());
}
