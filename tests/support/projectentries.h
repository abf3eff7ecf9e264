#pragma once

#include "models/qovappdevicemodel.h"

// A project entry bound to no mixer, as "Add Device" makes one. Its device ID is 9: the log
// lines the tests expect name it so.
QovAppDeviceModel unboundDevice(const QString &name,
                                QovDeviceSelector::DeviceType type = QovDeviceSelector::ZEPH2208);
