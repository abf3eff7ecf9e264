// The device setting dialog driven as a user would: adding up to the limit, names, types,
// deleting, dragging rows, and what OK and Cancel do to the project.
#include "dialogs/qovdevicesettingdialog.h"
#include "dialogs/qovdevicesettingdialoglistitem.h"
#include "modalanswerer.h"
#include "models/qovautosaver.h"
#include "models/qovprojectdatamodel.h"
#include "projectentries.h"
#include "realpointer.h"
#include "tempprofile.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

QPushButton *buttonNamed(QWidget *root, const QString &text)
{
    return qobject_cast<QPushButton *>(ModalAnswerer::findButton(root, text));
}

QListWidget *deviceList(QWidget *dialog)
{
    return dialog->findChild<QListWidget *>(QStringLiteral("dialog-device-list"));
}

QovDeviceSettingDialogListItem *rowAt(QWidget *dialog, int index)
{
    QListWidget *list = deviceList(dialog);
    return qobject_cast<QovDeviceSettingDialogListItem *>(list->itemWidget(list->item(index)));
}

QStringList entryNames(const QovDeviceSettingDialog &dialog)
{
    QStringList names;
    for (const QovDeviceSettingEntry &entry : dialog.entries()) {
        names << entry.name;
    }
    return names;
}

QStringList projectNames(const QovProjectDataModel &project)
{
    QStringList names;
    for (const QovAppDeviceModel &device : project.appDevices()) {
        names << device->deviceName();
    }
    return names;
}

// The numbers and shades the rows show, top to bottom.
QStringList rowLooks(QWidget *dialog)
{
    QStringList looks;
    QListWidget *list = deviceList(dialog);
    for (int i = 0; i < list->count(); ++i) {
        QWidget *row = list->itemWidget(list->item(i));
        looks << row->findChild<QLabel *>(QStringLiteral("device-number"))->text() +
                     QLatin1Char(' ') + row->objectName();
    }
    return looks;
}

// A project of three unbound devices A, B, C and one bound to a mixer (MISSING).
std::unique_ptr<QovProjectDataModel> fourDeviceProject()
{
    auto project = std::make_unique<QovProjectDataModel>();
    project->addDevice(unboundDevice(QStringLiteral("A")));
    project->addDevice(unboundDevice(QStringLiteral("B"), QovDeviceSelector::ZEPH2208NET));
    project->addDevice(unboundDevice(QStringLiteral("C")));
    project->addDevice(std::make_shared<QovAppDeviceModelInternal>(
        QStringLiteral("Bound"), QovDeviceSelector::ZEPH2208NET,
        QStringLiteral("00:1D:C1:00:00:09"), 2, 42));
    project->setIsEdited(false);
    return project;
}

void typeInto(QLineEdit *editor, const QString &text)
{
    editor->setFocus();
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClicks(editor, text);
}

// What resultCollected handed out, and how often.
struct Collected
{
    explicit Collected(QovDeviceSettingDialog *dialog)
    {
        QObject::connect(dialog, &QovDeviceSettingDialog::resultCollected,
                         [this](QovProjectDataModel *result) {
                             project = result;
                             ++count;
                         });
    }
    bool wait()
    {
        return QTest::qWaitFor([this] { return count > 0; }, 10000);
    }
    QovProjectDataModel *project = nullptr;
    int count = 0;
};

// Drags row `from` by its number with the real pointer and drops it on the upper or lower
// edge of row `onto`, as a user does.
enum class Edge { Upper, Lower };
bool dragRow(QWidget *dialog, int from, int onto, Edge edge)
{
    QListWidget *list = deviceList(dialog);
    const QRect source = list->visualItemRect(list->item(from));
    const QRect target = list->visualItemRect(list->item(onto));
    // The number column: a label, so the press reaches the list and starts a drag.
    const QPoint grab(source.left() + 14, source.center().y());
    const QPoint drop(target.left() + 14,
                      edge == Edge::Upper ? target.top() + 1 : target.bottom() - 1);
    RealPointer pointer;
    if (!pointer.isValid()) {
        qWarning("no X display with XTEST");
        return false;
    }
    pointer.dragAsync(list->viewport()->mapToGlobal(grab), list->viewport()->mapToGlobal(drop));
    // This thread runs the drag's event loop meanwhile.
    const bool played = QTest::qWaitFor([&] { return pointer.waitDone(0); }, 10000);
    QTest::qWait(100);
    return played;
}

void moveRow(QWidget *dialog, int from, int beforeRow)
{
    // What the list widget's internal drop does: one row move in its model.
    QVERIFY(deviceList(dialog)->model()->moveRow(QModelIndex(), from, QModelIndex(), beforeRow));
}

} // namespace

class TestDeviceSettingDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void initTestCase();
    void addStopsAtTheLimit();
    void newProjectFromAddedDevices();
    void emptyNameBlocksOkNamingItsRow();
    void boundDevicesShowTextOnly();
    void dragReordersWithNumbersAndShades();
    void altArrowsMoveTheRow_data();
    void altArrowsMoveTheRow();
    void deleteAsksFirst();
    void cancelLeavesProjectUntouched();
    void okWritesNamesTypesAndOrder();
    void unknownDevicesAreReportedAfterTheWorker();
    void onlineResultsRespectTheLimit();

private:
    std::unique_ptr<TempProfile> m_profile;
};

void TestDeviceSettingDialog::initTestCase()
{
    m_profile = std::make_unique<TempProfile>();
}

void TestDeviceSettingDialog::addStopsAtTheLimit()
{
    QovDeviceSettingDialog dialog;
    dialog.show();
    QPushButton *add = buttonNamed(&dialog, QStringLiteral(" Add"));
    QVERIFY(add);
    for (int i = 0; i < 256; ++i) {
        QTest::mouseClick(add, Qt::LeftButton);
    }
    QCOMPARE(deviceList(&dialog)->count(), 256);
    QCOMPARE(rowAt(&dialog, 255)->number(), 256);

    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK"));
    QTest::mouseClick(add, Qt::LeftButton);
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(
        answerer.seenLines(),
        QStringList{"Caution: This exceeds the maximum number of devices that can be added\n"});
    QCOMPARE(deviceList(&dialog)->count(), 256);
    QCOMPARE(dialog.entries().size(), 256);
}

void TestDeviceSettingDialog::newProjectFromAddedDevices()
{
    auto dialog = std::make_unique<QovDeviceSettingDialog>();
    QVERIFY(dialog->isNewProject());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("New Project"));
    QCOMPARE(dialog->size(), QSize(664, 582));
    dialog->show();
    QLineEdit *title = nullptr;
    for (QLineEdit *edit : dialog->findChildren<QLineEdit *>()) {
        if (edit->placeholderText() == QStringLiteral("Input project title")) {
            title = edit;
        }
    }
    QVERIFY(title);
    QCOMPARE(title->text(), QStringLiteral("New Project"));

    QPushButton *add = buttonNamed(dialog.get(), QStringLiteral(" Add"));
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::mouseClick(add, Qt::LeftButton);
    QovDeviceSettingDialogListItem *first = rowAt(dialog.get(), 0);
    QVERIFY(first->nameEditor() && first->typeSelector());
    // A row takes the focus once it is placed; back to the first name after the second's.
    QTRY_COMPARE(dialog->focusWidget(), rowAt(dialog.get(), 1)->nameEditor());
    first->nameEditor()->setFocus();
    typeInto(first->nameEditor(), QStringLiteral(" FOH/Main "));
    QTest::keyClick(first->nameEditor(), Qt::Key_Return);
    QCOMPARE(first->nameEditor()->text(), QStringLiteral("FOHMain"));
    // Enter goes on to the next name; in the last one it stays, and never means OK.
    QTRY_COMPARE(dialog->focusWidget(), rowAt(dialog.get(), 1)->nameEditor());
    QTest::keyClick(rowAt(dialog.get(), 1)->nameEditor(), Qt::Key_Return);
    QCOMPARE(dialog->focusWidget(), rowAt(dialog.get(), 1)->nameEditor());
    QVERIFY(dialog->isVisible());
    first->typeSelector()->setCurrentText(QStringLiteral("ZEPH-2208NET"));
    typeInto(rowAt(dialog.get(), 1)->nameEditor(),
             QStringLiteral("Monitor 1234567890123456789012345"));
    QCOMPARE(rowAt(dialog.get(), 1)->nameEditor()->text().size(), 30);

    // Reserved characters cannot be typed; blanks around the title go when editing ends, and
    // Enter there does what OK does (in a device name it never does, above).
    typeInto(title, QStringLiteral("  Hall & <Stage>  "));
    QCOMPARE(title->text(), QStringLiteral("  Hall  Stage  "));
    Collected collected(dialog.get());
    QTest::keyClick(title, Qt::Key_Return);
    QCOMPARE(title->text(), QStringLiteral("Hall  Stage"));
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QVERIFY(collected.wait());
    std::unique_ptr<QovProjectDataModel> project(collected.project);
    QCOMPARE(project.get(), dialog->project());
    dialog.reset(); // the receiver owns the new project now
    QCOMPARE(project->projectName(), QStringLiteral("Hall  Stage"));
    QCOMPARE(projectNames(*project), (QStringList{"FOHMain", "Monitor 1234567890123456789012"}));
    QCOMPARE(project->appDevices().at(0)->deviceType(), QovDeviceSelector::ZEPH2208NET);
    QCOMPARE(project->appDevices().at(1)->deviceType(), QovDeviceSelector::ZEPH2208);
}

void TestDeviceSettingDialog::emptyNameBlocksOkNamingItsRow()
{
    QovDeviceSettingDialog dialog;
    dialog.show();
    QPushButton *add = buttonNamed(&dialog, QStringLiteral(" Add"));
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(add, Qt::LeftButton);
    }
    typeInto(rowAt(&dialog, 0)->nameEditor(), QStringLiteral("One"));
    typeInto(rowAt(&dialog, 1)->nameEditor(), QStringLiteral("   ")); // blanks only
    typeInto(rowAt(&dialog, 2)->nameEditor(), QStringLiteral("Three"));

    Collected collected(&dialog);
    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK"));
    QTest::mouseClick(buttonNamed(&dialog, QStringLiteral("OK")), Qt::LeftButton);
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seenLines(),
             QStringList{"Cannot Add Device: Error on device No.2:\nDevice name must be between "
                         "1 and 30 characters long.\n"});
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    typeInto(rowAt(&dialog, 1)->nameEditor(), QStringLiteral("Two"));
    QTest::mouseClick(buttonNamed(&dialog, QStringLiteral("OK")), Qt::LeftButton);
    QVERIFY(collected.wait());
    QCOMPARE(projectNames(*dialog.project()), (QStringList{"One", "Two", "Three"}));
}

void TestDeviceSettingDialog::boundDevicesShowTextOnly()
{
    auto project = fourDeviceProject();
    QovDeviceSettingDialog dialog(project.get());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Device Setting"));
    QCOMPARE(dialog.size(), QSize(664, 454));
    QVERIFY(!dialog.isNewProject());
    dialog.show();
    QovDeviceSettingDialogListItem *bound = rowAt(&dialog, 3);
    QVERIFY(!bound->nameEditor());
    QVERIFY(!bound->typeSelector());
    QStringList texts;
    for (QLabel *label : bound->findChildren<QLabel *>()) {
        texts << label->text();
    }
    QVERIFY2(texts.contains(QStringLiteral("ZEPH-2208NET [42]")), qPrintable(texts.join('|')));
    QVERIFY(texts.contains(QStringLiteral("Bound")));
    QCOMPARE(rowAt(&dialog, 1)->typeSelector()->currentText(), QStringLiteral("ZEPH-2208NET"));
}

void TestDeviceSettingDialog::dragReordersWithNumbersAndShades()
{
    auto project = fourDeviceProject();
    QovDeviceSettingDialog dialog(project.get());
    dialog.show();
    QCOMPARE(rowLooks(&dialog),
             (QStringList{"1 even-line", "2 odd-line", "3 even-line", "4 odd-line"}));

    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dragRow(&dialog, 0, 2, Edge::Lower)); // row 1 dropped below row 3
    QTRY_COMPARE(entryNames(dialog), (QStringList{"B", "C", "A", "Bound"}));
    QTRY_COMPARE(rowLooks(&dialog),
                 (QStringList{"1 even-line", "2 odd-line", "3 even-line", "4 odd-line"}));

    QVERIFY(dragRow(&dialog, 3, 0, Edge::Upper)); // the last row to the top
    QTRY_COMPARE(entryNames(dialog), (QStringList{"Bound", "B", "C", "A"}));
    QTRY_VERIFY(!rowAt(&dialog, 0)->nameEditor());
    QCOMPARE(rowAt(&dialog, 3)->nameEditor()->text(), QStringLiteral("A"));
}

void TestDeviceSettingDialog::altArrowsMoveTheRow_data()
{
    // Where the keyboard is: the row's name, or the list with the row current.
    QTest::addColumn<bool>("inName");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("key");
    QTest::addColumn<QStringList>("order");
    // The row the moved one is now, which keeps the keyboard.
    QTest::addColumn<int>("movedTo");
    QTest::newRow("name, down") << true << 0 << int(Qt::Key_Down)
                                << QStringList{"B", "A", "C", "Bound"} << 1;
    QTest::newRow("name, up") << true << 2 << int(Qt::Key_Up) << QStringList{"A", "C", "B", "Bound"}
                              << 1;
    QTest::newRow("list, bound row up")
        << false << 3 << int(Qt::Key_Up) << QStringList{"A", "B", "Bound", "C"} << 2;
    QTest::newRow("list, first row down")
        << false << 0 << int(Qt::Key_Down) << QStringList{"B", "A", "C", "Bound"} << 1;
    QTest::newRow("name, top stays")
        << true << 0 << int(Qt::Key_Up) << QStringList{"A", "B", "C", "Bound"} << 0;
    QTest::newRow("list, bottom stays")
        << false << 3 << int(Qt::Key_Down) << QStringList{"A", "B", "C", "Bound"} << 3;
}

// Alt+Up and Alt+Down do what a drag does, without the mouse; the keyboard goes with the row.
void TestDeviceSettingDialog::altArrowsMoveTheRow()
{
    QFETCH(bool, inName);
    QFETCH(int, row);
    QFETCH(int, key);
    QFETCH(QStringList, order);
    QFETCH(int, movedTo);
    auto project = fourDeviceProject();
    QovDeviceSettingDialog dialog(project.get());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QListWidget *list = deviceList(&dialog);
    list->setCurrentRow(row);
    QWidget *focused = inName ? static_cast<QWidget *>(rowAt(&dialog, row)->nameEditor()) : list;
    focused->setFocus();
    QTest::keyClick(focused, Qt::Key(key), Qt::AltModifier);
    QCOMPARE(entryNames(dialog), order);
    // The rows are made anew, numbered and shaded from the top, as after a drop.
    QTRY_COMPARE(rowLooks(&dialog),
                 (QStringList{"1 even-line", "2 odd-line", "3 even-line", "4 odd-line"}));
    QCOMPARE(list->currentRow(), movedTo);
    if (inName) {
        QLineEdit *name = rowAt(&dialog, movedTo)->nameEditor();
        QCOMPARE(name->text(), order.at(movedTo));
        QCOMPARE(dialog.focusWidget(), name);
    } else {
        QCOMPARE(dialog.focusWidget(), list);
    }
}

void TestDeviceSettingDialog::deleteAsksFirst()
{
    auto project = fourDeviceProject();
    QovDeviceSettingDialog dialog(project.get());
    dialog.show();

    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("Cancel"));
    Q_EMIT rowAt(&dialog, 1)->deleteRequired(2);
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seenLines(), QStringList{"Caution: Are you sure you want to delete this?\n"});
    QCOMPARE(entryNames(dialog), (QStringList{"A", "B", "C", "Bound"}));

    // The row's own bin, clicked.
    answerer.pressButton(QStringLiteral("OK"));
    QPushButton *bin = rowAt(&dialog, 1)->findChild<QPushButton *>();
    QTest::mouseClick(bin, Qt::LeftButton);
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(entryNames(dialog), (QStringList{"A", "C", "Bound"}));
    QCOMPARE(rowLooks(&dialog), (QStringList{"1 even-line", "2 odd-line", "3 even-line"}));
    // The device object itself is left alone.
    QCOMPARE(project->appDevices().size(), 4);
}

void TestDeviceSettingDialog::cancelLeavesProjectUntouched()
{
    auto project = fourDeviceProject();
    const QVector<QovAppDeviceModel> before = project->appDevices();
    QovDeviceSettingDialog dialog(project.get());
    Collected collected(&dialog);
    dialog.show();
    typeInto(rowAt(&dialog, 0)->nameEditor(), QStringLiteral("Renamed"));
    rowAt(&dialog, 2)->typeSelector()->setCurrentText(QStringLiteral("ZEPH-2208NET"));
    moveRow(&dialog, 0, 2);
    QTRY_COMPARE(entryNames(dialog), (QStringList{"B", "Renamed", "C", "Bound"}));
    QTest::mouseClick(buttonNamed(&dialog, QStringLiteral(" Add")), Qt::LeftButton);

    QTest::mouseClick(buttonNamed(&dialog, QStringLiteral("Cancel")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QTest::qWait(50);
    QCOMPARE(collected.count, 0);
    QCOMPARE(project->appDevices(), before);
    QCOMPARE(projectNames(*project), (QStringList{"A", "B", "C", "Bound"}));
    QCOMPARE(project->appDevices().at(2)->deviceType(), QovDeviceSelector::ZEPH2208);
    QVERIFY(!project->isEdited());
}

void TestDeviceSettingDialog::okWritesNamesTypesAndOrder()
{
    auto project = fourDeviceProject();
    const QVector<QovAppDeviceModel> before = project->appDevices();
    before.at(3)->setZephDataCurrent(QStringLiteral("{\"kept\":1}"));
    QovDeviceSettingDialog dialog(project.get());
    Collected collected(&dialog);
    dialog.show();
    typeInto(rowAt(&dialog, 2)->nameEditor(), QStringLiteral("Sea"));
    rowAt(&dialog, 2)->typeSelector()->setCurrentText(QStringLiteral("ZEPH-2208NET"));
    moveRow(&dialog, 3, 0);
    QTRY_COMPARE(entryNames(dialog), (QStringList{"Bound", "A", "B", "Sea"}));

    QTest::mouseClick(buttonNamed(&dialog, QStringLiteral("OK")), Qt::LeftButton);
    QVERIFY(collected.wait());
    QCOMPARE(collected.project, project.get());
    // The same device objects, reordered, with their data and binding.
    QCOMPARE(project->appDevices(),
             (QVector<QovAppDeviceModel>{before.at(3), before.at(0), before.at(1), before.at(2)}));
    QCOMPARE(projectNames(*project), (QStringList{"Bound", "A", "B", "Sea"}));
    QCOMPARE(before.at(2)->deviceType(), QovDeviceSelector::ZEPH2208NET);
    QCOMPARE(before.at(3)->zephDataCurrent(), QStringLiteral("{\"kept\":1}"));
    QCOMPARE(before.at(3)->macAddress(), QStringLiteral("00:1D:C1:00:00:09"));
    QVERIFY(project->isEdited());
}

void TestDeviceSettingDialog::unknownDevicesAreReportedAfterTheWorker()
{
    QovProjectDataModel project;
    project.addDevice(unboundDevice(QStringLiteral("Known")));
    project.addDevice(unboundDevice(QStringLiteral("Odd"), QovDeviceSelector::Unknown));
    QovDeviceSettingDialog dialog(&project);
    Collected collected(&dialog);
    dialog.show();

    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK"));
    QTest::mouseClick(buttonNamed(&dialog, QStringLiteral("OK")), Qt::LeftButton);
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seenLines(), QStringList{"Caution: Unknown devices cannot be added\n"});
    QTRY_COMPARE(collected.count, 1);
    QCOMPARE(projectNames(project), QStringList{"Known"});
}

void TestDeviceSettingDialog::onlineResultsRespectTheLimit()
{
    m_profile->writeProgramSettings("[Debug]\nmax_of_project_devices=4\n");
    QovProjectDataModel small;
    small.addDevice(unboundDevice(QStringLiteral("Only")));
    QovDeviceSettingDialog dialog(&small);
    dialog.show();

    const auto online = [](const QString &name) {
        auto device = std::make_shared<QovAppDeviceModelInternal>();
        device->setDeviceName(name);
        device->setStatus(QovAppDeviceModelInternal::CONNECTED);
        return device;
    };
    ModalAnswerer answerer;
    // 1 + 4 results > 4: nothing is added, whether the results succeeded or not.
    answerer.pressButton(QStringLiteral("OK"));
    dialog.onAddOnlineDeviceCompleted(
        {{true, online("w")}, {true, online("x")}, {false, online("y")}, {true, online("z")}});
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(entryNames(dialog), QStringList{"Only"});

    // Within the limit: the failed one is reported, the others join in order as text rows.
    answerer.pressButton(QStringLiteral("OK"));
    dialog.onAddOnlineDeviceCompleted(
        {{true, online("x")}, {false, online("y"), "failed to get preset"}, {true, online("z")}});
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(answerer.seenLines(),
             (QStringList{"Caution: This exceeds the maximum number of devices that can be added\n",
                          "Error: Device is unable to connect with Velmora.\nThe device cannot be "
                          "added.\ny\n\nThe transfer stopped: failed to get preset.\n"}));
    QCOMPARE(entryNames(dialog), (QStringList{"Only", "x", "z"}));
    QVERIFY(!rowAt(&dialog, 1)->nameEditor());
    m_profile->writeProgramSettings("");
}

QTEST_MAIN(TestDeviceSettingDialog)
#include "tst_devicesettingdialog.moc"
