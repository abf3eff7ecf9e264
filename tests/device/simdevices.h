#pragma once

#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"

#include <QByteArray>
#include <QString>

// An online device as discovery would hand it over for a simulated mixer.
QovOnlineDeviceModel onlineDevice(const QString &address, const QString &model = "ZEPH-2208");

// A project device holding distinct texts in every bank, so that a mix-up of banks shows.
QovAppDeviceModel projectDeviceWithData(const QString &tag);

// A JSON object text of exactly `size` bytes (at least 12) whose `at`-th byte starts the
// three-byte character U+20AC, when `at` is not -1.
QString jsonTextOfSize(int size, int at = -1);
