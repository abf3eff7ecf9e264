#include "models/qovdeviceselector.h"

#include <QCoreApplication>

namespace {
struct TypeEntry
{
    QovDeviceSelector::DeviceType type;
    const char *modelName;
    const char *icon1x;
    const char *icon2x;
    const char *settingsPage;
};

// Supported types first, in the order the program offers them.
const TypeEntry typeTable[] = {
    {QovDeviceSelector::ZEPH2208, "ZEPH-2208", ":/images/zeph-2208@1x.png",
     ":/images/zeph-2208@2x.png", "/webcontents/zeph2208/index.html"},
    {QovDeviceSelector::ZEPH2208NET, "ZEPH-2208NET", ":/images/zeph-2208-net@1x.png",
     ":/images/zeph-2208-net@2x.png", "/webcontents/zeph2208net/index.html"},
};

const TypeEntry *entryFor(QovDeviceSelector::DeviceType type)
{
    for (const TypeEntry &entry : typeTable) {
        if (entry.type == type) {
            return &entry;
        }
    }
    return nullptr;
}
} // namespace

QList<QovDeviceSelector::DeviceType> QovDeviceSelector::supportedTypes()
{
    QList<DeviceType> types;
    for (const TypeEntry &entry : typeTable) {
        types.append(entry.type);
    }
    return types;
}

QovDeviceSelector::DeviceType QovDeviceSelector::typeFromModelName(const QString &modelName)
{
    for (const TypeEntry &entry : typeTable) {
        if (modelName == QLatin1String(entry.modelName)) {
            return entry.type;
        }
    }
    return Unknown;
}

QString QovDeviceSelector::modelName(DeviceType type)
{
    const TypeEntry *entry = entryFor(type);
    return entry ? QString::fromLatin1(entry->modelName) : QStringLiteral("Unknown");
}

QStringList QovDeviceSelector::iconFiles(DeviceType type)
{
    const TypeEntry *entry = entryFor(type);
    if (!entry) {
        return {};
    }
    return {QString::fromLatin1(entry->icon1x), QString::fromLatin1(entry->icon2x)};
}

QIcon QovDeviceSelector::icon(DeviceType type)
{
    QIcon icon;
    for (const QString &file : iconFiles(type)) {
        icon.addFile(file);
    }
    return icon;
}

QString QovDeviceSelector::settingsPagePath(DeviceType type)
{
    const TypeEntry *entry = entryFor(type);
    return entry ? QString::fromLatin1(entry->settingsPage) : QString();
}

QUrl QovDeviceSelector::settingsPageUrl(DeviceType type)
{
    const QString path = settingsPagePath(type);
    if (path.isEmpty()) {
        return QUrl();
    }
    return QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + path);
}
