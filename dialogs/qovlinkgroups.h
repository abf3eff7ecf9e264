#pragma once

#include "models/qovonlinedevicemodel.h"

#include <QList>

// The order in which dialogs list online mixers: each device in the given order, and right
// below a primary unit the extension units it names, by ascending unit number. An extension unit
// that no listed device names stays where it was; one named by a device but not listed is
// skipped; a named one is shown once, under the first device that names it.
QList<QovOnlineDeviceModel> orderByLinkGroups(const QList<QovOnlineDeviceModel> &devices);
