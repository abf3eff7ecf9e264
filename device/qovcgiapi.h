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

        // The `error` of a mixer that answers while it updates its firmware.
        static constexpr const char *kFirmwareUpdating = "FW updating";
    };

    // Why no safety copy of a mixer could be kept before it was to be overwritten.
    // PARTIAL_READ: the mixer answered but would not give some sets, and a copy without them
    // was not allowed; nothing was written, neither a copy nor to the mixer.
    enum SafetyCopyFailure { NO_FAILURE, READ_FAILED, WRITE_FAILED, PARTIAL_READ };

    // What a connection attempt came to. Before an upload the mixer's current data is read and
    // kept as a safety copy; when that fails, nothing is sent to the mixer and the failure
    // says why: READ_FAILED with the step that failed in `safetyCopyDetail`, WRITE_FAILED with
    // the reason the file could not be written.
    struct ConnectOutcome
    {
        bool connected = false;
        // Device->App with `keepEdits` only: the project device was changed here, so nothing
        // read was applied.
        bool editedMeanwhile = false;
        // The copy's file, when one was kept.
        QString safetyCopy;
        SafetyCopyFailure safetyCopyFailure = NO_FAILURE;
        QString safetyCopyDetail;
        // An upload failed after the mixer had begun to take data: it holds a mix of old and
        // new, and the safety copy is what it held before.
        bool partlyWritten = false;
        // Another transfer holds the mixer, said for the user; nothing was read or written.
        QString inUse;
        // Why the transfer failed: the read that stopped, or the upload that stopped or was
        // refused before anything was read or written.
        QString problem;
        // The sets the mixer would not give: missing from the copy kept, or, with PARTIAL_READ,
        // the reason none was kept.
        QVector<QovDataSlot> unreadable;
    };

    explicit QovCgiApi(QObject *parent = nullptr)
        : QObject(parent)
    {
    }

    // Pairs the project device with the mixer and copies the mixer data: into the mixer when
    // upload is set (after a safety copy of what it holds), into the project device otherwise.
    virtual std::future<bool> connectDevice(bool upload, const QovAppDeviceModel &device,
                                            const QovOnlineDeviceModel &target) = 0;
    // Unbinds the project device; the mixer is not asked.
    virtual std::future<bool> disconnectDevice(const QovAppDeviceModel &device) = 0;
    virtual std::future<bool> identify(const QovOnlineDeviceModel &device) = 0;
    virtual std::future<ZephData> downloadZephData(const QovOnlineDeviceModel &device) = 0;
    // Reads every set the mixer gives, going on past those it refuses, holds empty or holds in
    // bytes that are not UTF-8 (which could not be written back as they were); those are
    // listed in `unreadable` and hold "{}". Fails (`error`) only when the mixer stops answering
    // or gives no set at all.
    virtual std::future<ZephData> downloadReadableZephData(const QovOnlineDeviceModel &device) = 0;
    virtual std::future<bool> uploadZephData(const QovOnlineDeviceModel &device,
                                             const QovAppDeviceModel &source) = 0;
    virtual std::future<DeviceInfo> getDeviceInfo(const QovOnlineDeviceModel &device) = 0;
    virtual std::future<bool> keepAlive(const QovAppDeviceModel &device) = 0;
    // connectDevice, telling why a connection failed for want of a safety copy. An upload goes
    // ahead with a copy that lacks sets the mixer would not give only on `allowPartialCopy`,
    // the user's explicit choice. With `keepEdits` (an automatic reconnect), a read applies
    // nothing to a project device edited since its last connect, up to the moment it would.
    virtual std::future<ConnectOutcome> connectDeviceWithOutcome(bool upload,
                                                                 const QovAppDeviceModel &device,
                                                                 const QovOnlineDeviceModel &target,
                                                                 bool allowPartialCopy = false,
                                                                 bool keepEdits = false) = 0;
};

Q_DECLARE_METATYPE(QovCgiApi::DeviceInfo)
Q_DECLARE_METATYPE(QovCgiApi::ConnectOutcome)
