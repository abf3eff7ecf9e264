#include "device/qovcgireply.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace QovCgiReply {

QJsonObject object(const QByteArray &body)
{
    return QJsonDocument::fromJson(body).object();
}

int rcode(const QByteArray &body)
{
    return object(body).value(QStringLiteral("rcode")).toInt(9999);
}

bool succeeded(const QByteArray &body)
{
    return rcode(body) == 1;
}

QovCgiApi::DeviceInfo deviceInfo(const QByteArray &body)
{
    const QJsonObject reply = object(body);
    QovCgiApi::DeviceInfo info;
    info.deviceName = reply.value(QStringLiteral("devicename")).toString();
    info.deviceId = reply.value(QStringLiteral("deviceid")).toInt(-1);
    info.headerColor = reply.value(QStringLiteral("headercolor")).toInt(-1);
    info.authRequired = reply.value(QStringLiteral("admin_passwd")).toBool(false);
    info.macAddress = reply.value(QStringLiteral("macaddress"))
                          .toString()
                          .toUpper()
                          .replace(QLatin1Char('-'), QLatin1Char(':'));
    const QJsonArray units = reply.value(QStringLiteral("linked_unit_list")).toArray();
    for (const QJsonValue &unit : units) {
        const QJsonObject entry = unit.toObject();
        info.linkedExtensions.append(
            std::make_tuple(entry.value(QStringLiteral("serial")).toInt(0),
                            entry.value(QStringLiteral("unitno")).toInt(0)));
    }
    // Mode 0 marks an extension unit; any other mode is a primary once it has linked units.
    const int mode =
        reply.value(QStringLiteral("ovlink")).toObject().value(QStringLiteral("mode")).toInt(0);
    if (mode == 0) {
        info.ovLink = QovOnlineDeviceModelInternal::EXTENSION;
    } else {
        info.ovLink = units.isEmpty() ? QovOnlineDeviceModelInternal::NONE
                                      : QovOnlineDeviceModelInternal::PRIMARY;
    }
    const int code = reply.value(QStringLiteral("rcode")).toInt(9999);
    if (code == 7) {
        info.error = QLatin1String(QovCgiApi::DeviceInfo::kFirmwareUpdating);
    } else if (code != 1) {
        info.error = QStringLiteral("unknown Error");
    }
    return info;
}

} // namespace QovCgiReply
