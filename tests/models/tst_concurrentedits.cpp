// Downloads write into project devices on worker threads while the thread that owns the
// project writes its autosave copy over and over. Run it under ThreadSanitizer as well: the
// assertions catch torn data, the sanitizer catches unguarded access.
#include "models/qovprojectdatamodel.h"
#include "projectfixture.h"
#include "tempprofile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {
constexpr int kDevices = 4;
constexpr int kRounds = 300;

QString tagged(const char *set, int round, int size)
{
    return QStringLiteral("{\"round\":%1,\"set\":\"%2\",\"fill\":\"%3\"}")
        .arg(round)
        .arg(QLatin1String(set))
        .arg(QString(size, QLatin1Char('x')));
}

// What a Device->App connection stores, in its order: name and id, the five data sets, then
// address, MAC and status.
void download(const QovAppDeviceModel &device, int round)
{
    device->setDeviceName(QStringLiteral("Mixer r%1").arg(round));
    device->setDeviceId(round % 256);
    device->setZephDataPreset(QVector<QString>(8, tagged("preset", round, 3000)).toList());
    device->setZephData12BandEq(tagged("eq12", round, 800));
    device->setZephData4BandEq(tagged("eq4", round, 400));
    device->setZephDataPartialPreset(QVector<QString>(40, tagged("partial", round, 200)).toList());
    device->setZephDataCurrent(tagged("current", round, 3000));
    device->setIpAddress(QStringLiteral("127.0.3.%1").arg(round % 250 + 1));
    device->setMacAddress(round % 2 ? QStringLiteral("00:11:22:33:44:55") : QString());
    device->setStatus(round % 2 ? QovAppDeviceModelInternal::CONNECTED
                                : QovAppDeviceModelInternal::DISCONNECTED);
}

// Every list is stored in one step, so a file never shows a list from two downloads.
QString tornList(const QJsonObject &data)
{
    for (const char *key : {"preset_list", "partial_list"}) {
        const QJsonArray list = data.value(QLatin1String(key)).toArray();
        for (const QJsonValue &item : list) {
            if (item.toObject().value("round") != list.first().toObject().value("round")) {
                return QLatin1String(key);
            }
        }
    }
    return QString();
}
} // namespace

class TestConcurrentEdits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { projectfixture::redirectDataFolder(); }
    void downloadsWhileAutosaving();
};

void TestConcurrentEdits::downloadsWhileAutosaving()
{
    TempProfile profile;
    QovProjectDataModel project;
    project.setSavePath(profile.path() + "/race.vlmproj");
    for (int i = 0; i < kDevices; ++i) {
        QVERIFY(project.addDevice(std::make_shared<QovAppDeviceModelInternal>()));
    }
    const QVector<QovAppDeviceModel> devices = project.appDevices();
    // Someone on the GUI side watches the texts, as a settings page does.
    int textsSeen = 0;
    for (const QovAppDeviceModel &device : devices) {
        connect(device.get(), &QovAppDeviceModelInternal::zephDataCurrentChanged, this,
                [&textsSeen](const QString &text) { textsSeen += !text.isEmpty(); });
    }

    std::atomic<int> running{kDevices};
    std::vector<std::thread> workers;
    for (int i = 0; i < kDevices; ++i) {
        workers.emplace_back([device = devices.at(i), &running] {
            for (int round = 1; round <= kRounds; ++round) {
                download(device, round);
                // A real download waits for the network between data sets.
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
            --running;
        });
    }
    int snapshots = 0;
    while (running > 0 || snapshots < 5) {
        const QJsonDocument file = QJsonDocument::fromJson(project.toJsonBytes());
        QVERIFY2(file.isObject(), "the file text must stay valid JSON");
        const QJsonArray list = file.object().value("devices").toArray();
        QCOMPARE(list.size(), kDevices);
        for (const QJsonValue &device : list) {
            const QString torn = tornList(device.toObject().value("data").toObject());
            QVERIFY2(torn.isEmpty(), qPrintable(torn));
        }
        // Reads of every kind the GUI makes, against the writers.
        for (const QovAppDeviceModel &device : devices) {
            QVERIFY(device->zephDataPreset().size() == 8);
            QVERIFY(!device->zephDataCurrent().isEmpty());
            QVERIFY(device->deviceName().startsWith("Mixer") || device->deviceName().isEmpty());
        }
        if (++snapshots % 4 == 0) {
            QVERIFY(project.autosave());
        }
        QCoreApplication::processEvents();
    }
    for (std::thread &worker : workers) {
        worker.join();
    }
    QTRY_VERIFY(textsSeen >= kDevices);
    project.waitForAutosave();
    QCoreApplication::processEvents();
    project.waitForAutosave();

    // The copy ends with every device's last download.
    auto [model, error] = parseProjectBytes(projectfixture::readAll(project.autosavePath()));
    std::unique_ptr<QovProjectDataModel> loaded(model);
    QVERIFY2(loaded, qPrintable(error));
    for (int i = 0; i < kDevices; ++i) {
        const QovAppDeviceModel device = loaded->appDevices().at(i);
        QCOMPARE(device->deviceName(), QString("Mixer r%1").arg(kRounds));
        QCOMPARE(device->zephDataSets().toDataObject(),
                 devices.at(i)->zephDataSets().toDataObject());
    }
    qInfo("%d snapshots taken while %d devices downloaded %d times", snapshots, kDevices, kRounds);
}

QTEST_GUILESS_MAIN(TestConcurrentEdits)
#include "tst_concurrentedits.moc"
