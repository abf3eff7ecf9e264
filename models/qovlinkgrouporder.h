#pragma once

#include "models/qovonlinedevicemodel.h"

#include <QList>

// Orders mixers by link groups, keeping the given order otherwise: each device is followed by
// the extension units it names in its linked extensions, by ascending unit number. An extension
// unit that no listed device names stays in the order as it was; one named only by another
// extension unit is left out, as a list of groups has no place for it.
QList<QovOnlineDeviceModel> qovLinkGroupOrder(const QList<QovOnlineDeviceModel> &devices);
