// The page bridge against a real web engine view and web channel, driven from a test page.

#include "fakemainwindow.h"
#include "logcollector.h"
#include "models/qovautosaver.h"
#include "pagetestutil.h"

#include "webpage/qovjsapi.h"
#include "webpage/qovpagedevice.h"
#include "webpage/qovzephsettingview.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaMethod>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

using pagetest::evalJs;

namespace {

QJsonObject dataOf(const QovAppDeviceModel &device)
{
    return device->zephDataSets().toDataObject();
}

// A device's name, id and header colour as "name/id/colour".
QString identityOf(const QovAppDeviceModel &device)
{
    return QStringLiteral("%1/%2/%3")
        .arg(device->deviceName(), QString::number(device->deviceId()),
             QString::number(device->headerColor()));
}

} // namespace

class TestJsApi : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void initTestCase();
    void init();
    void cleanup();

    void metaObjectOrder();
    void pageSeesBridgeAndDevice();
    void channelPublishesOnlyThePageSurface();
    void inheritedMembersDoNoHarm();
    void dataSetFetch_data();
    void dataSetFetch();
    void quickNoticesForOneBankDropTheSecond();
    void noticesOutsideTheDataSetsDoNothing_data();
    void noticesOutsideTheDataSetsDoNothing();
    void deviceInfoUpdate_data();
    void deviceInfoUpdate();
    void valuesOutsideTheFileRulesAreRefused_data();
    void valuesOutsideTheFileRulesAreRefused();
    void snapshotOnEntryAndRollBack();
    void selectedDeviceFollowsPages();
    void forwardingSlotsReachTheWindow();
    void resultsOfAGonePageAreDropped();

private:
    QWebEnginePage *page() const { return m_window->page(1)->webView()->page(); }
    QVariant js(const QString &script) { return evalJs(page(), script); }
    // Runs a script, then a channel call: once that is answered, what the script sent before
    // it has been handled.
    bool settle(const QString &script)
    {
        js(script + QStringLiteral(";results.after=undefined;callApi('after','getDeviceList')"));
        return QTest::qWaitFor([this] { return js("results.after !== undefined").toBool(); });
    }
    QovJsApi *bridge(int pageNumber) const { return m_window->page(pageNumber)->jsApi(); }

    std::unique_ptr<FakeMainWindow> m_window;
    QVector<QovAppDeviceModel> m_devices;
};

void TestJsApi::initTestCase()
{
    pagetest::installPage(QStringLiteral("bridge.html"));
    LogCollector::install();
}

void TestJsApi::init()
{
    m_devices = {pagetest::device(QStringLiteral("Alpha"), QovDeviceSelector::ZEPH2208, 1),
                 pagetest::device(QStringLiteral("Beta"), QovDeviceSelector::ZEPH2208NET, 2),
                 pagetest::device(QStringLiteral("Gamma"), QovDeviceSelector::ZEPH2208, 3)};
    m_window = std::make_unique<FakeMainWindow>();
    QVERIFY(m_window->showProject(m_devices, 1));
}

void TestJsApi::cleanup()
{
    m_window.reset();
    m_devices.clear();
}

void TestJsApi::metaObjectOrder()
{
    // The page sees the bridge through its meta-object; the order of its methods is part of
    // what pages were written against.
    const QMetaObject &meta = QovJsApi::staticMetaObject;
    QStringList methods;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod m = meta.method(i);
        methods << QString::fromLatin1(m.typeName()) + QLatin1Char(' ') +
                       QString::fromLatin1(m.methodSignature());
    }
    QCOMPARE(methods,
             (QStringList{"void selectedDeviceChanged(int)", "void setSelectedDevice(int)",
                          "void backToProjectPage()", "void saveProject()", "void snapShot()",
                          "void rollBack()", "void gotoDevice(int)", "bool connectDevice()",
                          "bool disconnectDevice()", "bool reconnectDevice()",
                          "void zephDataChanged(int,int)", "void reportFatal(QString)",
                          "void onCurrentPageChanged(int)", "QByteArray getDeviceList()",
                          "void rememberView(QString)", "void gotoDeviceFrom(int,QString)"}));
    QCOMPARE(meta.method(meta.indexOfMethod("onCurrentPageChanged(int)")).access(),
             QMetaMethod::Private);
    // The model's bridge adds nothing a page could see twice.
    QCOMPARE(bridge(1)->metaObject()->methodCount(), meta.methodCount());
}

void TestJsApi::pageSeesBridgeAndDevice()
{
    const QJsonArray list =
        QJsonDocument::fromJson(js("api.deviceList").toString().toUtf8()).array();
    QCOMPARE(list.size(), 3);
    QCOMPARE(list.at(1).toObject(),
             (QJsonObject{{"name", "Beta"}, {"model", "ZEPH-2208NET"}, {"color", 2}}));
    QCOMPARE(js("api.currentDeviceIndex").toInt(), 0);
    QCOMPARE(js("[device.deviceName, device.modelName, device.headerColor, device.statusAsInt, "
                "device.zephDataPreset.length].join('/')")
                 .toString(),
             QStringLiteral("Alpha/ZEPH-2208/1/1/8"));

    // The invokable gives what the constant property gave.
    js("callApi('list', 'getDeviceList')");
    QTRY_COMPARE(js("results.list").toString(), js("api.deviceList").toString());

    // Changes made in the program reach the page, its properties and its signals.
    m_devices.at(0)->setDeviceName(QStringLiteral("From the app"));
    QTRY_VERIFY(js("namesSeen.indexOf('From the app') >= 0").toBool());
    QTRY_COMPARE(js("device.deviceName").toString(), QStringLiteral("From the app"));

    // The second page is told its own index and device.
    m_window->setCurrentPage(2);
    QVERIFY(pagetest::waitReady(m_window->page(2)->webView()));
    QCOMPARE(evalJs(m_window->page(2)->webView()->page(),
                    "[api.currentDeviceIndex, device.deviceName].join('/')")
                 .toString(),
             QStringLiteral("1/Beta"));
}

// The names of one kind of member ("methods", "signals", "properties") of an object as the
// channel announced it to the page, sorted.
static QStringList publishedNames(const QJsonObject &object, const QString &kind)
{
    // Methods and signals are [name, index], properties [index, name, notify, value]. Methods
    // and signals come once by name and once by each signature; the names stand for them.
    const int nameAt = kind == QLatin1String("properties") ? 1 : 0;
    QStringList names;
    for (const QJsonValue &entry : object.value(kind).toArray()) {
        const QString name = entry.toArray().at(nameAt).toString();
        if (!name.contains(QLatin1Char('('))) {
            names << name;
        }
    }
    names.sort();
    return names;
}

void TestJsApi::channelPublishesOnlyThePageSurface()
{
    QTRY_VERIFY(js("published !== null").toBool());
    const QJsonObject published =
        QJsonDocument::fromJson(js("JSON.stringify(published)").toString().toUtf8()).object();
    QCOMPARE(published.keys(), (QStringList{"qtApi", "qtApiDevice"}));

    // What QObject itself brings along: its name, its destroyed signal and deleteLater, which
    // the channel refuses for registered objects (inheritedMembersDoNoHarm tries them).
    const QJsonObject api = published.value("qtApi").toObject();
    QCOMPARE(publishedNames(api, "methods"),
             (QStringList{"backToProjectPage", "connectDevice", "deleteLater", "disconnectDevice",
                          "getDeviceList", "gotoDevice", "gotoDeviceFrom", "reconnectDevice",
                          "rememberView", "reportFatal", "rollBack", "saveProject",
                          "setSelectedDevice", "snapShot", "zephDataChanged"}));
    QCOMPARE(publishedNames(api, "signals"), QStringList{"destroyed"});
    QCOMPARE(publishedNames(api, "properties"),
             (QStringList{"arrivalFocus", "currentDevice", "currentDeviceIndex", "deviceList",
                          "objectName", "selectedDevice", "viewState"}));

    // The device: fields and change signals, no setter.
    const QJsonObject device = published.value("qtApiDevice").toObject();
    QCOMPARE(publishedNames(device, "methods"), QStringList{"deleteLater"});
    QCOMPARE(publishedNames(device, "signals"),
             (QStringList{"destroyed", "zephDataPartialPresetBankChanged",
                          "zephDataPresetBankChanged"}));
    QCOMPARE(publishedNames(device, "properties"),
             (QStringList{"deviceId", "deviceName", "headerColor", "ipAddress", "macAddress",
                          "modelName", "objectName", "statusAsInt", "statusNote",
                          "zephData12BandEq", "zephData4BandEq", "zephDataCurrent",
                          "zephDataPartialPreset", "zephDataPreset"}));
    // The page's currentDevice is that registered object, not a wrapped copy it could delete.
    QVERIFY(js("api.currentDevice === channel.objects.qtApiDevice").toBool());
}

// A hostile page calls every member QObject brings along, through the client and as raw
// messages by number (listed or not), and writes every property of both objects.
void TestJsApi::inheritedMembersDoNoHarm()
{
    const QovAppDeviceModel device = m_devices.at(0);
    const QJsonObject data = dataOf(device);
    const QPointer<QovJsApi> api(bridge(1));
    const QPointer<QObject> pageDevice(api->currentDevice());
    QSignalSpy changes(device.get(), &QovAppDeviceModelInternal::somethingChanged);
    QSignalSpy apiGone(api.data(), &QObject::destroyed);

    QVERIFY(settle(
        QStringLiteral(
            "api.deleteLater(); device.deleteLater();"
            "api.objectName = 'taken'; device.objectName = 'taken';"
            "api.destroyed.connect(function () {}); device.destroyed.connect(function () {});"
            "var T = QWebChannelMessageTypes;"
            "for (var i = 0; i < %1; ++i) {"
            "  sendRaw({type: T.invokeMethod, object: 'qtApi', method: i, args: []});"
            "  sendRaw({type: T.invokeMethod, object: 'qtApi', method: i, args: [0, 'x']});"
            "}"
            "for (var i = 0; i < %2; ++i) {"
            "  sendRaw({type: T.invokeMethod, object: 'qtApiDevice', method: i, args: []});"
            "  sendRaw({type: T.invokeMethod, object: 'qtApiDevice', method: i, args: [3, '{}']});"
            "}"
            "for (var p = 0; p < %3; ++p) {"
            "  sendRaw({type: T.setProperty, object: 'qtApiDevice', property: p, value: 999});"
            "  sendRaw({type: T.setProperty, object: 'qtApiDevice', property: p, value: ['{}']});"
            "}"
            "sendRaw({type: T.setProperty, object: 'qtApi', property: 0, value: 'taken'});")
            .arg(QObject::staticMetaObject.methodCount())
            .arg(pageDevice->metaObject()->methodCount())
            .arg(pageDevice->metaObject()->propertyCount())));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::qWait(50);

    QVERIFY(api);
    QVERIFY(pageDevice);
    QCOMPARE(apiGone.count(), 0);
    QCOMPARE(api->objectName(), QString());
    QCOMPARE(pageDevice->objectName(), QString());
    QCOMPARE(identityOf(device), QStringLiteral("Alpha/-1/1"));
    QCOMPARE(dataOf(device), data);
    QCOMPARE(changes.count(), 0);

    // The page and its bridge still work.
    js("state.level = 6; api.zephDataChanged(4, 0)");
    QTRY_VERIFY(device->zephData4BandEq().contains(QStringLiteral("\"level\":6")));
    m_devices.at(0)->setDeviceName(QStringLiteral("Still here"));
    QTRY_COMPARE(js("device.deviceName").toString(), QStringLiteral("Still here"));
}

void TestJsApi::dataSetFetch_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("bank");
    QTest::addColumn<QString>("getter");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("changedKeys"); // of the device's project file data

    const auto row = [](const char *name, int type, int bank, const char *getter, const char *kind,
                        const char *changedKeys) {
        QTest::newRow(name) << type << bank << QString(getter) << QString(kind)
                            << QString(changedKeys);
    };
    row("preset bank 5", 2, 5, "preset5", "preset", "preset_list");
    row("preset bank 0", 2, 0, "preset0", "preset", "preset_list");
    row("12-band EQ", 3, 9, "eq12", "eq12", "eq12_lib");
    row("4-band EQ", 4, 0, "eq4", "eq4", "eq4_lib");
    row("partial bank 39", 6, 39, "partial39", "partial", "partial_list");
    row("current", 7, 0, "current", "current", "kind,level");
}

void TestJsApi::dataSetFetch()
{
    QFETCH(int, type);
    QFETCH(int, bank);
    QFETCH(QString, getter);
    QFETCH(QString, kind);
    QFETCH(QString, changedKeys);
    const QovAppDeviceModel device = m_devices.at(0);
    const QJsonObject before = dataOf(device);
    QVERIFY(!device->editedSinceConnect());

    const auto stored = [&] {
        return QJsonDocument::fromJson(device->zephDataSet(type, bank).toUtf8()).object();
    };
    for (int level : {7, 8}) {
        js(QStringLiteral("state.level = %1; calls = []; api.zephDataChanged(%2, %3)")
               .arg(level)
               .arg(type)
               .arg(bank));
        QTRY_COMPARE(stored().value("level").toInt(), level);
        QCOMPARE(stored().value("kind").toString(), kind);
        if (type == 2 || type == 6) {
            QCOMPARE(stored().value("bank").toInt(), bank);
        }
        if (type == 7) {
            // The current settings bring the device's identity along.
            QTRY_COMPARE(identityOf(device), QStringLiteral("Stage Left/12/4"));
        }
        QCOMPARE(js("calls.join(',')").toString(), getter + (type == 7 ? ",info" : ""));
        // The second round runs again only if the first cleared its mark.
        QTRY_VERIFY(!bridge(1)->fetchInFlight());
    }

    // Nothing but the reported data set changed.
    QStringList changed;
    const QJsonObject after = dataOf(device);
    for (const QString &key : after.keys()) {
        if (before.value(key) != after.value(key)) {
            changed << key;
        }
    }
    QCOMPARE(changed.join(QLatin1Char(',')), changedKeys);
    // An automatic reconnect must not read the mixer over this change.
    QVERIFY(device->editedSinceConnect());
}

void TestJsApi::quickNoticesForOneBankDropTheSecond()
{
    LogCollector::clear();
    const QovAppDeviceModel device = m_devices.at(0);
    // Both notices leave the page before the bridge can have an answer to the first.
    js("calls = []; state.level = 3; api.zephDataChanged(2, 3); api.zephDataChanged(2, 3); "
       "api.zephDataChanged(2, 4)");
    QTRY_VERIFY(device->zephDataPreset().at(3).contains(QStringLiteral("\"level\":3")));
    QTRY_VERIFY(device->zephDataPreset().at(4).contains(QStringLiteral("\"level\":3")));
    QTRY_VERIFY(!bridge(1)->fetchInFlight());
    // Another bank is its own data set and was fetched; the same bank only once.
    QCOMPARE(js("calls.join(',')").toString(), QStringLiteral("preset3,preset4"));
    QCOMPARE(LogCollector::count(QStringLiteral("cancelled zephDataChanged")), 1);
    QCOMPARE(LogCollector::count(QStringLiteral("cancelled zephDataChanged 2 3")), 1);
}

void TestJsApi::noticesOutsideTheDataSetsDoNothing_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("bank");
    QTest::newRow("type 5") << 5 << 0;
    QTest::newRow("type 0") << 0 << 0;
    QTest::newRow("type 8") << 8 << 1;
    QTest::newRow("preset bank 8") << 2 << 8;
    QTest::newRow("preset bank -1") << 2 << -1;
    QTest::newRow("partial bank 40") << 6 << 40;
}

void TestJsApi::noticesOutsideTheDataSetsDoNothing()
{
    QFETCH(int, type);
    QFETCH(int, bank);
    LogCollector::clear();
    const QovAppDeviceModel device = m_devices.at(0);
    const QJsonObject before = dataOf(device);
    QSignalSpy changes(device.get(), &QovAppDeviceModelInternal::somethingChanged);

    QVERIFY(settle(QStringLiteral("calls = []; api.zephDataChanged(%1, %2)").arg(type).arg(bank)));
    QCOMPARE(js("calls.length").toInt(), 0);
    QVERIFY(!bridge(1)->fetchInFlight());
    QCOMPARE(changes.count(), 0);
    QCOMPARE(dataOf(device), before);
    QVERIFY(!LogCollector::contains(QStringLiteral("cancelled")));
}

void TestJsApi::deviceInfoUpdate_data()
{
    QTest::addColumn<QString>("info");
    QTest::addColumn<QString>("identity"); // name/id/colour

    QTest::newRow("limits")
        << R"({"name":"0123456789012345678901234567 ~","deviceid":255,"color":0})"
        << "0123456789012345678901234567 ~/255/0";
    QTest::newRow("name trimmed, id not set") << R"({"name":"  Monitor ","deviceid":-1,"color":1})"
                                              << "Monitor/-1/1";
}

void TestJsApi::deviceInfoUpdate()
{
    QFETCH(QString, info);
    QFETCH(QString, identity);
    const QovAppDeviceModel device = m_devices.at(0);

    js(QStringLiteral("state.info = %1; state.level = 5; api.zephDataChanged(7, 0)")
           .arg(pagetest::jsString(info)));
    QTRY_VERIFY(device->zephDataCurrent().contains(QStringLiteral("\"level\":5")));
    // The current-state mark holds until the identity has arrived too.
    QTRY_VERIFY(!bridge(1)->fetchInFlight());
    QCOMPARE(identityOf(device), identity);
}

void TestJsApi::valuesOutsideTheFileRulesAreRefused_data()
{
    QTest::addColumn<QString>("attempt"); // script run in the page
    QTest::addColumn<QString>("refusal"); // the log line that names it

    // Device info the page hands over with the current settings, as the page's text.
    const auto info = [](const char *name, const char *text) {
        QTest::newRow(name) << QStringLiteral("state.info = '%1'; api.zephDataChanged(7, 0)")
                                   .arg(QString::fromUtf8(text))
                            << QStringLiteral("refused device info");
    };
    info("device id 999", R"({"name":"Alpha","deviceid":999,"color":1})");
    info("device id as text", R"({"name":"Alpha","deviceid":"12","color":1})");
    info("header colour 42", R"({"name":"Alpha","deviceid":3,"color":42})");
    info("reserved character in name", R"({"name":"FOH/L","deviceid":3,"color":2})");
    info("info not JSON", "oops");

    // A data set the page hands over; `set` names it as the refusal does.
    const auto data = [](const char *name, const char *script, const char *set) {
        QTest::newRow(name) << QString(script)
                            << QStringLiteral("refused data set from the page: ") + set;
    };
    data("preset not JSON", "state.raw.preset2 = 'not json'; api.zephDataChanged(2, 2)", "2 2");
    data("4-band EQ in Qt's lenient JSON",
         R"(state.raw.eq4 = '{"a":.5}'; api.zephDataChanged(4, 0))", "4 0");
    data("4-band EQ getter fails", "state.broken.eq4 = true; api.zephDataChanged(4, 0)", "4 0");
    data("partial preset getter missing",
         "getZephDataPartialPreset = undefined; api.zephDataChanged(6, 2)", "6 2");
    data("current a text", R"(state.raw.current = '"text"'; api.zephDataChanged(7, 0))", "7 0");
    data("preset with U+0000 in a name",
         R"(state.raw.preset2 = '{"a":{"b\\u0000":1}}'; api.zephDataChanged(2, 2))", "2 2");
}

// What a page hands over is stored only where the project reader would read it back: a
// project that holds a value the reader refuses cannot be opened again.
void TestJsApi::valuesOutsideTheFileRulesAreRefused()
{
    QFETCH(QString, attempt);
    QFETCH(QString, refusal);
    LogCollector::clear();
    const QovAppDeviceModel device = m_devices.at(0);
    // The current state the page hands over with the identity is a valid one; hold it already
    // so that the row's refusal is all that could change.
    device->setZephDataCurrent(QStringLiteral("{\"kind\":\"current\",\"level\":1}"));
    const QJsonObject data = dataOf(device);
    QSignalSpy changes(device.get(), &QovAppDeviceModelInternal::somethingChanged);
    QSignalSpy colours(device.get(), &QovAppDeviceModelInternal::headerColorChanged);

    js(attempt);
    QTRY_VERIFY(LogCollector::contains(refusal));
    QTRY_VERIFY(!bridge(1)->fetchInFlight());
    QCOMPARE(identityOf(device), QStringLiteral("Alpha/-1/1"));
    QCOMPARE(dataOf(device), data);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(colours.count(), 0);
    QVERIFY(!device->editedSinceConnect());

    // The project as it stands still opens.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("refused.vlmproj"));
    QVERIFY(m_window->projectData()->saveTo(path));
    const auto [reopened, error] = loadProject(path);
    std::unique_ptr<QovProjectDataModel> owner(reopened);
    QVERIFY2(reopened, qPrintable(error));
    QCOMPARE(reopened->appDevices().size(), 3);
    QCOMPARE(reopened->appDevices().at(0)->deviceName(), QStringLiteral("Alpha"));
    QCOMPARE(dataOf(reopened->appDevices().at(0)), data);

    // A good value after a refused one is stored as ever.
    js(R"(state.raw = {}; state.broken = {};
          state.info = '{"name":"FOH","deviceid":7,"color":2}'; api.zephDataChanged(7, 0))");
    QTRY_COMPARE(device->deviceId(), 7);
}

void TestJsApi::snapshotOnEntryAndRollBack()
{
    const QovAppDeviceModel device = m_devices.at(0);
    // init() entered page 1, which took the snapshot.
    const QJsonObject onEntry = dataOf(device);

    js("state.level = 9; api.zephDataChanged(2, 1); api.zephDataChanged(3, 0); "
       "api.zephDataChanged(6, 7); api.zephDataChanged(7, 0)");
    QTRY_VERIFY(device->zephDataCurrent().contains(QStringLiteral("\"level\":9")));
    QTRY_VERIFY(!bridge(1)->fetchInFlight());
    QVERIFY(dataOf(device) != onEntry);

    js("api.rollBack()");
    QTRY_COMPARE(dataOf(device), onEntry);

    // The snapshot was used up: a second roll-back keeps later changes.
    js("state.level = 10; api.zephDataChanged(4, 0)");
    QTRY_VERIFY(device->zephData4BandEq().contains(QStringLiteral("\"level\":10")));
    const QJsonObject changedAgain = dataOf(device);
    QVERIFY(settle("api.rollBack()"));
    QCOMPARE(dataOf(device), changedAgain);

    // Leaving and entering again takes a new snapshot; the project page takes none.
    m_window->setCurrentPage(0);
    js("api.zephDataChanged(2, 6)");
    QTRY_VERIFY(device->zephDataPreset().at(6).contains(QStringLiteral("\"level\":10")));
    QTRY_VERIFY(!bridge(1)->fetchInFlight());
    const QJsonObject onSecondEntry = dataOf(device);
    m_window->setCurrentPage(1);
    js("state.level = 11; api.zephDataChanged(2, 6)");
    QTRY_VERIFY(device->zephDataPreset().at(6).contains(QStringLiteral("\"level\":11")));
    js("api.rollBack()");
    QTRY_COMPARE(dataOf(device), onSecondEntry);
}

void TestJsApi::selectedDeviceFollowsPages()
{
    // What the bridges of pages 1 to 3 hold.
    const auto selected = [this] {
        return QList<int>{bridge(1)->selectedDevice(), bridge(2)->selectedDevice(),
                          bridge(3)->selectedDevice()};
    };
    // After init() the window shows page 1.
    QCOMPARE(selected(), (QList<int>{0, 0, 0}));
    QList<std::shared_ptr<QSignalSpy>> spies;
    for (int n = 1; n <= 3; ++n) {
        spies << std::make_shared<QSignalSpy>(bridge(n), &QovJsApi::selectedDeviceChanged);
    }

    m_window->setCurrentPage(3);
    QCOMPARE(selected(), (QList<int>{2, 2, 2}));
    // A bridge that already holds the value emits nothing.
    bridge(2)->setSelectedDevice(-1);
    m_window->setCurrentPage(0);
    QCOMPARE(selected(), (QList<int>{-1, -1, -1}));
    // Page 2's bridge: 2, then its own -1; the page change found -1 already.
    QCOMPARE((QList<qsizetype>{spies.at(0)->count(), spies.at(1)->count(), spies.at(2)->count()}),
             (QList<qsizetype>{2, 2, 2}));
    QCOMPARE(spies.at(0)->last().first().toInt(), -1);

    // The page of device 1 follows (the channel sends only the newest value of a property
    // that changed twice in one go), and may set the value itself.
    QTRY_COMPARE(js("api.selectedDevice").toInt(), -1);
    QCOMPARE(js("selectedSeen[selectedSeen.length - 1]").toInt(), -1);
    js("api.selectedDevice = 1");
    QTRY_COMPARE(bridge(1)->selectedDevice(), 1);
    QCOMPARE(bridge(3)->selectedDevice(), -1);
    // Only the project page or a device of the project.
    LogCollector::clear();
    js("api.selectedDevice = 3; api.selectedDevice = -2");
    QTRY_COMPARE(LogCollector::count(QStringLiteral("refused selected device")), 2);
    QCOMPARE(bridge(1)->selectedDevice(), 1);
}

void TestJsApi::forwardingSlotsReachTheWindow()
{
    js("callApi('goto', 'gotoDevice', [2])");
    QTRY_COMPARE(m_window->currentPage(), 3);
    js("callApi('back', 'backToProjectPage')");
    QTRY_COMPARE(m_window->currentPage(), 0);

    js("callApi('save', 'saveProject'); callApi('connect', 'connectDevice')");
    QTRY_VERIFY(js("results.connect !== undefined").toBool());
    QCOMPARE(js("results.connect"), QVariant(true));

    m_window->deviceSlotResult = false;
    js("callApi('disconnect', 'disconnectDevice'); callApi('reconnect', 'reconnectDevice')");
    QTRY_VERIFY(js("results.reconnect !== undefined").toBool());
    QCOMPARE(js("[results.disconnect, results.reconnect]").toList(), (QVariantList{false, false}));

    QCOMPARE(m_window->calls, (QStringList{"saveProject", "connectDevice Alpha",
                                           "disconnectDevice Alpha", "reconnectDevice Alpha"}));
}

void TestJsApi::resultsOfAGonePageAreDropped()
{
    const QovAppDeviceModel device = m_devices.at(0);
    const QString preset1 = device->zephDataPreset().at(1);
    QovZephSettingView *view = m_window->page(1);

    // A page with a fetch in flight keeps its web view even when hidden.
    m_window->setCurrentPage(0);
    view->jsApi()->zephDataChanged(2, 1);
    QVERIFY(view->jsApi()->fetchInFlight());
    QVERIFY(!view->releaseWebView());
    QTRY_VERIFY(device->zephDataPreset().at(1) != preset1);
    QVERIFY(!view->jsApi()->fetchInFlight());
    QVERIFY(view->releaseWebView());
    QVERIFY(!view->webView());
    QCOMPARE(view->jsApi()->webView(), nullptr);

    // Shown again, the page is loaded afresh and serves notices as before.
    m_window->setCurrentPage(1);
    QVERIFY(view->webView());
    QVERIFY(pagetest::waitReady(view->webView()));
    js("state.level = 4; api.zephDataChanged(3, 0)");
    QTRY_VERIFY(device->zephData12BandEq().contains(QStringLiteral("\"level\":4")));

    // A page torn down while its script runs (the window closed) must not write the empty
    // answer that a dying page gives into the device.
    const QString eq4 = device->zephData4BandEq();
    view->jsApi()->zephDataChanged(4, 0);
    m_window.reset();
    QCOMPARE(device->zephData4BandEq(), eq4);
    QTest::qWait(100);
    QCOMPARE(device->zephData4BandEq(), eq4);
}

QTEST_MAIN(TestJsApi)
#include "tst_jsapi.moc"
