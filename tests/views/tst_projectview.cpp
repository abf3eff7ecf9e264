#include "activewindow.h"
#include "contrast.h"
#include "fakemainwindow.h"
#include "models/qovautosaver.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovtextfile.h"
#include "views/qovprojectdevicelistitemview.h"
#include "views/qovprojectview.h"
#include "views/qovsortlabel.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QtConcurrent>
#include <QtTest>

#include <memory>
#include <numeric>

namespace {

struct DeviceSpec
{
    QString name;
    QString ip;
    int id;
};

QovAppDeviceModel makeDevice(const DeviceSpec &spec, const QString &mac = QString())
{
    auto device = std::make_shared<QovAppDeviceModelInternal>(
        spec.name, QovDeviceSelector::ZEPH2208, mac, 0, spec.id);
    device->setIpAddress(spec.ip);
    return device;
}

QovProjectDeviceListItemView *row(QListWidget *list, int i)
{
    return qobject_cast<QovProjectDeviceListItemView *>(list->itemWidget(list->item(i)));
}

QString labelText(QWidget *row, const char *objectName)
{
    auto *label = row->findChild<QLabel *>(QString::fromLatin1(objectName));
    return label ? label->text() : QStringLiteral("<none>");
}

} // namespace

// The project page: which body shows, how the columns sort (unnamed, address-less and id-less
// devices last), that a row opens the right device page whatever the sorting, what a row shows
// and which status actions it offers, and that worker-thread status changes reach it.
class TestProjectView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void initTestCase() { qApp->setStyleSheet(loadTextFile(":/styles.qss")); }
    void init();
    void cleanup();
    void bodyFollowsDeviceCount();
    void sortsByColumn_data();
    void sortsByColumn();
    void sortLabelCycle();
    void rowClickOpensDevicePageAfterSorting();
    void rowShowsDevice();
    void statusMenuFollowsStatus_data();
    void statusMenuFollowsStatus();
    void headerButtonsReachWindow();
    void headerStaysInViewWhenNarrow();
    void largeProjectListedInTurns();
    void tabScrollsFocusedRowIntoView();
    void everyStopShowsTheFocus_data();
    void everyStopShowsTheFocus();

private:
    void setDevices(const QVector<QovAppDeviceModel> &devices);
    QStringList shownNames() const;

    FakeMainWindow *m_window = nullptr;
    QovProjectView *m_view = nullptr;
    QovProjectDataModel *m_project = nullptr;
};

void TestProjectView::init()
{
    m_window = new FakeMainWindow();
    m_project = new QovProjectDataModel(m_window);
    m_window->project = m_project;
    m_view = new QovProjectView(m_window, nullptr);
    m_window->addWidget(m_view);
    m_window->resize(1152, 640);
}

void TestProjectView::cleanup()
{
    delete m_window;
}

void TestProjectView::setDevices(const QVector<QovAppDeviceModel> &devices)
{
    m_project->clearDevices();
    for (const QovAppDeviceModel &device : devices) {
        m_project->addDevice(device);
    }
    m_view->setProjectData(m_project);
}

QStringList TestProjectView::shownNames() const
{
    QStringList names;
    for (int i = 0; i < m_view->deviceList()->count(); ++i) {
        names << row(m_view->deviceList(), i)->device()->deviceName();
    }
    return names;
}

void TestProjectView::bodyFollowsDeviceCount()
{
    m_view->setProjectData(m_project);
    QCOMPARE(m_view->bodyStack()->currentWidget()->objectName(), QStringLiteral("body-empty"));
    setDevices({makeDevice({"one", "", 1})});
    QCOMPARE(m_view->bodyStack()->currentWidget()->objectName(), QStringLiteral("body-listview"));
    m_project->clearDevices();
    m_view->setProjectData(m_project);
    QCOMPARE(m_view->bodyStack()->currentWidget()->objectName(), QStringLiteral("body-empty"));
}

void TestProjectView::sortsByColumn_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QStringList>("expected");
    // Names tell the order; "none" lacks the column's key.
    QTest::newRow("ip ascending") << 1 << true << QStringList({"b", "a", "c", "none"});
    QTest::newRow("ip descending") << 1 << false << QStringList({"c", "a", "b", "none"});
    QTest::newRow("id ascending") << 2 << true << QStringList({"c", "b", "a", "none"});
    QTest::newRow("id descending") << 2 << false << QStringList({"a", "b", "c", "none"});
    QTest::newRow("name ascending") << 0 << true << QStringList({"a", "b", "c", ""});
    QTest::newRow("name descending") << 0 << false << QStringList({"c", "b", "a", ""});
}

void TestProjectView::sortsByColumn()
{
    QFETCH(int, column);
    QFETCH(bool, ascending);
    QFETCH(QStringList, expected);
    const bool byName = column == 0;
    // 192.168.1.20 before 192.168.2.3: numeric, not textual; ids compare as numbers too.
    setDevices({makeDevice({byName ? "" : "none", "", -1}), makeDevice({"a", "192.168.1.20", 30}),
                makeDevice({"c", "192.168.10.1", 4}), makeDevice({"b", "9.0.0.1", 12})});
    QovSortLabel *label = m_view->sortLabels().at(column);
    QTest::mouseClick(label, Qt::LeftButton);
    if (!ascending) {
        QTest::mouseClick(label, Qt::LeftButton);
    }
    QCOMPARE(shownNames(), expected);
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(row(m_view->deviceList(), i)->number(), quint32(i + 1));
    }
}

// Space on a header sorts as a click does, and the keyboard stays on the header: it went
// through the page's other controls while the rows were made again.
void TestProjectView::sortLabelCycle()
{
    setDevices({makeDevice({"a", "", 1}), makeDevice({"b", "", 2})});
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    velmora::test::makeActiveWindow(m_window);
    const QList<QovSortLabel *> labels = m_view->sortLabels();
    QTest::mouseClick(labels.at(0), Qt::LeftButton);
    labels.at(2)->setFocus(Qt::TabFocusReason);
    QStringList focused;
    // Heard only while this function runs: the window closing later moves the focus too.
    QObject listening;
    connect(qApp, &QApplication::focusChanged, &listening, [&focused](QWidget *, QWidget *now) {
        focused << (now ? QString::fromLatin1(now->metaObject()->className()) + ' ' +
                              now->accessibleName()
                        : QStringLiteral("nothing"));
    });
    QList<QovSortLabel::SortOrder> idOrders;
    for (int press = 0; press < 3; ++press) {
        QTest::keyClick(labels.at(2), Qt::Key_Space);
        QTRY_VERIFY(!m_view->isListing());
        QTest::qWait(20);
        QVERIFY2(focused.isEmpty(), qPrintable("focus went to " + focused.join(" > ")));
        QCOMPARE(QApplication::focusWidget(), labels.at(2));
        idOrders << labels.at(2)->order();
        QCOMPARE(labels.at(0)->order(), QovSortLabel::NONE);
        QCOMPARE(labels.at(1)->order(), QovSortLabel::NONE);
    }
    QCOMPARE(idOrders,
             QList<QovSortLabel::SortOrder>(
                 {QovSortLabel::ASCENDING, QovSortLabel::DESCENDING, QovSortLabel::ASCENDING}));
    // A new project starts unsorted.
    m_view->setProjectData(m_project);
    QCOMPARE(labels.at(2)->order(), QovSortLabel::NONE);
}

void TestProjectView::rowClickOpensDevicePageAfterSorting()
{
    setDevices({makeDevice({"z", "", 1}), makeDevice({"y", "", 2}), makeDevice({"x", "", 3})});
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QTest::mouseClick(m_view->sortLabels().at(0), Qt::LeftButton);
    QCOMPARE(shownNames(), QStringList({"x", "y", "z"}));

    // Row 1 is the project's third device: its page is 3.
    QListWidget *list = m_view->deviceList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    QCOMPARE(m_window->calls, QStringList({"page 3"}));
}

void TestProjectView::rowShowsDevice()
{
    QovAppDeviceModel named =
        makeDevice({"A rather long mixer name!", "", -1}, "00:1D:C1:00:00:07");
    QovAppDeviceModel connected = makeDevice({"B", "192.168.0.7", 7});
    setDevices({named, connected});
    QWidget *first = row(m_view->deviceList(), 0);
    QWidget *second = row(m_view->deviceList(), 1);
    QCOMPARE(labelText(first, "device-id"), QStringLiteral("-"));
    QCOMPARE(labelText(second, "device-id"), QStringLiteral("[7]"));
    QCOMPARE(labelText(first, "ip-addr"), QStringLiteral("---.---.---.---\n(00:1D:C1:00:00:07)"));
    QCOMPARE(labelText(second, "ip-addr"), QStringLiteral("192.168.0.7"));
    QVERIFY(labelText(first, "device-name").endsWith(QChar(0x2026)));
    // The whole name of an elided one is a hover away.
    const auto nameTip = [](QWidget *row) {
        return row->findChild<QLabel *>(QStringLiteral("device-name"))->toolTip();
    };
    QCOMPARE(nameTip(first), QStringLiteral("A rather long mixer name!"));
    QCOMPARE(nameTip(second), QString());
    QCOMPARE(labelText(second, "model-name"), QStringLiteral("ZEPH-2208"));

    // Changes, also from another thread, reach the row.
    QtConcurrent::run([connected] {
        connected->setIpAddress("192.168.0.8");
        connected->setDeviceId(8);
        connected->setStatus(QovAppDeviceModelInternal::MISSING);
    }).waitForFinished();
    QTRY_COMPARE(labelText(second, "ip-addr"), QStringLiteral("192.168.0.8"));
    QCOMPARE(labelText(second, "device-id"), QStringLiteral("[8]"));
    QTRY_COMPARE(labelText(second, "device-status"), QStringLiteral("Missing"));
    // A screen reader reads the row's item, which follows the row.
    QCOMPARE(m_view->deviceList()->item(1)->data(Qt::AccessibleTextRole).toString(),
             QStringLiteral("B, ZEPH-2208, 192.168.0.8, ID 8, Missing"));
}

void TestProjectView::statusMenuFollowsStatus_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("offered");
    QTest::newRow("connected") << int(QovAppDeviceModelInternal::CONNECTED) << "Connected"
                               << QStringList({"Disconnect"});
    QTest::newRow("disconnected") << int(QovAppDeviceModelInternal::DISCONNECTED) << "Disconnected"
                                  << QStringList({"Connect"});
    QTest::newRow("missing") << int(QovAppDeviceModelInternal::MISSING) << "Missing"
                             << QStringList({"Reconnect", "Disconnect"});
}

void TestProjectView::statusMenuFollowsStatus()
{
    QFETCH(int, status);
    QFETCH(QString, text);
    QFETCH(QStringList, offered);
    QovAppDeviceModel device = makeDevice({"d", "", 1});
    device->setStatus(static_cast<QovAppDeviceModelInternal::Status>(status));
    setDevices({device});
    QovProjectDeviceListItemView *item = row(m_view->deviceList(), 0);
    QCOMPARE(labelText(item, "device-status"), text);

    QStringList visible;
    for (QAction *action : item->statusButton()->menu()->actions()) {
        if (action->isVisible()) {
            visible << action->text();
            action->trigger();
        }
    }
    QCOMPARE(visible, offered);
    // Each offered action reaches the window with this row's device.
    QStringList expectedCalls;
    for (const QString &entry : offered) {
        expectedCalls << entry.toLower() + QStringLiteral("Device");
    }
    QCOMPARE(m_window->calls, expectedCalls);
    QCOMPARE(m_window->lastDevice, device);
}

void TestProjectView::headerButtonsReachWindow()
{
    m_view->setProjectData(m_project);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    // Every visible push button of the empty page: edit, close and the big setting button.
    for (QPushButton *button : m_view->findChildren<QPushButton *>()) {
        if (button->isVisible() && !qobject_cast<QovSortLabel *>(button)) {
            QTest::mouseClick(button, Qt::LeftButton);
        }
    }
    m_window->calls.sort();
    QCOMPARE(m_window->calls,
             QStringList({"closeProject(false)", "deviceSetting", "projectMetaDataEdit"}));
}

// The device list is wider than a narrow window and scrolls sideways; the header's buttons do
// not scroll with it.
void TestProjectView::headerStaysInViewWhenNarrow()
{
    setDevices({makeDevice({QStringLiteral("FOH"), "", 1})});
    m_window->resize(640, 480);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    const QRect shown = m_view->rect();
    for (QPushButton *button : m_view->findChildren<QPushButton *>()) {
        const QString name = button->accessibleName();
        if (name == QLatin1String("Close project") ||
            name == QLatin1String("Edit project information")) {
            const QRect place(button->mapTo(m_view, QPoint(0, 0)), button->size());
            QVERIFY2(shown.contains(place), qPrintable(name));
        }
    }
}

void TestProjectView::largeProjectListedInTurns()
{
    QVector<QovAppDeviceModel> many;
    for (int i = 0; i < 200; ++i) {
        many << makeDevice({QStringLiteral("m%1").arg(i), "", i});
    }
    QSignalSpy listed(m_view, &QovProjectView::rowsListed);
    setDevices(many);
    // A new project while the old one is still being listed replaces it completely.
    QovProjectDataModel other;
    other.addDevice(makeDevice({"only", "", 1}));
    m_window->project = &other;
    m_view->setProjectData(&other);
    QTRY_VERIFY(!m_view->isListing());
    QTest::qWait(50);
    QCOMPARE(shownNames(), QStringList({"only"}));

    m_window->project = m_project;
    listed.clear();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_view->setProjectData(m_project);
    QTRY_COMPARE(listed.size(), 1);
    QListWidget *list = m_view->deviceList();
    QCOMPARE(list->count(), 200);
    for (int i = 0; i < 200; ++i) {
        QCOMPARE(row(list, i)->number(), quint32(i + 1));
        QCOMPARE(row(list, i)->index(), quint32(i));
    }
    // Rows added in bulk are placed later, all at once: each row widget ends up over its own
    // item, and a click on it opens its device.
    const auto rowsInPlace = [list] {
        for (int i = 0; i < list->count(); ++i) {
            const QRect item = list->visualItemRect(list->item(i));
            if (!item.contains(row(list, i)->geometry().center()) ||
                row(list, i)->size() != item.size()) {
                return false;
            }
        }
        return true;
    };
    QTRY_VERIFY(rowsInPlace());
    // The rows came in several batches, and Tab still goes from the list through the rows'
    // controls in row order, each row once.
    QVector<int> rowsTabbed;
    for (QWidget *w = list->nextInFocusChain(); w != list; w = w->nextInFocusChain()) {
        for (int i = 0; i < list->count() && (w->focusPolicy() & Qt::TabFocus); ++i) {
            if (row(list, i)->isAncestorOf(w) &&
                (rowsTabbed.isEmpty() || rowsTabbed.constLast() != i)) {
                rowsTabbed << i;
            }
        }
    }
    QVector<int> everyRow(list->count());
    std::iota(everyRow.begin(), everyRow.end(), 0);
    QCOMPARE(rowsTabbed, everyRow);
    QVERIFY(row(list, 1)->isVisible());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row(list, 1)->geometry().center());
    QCOMPARE(m_window->calls, QStringList({"page 2"}));
}

// The rows' controls sit in the list's viewport, which clips them; Tab to a row below the fold
// must bring that row into view, or the focus (and the menu Space opens) is out of sight.
void TestProjectView::tabScrollsFocusedRowIntoView()
{
    QVector<QovAppDeviceModel> devices;
    for (int i = 0; i < 8; ++i) {
        devices << makeDevice({QStringLiteral("d%1").arg(i), "", i});
    }
    m_window->resize(1199, 666);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    velmora::test::makeActiveWindow(m_window);
    setDevices(devices);
    QTRY_VERIFY(!m_view->isListing());
    QListWidget *list = m_view->deviceList();
    QTRY_COMPARE(QApplication::focusWidget(), list);
    QWidget *viewport = list->viewport();
    const auto inView = [viewport](QWidget *w) {
        return viewport->rect().contains(QRect(w->mapTo(viewport, QPoint(0, 0)), w->size()));
    };
    QovProjectDeviceListItemView *last = row(list, list->count() - 1);
    QVERIFY2(!inView(last->statusButton()), "the last row starts below the fold");

    int rowsReached = 0;
    for (int tabs = 0; tabs < 40 && QApplication::focusWidget() != last->statusButton(); ++tabs) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        QVERIFY(focused);
        if (viewport->isAncestorOf(focused)) {
            ++rowsReached;
            QVERIFY2(inView(focused), qPrintable(QStringLiteral("tab %1").arg(tabs + 1)));
        }
    }
    QCOMPARE(QApplication::focusWidget(), last->statusButton());
    QVERIFY(rowsReached >= list->count());
}

void TestProjectView::everyStopShowsTheFocus_data()
{
    QTest::addColumn<int>("devices");
    QTest::newRow("no devices") << 0;
    QTest::newRow("two devices") << 2;
}

// A stop that looks the same with and without the focus loses the user: the page's scroll area
// was one, with or without devices.
void TestProjectView::everyStopShowsTheFocus()
{
    QFETCH(int, devices);
    QVector<QovAppDeviceModel> shown;
    for (int i = 0; i < devices; ++i) {
        shown << makeDevice({QStringLiteral("d%1").arg(i), "", i});
    }
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    velmora::test::makeActiveWindow(m_window);
    setDevices(shown);
    QTRY_VERIFY(!m_view->isListing());
    if (!QApplication::focusWidget()) {
        QTest::keyClick(m_window, Qt::Key_Tab);
    }
    QWidget *first = QApplication::focusWidget();
    QVERIFY(first);
    QStringList unseen;
    QWidget *stop = first;
    for (int i = 0; i < 20 && stop; ++i) {
        const double contrast = velmora::test::focusContrast(stop);
        if (contrast < 3.0) {
            unseen << QStringLiteral("%1 %2 (%3)")
                          .arg(QString::fromLatin1(stop->metaObject()->className()),
                               stop->accessibleName())
                          .arg(contrast, 0, 'f', 2);
        }
        QTest::keyClick(stop, Qt::Key_Tab);
        stop = QApplication::focusWidget() == first ? nullptr : QApplication::focusWidget();
    }
    QVERIFY2(unseen.isEmpty(), qPrintable("No visible focus on: " + unseen.join(", ")));
}

QTEST_MAIN(TestProjectView)
#include "tst_projectview.moc"
