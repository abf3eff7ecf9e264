#pragma once

#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"
#include "models/qovzephdata.h"

#include <QList>
#include <QString>

// Project files made from mixers' data without a window: backups and the safety copies taken
// before a mixer is overwritten. Safe to call from any thread.
namespace QovProjectFiles {

// A project device holding the mixer's identity and data, as a Device->App connection makes it,
// but not connected: a file holds no connection. Its name is the mixer's, made to fit a project.
QovAppDeviceModel projectDevice(const QovOnlineDeviceModel &mixer, const QovZephData &data);
// Writes a new project file holding `devices`, titled `title` made to fit; an empty text on
// success, else why not. The file opens in the program's own reader. `unreadable`, by device
// index, names the sets each device's mixer could not give, which the file records.
QString saveProject(const QString &path, const QString &title,
                    const QList<QovAppDeviceModel> &devices,
                    const QList<QVector<QovDataSlot>> &unreadable = {});

} // namespace QovProjectFiles
