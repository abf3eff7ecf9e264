#pragma once

#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <QVector>

class MixerSimProcess;

// What the tests that reach mixers compare: names of device lists, the finder's mixers, and a
// device's mixer data beside what a simulated mixer holds, every data set and bank in transfer
// order.

QStringList namesOf(const QVector<QovAppDeviceModel> &devices);
QStringList namesOf(const QList<QovOnlineDeviceModel> &devices);
// The online device finder's model of the mixer it lists under `name`; null when none.
QovOnlineDeviceModel listed(const QString &name);

// Every (data set code, bank) of a full transfer, in transfer order.
QList<QPair<int, int>> allDataSetFiles();
// A device's data sets: presets, 12-band and 4-band EQ libraries, partial presets, current.
QStringList deviceData(const QovAppDeviceModel &device);
// The same sets as the simulated mixer at `address` holds them.
QStringList mixerData(MixerSimProcess &sim, const QString &address);

// Whether any request the simulator logged writes into a mixer.
bool anyUpload(const QStringList &requests);
// How many of the requests name `text`.
int requestsWith(const QStringList &requests, const QString &text);
