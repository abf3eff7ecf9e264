#include "webpage/qovjsapizeph2208.h"

#include "models/qovdatasettable.h"
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

// The page's getter of each data set; a banked set's getter takes the bank.
struct PageGetter
{
    int code;
    const char *name;
};
constexpr PageGetter kGetters[] = {
    {QovDataSetInfo::kPreset, "getZephDataPreset"},
    {QovDataSetInfo::kEq12Band, "getZephData12BandEq"},
    {QovDataSetInfo::kEq4Band, "getZephData4BandEq"},
    {QovDataSetInfo::kPartialPreset, "getZephDataPartialPreset"},
    {QovDataSetInfo::kCurrent, "getZephDataCurrent"},
};

QString getterScript(const QovDataSetInfo &info, int bank)
{
    for (const PageGetter &getter : kGetters) {
        if (getter.code == info.code) {
            const QString name = QLatin1String(getter.name);
            return info.banks > 1 ? QStringLiteral("%1(%2);").arg(name).arg(bank)
                                  : QStringLiteral("%1();").arg(name);
        }
    }
    return QString();
}

} // namespace

QovJsApiZeph2208::QovJsApiZeph2208(QovMainWindowBase *mainWindow, QovAppDeviceModel device,
                                   int pageNumber, QWebEngineView *webView, QObject *parent)
    : QovJsApi(mainWindow, std::move(device), pageNumber, webView, parent)
{
}

void QovJsApiZeph2208::zephDataChanged(int type, int bank)
{
    const QovDataSetInfo *info = qovDataSetInfo(type);
    if (!info) {
        return;
    }
    if (info->banks == 1) {
        bank = 0;
    } else if (bank < 0 || bank >= info->banks) {
        // The page never sends other banks, and the device has no room for them.
        qDebug() << "zephDataChanged: bank out of range" << type << bank;
        return;
    }
    bool &mark = m_fetching[{type, bank}];
    if (mark) {
        qDebug() << QThread::currentThreadId() << "cancelled zephDataChanged" << type << bank;
        return;
    }
    const QovAppDeviceModel target = device();
    runFetch(mark, getterScript(*info, bank), [this, target, type, bank](const QVariant &result) {
        const bool stored = isStorable(result, type, bank);
        if (stored) {
            const QString before = target->zephDataSet(type, bank);
            target->setZephDataSet(type, bank, result.toString());
            // A page that only repeats what the device holds has changed nothing.
            if (target->zephDataSet(type, bank) != before) {
                target->markEdited();
            }
        }
        // The current settings carry the device's name, ID and colour too; the mark stays set
        // until those have arrived as well.
        if (stored && type == QovDataSetInfo::kCurrent) {
            fetchDeviceInfo();
        } else {
            m_fetching[{type, bank}] = false;
        }
    });
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
        m_fetching[{QovDataSetInfo::kCurrent, 0}] = false;
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
    m_fetching[{QovDataSetInfo::kCurrent, 0}] = false;
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
    return std::any_of(m_fetching.begin(), m_fetching.end(),
                       [](const auto &mark) { return mark.second; });
}

void QovJsApiZeph2208::clearMarks()
{
    m_fetching.clear();
}
