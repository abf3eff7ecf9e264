// Placeholder bodies for the device connection flows of QovMainWindow. They wait for the
// connection work, which replaces this whole file; until then every flow reports "not started"
// and opening a project reconnects nothing.
#include "app/qovmainwindow.h"

#include "device/qovcgiapi.h"

#include <QDebug>

bool QovMainWindow::connectDevices()
{
    qDebug() << "connectDevices: waiting for the connection work";
    return false;
}

bool QovMainWindow::connectDevice(QovAppDeviceModel device)
{
    qDebug() << "connectDevice: waiting for the connection work" << device->debugText();
    return false;
}

bool QovMainWindow::disconnectDevice(QovAppDeviceModel device)
{
    qDebug() << "disconnectDevice: waiting for the connection work" << device->debugText();
    return false;
}

bool QovMainWindow::reconnectDevice(QovAppDeviceModel device)
{
    qDebug() << "reconnectDevice: waiting for the connection work" << device->debugText();
    return false;
}

void QovMainWindow::onConnectDevicesCompleted(QovAppDeviceResultList results)
{
    qDebug() << "onConnectDevicesCompleted: waiting for the connection work" << results.size();
}

void QovMainWindow::onConnectDeviceCompleted(QovMainWindow::ConnectDeviceResult result)
{
    qDebug() << "onConnectDeviceCompleted: waiting for the connection work" << std::get<0>(result);
}

void QovMainWindow::reconnectAfterOpen(QovProjectDataModel *model,
                                       QovProgramSettingsModel::AutoReconnectType mode)
{
    qDebug() << "reconnectAfterOpen: waiting for the connection work" << model << mode;
}

void QovMainWindow::startConnectionWorker(QovCgiApi *api, bool upload,
                                          const QovAppDeviceModel &device,
                                          const QovOnlineDeviceModel &target, const char *doneLine)
{
    qDebug() << "startConnectionWorker: waiting for the connection work" << upload
             << device->debugText() << target.get() << doneLine;
    delete api;
}
