#include "projectentries.h"

QovAppDeviceModel unboundDevice(const QString &name, QovDeviceSelector::DeviceType type)
{
    return std::make_shared<QovAppDeviceModelInternal>(name, type, QString(), 0, 9);
}
