#include "models/qovprojectsnapshot.h"

#include "models/qovdatasettable.h"
#include "models/qovdevicefields.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <climits>
#include <limits>

namespace {
// A JSON string literal with the escapes the JSON writer uses.
QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

void appendDevice(QByteArray &out, const QovAppDeviceRecord &device)
{
    const QByteArray data = device.data.toDataBytes();
    // Members in the order the JSON writer sorts them; "address" only where there is one, so
    // that a project without such mixers reads as before.
    out += '{';
    if (!device.addedAddress.isEmpty()) {
        out += "\"address\":";
        out += jsonString(device.addedAddress);
        out += ',';
    }
    out += "\"color\":";
    out += QByteArray::number(device.headerColor);
    out += ",\"data\":";
    out += data;
    out += ",\"id\":";
    out += QByteArray::number(device.deviceId);
    out += ",\"mac\":";
    out += jsonString(device.macAddress);
    out += ",\"model\":";
    out += jsonString(device.modelName);
    out += ",\"name\":";
    out += jsonString(device.deviceName);
    if (!device.unreadable.isEmpty()) {
        out += ",\"unreadable\":";
        out += QJsonDocument(QovProjectSnapshot::unreadableJson(device.unreadable))
                   .toJson(QJsonDocument::Compact);
    }
    out += '}';
}
} // namespace

QJsonArray QovProjectSnapshot::unreadableJson(const QVector<QovDataSlot> &sets)
{
    QJsonArray array;
    for (const QovDataSlot &set : sets) {
        array.append(
            QJsonObject{{QStringLiteral("target"), set.code}, {QStringLiteral("bank"), set.bank}});
    }
    return array;
}

QVector<QovDataSlot> QovProjectSnapshot::unreadableFromJson(const QJsonValue &value)
{
    QVector<QovDataSlot> sets;
    for (const QJsonValue &entry : value.toArray()) {
        const QJsonObject object = entry.toObject();
        QovDataSlot set;
        const QovDataSetInfo *info = nullptr;
        if (QovDeviceFields::integerIn(object.value(QStringLiteral("target")), INT_MIN, INT_MAX,
                                       &set.code) &&
            (info = qovDataSetInfo(set.code)) != nullptr &&
            QovDeviceFields::integerIn(object.value(QStringLiteral("bank")), 0, info->banks - 1,
                                       &set.bank) &&
            !sets.contains(set)) {
            sets.append(set);
        }
    }
    return sets;
}

QByteArray QovProjectSnapshot::toJsonBytes() const
{
    qint64 size = 256;
    for (const QovAppDeviceRecord &device : devices) {
        size += device.data.dataBytesSizeHint() + 256;
    }
    QByteArray out;
    out.reserve(int(qMin<qint64>(size, std::numeric_limits<int>::max() / 2)));
    out += "{\"author\":";
    out += jsonString(author);
    out += ",\"comment\":";
    out += jsonString(comment);
    out += ",\"dealer\":";
    out += jsonString(dealer);
    out += ",\"devices\":[";
    for (int i = 0; i < devices.size(); ++i) {
        if (i) {
            out += ',';
        }
        appendDevice(out, devices.at(i));
    }
    out += "],\"title\":";
    out += jsonString(title);
    out += ",\"version\":1}";
    return out;
}
