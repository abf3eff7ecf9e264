#include "pagetestutil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace pagetest {

namespace {

QString dataPath(const QString &file)
{
    return QStringLiteral(VELMORA_SOURCE_DIR "/tests/webpage/data/") + file;
}

} // namespace

void installPage(const QString &dataFile, const QStringList &companions)
{
    const auto copy = [](const QString &source, const QString &target) {
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::remove(target);
        if (!QFile::copy(dataPath(source), target)) {
            qFatal("cannot install test page %s", qPrintable(source));
        }
    };
    const QList<QovDeviceSelector::DeviceType> types = QovDeviceSelector::supportedTypes();
    for (QovDeviceSelector::DeviceType type : types) {
        const QString target = QovDeviceSelector::settingsPageUrl(type).toLocalFile();
        copy(dataFile, target);
        for (const QString &companion : companions) {
            copy(companion, QFileInfo(target).absolutePath() + QLatin1Char('/') + companion);
        }
    }
}

void removePages()
{
    const QList<QovDeviceSelector::DeviceType> types = QovDeviceSelector::supportedTypes();
    for (QovDeviceSelector::DeviceType type : types) {
        QFile::remove(QovDeviceSelector::settingsPageUrl(type).toLocalFile());
    }
}

QovAppDeviceModel device(const QString &name, QovDeviceSelector::DeviceType type, int color)
{
    auto made = std::make_shared<QovAppDeviceModelInternal>();
    made->setDeviceName(name);
    made->setDeviceType(type);
    made->setHeaderColor(color);
    return made;
}

QVariant evalJs(QWebEnginePage *page, const QString &script, int timeoutMs)
{
    QVariant result;
    bool done = false;
    QEventLoop loop;
    page->runJavaScript(script, [&](const QVariant &value) {
        result = value;
        done = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done) {
        loop.exec();
    }
    return done ? result : QVariant();
}

QString jsString(const QString &text)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact))
        .mid(1)
        .chopped(1);
}

bool waitReady(QWebEngineView *view, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        if (view->title() == QLatin1String("ready")) {
            return true;
        }
        QTest::qWait(20);
    }
    return false;
}

} // namespace pagetest
