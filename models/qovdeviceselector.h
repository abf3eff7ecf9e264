#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

// The device types the program knows and what belongs to each of them.
class QovDeviceSelector
{
    Q_GADGET

public:
    enum DeviceType { ZEPH2208 = 0, ZEPH2208NET = 1, Unknown = 2 };
    Q_ENUM(DeviceType)

    // Types the program can use, in the order new devices and menus offer them. The first one
    // is the type of a newly created project device.
    static QList<DeviceType> supportedTypes();

    // Case-sensitive: a mixer reporting "zeph-2208" is not one of ours.
    static DeviceType typeFromModelName(const QString &modelName);
    static QString modelName(DeviceType type);

    // Resource paths of the type's picture at 1x and 2x; empty for Unknown.
    static QStringList iconFiles(DeviceType type);
    // Null icon for Unknown.
    static QIcon icon(DeviceType type);

    // Path of the type's settings page relative to the program's folder; empty for Unknown.
    static QString settingsPagePath(DeviceType type);
    // Local-file URL of the settings page installed beside the program; empty for Unknown.
    static QUrl settingsPageUrl(DeviceType type);
};

Q_DECLARE_METATYPE(QovDeviceSelector::DeviceType)
