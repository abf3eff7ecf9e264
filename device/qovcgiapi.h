#pragma once

#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"
#include "models/qovzephdata.h"

#include <QObject>
#include <QString>

#include <future>

// HTTP access to one kind of mixer. Every operation returns at once; its work runs as a task
// of its own on another thread, and the future becomes ready when the task has ended. Tasks
// keep their own copies of the device handles and nothing of the object, so the caller may
// drop it before its futures are ready. An object holds no state between calls, so one may
// serve any number of devices at the same time. No operation throws: every failure ends in
// the operation's failure result, also when no thread can be had to run it.
class QovCgiApi : public QObject
{
    Q_OBJECT

public:
    using ZephData = QovZephData;

    // A mixer's identity and link state as it reports them. Usable only when `error` is empty.
    struct DeviceInfo
    {
        QString deviceName;
        int deviceId = -1;
        int headerColor = -1;
        bool authRequired = false;
        QString macAddress;
        QovOnlineDeviceModelInternal::OvLink ovLink = QovOnlineDeviceModelInternal::NONE;
        QovLinkedExtensions linkedExtensions;
        QString error;
    };

    explicit QovCgiApi(QObject *parent = nullptr)
        : QObject(parent)
    {
    }

    // Pairs the project device with the mixer and copies the mixer data: into the mixer when
    // upload is set, into the project device otherwise.
    virtual std::future<bool> connectDevice(bool upload, const QovAppDeviceModel &device,
                                            const QovOnlineDeviceModel &target) = 0;
    // Unbinds the project device; the mixer is not asked.
    virtual std::future<bool> disconnectDevice(const QovAppDeviceModel &device) = 0;
    virtual std::future<bool> identify(const QovOnlineDeviceModel &device) = 0;
    virtual std::future<ZephData> downloadZephData(const QovOnlineDeviceModel &device) = 0;
    virtual std::future<bool> uploadZephData(const QovOnlineDeviceModel &device,
                                             const QovAppDeviceModel &source) = 0;
    virtual std::future<DeviceInfo> getDeviceInfo(const QovOnlineDeviceModel &device) = 0;
    virtual std::future<bool> keepAlive(const QovAppDeviceModel &device) = 0;
};

Q_DECLARE_METATYPE(QovCgiApi::DeviceInfo)
