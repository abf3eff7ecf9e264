#include "models/qovdevicefields.h"

#include "models/qovjsonscan.h"
#include "models/qovtextrules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <climits>
#include <cmath>

namespace QovDeviceFields {

bool integerIn(const QJsonValue &value, int low, int high, int *out)
{
    if (!value.isDouble()) {
        return false;
    }
    const double d = value.toDouble();
    if (!(d >= low && d <= high) || std::floor(d) != d) {
        return false;
    }
    *out = static_cast<int>(d);
    return true;
}

bool trimmedText(const QJsonValue &value, int maxLength, QString *out)
{
    if (!value.isString()) {
        return false;
    }
    *out = value.toString().trimmed();
    // What loads can be typed again.
    return out->size() <= maxLength;
}

bool readName(const QJsonValue &value, QString *out)
{
    return trimmedText(value, QovTextRules::deviceNameLength, out) &&
           QovTextRules::isDeviceName(*out);
}

bool readDeviceId(const QJsonValue &value, int *out)
{
    return integerIn(value, minDeviceId, maxDeviceId, out);
}

bool readHeaderColor(const QJsonValue &value, int *out)
{
    return integerIn(value, minHeaderColor, maxHeaderColor, out);
}

bool isMacAddress(const QString &mac)
{
    if (mac.size() != 17) {
        return false;
    }
    for (int i = 0; i < mac.size(); ++i) {
        const ushort u = mac.at(i).unicode();
        const bool separator = i % 3 == 2;
        const bool hex = (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F');
        if (separator ? u != ':' : !hex) {
            return false;
        }
    }
    return true;
}

bool readMacAddress(const QJsonValue &value, QString *out)
{
    if (!trimmedText(value, INT_MAX, out)) {
        return false;
    }
    *out = out->toUpper().replace(QLatin1Char('-'), QLatin1Char(':'));
    return out->isEmpty() || isMacAddress(*out);
}

bool isDataSetText(const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    if (!QovJsonScan::isStrict(utf8)) {
        return false;
    }
    const QJsonDocument document = QJsonDocument::fromJson(utf8);
    // Standard JSON names U+0000 only by its escape.
    return document.isObject() && (!utf8.contains("\\u0000") || !holdsNulName(document.object()));
}

bool holdsNulName(const QJsonValue &value)
{
    if (value.isArray()) {
        const QJsonArray array = value.toArray();
        return std::any_of(array.begin(), array.end(),
                           [](const QJsonValue &element) { return holdsNulName(element); });
    }
    const QJsonObject object = value.toObject();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (it.key().contains(QChar(0)) || holdsNulName(it.value())) {
            return true;
        }
    }
    return false;
}

} // namespace QovDeviceFields
