#include "models/qovappdevicemodel.h"

#include "models/qovipsortkey.h"
#include "models/qovmodelmetatypes.h"
#include "models/qovonlinedevicemodel.h"
#include "models/qovparsedzephdata.h"

#include <QMetaMethod>

namespace {
// Whether storing `next` over `text` changes the text, without making text from `next`
// unless the objects are equal (then the old text may still differ in form).
bool changes(const QString &text, const QJsonObject &old, const QJsonObject &next)
{
    return old != next || text != QovParsedZephData::compactText(next);
}

bool changes(const QStringList &texts, const QVector<QJsonObject> &old,
             const QVector<QJsonObject> &next)
{
    if (texts.size() != next.size()) {
        return true;
    }
    for (int i = 0; i < next.size(); ++i) {
        if (changes(texts.at(i), old.at(i), next.at(i))) {
            return true;
        }
    }
    return false;
}
} // namespace

QovAppDeviceModelInternal::QovAppDeviceModelInternal(QObject *parent)
    : QObject(parent)
    , m_deviceType(QovDeviceSelector::supportedTypes().constFirst())
{
    qovRegisterModelMetaTypes();
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
    qovRegisterModelMetaTypes();
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
    qovRegisterModelMetaTypes();
}

QString QovAppDeviceModelInternal::modelName() const
{
    return QovDeviceSelector::modelName(m_deviceType);
}

QovZephData QovAppDeviceModelInternal::zephData() const
{
    QovZephData data = texts();
    data.error.clear();
    return data;
}

QString QovAppDeviceModelInternal::setZephDataJson(const QJsonObject &data)
{
    auto parsed = std::make_shared<QovParsedZephData>();
    const QString error = QovParsedZephData::read(data, parsed.get());
    if (!error.isEmpty()) {
        return error;
    }
    if (textSignalsConnected()) {
        const QovZephData next = parsed->toTexts();
        setZephDataPreset(next.preset);
        setZephDataPartialPreset(next.partialPreset);
        setZephData4BandEq(next.eq4Band);
        setZephData12BandEq(next.eq12Band);
        setZephDataCurrent(next.current);
        QMutexLocker lock(&m_lazyLock);
        m_parsed = std::move(parsed);
        return QString();
    }
    // Nobody receives the texts, so only somethingChanged is observable: once per changed
    // part, as the setters would emit it.
    for (int i = storeParsedQuietly(parsed); i > 0; --i) {
        Q_EMIT somethingChanged();
    }
    return QString();
}

int QovAppDeviceModelInternal::storeParsedQuietly(
    const std::shared_ptr<const QovParsedZephData> &parsed)
{
    const QovZephData &now = texts();
    const std::shared_ptr<const QovParsedZephData> old = parsedData();
    const int changed = int(changes(now.preset, old->preset, parsed->preset)) +
                        int(changes(now.partialPreset, old->partialPreset, parsed->partialPreset)) +
                        int(changes(now.eq4Band, old->eq4Band, parsed->eq4Band)) +
                        int(changes(now.eq12Band, old->eq12Band, parsed->eq12Band)) +
                        int(changes(now.current, old->current, parsed->current));
    QMutexLocker lock(&m_lazyLock);
    m_parsed = parsed;
    m_textsPending = true;
    return changed;
}

QJsonObject QovAppDeviceModelInternal::zephDataJson() const
{
    return parsedData()->toDataObject();
}

const QovZephData &QovAppDeviceModelInternal::texts() const
{
    QMutexLocker lock(&m_lazyLock);
    if (m_textsPending) {
        m_data = m_parsed->toTexts();
        m_textsPending = false;
    }
    return m_data;
}

QovZephData &QovAppDeviceModelInternal::editableTexts()
{
    texts();
    return m_data;
}

std::shared_ptr<const QovParsedZephData> QovAppDeviceModelInternal::parsedData() const
{
    QMutexLocker lock(&m_lazyLock);
    if (!m_parsed) {
        m_parsed = std::make_shared<QovParsedZephData>(QovParsedZephData::fromTexts(m_data));
    }
    return m_parsed;
}

void QovAppDeviceModelInternal::dropParsedData()
{
    QMutexLocker lock(&m_lazyLock);
    m_parsed.reset();
}

bool QovAppDeviceModelInternal::textSignalsConnected() const
{
    static const QMetaMethod textSignals[] = {
        QMetaMethod::fromSignal(&QovAppDeviceModelInternal::zephDataPresetChanged),
        QMetaMethod::fromSignal(&QovAppDeviceModelInternal::zephDataPresetBankChanged),
        QMetaMethod::fromSignal(&QovAppDeviceModelInternal::zephData12BandEqChanged),
        QMetaMethod::fromSignal(&QovAppDeviceModelInternal::zephData4BandEqChanged),
        QMetaMethod::fromSignal(&QovAppDeviceModelInternal::zephDataPartialPresetChanged),
        QMetaMethod::fromSignal(&QovAppDeviceModelInternal::zephDataPartialPresetBankChanged),
        QMetaMethod::fromSignal(&QovAppDeviceModelInternal::zephDataCurrentChanged),
    };
    for (const QMetaMethod &signal : textSignals) {
        if (isSignalConnected(signal)) {
            return true;
        }
    }
    return false;
}

quint32 QovAppDeviceModelInternal::ipSortKey() const
{
    return qovIpSortKey(m_ipAddress);
}

QString QovAppDeviceModelInternal::debugText() const
{
    return QStringLiteral("QovAppDeviceModel{'%1'[%2]}").arg(m_deviceName).arg(m_deviceId);
}
