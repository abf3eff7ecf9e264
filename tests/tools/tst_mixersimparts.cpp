#include "defaultmixerdata.h"
#include "mixerdata.h"
#include "mixerfaults.h"
#include "simconfig.h"
#include "uploadsession.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <set>

using namespace velmora::sim;

// The simulator's parts without a network: the upload rules a mixer enforces, the fault and
// configuration texts, and the factory data that documentation and tests rely on.
class TestMixerSimParts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void uploadChecksEveryChunk_data();
    void uploadChecksEveryChunk();
    void uploadOpensOnlyKnownSlots_data();
    void uploadOpensOnlyKnownSlots();
    void uploadHandsOverOnlyJsonObjects();
    void faultTexts();
    void configuration_data();
    void configuration();
    void configurationFillsIdentity();
    void factoryDataIsAConsole_data();
    void factoryDataIsAConsole();
};

void TestMixerSimParts::uploadChecksEveryChunk_data()
{
    QTest::addColumn<qlonglong>("offset");
    QTest::addColumn<qlonglong>("size");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("rcode");

    // A first chunk of 10 bytes has been taken.
    QTest::newRow("continues") << 10LL << 5LL << 5 << int(UploadSession::Ok);
    QTest::newRow("gap") << 11LL << 5LL << 5 << int(UploadSession::BadOffset);
    QTest::newRow("overlap") << 9LL << 5LL << 5 << int(UploadSession::BadOffset);
    QTest::newRow("size says more") << 10LL << 6LL << 5 << int(UploadSession::BadSize);
    QTest::newRow("size says less") << 10LL << 4LL << 5 << int(UploadSession::BadSize);
    QTest::newRow("largest chunk") << 10LL << 61440LL << 61440 << int(UploadSession::Ok);
    QTest::newRow("chunk too long") << 10LL << 61441LL << 61441 << int(UploadSession::BadSize);
    QTest::newRow("missing offset") << -1LL << 5LL << 5 << int(UploadSession::BadOffset);
}

void TestMixerSimParts::uploadChecksEveryChunk()
{
    QFETCH(qlonglong, offset);
    QFETCH(qlonglong, size);
    QFETCH(int, length);
    UploadSession session;
    QCOMPARE(session.begin(PresetSet, 0), int(UploadSession::Ok));
    QCOMPARE(session.append(0, 10, "{\"name\":\"x"), int(UploadSession::Ok));
    QTEST(session.append(offset, size, std::string(size_t(length), 'x')), "rcode");
}

void TestMixerSimParts::uploadOpensOnlyKnownSlots_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("bank");
    QTest::addColumn<bool>("known");

    QTest::newRow("last preset") << 2 << 7 << true;
    QTest::newRow("preset 8") << 2 << 8 << false;
    QTest::newRow("last partial preset") << 6 << 39 << true;
    QTest::newRow("partial preset 40") << 6 << 40 << false;
    QTest::newRow("12-band EQ bank 1") << 3 << 1 << false;
    QTest::newRow("current") << 7 << 0 << true;
    QTest::newRow("unused code 5") << 5 << 0 << false;
    QTest::newRow("negative bank") << 2 << -1 << false;
}

void TestMixerSimParts::uploadOpensOnlyKnownSlots()
{
    QFETCH(int, target);
    QFETCH(int, bank);
    QFETCH(bool, known);
    UploadSession session;
    QCOMPARE(session.begin(target, bank) == UploadSession::Ok, known);
    QCOMPARE(session.isOpen(), known);
    QCOMPARE(MixerData("ZEPH-2208").setText(target, bank, "{}"), known);
}

void TestMixerSimParts::uploadHandsOverOnlyJsonObjects()
{
    UploadSession session;
    DataSlot slot;
    std::string text;
    QCOMPARE(session.append(0, 2, "{}"), int(UploadSession::NoTransfer));
    QCOMPARE(session.end(slot, text), int(UploadSession::NoTransfer));

    for (const std::string &content : {std::string(), std::string("[1]"), std::string("{\"a\":")}) {
        session.begin(Eq4Set, 0);
        session.append(0, qlonglong(content.size()), content);
        QCOMPARE(session.end(slot, text), int(UploadSession::BadContent));
        QVERIFY(!session.isOpen());
    }

    session.begin(PartialPresetSet, 12);
    session.append(0, 5, "{\"a\":");
    session.append(5, 3, "\"\xe2\x82");
    session.append(8, 3, "\xac\"}");
    QCOMPARE(session.end(slot, text), int(UploadSession::Ok));
    QVERIFY(slot == (DataSlot{PartialPresetSet, 12}));
    QCOMPARE(text, std::string("{\"a\":\"\xe2\x82\xac\"}"));
}

void TestMixerSimParts::faultTexts()
{
    MixerFaults faults;
    QVERIFY(
        faultsFromJson(R"({"silent":true,"failDownload":{"target":6,"bank":17},"body":""})", faults)
            .empty());
    QVERIFY(faults.silent);
    QVERIFY(faults.failDownload == (DataSlot{6, 17}));
    QVERIFY(faults.body && faults.body->empty());
    QVERIFY(!faults.failUpload);

    MixerFaults again;
    QVERIFY(faultsFromJson(faultsToJson(faults), again).empty());
    QCOMPARE(faultsToJson(again), faultsToJson(faults));

    // A misspelt fault is refused, and the faults in force stay as they were.
    QCOMPARE(faultsFromJson(R"({"silnet":true})", again), std::string("unknown fault \"silnet\""));
    QVERIFY(again.silent);
    QVERIFY(!faultsFromJson("[]", again).empty());
}

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
    QTest::newRow("no address") << QByteArray(R"({"mixers":[{}]})")
                                << "mixers[0]: address must be an IPv4 address in 127.0.0.0/8" << 0;
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

void TestMixerSimParts::configurationFillsIdentity()
{
    SimConfig config;
    QVERIFY(readConfig(R"({"generate":300,"control":{"port":0},"mixers":[
        {"address":"127.0.0.3","link":"extension","password":true},
        {"address":"127.0.0.4","link":"primary","ovlinkMode":5,
         "linkedUnits":[{"serial":11,"unitno":1}],"mac":"aa-bb-cc-dd-ee-ff"}]})",
                       config)
                .empty());
    QCOMPARE(config.controlPort, 0);
    const MixerProfile &extension = config.mixers.at(0).profile;
    QCOMPARE(extension.ovlinkMode, 0);
    QVERIFY(extension.passwordSet);
    QCOMPARE(extension.mac, std::string("00:1D:C1:00:00:03"));
    QCOMPARE(extension.name, std::string("ZEPH-2208 3"));
    const MixerProfile &primary = config.mixers.at(1).profile;
    QCOMPARE(primary.ovlinkMode, 5);
    QCOMPARE(primary.mac, std::string("aa-bb-cc-dd-ee-ff"));
    QCOMPARE(int(primary.linkedUnits.size()), 1);
    // Generated mixers avoid the configured addresses and share no identity.
    std::set<std::string> addresses, macs, udns;
    std::set<int> serials;
    for (const MixerEntry &entry : config.mixers) {
        addresses.insert(entry.profile.address);
        macs.insert(entry.profile.mac);
        udns.insert(entry.profile.udn);
        serials.insert(entry.profile.serial);
    }
    QCOMPARE(int(config.mixers.size()), 302);
    QCOMPARE(int(addresses.size()), 302);
    QCOMPARE(int(macs.size()), 302);
    QCOMPARE(int(udns.size()), 302);
    QCOMPARE(int(serials.size()), 302);
    QVERIFY(!addresses.count("127.0.1.0") && !addresses.count("127.0.1.255"));
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
    const QJsonObject current = object(CurrentSet, 0);
    const QJsonArray inputs = current.value("inputs").toArray();
    const QJsonArray outputs = current.value("outputs").toArray();
    QCOMPARE(inputs.size(), 8);
    QCOMPARE(outputs.size(), 8);
    QCOMPARE(inputs.at(0).toObject().value("eq").toObject().value("bands").toArray().size(), 4);
    QCOMPARE(outputs.at(0).toObject().value("geq").toObject().value("bands").toArray().size(), 12);
    QCOMPARE(current.contains("network_audio"), model == "ZEPH-2208NET");
    // The project file spreads the current state's members beside these lists.
    for (const char *reserved : {"preset_list", "partial_list", "eq4_lib", "eq12_lib"}) {
        QVERIFY(!current.contains(reserved));
    }
    // A preset is a snapshot of the whole console; a partial preset only part of it.
    QCOMPARE(object(PresetSet, 0).value("inputs").toArray().size(), 8);
    QCOMPARE(object(PresetSet, 0).value("name").toString(), QString("Sunday Service"));
    QCOMPARE(object(PartialPresetSet, 0).value("inputs").toArray().size(), 2);
    QVERIFY(!object(PartialPresetSet, 0).contains("outputs"));
    QCOMPARE(object(PartialPresetSet, 39).value("stored").toBool(true), false);
    QCOMPARE(object(Eq12Set, 0).value("entries").toArray().size(), 16);
    QCOMPARE(object(Eq12Set, 0)
                 .value("entries")
                 .toArray()
                 .at(1)
                 .toObject()
                 .value("bands")
                 .toArray()
                 .size(),
             12);
}

QTEST_APPLESS_MAIN(TestMixerSimParts)
#include "tst_mixersimparts.moc"
