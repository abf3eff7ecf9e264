#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include <functional>

using Device = QovAppDeviceModelInternal;
using Setter = std::function<void(Device &)>;
Q_DECLARE_METATYPE(Setter)

namespace {
// Every signal of a device in emission order, with its arguments, as "name(arg,arg)".
struct SignalLog
{
    QStringList entries;

    static QString str(int v) { return QString::number(v); }
    static QString str(const QString &v) { return v; }
    static QString str(const QStringList &v) { return v.join(QLatin1Char('|')); }

    template<typename... Args>
    void on(Device &d, void (Device::*signal)(Args...), const char *name)
    {
        QObject::connect(&d, signal, [this, name](Args... args) {
            const QStringList parts{str(args)...};
            entries << (parts.isEmpty() ? name
                                        : QStringLiteral("%1(%2)").arg(name, parts.join(',')));
        });
    }

    void attach(Device &d)
    {
        on(d, &Device::deviceNameChanged, "name");
        on(d, &Device::deviceTypeChanged, "type");
        on(d, &Device::modelNameChanged, "model");
        on(d, &Device::ipAddressChanged, "ip");
        on(d, &Device::macAddressChanged, "mac");
        on(d, &Device::headerColorChanged, "color");
        on(d, &Device::deviceIdChanged, "id");
        on(d, &Device::statusChanged, "status");
        on(d, &Device::statusAsIntChanged, "statusInt");
        on(d, &Device::zephDataPresetChanged, "presets");
        on(d, &Device::zephDataPresetBankChanged, "preset");
        on(d, &Device::zephData12BandEqChanged, "eq12");
        on(d, &Device::zephData4BandEqChanged, "eq4");
        on(d, &Device::zephDataPartialPresetChanged, "partials");
        on(d, &Device::zephDataPartialPresetBankChanged, "partial");
        on(d, &Device::zephDataCurrentChanged, "current");
        on(d, &Device::somethingChanged, "something");
    }
};

QJsonObject object(const char *json)
{
    return QJsonDocument::fromJson(json).object();
}

QStringList texts(int count, const QString &text)
{
    return QVector<QString>(count, text).toList();
}
} // namespace

class TestAppDeviceModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void constructors();
    void settersEmitInOrder_data();
    void settersEmitInOrder();
    void singleBankOutsideListIgnored();
    void readsDataObject_data();
    void readsDataObject();
    void quietReadMatchesSignalledRead_data();
    void quietReadMatchesSignalledRead();
    void dataObjectRoundTrip();
    void fileBytesMatchDataObject_data();
    void fileBytesMatchDataObject();
    void workerSettersReachMainThread();
};

void TestAppDeviceModel::constructors()
{
    const QovZephData defaults;
    QCOMPARE(defaults.preset, texts(8, "{}"));
    QCOMPARE(defaults.partialPreset, texts(40, "{}"));
    QCOMPARE(Device().zephData(), defaults);

    // A known MAC makes a project device MISSING until it is found; without one it is
    // DISCONNECTED.
    Device bound("Stage", QovDeviceSelector::ZEPH2208NET, "00:11:22:33:44:55", 3, 7);
    QCOMPARE(bound.status(), Device::MISSING);
    QCOMPARE(Device("Spare", QovDeviceSelector::ZEPH2208, QString(), 0, -1).status(),
             Device::DISCONNECTED);

    auto online = std::make_shared<QovOnlineDeviceModelInternal>(
        QovDiscoveredDevice{"12345", "uuid:1", "Hall", "ZEPH-2208NET", "127.0.0.2"});
    online->setMacAddress("AA:BB:CC:DD:EE:FF");
    online->setHeaderColor(5);
    online->setDeviceId(42);
    Device taken(online);
    QCOMPARE(taken.status(), Device::CONNECTED);
    QCOMPARE(taken.deviceType(), QovDeviceSelector::ZEPH2208NET);
    QCOMPARE(taken.ipAddress(), QString("127.0.0.2"));
    QCOMPARE(taken.macAddress(), QString("AA:BB:CC:DD:EE:FF"));
    QCOMPARE(taken.headerColor(), 5);
    QCOMPARE(taken.deviceId(), 42);

    // A part that is not a number counts as 0; the top address must not overflow.
    taken.setIpAddress("10.x.0.1");
    QCOMPARE(taken.ipSortKey(), 0x0A000001u);
    taken.setIpAddress("255.255.255.255");
    QCOMPARE(taken.ipSortKey(), 0xFFFFFFFFu);
    taken.setIpAddress("");
    QCOMPARE(taken.ipSortKey(), 0u);
}

void TestAppDeviceModel::settersEmitInOrder_data()
{
    QTest::addColumn<Setter>("setter");
    QTest::addColumn<QStringList>("expected");

    const auto row = [](const char *name, const Setter &setter, const QStringList &expected) {
        QTest::newRow(name) << setter << expected;
    };
    row("name", [](Device &d) { d.setDeviceName("A"); }, {"name(A)", "something"});
    row("type", [](Device &d) { d.setDeviceType(QovDeviceSelector::ZEPH2208NET); },
        {"type(1)", "model(ZEPH-2208NET)", "something"});
    row("ip", [](Device &d) { d.setIpAddress("127.0.0.9"); }, {"ip(127.0.0.9)", "something"});
    row("mac", [](Device &d) { d.setMacAddress("01:02:03:04:05:06"); },
        {"mac(01:02:03:04:05:06)", "something"});
    row("colour alone does not edit", [](Device &d) { d.setHeaderColor(4); }, {"color(4)"});
    row("id", [](Device &d) { d.setDeviceId(12); }, {"id(12)", "something"});
    row("status", [](Device &d) { d.setStatus(Device::CONNECTED); },
        {"status(0)", "statusInt(0)", "something"});
    const QStringList presets{"{\"a\":1}", "{}"}, partials{"{}", "{\"p\":0}"};
    row("preset list", [presets](Device &d) { d.setZephDataPreset(presets); },
        {"presets({\"a\":1}|{})", "preset(0,{\"a\":1})", "preset(1,{})", "something"});
    row("preset bank", [](Device &d) { d.setZephDataPreset(7, "{\"b\":2}"); },
        {"preset(7,{\"b\":2})", "something"});
    row("eq12", [](Device &d) { d.setZephData12BandEq("{\"q\":1}"); },
        {"eq12({\"q\":1})", "something"});
    row("eq4", [](Device &d) { d.setZephData4BandEq("{\"q\":4}"); },
        {"eq4({\"q\":4})", "something"});
    row("partial list", [partials](Device &d) { d.setZephDataPartialPreset(partials); },
        {"partials({}|{\"p\":0})", "partial(0,{})", "partial(1,{\"p\":0})", "something"});
    row("partial bank", [](Device &d) { d.setZephDataPartialPreset(39, "{\"p\":39}"); },
        {"partial(39,{\"p\":39})", "something"});
    row("current", [](Device &d) { d.setZephDataCurrent("{\"c\":true}"); },
        {"current({\"c\":true})", "something"});
    row("data object, only changed parts",
        [](Device &d) {
            d.setZephDataJson(object(
                R"({"preset_list":[{},{}],"partial_list":[{"index":0}],"eq12_lib":{"x":1}})"));
        },
        {"presets({}|{})", "preset(0,{})", "preset(1,{})", "something", "partials({})",
         "partial(0,{})", "something", "eq12({\"x\":1})", "something"});
}

void TestAppDeviceModel::settersEmitInOrder()
{
    QFETCH(Setter, setter);
    QFETCH(QStringList, expected);
    SignalLog log;
    Device device;
    log.attach(device);
    setter(device);
    QCOMPARE(log.entries, expected);

    // The same value again changes and emits nothing.
    const QovZephData afterFirst = device.zephData();
    log.entries.clear();
    setter(device);
    QCOMPARE(log.entries, QStringList());
    QCOMPARE(device.zephData(), afterFirst);
}

void TestAppDeviceModel::singleBankOutsideListIgnored()
{
    Device device;
    QCOMPARE(device.setZephDataJson(object(R"({"preset_list":[{},{},{}],"partial_list":[{}]})")),
             QString());
    QCOMPARE(device.zephDataPreset().size(), 3);
    const QovZephData before = device.zephData();
    SignalLog log;
    log.attach(device);
    device.setZephDataPreset(5, "{\"x\":5}");
    device.setZephDataPreset(-1, "{\"x\":5}");
    device.setZephDataPartialPreset(1, "{\"x\":1}");
    QCOMPARE(log.entries, QStringList());
    QCOMPARE(device.zephData(), before);

    // Bank 8 stays out of reach even when the list is longer than the mixer's 8 banks.
    device.setZephDataPreset(texts(10, "{}"));
    device.setZephDataPreset(8, "{\"x\":8}");
    QCOMPARE(device.zephDataPreset().at(8), QString("{}"));
    device.setZephDataPartialPreset(texts(41, "{}"));
    device.setZephDataPartialPreset(40, "{\"x\":40}");
    QCOMPARE(device.zephDataPartialPreset().at(40), QString("{}"));
}

void TestAppDeviceModel::readsDataObject_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("presets");
    QTest::addColumn<QString>("eq4");
    QTest::addColumn<QString>("current");

    const auto row = [](const char *name, const char *json, const char *error,
                        const QStringList &presets = {}, const char *eq4 = "",
                        const char *current = "") {
        QTest::newRow(name) << QByteArray(json) << QString(error) << presets << QString(eq4)
                            << QString(current);
    };
    row("empty preset_list", R"({"preset_list":[],"partial_list":[{}]})", "preset_list");
    row("preset_list not an array", R"({"preset_list":{"a":1},"partial_list":[{}]})",
        "preset_list");
    row("empty partial_list", R"({"preset_list":[{}],"partial_list":[]})", "partial_list");
    row("missing EQ libraries read as empty", R"({"preset_list":[{"v":1},{}],"partial_list":[{}]})",
        "", {"{\"v\":1}", "{}"}, "{}", "{}");
    row("non-object elements count as empty objects",
        R"({"preset_list":[3,"x",null],"partial_list":[[]],"eq4_lib":7})", "", {"{}", "{}", "{}"},
        "{}", "{}");
    row("other members become the current state",
        R"({"mode":2,"preset_list":[{}],"partial_list":[{}],"eq4_lib":{"b":[1,2]},"eq12_lib":{},"name":"x"})",
        "", {"{}"}, "{\"b\":[1,2]}", "{\"mode\":2,\"name\":\"x\"}");
}

void TestAppDeviceModel::readsDataObject()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, error);

    Device device;
    device.setZephDataCurrent("{\"kept\":1}");
    const QovZephData before = device.zephData();
    QCOMPARE(device.setZephDataJson(QJsonDocument::fromJson(json).object()), error);
    if (!error.isEmpty()) {
        QCOMPARE(device.zephData(), before);
        return;
    }
    QTEST(device.zephDataPreset(), "presets");
    QTEST(device.zephData4BandEq(), "eq4");
    QTEST(device.zephDataCurrent(), "current");
}

void TestAppDeviceModel::quietReadMatchesSignalledRead_data()
{
    QTest::addColumn<Setter>("setup");
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<int>("changedParts");

    const Setter none = [](Device &) {};
    QTest::newRow("new data") << none << QByteArray(R"({"preset_list":[{"a":1}],"partial_list":[{}],
                                   "eq12_lib":{"x":1},"mode":3})")
                              << 4;
    QTest::newRow("the defaults") << none
                                  << QJsonDocument(Device().zephDataSets().toDataObject()).toJson()
                                  << 0;
    QTest::newRow("same objects, text in another form") << Setter([](Device &d) {
        d.setZephDataCurrent("{ \"b\" : 1, \"a\" : 2 }");
    }) << QByteArray(R"({"preset_list":[{},{},{},{},{},{},{},{}],"partial_list":[{}],
                          "a":2,"b":1})") << 2;
    QTest::newRow("read twice") << Setter([](Device &d) {
        d.setZephDataJson(object(R"({"preset_list":[{"p":1}],"partial_list":[{"q":2}]})"));
    }) << QByteArray(R"({"preset_list":[{"p":1}],"partial_list":[{"q":2}],"eq4_lib":{"z":0}})")
                                << 1;
}

// A device whose texts nobody receives keeps what it reads as objects; what it stores and the
// number of somethingChanged notices must not differ from a device that is watched.
void TestAppDeviceModel::quietReadMatchesSignalledRead()
{
    QFETCH(Setter, setup);
    QFETCH(QByteArray, json);
    QFETCH(int, changedParts);
    const QJsonObject data = QJsonDocument::fromJson(json).object();

    Device watched;
    setup(watched);
    SignalLog log;
    log.attach(watched);
    QCOMPARE(watched.setZephDataJson(data), QString());
    QCOMPARE(log.entries.count("something"), changedParts);

    Device quiet;
    setup(quiet);
    QSignalSpy something(&quiet, &Device::somethingChanged);
    QCOMPARE(quiet.setZephDataJson(data), QString());
    QCOMPARE(something.count(), changedParts);
    QCOMPARE(quiet.zephDataSets().toDataObject(), watched.zephDataSets().toDataObject());
    QCOMPARE(quiet.zephData(), watched.zephData());

    // Texts made later take part in the compare-then-emit rule like any other.
    quiet.setZephDataPreset(watched.zephDataPreset());
    QCOMPARE(something.count(), changedParts);
    quiet.setZephDataPreset(0, "{\"late\":1}");
    QCOMPARE(something.count(), changedParts + 1);
    QCOMPARE(quiet.zephDataSets().toDataObject().value("preset_list").toArray().at(0).toObject(),
             QJsonObject({{"late", 1}}));
}

void TestAppDeviceModel::dataObjectRoundTrip()
{
    Device source;
    QStringList presets;
    for (int i = 0; i < 8; ++i) {
        presets << QStringLiteral(
                       "{\"bank\":%1,\"ch\":[1,2.5,{\"m\":false}],\"name\":\"Sz\u00e9n %1\"}")
                       .arg(i);
    }
    source.setZephDataPreset(presets);
    source.setZephDataPartialPreset(17, "{\"p\":{\"gain\":-3}}");
    source.setZephData12BandEq("{\"bands\":[100,200]}");
    source.setZephData4BandEq("{\"bands\":[1]}");
    // Keys in the order the JSON writer sorts them, so that the texts compare equal.
    source.setZephDataCurrent("{\"mute\":true,\"scene\":\"live\"}");

    // An empty partial preset is written as its index alone and reads back as empty.
    const QJsonArray partials =
        source.zephDataSets().toDataObject().value("partial_list").toArray();
    QCOMPARE(partials.size(), 40);
    QCOMPARE(partials.at(5).toObject(), QJsonObject({{"index", 5}}));

    Device copy;
    QCOMPARE(copy.setZephDataJson(source.zephDataSets().toDataObject()), QString());
    QCOMPARE(copy.zephData(), source.zephData());

    // The object written after a change must show the change, not what was read before.
    copy.setZephDataPreset(3, "{\"changed\":1}");
    copy.setZephData4BandEq("{\"bands\":[2]}");
    Device again;
    QCOMPARE(again.setZephDataJson(copy.zephDataSets().toDataObject()), QString());
    QCOMPARE(again.zephData(), copy.zephData());
}

void TestAppDeviceModel::fileBytesMatchDataObject_data()
{
    QTest::addColumn<Setter>("setup");
    QTest::addColumn<bool>("fromFile");

    QTest::newRow("defaults") << Setter([](Device &) {}) << false;
    QTest::newRow("texts in a loose form") << Setter([](Device &d) {
        d.setZephDataCurrent(" { \"z\" : 1 , \"a\" : [ 1 , 2 ] } ");
        d.setZephDataPreset(3, "{\"q\":\"\\u00e9\\\"\\n\"}");
        d.setZephDataPartialPreset(0, "{\"gain\":-3.5}");
    }) << false;
    QTest::newRow("text that is not an object") << Setter([](Device &d) {
        d.setZephData4BandEq("[1,2]");
        d.setZephData12BandEq("not json");
    }) << false;
    // Members the file's own keys would replace, and a partial preset with its own "index".
    QTest::newRow("current holds a list key") << Setter([](Device &d) {
        d.setZephDataCurrent("{\"preset_list\":7,\"eq4_lib\":{\"x\":1},\"m\":2}");
    }) << false;
    QTest::newRow("partial preset holds an index")
        << Setter([](Device &d) { d.setZephDataPartialPreset(5, "{\"index\":99,\"p\":1}"); })
        << false;
    QTest::newRow("read from a file, then edited") << Setter([](Device &d) {
        d.setZephDataJson(object(R"({"mode":"x","preset_list":[{"a":1},{}],
                                     "partial_list":[{"index":0,"b":2}],"eq12_lib":{"c":3}})"));
        d.setZephDataPreset(1, "{\"edited\":true}");
    }) << true;
}

// The file is written by splicing each data set's cached bytes; what it holds must be exactly
// the "data" object, whatever the texts looked like.
void TestAppDeviceModel::fileBytesMatchDataObject()
{
    QFETCH(Setter, setup);
    QFETCH(bool, fromFile);
    Device device;
    setup(device);
    const QovZephDataSets sets = device.zephDataSets();
    QJsonParseError error;
    const QJsonDocument written = QJsonDocument::fromJson(sets.toDataBytes(), &error);
    QVERIFY2(written.isObject(), qPrintable(error.errorString() + ": " + sets.toDataBytes()));
    QCOMPARE(written.object(), device.zephDataSets().toDataObject());
    // And it reads back to the same data sets.
    Device copy;
    QCOMPARE(copy.setZephDataJson(written.object()), QString());
    QCOMPARE(copy.zephDataSets().toDataObject(), device.zephDataSets().toDataObject());
    if (fromFile) {
        QCOMPARE(copy.zephDataPreset().at(1), QString("{\"edited\":true}"));
    }
}

// Connect operations write into project devices from worker threads; the views listen in the
// main thread through queued connections, which need every signal argument type registered.
void TestAppDeviceModel::workerSettersReachMainThread()
{
    auto device = std::make_shared<Device>();
    QObject receiver;
    QList<Device::Status> statuses;
    QList<QovDeviceSelector::DeviceType> types;
    connect(device.get(), &Device::statusChanged, &receiver,
            [&statuses](Device::Status status) { statuses << status; });
    connect(device.get(), &Device::deviceTypeChanged, &receiver,
            [&types](QovDeviceSelector::DeviceType type) { types << type; });
    std::unique_ptr<QThread> worker(QThread::create([device] {
        device->setStatus(Device::CONNECTED);
        device->setDeviceType(QovDeviceSelector::ZEPH2208NET);
    }));
    worker->start();
    QVERIFY(worker->wait(5000));
    QTRY_COMPARE(statuses, QList<Device::Status>{Device::CONNECTED});
    QTRY_COMPARE(types, QList<QovDeviceSelector::DeviceType>{QovDeviceSelector::ZEPH2208NET});
}

QTEST_GUILESS_MAIN(TestAppDeviceModel)
#include "tst_appdevicemodel.moc"
