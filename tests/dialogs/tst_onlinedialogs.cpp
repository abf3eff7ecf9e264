// The dialogs that list mixers on the network, against simulated mixers: what they offer and
// in which order, ticks and choices that survive the finder's changes, sorting, identify,
// collection; and the link-group order itself.
#include "dialogs/qovaddonlinedevicedialog.h"
#include "dialogs/qovaddonlinedevicedialoglistitem.h"
#include "dialogs/qovappdeviceview.h"
#include "dialogs/qovconnectdevicedialog.h"
#include "dialogs/qovconnectdevicedialoglistitem.h"
#include "dialogs/qovdevicesettingdialog.h"
#include "dialogs/qovdirectionselectorview.h"
#include "dialogs/qovreconnectdevicedialog.h"
#include "discovery/qovonlinedevicefinder.h"
#include "mixerchecks.h"
#include "mixersimprocess.h"
#include "modalanswerer.h"
#include "models/qovautosaver.h"
#include "models/qovprojectdatamodel.h"
#include "simulatedmixers.h"
#include "tempprofile.h"
#include "views/qovprogressview.h"
#include "views/qovsortlabel.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

const QByteArray kConfig = R"({ "mixers": [
  { "address": "127.0.0.2", "model": "ZEPH-2208", "name": "Bravo", "deviceId": 20,
    "serial": 6002, "mac": "00:1D:C1:00:00:02" },
  { "address": "127.0.0.3", "model": "ZEPH-2208NET", "name": "Ext", "deviceId": 3,
    "serial": 6003, "link": "extension" },
  { "address": "127.0.0.4", "model": "ZEPH-2208NET", "name": "Primary", "deviceId": 100,
    "serial": 6004, "link": "primary", "linkedUnits": [ { "serial": 6003, "unitno": 1 } ] },
  { "address": "127.0.0.10", "model": "ZEPH-2208", "name": "Alpha", "deviceId": 7,
    "serial": 6010 },
  { "address": "127.0.0.11", "model": "ZEPH-2208", "name": "Hotel", "deviceId": 8,
    "serial": 6011, "ssdp": false }
] })";

template<typename Row>
QList<Row *> liveRows(QWidget *dialog)
{
    QList<Row *> rows;
    auto *list = dialog->findChild<QListWidget *>(QStringLiteral("dialog-device-list"));
    for (int i = 0; i < list->count(); ++i) {
        rows << qobject_cast<Row *>(list->itemWidget(list->item(i)));
    }
    return rows;
}

} // namespace

class TestOnlineDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void initTestCase();
    void cleanup();

    void addOnlineOffersFreeMixersInGroups();
    void headerBoxTicksAndClearsAll();
    void ticksSurviveFinderChanges();
    void sortingGoesThroughTheFinder();
    void identifyFailureNamesTheMixer();
    void collectionReadsEveryTickedMixer();
    void nothingTickedYieldsNothing();
    void deviceSettingAddsOnlineMixers();
    void connectDialogOffersTheSameModel();
    void directionSelectorEmitsOnChangeOnly();
    void addsAMixerByItsAddress();

private:
    std::unique_ptr<TempProfile> m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
    QovOnlineDeviceFinder *m_finder = nullptr;
};

void TestOnlineDialogs::initTestCase()
{
    const QString problem =
        startSimulatedMixers("[Debug]\nhttp_timeout_ms=2000\n", kConfig, &m_profile, &m_sim);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    m_finder = QovOnlineDeviceFinder::instance();
    m_finder->start();
    QTRY_COMPARE_WITH_TIMEOUT(m_finder->getAll().size(), 4, 20000);
}

void TestOnlineDialogs::cleanup()
{
    for (const char *address : {"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.10"}) {
        m_sim->startMixer(address);
        m_sim->reset(address);
    }
    // The mixers discovery finds are back; one added by address may be listed besides.
    const auto discovered = [this] {
        int count = 0;
        for (const auto &device : m_finder->getAll()) {
            count += device->addedAddress().isEmpty() ? 1 : 0;
        }
        return count;
    };
    QTRY_COMPARE_WITH_TIMEOUT(discovered(), 4, 20000);
}

void TestOnlineDialogs::addOnlineOffersFreeMixersInGroups()
{
    // "Bravo" is already in the list as a device bound to it; a new device excludes nothing.
    auto taken = std::make_shared<QovAppDeviceModelInternal>(listed("Bravo"));
    auto fresh = std::make_shared<QovAppDeviceModelInternal>();
    QovAddOnlineDeviceDialog dialog(QovAddOnlineDeviceDialog::ADD, {taken, fresh});
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Add Online Device"));
    dialog.show();
    const QStringList shown = namesOf(dialog.shownDevices());
    QCOMPARE(shown.size(), 3);
    QVERIFY(!shown.contains("Bravo"));
    QCOMPARE(shown.indexOf("Ext"), shown.indexOf("Primary") + 1);
    QCOMPARE(liveRows<QovAddOnlineDeviceDialogListItem>(&dialog).size(), 3);
    QVERIFY(ModalAnswerer::findButton(&dialog, "Add"));

    QovAddOnlineDeviceDialog connect(QovAddOnlineDeviceDialog::CONNECT, {});
    connect.show();
    QCOMPARE(connect.windowTitle(), QStringLiteral("Connect Online Device"));
    QVERIFY(ModalAnswerer::findButton(&connect, "Connect"));
    QCOMPARE(connect.shownDevices().size(), 4);
}

void TestOnlineDialogs::headerBoxTicksAndClearsAll()
{
    QovAddOnlineDeviceDialog dialog(QovAddOnlineDeviceDialog::CONNECT, {});
    dialog.show();
    auto *header = dialog.findChild<QCheckBox *>();
    const auto rows = liveRows<QovAddOnlineDeviceDialogListItem>(&dialog);
    QVERIFY(!header->isChecked());

    QTest::mouseClick(header, Qt::LeftButton);
    for (auto *row : rows) {
        QVERIFY(row->isChecked() && row->device()->selected());
    }
    QVERIFY(header->isChecked());

    // One row cleared by hand: the header shows it, and a click ticks all again.
    rows.at(1)->setChecked(false);
    QVERIFY(!rows.at(1)->device()->selected());
    QVERIFY(!header->isChecked());
    QTest::mouseClick(header, Qt::LeftButton);
    QVERIFY(rows.at(1)->isChecked());
    QTest::mouseClick(header, Qt::LeftButton);
    for (auto *row : rows) {
        QVERIFY(!row->isChecked() && !row->device()->selected());
    }
}

void TestOnlineDialogs::ticksSurviveFinderChanges()
{
    QovAddOnlineDeviceDialog dialog(QovAddOnlineDeviceDialog::CONNECT, {});
    dialog.show();
    listed("Alpha")->setSelected(true);
    listed("Primary")->setSelected(true);
    QovConnectDeviceDialog connect(std::make_shared<QovAppDeviceModelInternal>());
    connect.show();
    for (auto *row : liveRows<QovConnectDeviceDialogListItem>(&connect)) {
        if (row->device()->deviceName() == QStringLiteral("Alpha")) {
            QTest::mouseClick(row->radioButton(), Qt::LeftButton, {}, QPoint(4, 4));
        }
    }
    QCOMPARE(connect.selectedDevice()->deviceName(), QStringLiteral("Alpha"));

    // A mixer says goodbye, then every mixer is found anew as new objects.
    m_finder->onDeviceDeleted(listed("Bravo"));
    QTRY_COMPARE_WITH_TIMEOUT(dialog.shownDevices().size(), 3, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(connect.shownDevices().size(), 1, 20000);
    m_finder->refresh();
    QTRY_COMPARE_WITH_TIMEOUT(dialog.shownDevices().size(), 4, 20000);
    QTRY_COMPARE_WITH_TIMEOUT(connect.shownDevices().size(), 2, 20000);
    QTest::qWait(100);

    QStringList ticked;
    for (auto *row : liveRows<QovAddOnlineDeviceDialogListItem>(&dialog)) {
        if (row->isChecked()) {
            ticked << row->device()->deviceName();
        }
    }
    ticked.sort();
    QCOMPARE(ticked, (QStringList{"Alpha", "Primary"}));
    QCOMPARE(connect.selectedDevice(), listed("Alpha"));
}

void TestOnlineDialogs::sortingGoesThroughTheFinder()
{
    QovAddOnlineDeviceDialog dialog(QovAddOnlineDeviceDialog::CONNECT, {});
    dialog.show();
    const auto labels = dialog.findChildren<QovSortLabel *>();
    QCOMPARE(labels.size(), 3);
    QovSortLabel *byId = labels.at(2);
    QTest::mouseClick(byId, Qt::LeftButton);
    QCOMPARE(byId->order(), QovSortLabel::ASCENDING);
    // Ids 3 (extension, under its primary 100), 7, 20, 100: the group stays together.
    QCOMPARE(namesOf(dialog.shownDevices()), (QStringList{"Alpha", "Bravo", "Primary", "Ext"}));
    QCOMPARE(namesOf(m_finder->getAll()), (QStringList{"Ext", "Alpha", "Bravo", "Primary"}));

    QTest::mouseClick(byId, Qt::LeftButton);
    QCOMPARE(byId->order(), QovSortLabel::DESCENDING);
    QCOMPARE(namesOf(dialog.shownDevices()), (QStringList{"Primary", "Ext", "Bravo", "Alpha"}));

    QovSortLabel *byAddress = labels.at(1);
    QTest::mouseClick(byAddress, Qt::LeftButton);
    QCOMPARE(byId->order(), QovSortLabel::NONE);
    // 127.0.0.10 sorts after 127.0.0.4 by number.
    QCOMPARE(namesOf(dialog.shownDevices()), (QStringList{"Bravo", "Primary", "Ext", "Alpha"}));
}

void TestOnlineDialogs::identifyFailureNamesTheMixer()
{
    QovAddOnlineDeviceDialog dialog(QovAddOnlineDeviceDialog::CONNECT, {});
    dialog.show();
    const auto identify = [&dialog](const QString &name) {
        for (auto *row : liveRows<QovAddOnlineDeviceDialogListItem>(&dialog)) {
            if (row->device()->deviceName() == name) {
                QTest::mouseClick(row->findChild<QPushButton *>(), Qt::LeftButton);
            }
        }
    };
    QVERIFY(m_sim->setFaults("127.0.0.10", R"({"rcode": 7})"));
    ModalAnswerer answerer;
    answerer.pressButton("OK");
    identify("Alpha");
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seenLines(),
             QStringList{"Error: Identify Failed\n\nAlpha\n(127.0.0.10)\n00:1D:C1:00:00:0A\n"});

    // A mixer that answers says nothing; its request reached it.
    QVERIFY(m_sim->clearRequests("127.0.0.2"));
    identify("Bravo");
    QTRY_VERIFY(m_sim->requests("127.0.0.2").join(' ').contains("zephidentify.cgi"));
    QTest::qWait(200);
    QCOMPARE(answerer.seen().size(), 1);
}

void TestOnlineDialogs::collectionReadsEveryTickedMixer()
{
    QovAddOnlineDeviceDialog dialog(QovAddOnlineDeviceDialog::CONNECT, {});
    QovAppDeviceResultList result;
    int emitted = 0;
    connect(&dialog, &QovAddOnlineDeviceDialog::resultCollected,
            [&](const QovAppDeviceResultList &list) {
                result = list;
                ++emitted;
            });
    dialog.show();
    QVERIFY(m_sim->setFaults("127.0.0.10", R"({"delayMs": 20})"));
    QVERIFY(m_sim->setFaults("127.0.0.4", R"({"rcode": 7})"));
    listed("Alpha")->setSelected(true);
    listed("Primary")->setSelected(true);
    listed("Bravo")->setSelected(true);
    QStringList expected;
    for (const auto &device : dialog.shownDevices()) {
        if (device->selected()) {
            expected << device->deviceName();
        }
    }
    QTest::mouseClick(ModalAnswerer::findButton(&dialog, "Connect"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(emitted, 1, 20000);

    // In the dialog's order, each with its outcome; the data read from its own mixer.
    QStringList names;
    for (const auto &[connected, device, problem] : result) {
        names << device->deviceName();
        const bool primary = device->deviceName() == QStringLiteral("Primary");
        QCOMPARE(connected, !primary);
        // A failure says which read stopped.
        QCOMPARE(problem, primary ? QString("failed to get preset") : QString());
        if (connected) {
            QCOMPARE(device->status(), QovAppDeviceModelInternal::CONNECTED);
            QCOMPARE(device->zephDataPartialPreset().value(39),
                     QString::fromUtf8(m_sim->dataSet(device->ipAddress(), 6, 39)));
        }
    }
    QCOMPARE(names, expected);
    QCOMPARE(names.size(), 3);
}

void TestOnlineDialogs::nothingTickedYieldsNothing()
{
    QovAddOnlineDeviceDialog dialog(QovAddOnlineDeviceDialog::ADD, {});
    int results = -1;
    connect(&dialog, &QovAddOnlineDeviceDialog::resultCollected,
            [&](const QovAppDeviceResultList &list) { results = int(list.size()); });
    dialog.show();
    QTest::mouseClick(ModalAnswerer::findButton(&dialog, "Add"), Qt::LeftButton);
    QTRY_COMPARE(results, 0);
}

void TestOnlineDialogs::deviceSettingAddsOnlineMixers()
{
    QovProjectDataModel project;
    project.addDevice(std::make_shared<QovAppDeviceModelInternal>(listed("Bravo")));
    QovDeviceSettingDialog dialog(&project);
    dialog.show();
    ModalAnswerer answerer;
    QStringList offered;
    auto *overlay = dialog.findChild<QovProgressView *>();
    bool busyMeanwhile = false;
    answerer.handle([&](QWidget *modal) {
        auto *add = qobject_cast<QovAddOnlineDeviceDialog *>(modal);
        offered = namesOf(add->shownDevices());
        busyMeanwhile = overlay->isVisible();
        listed("Alpha")->setSelected(true);
        QTest::mouseClick(ModalAnswerer::findButton(add, "Add"), Qt::LeftButton);
    });
    QTest::mouseClick(ModalAnswerer::findButton(&dialog, " Add Online Device"), Qt::LeftButton);
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QVERIFY(!offered.contains("Bravo"));
    QTRY_COMPARE(dialog.entries().size(), 2);
    // Its busy overlay, up while the online dialog ran, is gone once the mixers joined.
    QVERIFY(busyMeanwhile && !overlay->isVisible());
    const QovDeviceSettingEntry added = dialog.entries().at(1);
    QCOMPARE(added.name, QStringLiteral("Alpha"));
    QCOMPARE(added.device->status(), QovAppDeviceModelInternal::CONNECTED);
    QCOMPARE(added.device->zephDataCurrent(),
             QString::fromUtf8(m_sim->dataSet("127.0.0.10", 7, 0)));
}

void TestOnlineDialogs::connectDialogOffersTheSameModel()
{
    auto unbound = std::make_shared<QovAppDeviceModelInternal>(
        QStringLiteral("Net entry"), QovDeviceSelector::ZEPH2208NET, QString(), 0, 5);
    QovConnectDeviceDialog dialog(unbound);
    QCOMPARE(dialog.size(), QSize(800, 514));
    dialog.show();
    QCOMPARE(namesOf(dialog.shownDevices()), (QStringList{"Primary", "Ext"}));
    QStringList texts;
    for (QLabel *label : dialog.findChild<QovAppDeviceView *>()->findChildren<QLabel *>()) {
        texts << label->text();
    }
    QVERIFY2(texts.contains("---.---.---.---"), qPrintable(texts.join('|')));
    QVERIFY(!dialog.selectedDevice());
    QVERIFY(dialog.upload());
    // The arrow between App and Device points the way the data goes.
    auto *arrow = dialog.findChild<QLabel *>(QStringLiteral("dialog-direction-arrow"));
    QVERIFY(arrow);
    const QImage toDevice = arrow->grab().toImage();
    QTest::mouseClick(dialog.directionSelector()->deviceToAppButton(), Qt::LeftButton);
    QVERIFY(!dialog.upload());
    QCOMPARE(arrow->grab().toImage(), toDevice.mirrored(true, false));
    QVERIFY(arrow->grab().toImage() != toDevice);

    const auto bound = std::make_shared<QovAppDeviceModelInternal>(listed("Bravo"));
    QCOMPARE(QovAppDeviceView::addressLine(*bound),
             QStringLiteral("127.0.0.2 (00:1D:C1:00:00:02)"));
}

void TestOnlineDialogs::directionSelectorEmitsOnChangeOnly()
{
    QovReconnectDeviceDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Reconnect to Device"));
    dialog.show();
    QovDirectionSelectorView *selector = dialog.directionSelector();
    QSignalSpy changed(selector, &QovDirectionSelectorView::directionChanged);
    QCOMPARE(selector->direction(), QovDirectionSelectorView::APP_TO_DEVICE);
    QTest::mouseClick(selector->appToDeviceButton(), Qt::LeftButton);
    QCOMPARE(changed.count(), 0);
    QVERIFY(selector->appToDeviceButton()->isChecked());
    QTest::mouseClick(selector->deviceToAppButton(), Qt::LeftButton);
    QCOMPARE(changed.count(), 1);
    QVERIFY(!dialog.upload());
    QVERIFY(selector->deviceToAppButton()->isChecked());
    QVERIFY(!selector->appToDeviceButton()->isChecked());
}

void TestOnlineDialogs::addsAMixerByItsAddress()
{
    QovAddOnlineDeviceDialog dialog(QovAddOnlineDeviceDialog::ADD, {});
    QovAppDeviceResultList result;
    connect(&dialog, &QovAddOnlineDeviceDialog::resultCollected,
            [&](const QovAppDeviceResultList &list) { result = list; });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY2(!namesOf(dialog.shownDevices()).contains("Hotel"), "discovery cannot see it");
    auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("dialog-address-edit"));
    auto *note = dialog.findChild<QLabel *>(QStringLiteral("dialog-address-note"));
    auto *add = qobject_cast<QPushButton *>(ModalAnswerer::findButton(&dialog, "Add by Address"));
    QVERIFY(edit && note && add);
    // A status line, which screen readers speak when it changes; its text is its name.
    QAccessibleInterface *heard = QAccessible::queryAccessibleInterface(note);
    QCOMPARE(heard->role(), QAccessible::StatusBar);

    edit->setText("127.0.0.11:80");
    QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(note->text(), QString("Enter an IPv4 address or a host name."));

    edit->setText("127.0.0.99");
    QTest::mouseClick(add, Qt::LeftButton);
    QVERIFY(!add->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(note->text(), QString("No mixer found at 127.0.0.99."), 10000);
    QVERIFY2(note->toolTip().contains("127.0.0.99"), qPrintable(note->toolTip()));
    QCOMPARE(heard->text(QAccessible::Name), note->text());
    QVERIFY(add->isEnabled());

    // Enter asks the address; it does not accept the dialog.
    edit->setText(" 127.0.0.11 ");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(note->text(), QString("Found Hotel and ticked it."), 10000);
    QTRY_VERIFY(namesOf(dialog.shownDevices()).contains("Hotel"));
    QVERIFY(listed("Hotel")->selected());
    bool marked = false;
    for (auto *label : dialog.findChildren<QLabel *>(QStringLiteral("added-by-address"))) {
        marked = marked ||
                 (label->text().contains("127.0.0.11") && label->text().contains("by address"));
    }
    QVERIFY2(marked, "its row says that it was added by address");

    QTest::mouseClick(ModalAnswerer::findButton(&dialog, "Add"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(int(result.size()), 1, 20000);
    const auto &[connected, device, problem] = result.front();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(connected);
    QCOMPARE(device->deviceName(), QString("Hotel"));
    // The project device remembers where to ask for its mixer.
    QCOMPARE(device->addedAddress(), QString("127.0.0.11"));
    QCOMPARE(device->ipAddress(), QString("127.0.0.11"));
}

QTEST_MAIN(TestOnlineDialogs)
#include "tst_onlinedialogs.moc"
