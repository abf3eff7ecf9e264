#include "flowfixture.h"

#include "dialogs/qovaddonlinedevicedialog.h"
#include "dialogs/qovconnectdevicedialog.h"
#include "dialogs/qovconnectdevicedialoglistitem.h"
#include "dialogs/qovreconnectdevicedialog.h"
#include "discovery/qovonlinedevicefinder.h"
#include "logcollector.h"
#include "mixerchecks.h"
#include "modalanswerer.h"
#include "models/qovautosaver.h"
#include "models/qovtextfile.h"
#include "privatenetwork.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <iterator>

namespace {

// A ZEPH-2208NET primary with two extension units (named in reverse unit order), two plain
// ZEPH-2208 mixers.
const QByteArray kConfig = R"({ "mixers": [
  { "address": "127.0.0.2", "model": "ZEPH-2208", "name": "Monitor", "deviceId": 4,
    "serial": 5002 },
  { "address": "127.0.0.3", "model": "ZEPH-2208NET", "name": "Ext Two", "deviceId": 3,
    "serial": 5003, "link": "extension" },
  { "address": "127.0.0.4", "model": "ZEPH-2208NET", "name": "FOH Main", "deviceId": 1,
    "serial": 5004, "link": "primary",
    "linkedUnits": [ { "serial": 5003, "unitno": 2 }, { "serial": 5005, "unitno": 1 } ] },
  { "address": "127.0.0.5", "model": "ZEPH-2208NET", "name": "Ext One", "deviceId": 2,
    "serial": 5005, "link": "extension" },
  { "address": "127.0.0.6", "model": "ZEPH-2208", "name": "Stage", "deviceId": 5,
    "serial": 5006 }
] })";

// Shared by every test class; created by the first initTestCase, ended by shutDown().
std::unique_ptr<TempProfile> sharedProfile;
std::unique_ptr<MixerSimProcess> sharedSim;

} // namespace

int ConnectionFlowFixture::runAll(const std::vector<std::unique_ptr<QObject>> &tests,
                                  const QStringList &arguments)
{
    const auto has = [](const QObject &test, const QString &argument) {
        const QString name = argument.section(QLatin1Char(':'), 0, 0) + QStringLiteral("()");
        return test.metaObject()->indexOfMethod(qPrintable(name)) >= 0;
    };
    const auto isFunction = [&](const QString &argument) {
        return std::any_of(tests.cbegin(), tests.cend(),
                           [&](const auto &test) { return has(*test, argument); });
    };
    // A test function named goes to its own class only, and a class none is named of does not
    // run; every other argument is an option for all.
    const bool chosen = std::any_of(arguments.cbegin(), arguments.cend(), isFunction);
    int failures = 0;
    for (const auto &test : tests) {
        QStringList own;
        std::copy_if(
            arguments.cbegin(), arguments.cend(), std::back_inserter(own),
            [&](const QString &argument) { return !isFunction(argument) || has(*test, argument); });
        if (!chosen || std::any_of(own.cbegin(), own.cend(), isFunction)) {
            failures += QTest::qExec(test.get(), own);
        }
    }
    return failures;
}

void ConnectionFlowFixture::shutDown()
{
    sharedSim.reset();
    sharedProfile.reset();
}

void ConnectionFlowFixture::initTestCase()
{
    // Each run of a test class puts the test log's handler in first.
    LogCollector::install();
    if (!sharedSim) {
        velmora::test::requirePrivateNetwork();
        sharedProfile = std::make_unique<TempProfile>();
        m_profile = sharedProfile.get();
        writeSettings();
        sharedSim = std::make_unique<MixerSimProcess>(kConfig);
        QovOnlineDeviceFinder::instance()->start();
    }
    m_profile = sharedProfile.get();
    m_sim = sharedSim.get();
    m_finder = QovOnlineDeviceFinder::instance();
    QVERIFY2(m_sim->problem().isEmpty(), qPrintable(m_sim->problem()));
    QTRY_COMPARE_WITH_TIMEOUT(m_finder->getAll().size(), 5, 20000);
}

void ConnectionFlowFixture::cleanupTestCase()
{
    QovAutosaver::waitForAllWrites();
}

void ConnectionFlowFixture::init()
{
    writeSettings();
    m_window = std::make_unique<QovMainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void ConnectionFlowFixture::cleanup()
{
    // Leaves no edited project behind to ask about, and every mixer healthy and listed.
    m_window->projectData()->setIsEdited(false);
    m_window->hide();
    m_window.reset();
    for (const char *address : {"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5", "127.0.0.6"}) {
        m_sim->startMixer(address);
        m_sim->reset(address);
    }
    // Uploads rename the finder's models; find every mixer anew under its own name.
    m_finder->refresh();
    QTRY_COMPARE_WITH_TIMEOUT(m_finder->getAll().size(), 5, 70000);
}

QStringList ConnectionFlowFixture::copiedData(const QString &path)
{
    auto [project, error] = parseProject(loadTextFile(path));
    std::unique_ptr<QovProjectDataModel> owner(project);
    if (!project || project->appDevices().size() != 1) {
        return {QStringLiteral("not a safety copy: ") + error};
    }
    return deviceData(project->appDevices().first());
}

void ConnectionFlowFixture::click(QWidget *root, const QString &buttonText)
{
    QWidget *button = ModalAnswerer::findButton(root, buttonText);
    QVERIFY2(button, qPrintable(buttonText));
    QTest::mouseClick(button, Qt::LeftButton);
}

void ConnectionFlowFixture::writeSettings(const QByteArray &extra)
{
    m_profile->writeProgramSettings("[Debug]\nhttp_timeout_ms=2000\nkeepalive_interval=1\n" +
                                    extra);
}

QString ConnectionFlowFixture::saveForOpening(QovProjectDataModel &project,
                                              const QTemporaryDir &folder, const QString &fileName,
                                              int autoReconnect)
{
    const QString path = folder.filePath(fileName);
    if (!project.saveTo(path)) {
        return QString();
    }
    writeSettings();
    QSettings(m_profile->programSettingsFile(), QSettings::IniFormat)
        .setValue(QStringLiteral("Config/auto_reconnect"), autoReconnect);
    return path;
}

QovAppDeviceModel ConnectionFlowFixture::showEntry(QovDeviceSelector::DeviceType type,
                                                   QStringList *dataBeforeShown)
{
    const QovAppDeviceModel entry = unboundDevice(QStringLiteral("Entry"), type);
    if (dataBeforeShown) {
        *dataBeforeShown = deviceData(entry);
    }
    showProject({entry});
    return entry;
}

QString ConnectionFlowFixture::overlayTitle() const
{
    auto *box = m_window->findChild<QWidget *>(QStringLiteral("progress-transfer"));
    auto *title = m_window->findChild<QLabel *>(QStringLiteral("progress-title"));
    return box && title && box->isVisible() ? title->text() : QString();
}

QProgressBar *ConnectionFlowFixture::overlayBar() const
{
    return m_window->findChild<QProgressBar *>(QStringLiteral("progress-bar"));
}

QString ConnectionFlowFixture::macOf(const QString &mixerName) const
{
    const QovOnlineDeviceModel device = atAddress(addressOf(mixerName));
    return device ? device->macAddress() : QString();
}

QString ConnectionFlowFixture::addressOf(const QString &mixerName) const
{
    // As configured: an upload renames the finder's model of a mixer until it is found anew.
    static const QMap<QString, QString> addresses = {{"Monitor", "127.0.0.2"},
                                                     {"Ext Two", "127.0.0.3"},
                                                     {"FOH Main", "127.0.0.4"},
                                                     {"Ext One", "127.0.0.5"},
                                                     {"Stage", "127.0.0.6"}};
    return addresses.value(mixerName);
}

QovOnlineDeviceModel ConnectionFlowFixture::atAddress(const QString &address) const
{
    for (const auto &device : m_finder->getAll()) {
        if (device->ipAddress() == address) {
            return device;
        }
    }
    return {};
}

void ConnectionFlowFixture::showProject(const QVector<QovAppDeviceModel> &devices)
{
    auto *project = new QovProjectDataModel();
    for (const auto &device : devices) {
        project->addDevice(device);
    }
    project->setIsEdited(false);
    m_window->setProjectData(project);
}

void ConnectionFlowFixture::answerConnectOnline(ModalAnswerer &answerer, const QStringList &names,
                                                QList<QovOnlineDeviceModel> *shown)
{
    answerer.handle([names, shown](QWidget *modal) {
        auto *dialog = qobject_cast<QovAddOnlineDeviceDialog *>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        if (names.isEmpty()) {
            QTest::mouseClick(dialog->findChild<QCheckBox *>(), Qt::LeftButton);
        }
        for (const auto &device : dialog->shownDevices()) {
            if (names.contains(device->deviceName())) {
                device->setSelected(true);
            }
        }
        if (shown) {
            *shown = dialog->shownDevices();
        }
        click(dialog, QStringLiteral("Connect"));
    });
}

void ConnectionFlowFixture::chooseDirection(QWidget *dialog, QovDirectionSelectorView *selector,
                                            bool upload)
{
    QTest::mouseClick(upload ? selector->appToDeviceButton() : selector->deviceToAppButton(),
                      Qt::LeftButton);
    click(dialog, QStringLiteral("OK"));
}

void ConnectionFlowFixture::answerConnect(ModalAnswerer &answerer, const QString &mixer,
                                          bool upload)
{
    answerer.handle([mixer, upload](QWidget *modal) {
        auto *dialog = qobject_cast<QovConnectDeviceDialog *>(modal);
        if (!dialog) {
            modal->close();
            return;
        }
        for (auto *row : dialog->findChildren<QovConnectDeviceDialogListItem *>()) {
            if (row->isVisible() && row->device()->deviceName() == mixer) {
                QTest::mouseClick(row->radioButton(), Qt::LeftButton, {}, QPoint(4, 4));
            }
        }
        chooseDirection(dialog, dialog->directionSelector(), upload);
    });
}

void ConnectionFlowFixture::answerReconnect(ModalAnswerer &answerer, bool upload)
{
    answerer.handle([upload](QWidget *modal) {
        if (auto *dialog = qobject_cast<QovReconnectDeviceDialog *>(modal)) {
            chooseDirection(dialog, dialog->directionSelector(), upload);
        } else {
            modal->close();
        }
    });
}

bool ConnectionFlowFixture::connectThroughDialog(ModalAnswerer &answerer,
                                                 const QovAppDeviceModel &entry,
                                                 const QString &mixer, bool upload)
{
    answerConnect(answerer, mixer, upload);
    if (!m_window->connectDevice(entry) || !answerer.waitDone()) {
        qWarning() << "no connection to" << mixer << answerer.lastError();
        return false;
    }
    return QTest::qWaitFor([&] { return entry->status() == QovAppDeviceModelInternal::CONNECTED; },
                           20000);
}
