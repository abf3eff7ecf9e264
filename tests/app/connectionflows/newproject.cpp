// A new project from the mixers online, and entries connected, disconnected and rearranged in it.
#include "flowfixture.h"

#include "dialogs/qovdevicesettingdialog.h"
#include "logcollector.h"
#include "mixerchecks.h"
#include "modalanswerer.h"
#include "webpage/qovzephsettingview.h"

#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

class TestNewProjectFlows : public ConnectionFlowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void newProjectFromOnlineMixers();
    void nothingTickedGivesAFreshProject();
    void deviceLimitKeepsTheProject();
    void connectInBothDirections();
    void deviceSettingThroughTheWindow();
};

void TestNewProjectFlows::newProjectFromOnlineMixers()
{
    QovProjectDataModel *before = m_window->projectData();
    ModalAnswerer answerer;
    QList<QovOnlineDeviceModel> shown;
    answerConnectOnline(answerer, {}, &shown);
    QVERIFY(m_window->connectDevices());
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seen().value(0).title, QStringLiteral("Connect Online Device"));

    // Extension units right below their primary, by unit number.
    const QStringList shownNames = namesOf(shown);
    const int primary = shownNames.indexOf(QStringLiteral("FOH Main"));
    QCOMPARE(shownNames.mid(primary, 3), (QStringList{"FOH Main", "Ext One", "Ext Two"}));

    QTRY_VERIFY_WITH_TIMEOUT(m_window->projectData() != before, 20000);
    QVERIFY(!m_window->isBusy());
    const QVector<QovAppDeviceModel> devices = m_window->projectData()->appDevices();
    QCOMPARE(namesOf(devices), shownNames);
    for (const auto &device : devices) {
        QCOMPARE(device->status(), QovAppDeviceModelInternal::CONNECTED);
        QCOMPARE(deviceData(device), mixerData(*m_sim, device->ipAddress()));
    }
    QCOMPARE(m_window->devicePages().size(), 5);
}

void TestNewProjectFlows::nothingTickedGivesAFreshProject()
{
    showProject({unboundDevice(QStringLiteral("Replaced"))});
    QovProjectDataModel *before = m_window->projectData();
    before->setIsEdited(false);
    ModalAnswerer answerer;
    answerConnectOnline(answerer, {QStringLiteral("no such mixer")});
    QVERIFY(m_window->connectDevices());
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->projectData() != before, 20000);
    QVERIFY(m_window->projectData()->appDevices().isEmpty());
    QVERIFY(!m_window->projectData()->isEdited());
    QVERIFY(!m_window->windowTitle().endsWith(QStringLiteral(" *")));
}

void TestNewProjectFlows::deviceLimitKeepsTheProject()
{
    writeSettings("max_of_project_devices=2\n");
    showProject({unboundDevice(QStringLiteral("Kept"))});
    QovProjectDataModel *before = m_window->projectData();

    ModalAnswerer answerer;
    answerConnectOnline(answerer, {"Monitor", "Stage", "FOH Main"});
    answerer.pressButton(QStringLiteral("OK"));
    QVERIFY(m_window->connectDevices());
    QVERIFY2(answerer.waitDone(20000), qPrintable(answerer.lastError()));
    QCOMPARE(
        answerer.seenLines().mid(1),
        QStringList{"Caution: This exceeds the maximum number of devices that can be added\n"});
    QTRY_VERIFY(!m_window->isBusy());
    QCOMPARE(m_window->projectData(), before);
    QCOMPARE(namesOf(before->appDevices()), QStringList{"Kept"});

    // The next run starts normally and builds the project.
    answerConnectOnline(answerer, {"Monitor", "Stage"});
    QVERIFY(m_window->connectDevices());
    QVERIFY2(answerer.waitDone(20000), qPrintable(answerer.lastError()));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->projectData() != before, 20000);
    QCOMPARE(m_window->projectData()->appDevices().size(), 2);
}

void TestNewProjectFlows::connectInBothDirections()
{
    const QovAppDeviceModel entry = showEntry();
    QVERIFY(!m_window->windowTitle().endsWith(QStringLiteral(" *")));
    const QString address = addressOf("Monitor");

    ModalAnswerer answerer;
    QVERIFY(connectThroughDialog(answerer, entry, QStringLiteral("Monitor"), false));
    QTRY_VERIFY(!m_window->isBusy());
    QVERIFY(LogCollector::contains(QStringLiteral("connected!")));
    QCOMPARE(entry->ipAddress(), address);
    QCOMPARE(deviceData(entry), mixerData(*m_sim, address));
    QTRY_VERIFY(m_window->windowTitle().endsWith(QStringLiteral(" *")));

    // Changed data goes to the mixer in every data set.
    QStringList presets = entry->zephDataPreset();
    presets[3] = QStringLiteral("{\"name\":\"changed preset\"}");
    entry->setZephDataPreset(presets);
    QStringList partial = entry->zephDataPartialPreset();
    partial[39] = QStringLiteral("{\"name\":\"changed partial\"}");
    entry->setZephDataPartialPreset(partial);
    entry->setZephData4BandEq(QStringLiteral("{\"eq\":[1,2,3,4]}"));
    QVERIFY(m_window->disconnectDevice(entry));
    QTRY_COMPARE(entry->status(), QovAppDeviceModelInternal::DISCONNECTED);
    QVERIFY(connectThroughDialog(answerer, entry, QStringLiteral("Stage"), true));
    QTRY_VERIFY(!m_window->isBusy());
    QCOMPARE(entry->ipAddress(), addressOf("Stage"));
    QCOMPARE(mixerData(*m_sim, addressOf("Stage")), deviceData(entry));
}

void TestNewProjectFlows::deviceSettingThroughTheWindow()
{
    const QovAppDeviceModel first = unboundDevice(QStringLiteral("First"));
    const QovAppDeviceModel second = unboundDevice(QStringLiteral("Second"));
    showProject({first, second});
    QovProjectDataModel *project = m_window->projectData();
    const auto editFirstName = [](QWidget *modal) {
        auto *dialog = qobject_cast<QovDeviceSettingDialog *>(modal);
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("dialog-device-list"));
        list->itemWidget(list->item(0))
            ->findChild<QLineEdit *>()
            ->setText(QStringLiteral("Edited"));
        return dialog;
    };

    // Cancel after an edit: the project is as it was.
    ModalAnswerer answerer;
    answerer.handle([&](QWidget *modal) { click(editFirstName(modal), QStringLiteral("Cancel")); });
    QVERIFY(!m_window->deviceSetting());
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(namesOf(project->appDevices()), (QStringList{"First", "Second"}));
    QVERIFY(!project->isEdited());
    QVERIFY(!m_window->isBusy());

    // The same edit and a drag, confirmed: the pages follow the new order.
    answerer.handle([&](QWidget *modal) {
        QovDeviceSettingDialog *dialog = editFirstName(modal);
        auto *list = dialog->findChild<QListWidget *>(QStringLiteral("dialog-device-list"));
        list->model()->moveRow(QModelIndex(), 0, QModelIndex(), 2);
        QTest::qWait(50);
        click(dialog, QStringLiteral("OK"));
    });
    QVERIFY(m_window->deviceSetting());
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QTRY_VERIFY(!m_window->isBusy());
    QCOMPARE(m_window->projectData(), project);
    QCOMPARE(namesOf(project->appDevices()), (QStringList{"Second", "Edited"}));
    QCOMPARE(m_window->devicePages().size(), 2);
    QCOMPARE(m_window->devicePages().at(0)->device(), second);
    QVERIFY(m_window->windowTitle().endsWith(QStringLiteral(" *")));
}

std::unique_ptr<QObject> newProjectFlows()
{
    return std::make_unique<TestNewProjectFlows>();
}

#include "newproject.moc"
