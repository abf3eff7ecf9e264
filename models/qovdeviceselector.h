#pragma once

#include <QList>
#include <QObject>
#include <QString>

// The device types the program knows and what belongs to each of them.
class QovDeviceSelector
{
    Q_GADGET

public:
    enum DeviceType { ZEPH2208 = 0, ZEPH2208NET = 1, Unknown = 2 };
    Q_ENUM(DeviceType)

    // Types the program can use, in the order new devices and menus offer them.
    static QList<DeviceType> supportedTypes();

    // Case-sensitive: a mixer reporting "zeph-2208" is not one of ours.
    static DeviceType typeFromModelName(const QString &modelName);
    static QString modelName(DeviceType type);
};

Q_DECLARE_METATYPE(QovDeviceSelector::DeviceType)
