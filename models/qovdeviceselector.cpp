#include "models/qovdeviceselector.h"

QList<QovDeviceSelector::DeviceType> QovDeviceSelector::supportedTypes()
{
    return {ZEPH2208, ZEPH2208NET};
}

QovDeviceSelector::DeviceType QovDeviceSelector::typeFromModelName(const QString &modelName)
{
    for (DeviceType type : supportedTypes()) {
        if (QovDeviceSelector::modelName(type) == modelName) {
            return type;
        }
    }
    return Unknown;
}

QString QovDeviceSelector::modelName(DeviceType type)
{
    switch (type) {
    case ZEPH2208:
        return QStringLiteral("ZEPH-2208");
    case ZEPH2208NET:
        return QStringLiteral("ZEPH-2208NET");
    case Unknown:
        break;
    }
    return QStringLiteral("Unknown");
}
