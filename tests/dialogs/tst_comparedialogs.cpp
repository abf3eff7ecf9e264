// Compare before a connection, against simulated mixers: the connect and reconnect dialogs read
// the mixer on a worker and show what differs, name a mixer that cannot be read, survive being
// closed while they read, and still hand over the direction the user picks afterwards.
#include "activewindow.h"
#include "dialogs/qovcomparecontrol.h"
#include "dialogs/qovcomparedialog.h"
#include "dialogs/qovconnectdevicedialog.h"
#include "dialogs/qovconnectdevicedialoglistitem.h"
#include "dialogs/qovreconnectdevicedialog.h"
#include "discovery/qovonlinedevicefinder.h"
#include "mixerchecks.h"
#include "mixersimprocess.h"
#include "modalanswerer.h"
#include "models/qovtextfile.h"
#include "models/qovworkerpool.h"
#include "simulatedmixers.h"
#include "tempprofile.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QThreadPool>
#include <QtTest>

#include <memory>

namespace {

const QByteArray kConfig = R"({ "mixers": [
  { "address": "127.0.0.2", "model": "ZEPH-2208", "name": "Bravo", "deviceId": 20,
    "serial": 7002, "mac": "00:1D:C1:00:00:02" },
  { "address": "127.0.0.3", "model": "ZEPH-2208", "name": "Alpha", "deviceId": 7,
    "serial": 7003, "mac": "00:1D:C1:00:00:03" }
] })";

QByteArray renamed(const QByteArray &presetJson, const QString &name, bool stored)
{
    QJsonObject object = QJsonDocument::fromJson(presetJson).object();
    object.insert(QStringLiteral("name"), name);
    object.insert(QStringLiteral("stored"), stored);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

void choose(QovConnectDeviceDialog &dialog, const QString &name)
{
    const auto *list = dialog.findChild<QListWidget *>(QStringLiteral("dialog-device-list"));
    for (int i = 0; i < list->count(); ++i) {
        auto *row = qobject_cast<QovConnectDeviceDialogListItem *>(list->itemWidget(list->item(i)));
        if (row->device()->deviceName() == name) {
            QTest::mouseClick(row->radioButton(), Qt::LeftButton, {}, QPoint(4, 4));
        }
    }
}

struct ViewSeen
{
    QStringList rows;
    QString summary;
    QString title;
    // Tab reaches the list and the arrow keys walk its rows: a long list is read and scrolled
    // without a mouse.
    bool rowsByKeys = false;
};

// Answers the compare view by reading it and pressing its OK.
void readCompareView(ModalAnswerer &answerer, ViewSeen &seen)
{
    answerer.handle([&seen](QWidget *modal) {
        auto *view = qobject_cast<QovCompareDialog *>(modal);
        if (view) {
            seen.rows = view->rowTexts();
            seen.summary = view->summaryText();
            seen.title = view->windowTitle();
            auto *list = view->findChild<QListWidget *>(QStringLiteral("dialog-device-list"));
            velmora::test::makeActiveWindow(view);
            for (int tab = 0; tab < 4 && view->focusWidget() != list; ++tab) {
                QTest::keyClick(view->focusWidget() ? view->focusWidget() : view, Qt::Key_Tab);
            }
            QTest::keyClick(list, Qt::Key_End);
            seen.rowsByKeys =
                QApplication::focusWidget() == list && list->currentRow() == list->count() - 1;
        }
        QTest::mouseClick(ModalAnswerer::findButton(modal, QStringLiteral("OK")), Qt::LeftButton);
    });
}

} // namespace

class TestCompareDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void connectDialogShowsWhatDiffers();
    void equalDataShowsAsEqual();
    void failedReadNamesTheMixer();
    void closingWhileReadingShowsNothing();
    void compareNeedsAMixer();

private:
    // A project device bound to the named mixer, holding exactly the data the mixer holds now.
    QovAppDeviceModel projectCopyOf(const QString &name);

    std::unique_ptr<TempProfile> m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
    QovOnlineDeviceFinder *m_finder = nullptr;
};

void TestCompareDialogs::initTestCase()
{
    qApp->setStyleSheet(loadTextFile(QStringLiteral(":/styles.qss")));
    const QString problem =
        startSimulatedMixers("[Debug]\nhttp_timeout_ms=2000\n", kConfig, &m_profile, &m_sim);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    m_finder = QovOnlineDeviceFinder::instance();
    m_finder->start();
    QTRY_COMPARE_WITH_TIMEOUT(m_finder->getAll().size(), 2, 20000);
}

void TestCompareDialogs::cleanup()
{
    for (const char *address : {"127.0.0.2", "127.0.0.3"}) {
        m_sim->startMixer(address);
        m_sim->reset(address);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_finder->getAll().size(), 2, 20000);
}

QovAppDeviceModel TestCompareDialogs::projectCopyOf(const QString &name)
{
    const QovOnlineDeviceModel mixer = listed(name);
    auto device = std::make_shared<QovAppDeviceModelInternal>(mixer);
    const QString address = mixer->ipAddress();
    for (const auto &[code, bank] : allDataSetFiles()) {
        device->setZephDataSet(code, bank, QString::fromUtf8(m_sim->dataSet(address, code, bank)));
    }
    return device;
}

void TestCompareDialogs::connectDialogShowsWhatDiffers()
{
    const QovAppDeviceModel device = projectCopyOf(QStringLiteral("Bravo"));
    const QString address = QStringLiteral("127.0.0.2");
    // The mixer renamed its first preset and lost its second partial preset; the project
    // stored a fifth preset and a seventh one without a name, renamed the third slot of its
    // 4-band EQ library and cleared the sixth.
    QVERIFY(m_sim->setDataSet(address, 2, 0,
                              renamed(m_sim->dataSet(address, 2, 0), "Evening Mass", true)));
    QVERIFY(m_sim->setDataSet(address, 6, 1, renamed(m_sim->dataSet(address, 6, 1), "", false)));
    device->setZephDataPreset(4, QString::fromUtf8(renamed(m_sim->dataSet(address, 2, 4),
                                                           QStringLiteral("Wedding"), true)));
    device->setZephDataPreset(
        6, QString::fromUtf8(renamed(m_sim->dataSet(address, 2, 6), QString(), true)));
    QJsonObject library = QJsonDocument::fromJson(m_sim->dataSet(address, 4, 0)).object();
    QJsonArray entries = library.value("entries").toArray();
    const QString mixerSlot3 = entries.at(2).toObject().value("name").toString();
    const QString mixerSlot6 = entries.at(5).toObject().value("name").toString();
    QVERIFY(!mixerSlot3.isEmpty() && !mixerSlot6.isEmpty());
    for (const auto &[index, name] : {std::pair<int, QString>{2, "Kick Drum"}, {5, ""}}) {
        QJsonObject slot = entries.at(index).toObject();
        slot.insert("name", name);
        entries.replace(index, slot);
    }
    library.insert("entries", entries);
    device->setZephData4BandEq(QString::fromUtf8(QJsonDocument(library).toJson()));
    // Slow answers keep the read going long enough to see the dialog while it reads.
    QVERIFY(m_sim->setFaults(address, R"({"delayMs": 10})"));
    QVERIFY(m_sim->clearRequests(address));

    const QovZephData before = device->zephData();

    QovConnectDeviceDialog dialog(device);
    dialog.show();
    QovCompareControl *compare = dialog.compareControl();
    QVERIFY(!compare->button()->isEnabled());
    choose(dialog, QStringLiteral("Bravo"));
    QVERIFY(compare->button()->isEnabled());

    ModalAnswerer answerer;
    ViewSeen seen;
    readCompareView(answerer, seen);
    QTest::mouseClick(compare->button(), Qt::LeftButton);
    QVERIFY(compare->isBusy());
    QVERIFY(!compare->button()->isEnabled());
    QVERIFY(!ModalAnswerer::findButton(&dialog, QStringLiteral("OK"))->isEnabled());
    // A second press while it reads starts nothing.
    QTest::mouseClick(compare->button(), Qt::LeftButton);
    // The dialog keeps working meanwhile.
    QTest::mouseClick(dialog.directionSelector()->deviceToAppButton(), Qt::LeftButton);
    QVERIFY(!dialog.upload());
    QVERIFY2(answerer.waitDone(20000), qPrintable(answerer.lastError()));

    QCOMPARE(seen.title, QStringLiteral("Compare"));
    QCOMPARE(seen.rows,
             (QStringList{
                 "Preset 1 | \u2018Sunday Service\u2019 | \u2018Evening Mass\u2019 | differs",
                 "Preset 5 | \u2018Wedding\u2019 | Empty | only in the project",
                 "Preset 7 | (no name) | Empty | only in the project",
                 "Presets 2\u20134, 6, 8 |  |  | same",
                 "12-band EQ library |  |  | same",
                 "4-band EQ 3 | \u2018Kick Drum\u2019 | \u2018" + mixerSlot3 + "\u2019 | differs",
                 "4-band EQ 6 | Empty | \u2018" + mixerSlot6 + "\u2019 | only on the mixer",
                 "4-band EQ library, other slots |  |  | same",
                 "Partial preset 2 | \u2018Monitor EQ\u2019 | Empty | only in the project",
                 "Partial presets 1, 3\u201340 |  |  | same",
                 "Current state |  |  | same",
             }));
    QVERIFY2(seen.summary.startsWith("6 items differ."), qPrintable(seen.summary));
    QVERIFY(seen.rowsByKeys);
    QCOMPARE(requestsWith(m_sim->requests(address), "filedownload.cgi"), 51);

    // Back in the dialog, which works as before: the choice made stands and OK hands it over.
    QTRY_VERIFY(!compare->isBusy());
    QVERIFY(compare->button()->isEnabled());
    QVERIFY(ModalAnswerer::findButton(&dialog, QStringLiteral("OK"))->isEnabled());
    QTest::mouseClick(dialog.directionSelector()->appToDeviceButton(), Qt::LeftButton);
    QTest::mouseClick(dialog.directionSelector()->deviceToAppButton(), Qt::LeftButton);
    QTest::mouseClick(ModalAnswerer::findButton(&dialog, QStringLiteral("OK")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.selectedDevice(), listed(QStringLiteral("Bravo")));
    QVERIFY(!dialog.upload());
    // Comparing only read: the project's copy is untouched.
    QCOMPARE(device->zephData(), before);
}

void TestCompareDialogs::equalDataShowsAsEqual()
{
    const QovAppDeviceModel device = projectCopyOf(QStringLiteral("Alpha"));
    QovReconnectDeviceDialog dialog(device);
    QCOMPARE(dialog.size(), QSize(648, 198));
    dialog.show();
    QovCompareControl *compare = dialog.compareControl();
    QCOMPARE(compare->mixer(), listed(QStringLiteral("Alpha")));

    ModalAnswerer answerer;
    ViewSeen seen;
    readCompareView(answerer, seen);
    QTest::mouseClick(compare->button(), Qt::LeftButton);
    QVERIFY2(answerer.waitDone(20000), qPrintable(answerer.lastError()));
    QCOMPARE(seen.summary, QStringLiteral("The project entry and the mixer hold the same data."));
    QCOMPARE(seen.rows,
             (QStringList{"Presets 1\u20138 | all identical |  | same",
                          "12-band EQ library |  |  | same", "4-band EQ library |  |  | same",
                          "Partial presets 1\u201340 | all identical |  | same",
                          "Current state |  |  | same"}));

    // The direction is still the user's to choose, and the button reads as it did.
    QTRY_VERIFY(!compare->isBusy());
    QCOMPARE(compare->button()->text(), QStringLiteral("Compare"));
    QTest::mouseClick(dialog.directionSelector()->deviceToAppButton(), Qt::LeftButton);
    QTest::mouseClick(ModalAnswerer::findButton(&dialog, QStringLiteral("OK")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.upload());
}

void TestCompareDialogs::failedReadNamesTheMixer()
{
    const QovAppDeviceModel device = projectCopyOf(QStringLiteral("Bravo"));
    QVERIFY(m_sim->setFaults(QStringLiteral("127.0.0.2"),
                             R"({"failDownload": {"target": 6, "bank": 17}})"));
    QovConnectDeviceDialog dialog(device);
    dialog.show();
    choose(dialog, QStringLiteral("Bravo"));
    QTest::mouseClick(dialog.directionSelector()->deviceToAppButton(), Qt::LeftButton);

    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK"));
    QTest::mouseClick(dialog.compareControl()->button(), Qt::LeftButton);
    QVERIFY2(answerer.waitDone(20000), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seen().size(), 1);
    const QString line = answerer.seenLines().value(0);
    QVERIFY2(line.startsWith("Error: Compare Failed\n\nBravo\n(127.0.0.2)\n"), qPrintable(line));

    // The dialog is as it was: its choices, its mixer, its buttons.
    QTRY_VERIFY(!dialog.compareControl()->isBusy());
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.selectedDevice(), listed(QStringLiteral("Bravo")));
    QVERIFY(!dialog.upload());
    QVERIFY(dialog.compareControl()->button()->isEnabled());
    QCOMPARE(dialog.compareControl()->button()->text(), QStringLiteral("Compare"));
    QVERIFY(ModalAnswerer::findButton(&dialog, QStringLiteral("OK"))->isEnabled());
}

void TestCompareDialogs::closingWhileReadingShowsNothing()
{
    const QovAppDeviceModel device = projectCopyOf(QStringLiteral("Alpha"));
    QVERIFY(m_sim->setFaults(QStringLiteral("127.0.0.3"), R"({"delayMs": 10})"));

    // Whatever would still show up is closed again, so that a fault fails and does not hang.
    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK"));
    // One dialog is closed and dropped while it reads, the other only closed.
    QPointer<QovReconnectDeviceDialog> dropped = new QovReconnectDeviceDialog(device);
    QovReconnectDeviceDialog closed(device);
    for (QovReconnectDeviceDialog *dialog : {dropped.data(), &closed}) {
        dialog->show();
        QTest::mouseClick(dialog->compareControl()->button(), Qt::LeftButton);
        QVERIFY(dialog->compareControl()->isBusy());
        QTest::mouseClick(ModalAnswerer::findButton(dialog, QStringLiteral("Cancel")),
                          Qt::LeftButton);
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
    }
    delete dropped;

    QVERIFY(qovWorkerPool()->waitForDone(20000));
    QTRY_VERIFY(!closed.compareControl()->isBusy());
    QTest::qWait(300);
    QVERIFY2(answerer.seen().isEmpty(), "a closed dialog showed its result");
    QCOMPARE(answerer.pending(), 1);
}

void TestCompareDialogs::compareNeedsAMixer()
{
    // Nothing to compare with: no mixer chosen yet, no project device given.
    const QovAppDeviceModel device = projectCopyOf(QStringLiteral("Alpha"));
    QovConnectDeviceDialog connect(device);
    connect.show();
    QVERIFY(!connect.compareControl()->button()->isEnabled());
    QVERIFY(!QovReconnectDeviceDialog().compareControl());

    // The reconnect dialog follows its mixer leaving and coming back.
    QovReconnectDeviceDialog reconnect(device);
    reconnect.show();
    QVERIFY(reconnect.compareControl()->button()->isEnabled());
    m_finder->onDeviceDeleted(listed(QStringLiteral("Alpha")));
    QTRY_VERIFY(!reconnect.compareControl()->button()->isEnabled());
    m_finder->refresh();
    QTRY_VERIFY_WITH_TIMEOUT(reconnect.compareControl()->button()->isEnabled(), 20000);
}

QTEST_MAIN(TestCompareDialogs)
#include "tst_comparedialogs.moc"
