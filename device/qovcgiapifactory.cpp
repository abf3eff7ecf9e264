#include "device/qovcgiapifactory.h"

#include "device/qovcgiapizeph2208.h"

namespace {

QovCgiApi *forType(QovDeviceSelector::DeviceType type)
{
    switch (type) {
    case QovDeviceSelector::ZEPH2208:
    case QovDeviceSelector::ZEPH2208NET:
        return new QovCgiApiZeph2208();
    case QovDeviceSelector::Unknown:
        break;
    }
    return nullptr;
}

} // namespace

QovCgiApi *createCgiApi(const QovAppDeviceModel &device)
{
    return device ? forType(device->deviceType()) : nullptr;
}

QovCgiApi *createCgiApi(const QovOnlineDeviceModel &device)
{
    return device ? forType(QovDeviceSelector::typeFromModelName(device->modelName())) : nullptr;
}
