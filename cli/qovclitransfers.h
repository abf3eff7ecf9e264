#pragma once

#include "cli/qovclireport.h"
#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"
#include "models/qovzephdata.h"

#include <QList>
#include <QString>

// The transfers the command-line commands make, through the same device operations as the
// desktop program. Every list call runs its mixers at the same time and returns in list order.
namespace QovCliTransfers {

// "FOH Main (ZEPH-2208, 127.0.0.2)": how reports name a mixer.
QString describe(const QovOnlineDeviceModel &mixer);

// The mixers' data; a failed download has its reason in `error`.
QList<QovZephData> download(const QList<QovOnlineDeviceModel> &mixers, QovCliReport &report);
// True per mixer whose upload of the paired project device succeeded.
QList<bool> upload(const QList<QPair<QovOnlineDeviceModel, QovAppDeviceModel>> &pairs,
                   QovCliReport &report);

// A project device holding the mixer's identity and data, as a Device->App connection makes it.
QovAppDeviceModel projectDevice(const QovOnlineDeviceModel &mixer, const QovZephData &data);
// Writes a new project file holding `devices`; an empty text on success, else why not.
QString saveProject(const QString &path, const QString &title,
                    const QList<QovAppDeviceModel> &devices);
// Keeps the mixer's current data (already downloaded) as a safety copy before it is
// overwritten; the copy's path, or an empty text with `error` set.
QString keepSafetyCopy(const QovOnlineDeviceModel &mixer, const QovZephData &data, QString *error);

} // namespace QovCliTransfers
