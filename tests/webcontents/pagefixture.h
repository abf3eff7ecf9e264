#pragma once

// What the settings page tests share: a project with one device (and maybe more) whose page is
// shown in a real web view with the real bridge, a window that records what the page asks of
// it, and the means to run script in the page and wait for it.
#include "fakemainwindow.h"
#include "models/qovappdevicemodel.h"
#include "pagetestutil.h"

#include <QJsonObject>
#include <QObject>
#include <QStringList>
#include <QVariant>

class QovProjectDataModel;
class QovZephSettingView;
class TempProfile;

using pagetest::jsString;

QString factoryText(const QString &model, int target, int bank = 0);
QJsonObject parse(const QString &text);
// The value at a slash-separated path of object keys and array indexes ("inputs/0/gain_db") in
// a JSON text; undefined where the path leads nowhere.
QJsonValue valueAt(const QString &text, const QString &path);
QString compact(const QJsonObject &object);

// The base of the page test classes; set up and torn down around every test function.
class PageFixture : public QObject
{
protected:
    void setUpProject();
    void tearDownProject();
    void openPage(const QString &model = QStringLiteral("ZEPH-2208"), bool factoryData = true,
                  const QStringList &laterDevices = QStringList());
    QVariant js(const QString &script);
    // Runs a script for what it does; false when it threw.
    bool run(const QString &script) { return js(script + QStringLiteral(";true")).toBool(); }
    bool click(const QString &selector);
    bool waitFor(const QString &condition, int timeoutMs = 10000);
    // Until the page has its data on screen.
    bool waitReady();
    // The device's current settings at a path (see valueAt).
    QJsonValue currentAt(const QString &path) const
    {
        return valueAt(m_device->zephDataCurrent(), path);
    }
    void setField(const QString &selector, const QString &text);
    QString press(const QString &selector, const QString &key, int times = 1);

    TempProfile *m_profile = nullptr;
    FakeMainWindow *m_window = nullptr;
    QovProjectDataModel *m_project = nullptr;
    QovAppDeviceModel m_device;
    QovZephSettingView *m_view = nullptr;
    qint64 m_loadMs = 0;
};
