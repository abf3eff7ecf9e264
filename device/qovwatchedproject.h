#pragma once

#include "models/qovappdevicemodel.h"

#include <QMutex>
#include <QString>
#include <QVector>

// What the keep-alive passes watch: the name and device list of the window's current project.
// The window publishes a fresh copy on its own thread whenever it replaces the project or its
// device list; passes on other threads take a copy and never touch the project model itself,
// which the GUI thread may delete at any time. The shared handles in a copy keep its devices
// alive for as long as a pass needs them.
class QovWatchedProject
{
public:
    struct Snapshot
    {
        QString projectName;
        QVector<QovAppDeviceModel> devices;
    };

    void publish(const QString &projectName, const QVector<QovAppDeviceModel> &devices);
    Snapshot snapshot() const;

private:
    mutable QMutex m_lock;
    Snapshot m_current;
};
