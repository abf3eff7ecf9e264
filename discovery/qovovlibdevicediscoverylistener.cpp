#include "discovery/qovovlibdevicediscoverylistener.h"

#include "ovlib/ovupnpdevice.h"

#include <QCoreApplication>
#include <QThread>

QovOvlibDeviceDiscoveryListener::QovOvlibDeviceDiscoveryListener(QObject *parent)
    : QObject(parent)
{
}

QovOnlineDeviceModel
QovOvlibDeviceDiscoveryListener::makeOnlineDevice(const ovlib::OvUPnPDevice &device)
{
    const QovDiscoveredDevice discovered{
        QString::fromStdString(device.serialNumber()), QString::fromStdString(device.udn()),
        QString::fromStdString(device.friendlyName()), QString::fromStdString(device.modelName()),
        QString::fromStdString(device.endpoint().addressText())};
    auto model = std::make_shared<QovOnlineDeviceModelInternal>(discovered);
    // Built on a library thread that Qt does not run; the model's home is the GUI thread,
    // where the views that watch it live.
    if (QCoreApplication *app = QCoreApplication::instance()) {
        model->moveToThread(app->thread());
    }
    return model;
}

void QovOvlibDeviceDiscoveryListener::onDiscoveryEvent(const std::shared_ptr<ovlib::Device> &device,
                                                       ovlib::DiscoveryEvent event)
{
    const auto *upnpDevice = dynamic_cast<const ovlib::OvUPnPDevice *>(device.get());
    if (upnpDevice == nullptr) {
        return;
    }
    const QovOnlineDeviceModel model = makeOnlineDevice(*upnpDevice);
    switch (event) {
    case ovlib::DEVICE_ADDED:
        Q_EMIT deviceAdded(model);
        break;
    case ovlib::DEVICE_MODIFIED:
        Q_EMIT deviceModified(model);
        break;
    case ovlib::DEVICE_DELETED:
        Q_EMIT deviceDeleted(model);
        break;
    }
}
