#include "webpage/qovjsapizeph2208.h"

#include "models/qovdevicefields.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QThread>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>

namespace {
// Data-set codes a page reports.
constexpr int PRESET = 2;
constexpr int EQ_12BAND = 3;
constexpr int EQ_4BAND = 4;
constexpr int PARTIAL_PRESET = 6;
constexpr int CURRENT = 7;
} // namespace

QovJsApiZeph2208::QovJsApiZeph2208(QovMainWindowBase *mainWindow, QovAppDeviceModel device,
                                   int pageNumber, QWebEngineView *webView, QObject *parent)
    : QovJsApi(mainWindow, std::move(device), pageNumber, webView, parent)
{
}

void QovJsApiZeph2208::zephDataChanged(int type, int bank)
{
    bool *mark = nullptr;
    QString script;
    ResultHandler store;
    const QovAppDeviceModel target = device();

    switch (type) {
    case PRESET:
        // The page never sends other banks, and the device has no room for them.
        if (bank < 0 || bank >= int(m_presetFetching.size())) {
            qDebug() << "zephDataChanged: preset bank out of range" << bank;
            return;
        }
        mark = &m_presetFetching[bank];
        script = QStringLiteral("getZephDataPreset(%1);").arg(bank);
        store = [this, target, bank](const QVariant &result) {
            if (isStorable(result, PRESET, bank)) {
                target->setZephDataPreset(bank, result.toString());
            }
            m_presetFetching[bank] = false;
        };
        break;
    case EQ_12BAND:
        mark = &m_eq12BandFetching;
        script = QStringLiteral("getZephData12BandEq();");
        store = [this, target](const QVariant &result) {
            if (isStorable(result, EQ_12BAND, 0)) {
                target->setZephData12BandEq(result.toString());
            }
            m_eq12BandFetching = false;
        };
        break;
    case EQ_4BAND:
        mark = &m_eq4BandFetching;
        script = QStringLiteral("getZephData4BandEq();");
        store = [this, target](const QVariant &result) {
            if (isStorable(result, EQ_4BAND, 0)) {
                target->setZephData4BandEq(result.toString());
            }
            m_eq4BandFetching = false;
        };
        break;
    case PARTIAL_PRESET:
        if (bank < 0 || bank >= int(m_partialPresetFetching.size())) {
            qDebug() << "zephDataChanged: partial preset bank out of range" << bank;
            return;
        }
        mark = &m_partialPresetFetching[bank];
        script = QStringLiteral("getZephDataPartialPreset(%1);").arg(bank);
        store = [this, target, bank](const QVariant &result) {
            if (isStorable(result, PARTIAL_PRESET, bank)) {
                target->setZephDataPartialPreset(bank, result.toString());
            }
            m_partialPresetFetching[bank] = false;
        };
        break;
    case CURRENT:
        mark = &m_currentFetching;
        script = QStringLiteral("getZephDataCurrent();");
        // The current settings carry the device's name, ID and colour too; the mark stays set
        // until those have arrived as well.
        store = [this, target](const QVariant &result) {
            if (!isStorable(result, CURRENT, 0)) {
                m_currentFetching = false;
                return;
            }
            target->setZephDataCurrent(result.toString());
            fetchDeviceInfo();
        };
        break;
    default:
        return;
    }

    if (*mark) {
        qDebug() << QThread::currentThreadId() << "cancelled zephDataChanged" << type << bank;
        return;
    }
    runFetch(*mark, script, store);
}

void QovJsApiZeph2208::runFetch(bool &mark, const QString &script, const ResultHandler &onResult)
{
    QWebEngineView *view = webView();
    if (!view) {
        // No page, nobody to ask: the notice cannot have come from a page of ours.
        qDebug() << "zephDataChanged without a page:" << script;
        return;
    }
    mark = true;
    const QPointer<QovJsApiZeph2208> self(this);
    const quint64 generation = m_pageGeneration;
    view->page()->runJavaScript(script, [self, generation, onResult](const QVariant &result) {
        // A page that is torn down answers its pending scripts with empty results; those are
        // not the page's data and must not overwrite the device's.
        if (!self || self->m_pageGeneration != generation) {
            return;
        }
        onResult(result);
    });
}

void QovJsApiZeph2208::fetchDeviceInfo()
{
    QWebEngineView *view = webView();
    if (!view) {
        m_currentFetching = false;
        return;
    }
    const QPointer<QovJsApiZeph2208> self(this);
    const quint64 generation = m_pageGeneration;
    view->page()->runJavaScript(QStringLiteral("getDeviceInfo();"),
                                [self, generation](const QVariant &result) {
                                    if (!self || self->m_pageGeneration != generation) {
                                        return;
                                    }
                                    self->storeDeviceInfo(result);
                                });
}

void QovJsApiZeph2208::storeDeviceInfo(const QVariant &result)
{
    m_currentFetching = false;
    const QJsonObject info = QJsonDocument::fromJson(result.toByteArray()).object();
    qDebug() << QThread::currentThreadId() << "return value = " << info;
    // All three or none, by the rules the project file is read with: a page that stores an
    // ID the reader refuses makes the whole project unreadable. A value the device holds
    // already passes as it is (a device made in the program has no name until it is given one).
    const QovAppDeviceModel target = device();
    QString name = target->deviceName();
    int id = target->deviceId();
    int color = target->headerColor();
    const QJsonValue nameValue = info.value(QStringLiteral("name"));
    const QJsonValue idValue = info.value(QStringLiteral("deviceid"));
    const QJsonValue colorValue = info.value(QStringLiteral("color"));
    const bool nameOk =
        nameValue == QJsonValue(name) || QovDeviceFields::readName(nameValue, &name);
    const bool idOk = idValue == QJsonValue(id) || QovDeviceFields::readDeviceId(idValue, &id);
    const bool colorOk =
        colorValue == QJsonValue(color) || QovDeviceFields::readHeaderColor(colorValue, &color);
    if (!nameOk || !idOk || !colorOk) {
        qDebug() << "refused device info from the page:" << result.toString().left(200);
        return;
    }
    target->setDeviceName(name);
    target->setDeviceId(id);
    target->setHeaderColor(color);
}

bool QovJsApiZeph2208::isStorable(const QVariant &result, int type, int bank)
{
    // A getter that failed answers with no value: that is no data set either.
    if (result.userType() == QMetaType::QString &&
        QovDeviceFields::isDataSetText(result.toString())) {
        return true;
    }
    qDebug() << "refused data set from the page:" << type << bank << result.toString().left(200);
    return false;
}

void QovJsApiZeph2208::setWebView(QWebEngineView *webView)
{
    if (webView == this->webView()) {
        return;
    }
    // Scripts still running in the old page will never deliver: forget them.
    ++m_pageGeneration;
    clearMarks();
    QovJsApi::setWebView(webView);
}

bool QovJsApiZeph2208::fetchInFlight() const
{
    const auto set = [](bool mark) { return mark; };
    return m_eq12BandFetching || m_eq4BandFetching || m_currentFetching ||
           std::any_of(m_presetFetching.begin(), m_presetFetching.end(), set) ||
           std::any_of(m_partialPresetFetching.begin(), m_partialPresetFetching.end(), set);
}

void QovJsApiZeph2208::clearMarks()
{
    m_presetFetching.fill(false);
    m_partialPresetFetching.fill(false);
    m_eq12BandFetching = false;
    m_eq4BandFetching = false;
    m_currentFetching = false;
}
