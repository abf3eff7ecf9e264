#include "models/qovappdevicemodel.h"

#include "models/qovipsortkey.h"
#include "models/qovonlinedevicemodel.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
QString compactText(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QJsonObject parsedObject(const QString &text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

// Texts of the objects in `array`, in order, with `strip` removed from each. Returns the key
// of a failing element in `error`.
bool collectTexts(const QJsonArray &array, const QString &key, const QString &strip,
                  QStringList *texts, QVector<QJsonObject> *objects, QString *error)
{
    texts->reserve(array.size());
    objects->reserve(array.size());
    for (const QJsonValue &value : array) {
        QJsonObject object = value.toObject();
        if (!strip.isEmpty()) {
            object.remove(strip);
        }
        const QString text = compactText(object);
        if (text.isEmpty()) {
            *error = QStringLiteral("%1[%2]").arg(key).arg(texts->size());
            return false;
        }
        texts->append(text);
        objects->append(object);
    }
    if (texts->isEmpty()) {
        *error = key;
        return false;
    }
    return true;
}
} // namespace

QovAppDeviceModelInternal::QovAppDeviceModelInternal(QObject *parent)
    : QObject(parent)
    , m_deviceType(QovDeviceSelector::supportedTypes().constFirst())
{
}

QovAppDeviceModelInternal::QovAppDeviceModelInternal(const QovOnlineDeviceModel &online,
                                                     QObject *parent)
    : QObject(parent)
    , m_deviceName(online->deviceName())
    , m_deviceType(QovDeviceSelector::typeFromModelName(online->modelName()))
    , m_ipAddress(online->ipAddress())
    , m_macAddress(online->macAddress())
    , m_headerColor(online->headerColor())
    , m_deviceId(online->deviceId())
    , m_status(CONNECTED)
{
}

QovAppDeviceModelInternal::QovAppDeviceModelInternal(const QString &deviceName,
                                                     QovDeviceSelector::DeviceType deviceType,
                                                     const QString &macAddress, int headerColor,
                                                     int deviceId, QObject *parent)
    : QObject(parent)
    , m_deviceName(deviceName)
    , m_deviceType(deviceType)
    , m_macAddress(macAddress)
    , m_headerColor(headerColor)
    , m_deviceId(deviceId)
    , m_status(macAddress.isEmpty() ? DISCONNECTED : MISSING)
{
}

QString QovAppDeviceModelInternal::modelName() const
{
    return QovDeviceSelector::modelName(m_deviceType);
}

QovZephData QovAppDeviceModelInternal::zephData() const
{
    return m_data;
}

QString QovAppDeviceModelInternal::setZephDataJson(const QJsonObject &data)
{
    QJsonObject rest = data;
    auto parsed = std::make_shared<ParsedData>();
    QStringList presets;
    QStringList partials;
    QString error;
    if (!collectTexts(rest.value(QStringLiteral("preset_list")).toArray(),
                      QStringLiteral("preset_list"), QString(), &presets, &parsed->preset,
                      &error)) {
        return error;
    }
    rest.remove(QStringLiteral("preset_list"));
    if (!collectTexts(rest.value(QStringLiteral("partial_list")).toArray(),
                      QStringLiteral("partial_list"), QStringLiteral("index"), &partials,
                      &parsed->partialPreset, &error)) {
        return error;
    }
    rest.remove(QStringLiteral("partial_list"));

    parsed->eq4Band = rest.value(QStringLiteral("eq4_lib")).toObject();
    const QString eq4 = compactText(parsed->eq4Band);
    if (eq4.isEmpty()) {
        return QStringLiteral("eq4_lib");
    }
    rest.remove(QStringLiteral("eq4_lib"));
    parsed->eq12Band = rest.value(QStringLiteral("eq12_lib")).toObject();
    const QString eq12 = compactText(parsed->eq12Band);
    if (eq12.isEmpty()) {
        return QStringLiteral("eq12_lib");
    }
    rest.remove(QStringLiteral("eq12_lib"));
    parsed->current = rest;
    const QString current = compactText(rest);
    if (current.isEmpty()) {
        return QStringLiteral("*");
    }

    setZephDataPreset(presets);
    setZephDataPartialPreset(partials);
    setZephData4BandEq(eq4);
    setZephData12BandEq(eq12);
    setZephDataCurrent(current);
    m_parsed = std::move(parsed);
    return QString();
}

QJsonObject QovAppDeviceModelInternal::zephDataJson() const
{
    if (!m_parsed) {
        auto parsed = std::make_shared<ParsedData>();
        for (const QString &text : m_data.preset) {
            parsed->preset.append(parsedObject(text));
        }
        for (const QString &text : m_data.partialPreset) {
            parsed->partialPreset.append(parsedObject(text));
        }
        parsed->eq12Band = parsedObject(m_data.eq12Band);
        parsed->eq4Band = parsedObject(m_data.eq4Band);
        parsed->current = parsedObject(m_data.current);
        m_parsed = std::move(parsed);
    }
    const std::shared_ptr<const ParsedData> parsed = m_parsed;
    QJsonObject data = parsed->current;
    QJsonArray presets;
    for (const QJsonObject &object : parsed->preset) {
        presets.append(object);
    }
    QJsonArray partials;
    for (int i = 0; i < parsed->partialPreset.size(); ++i) {
        QJsonObject object = parsed->partialPreset.at(i);
        object.insert(QStringLiteral("index"), i);
        partials.append(object);
    }
    data.insert(QStringLiteral("preset_list"), presets);
    data.insert(QStringLiteral("partial_list"), partials);
    data.insert(QStringLiteral("eq4_lib"), parsed->eq4Band);
    data.insert(QStringLiteral("eq12_lib"), parsed->eq12Band);
    return data;
}

quint32 QovAppDeviceModelInternal::ipSortKey() const
{
    return qovIpSortKey(m_ipAddress);
}

QString QovAppDeviceModelInternal::debugText() const
{
    return QStringLiteral("QovAppDeviceModel{'%1'[%2]}").arg(m_deviceName).arg(m_deviceId);
}

void QovAppDeviceModelInternal::dropParsedData()
{
    m_parsed.reset();
}
