#include "defaultmixerdata.h"
#include "mixerdata.h"
#include "simconfig.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace velmora::sim;

// The simulator's parts without a network: the configuration texts and the factory data that
// documentation and tests rely on. The upload rules, the data slots and the fault switches are
// exercised end to end in tst_mixersim and the device tests.
class TestMixerSimParts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void configuration_data();
    void configuration();
    void factoryDataIsAConsole_data();
    void factoryDataIsAConsole();
};

void TestMixerSimParts::configuration_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("mixers");

    QTest::newRow("empty") << QByteArray("{}") << "" << 0;
    QTest::newRow("two") << QByteArray(R"({"mixers":[{"address":"127.0.0.2"},)"
                                       R"({"address":"127.0.0.3","model":"ZEPH-2208NET"}]})")
                         << "" << 2;
    QTest::newRow("not loopback") << QByteArray(R"({"mixers":[{"address":"192.168.1.2"}]})")
                                  << "mixers[0]: address must be an IPv4 address in 127.0.0.0/8"
                                  << 0;
    QTest::newRow("used twice")
        << QByteArray(R"({"mixers":[{"address":"127.0.0.2"},{"address":"127.0.0.2"}]})")
        << "mixers[1]: address 127.0.0.2 is used twice" << 0;
    QTest::newRow("bad link") << QByteArray(R"({"mixers":[{"address":"127.0.0.2","link":"x"}]})")
                              << "mixers[0]: link must be none, primary or extension" << 0;
    QTest::newRow("bad fault") << QByteArray(
                                      R"({"mixers":[{"address":"127.0.0.2","faults":{"slow":1}}]})")
                               << "mixers[0]: unknown fault \"slow\"" << 0;
    QTest::newRow("generated beside configured")
        << QByteArray(R"({"generate":3,"mixers":[{"address":"127.0.0.3"}]})") << "" << 4;
    QTest::newRow("not an object")
        << QByteArray("[]") << "the configuration must be a JSON object" << 0;
}

void TestMixerSimParts::configuration()
{
    QFETCH(QByteArray, json);
    QFETCH(int, mixers);
    SimConfig config;
    QTEST(QString::fromStdString(readConfig(json.toStdString(), config)), "error");
    QCOMPARE(int(config.mixers.size()), mixers);
}

void TestMixerSimParts::factoryDataIsAConsole_data()
{
    QTest::addColumn<QString>("model");
    QTest::newRow("ZEPH-2208") << "ZEPH-2208";
    QTest::newRow("ZEPH-2208NET") << "ZEPH-2208NET";
}

void TestMixerSimParts::factoryDataIsAConsole()
{
    QFETCH(QString, model);
    const std::string name = model.toStdString();
    const auto object = [&](int target, int bank) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(
            QByteArray::fromStdString(defaultDataSet(name, target, bank)), &error);
        return document.isObject() ? document.object() : QJsonObject();
    };
    for (int target : {PresetSet, Eq12Set, Eq4Set, PartialPresetSet, CurrentSet}) {
        for (int bank = 0; bank < bankCount(target); ++bank) {
            QVERIFY2(!object(target, bank).isEmpty(),
                     qPrintable(QString("%1/%2").arg(target).arg(bank)));
        }
    }
    // The project file spreads the current state's members beside these lists.
    const QJsonObject current = object(CurrentSet, 0);
    for (const char *reserved : {"preset_list", "partial_list", "eq4_lib", "eq12_lib"}) {
        QVERIFY(!current.contains(reserved));
    }
    QCOMPARE(current.contains("network_audio"), model == "ZEPH-2208NET");
}

QTEST_APPLESS_MAIN(TestMixerSimParts)
#include "tst_mixersimparts.moc"
