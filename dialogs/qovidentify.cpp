#include "dialogs/qovidentify.h"

#include "device/qovcgiapi.h"
#include "device/qovcgiapifactory.h"
#include "dialogs/qovpopups.h"

#include <QCoreApplication>
#include <QDebug>
#include <QThread>

#include <memory>
#include <thread>

void qovIdentifyDevice(const QovOnlineDeviceModel &device, QObject *context,
                       std::function<void(bool identified)> done)
{
    QPointer<QObject> guard(context);
    std::thread([device, guard, done = std::move(done)]() mutable {
        bool identified = false;
        if (std::unique_ptr<QovCgiApi> api{createCgiApi(device)}) {
            identified = api->identify(device).get();
        }
        qDebug() << QThread::currentThreadId() << "identify" << device->debugText() << identified;
        // The guard is read only on the GUI thread, where its object lives and dies; the
        // application object outlives every dialog.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [guard, done = std::move(done), identified] {
                if (guard) {
                    done(identified);
                }
            },
            Qt::QueuedConnection);
    }).detach();
}

void qovShowIdentifyFailed(const QovOnlineDeviceModelInternal &device)
{
    qovShowError(QCoreApplication::translate("QovIdentify", "Error"),
                 QCoreApplication::translate("QovIdentify", "Identify Failed\n\n%1\n(%2)\n%3")
                     .arg(device.deviceName(), device.ipAddress(), device.macAddress()));
}
