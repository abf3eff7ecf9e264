// The device page: which settings page it shows, when it makes its web view, its size, and a
// page file that is missing from disk.

#include "fakemainwindow.h"
#include "models/qovautosaver.h"
#include "pagetestutil.h"

#include "webpage/qovjsapizeph2208.h"
#include "webpage/qovwebviewkeeper.h"
#include "webpage/qovzephsettingview.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

using pagetest::evalJs;

class TestSettingView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void init();
    void cleanup() { m_window.reset(); }

    void pageAndBridgeByType_data();
    void pageAndBridgeByType();
    void webViewMadeWhenFirstShown();
    void unusedPagesGiveBackTheirWebViews();
    void pageFillsTheView();
    void missingPageFile();

private:
    void openProject(const QVector<QovDeviceSelector::DeviceType> &types);
    // Which of the first `count` pages hold a web view: "-2-" for page 2 only.
    QString live(int count) const
    {
        QString pages;
        for (int n = 1; n <= count; ++n) {
            pages += m_window->page(n)->webView() ? QString::number(n) : QStringLiteral("-");
        }
        return pages;
    }

    std::unique_ptr<FakeMainWindow> m_window;
};

void TestSettingView::init()
{
    pagetest::installPage(QStringLiteral("bridge.html"));
    m_window = std::make_unique<FakeMainWindow>();
}

void TestSettingView::openProject(const QVector<QovDeviceSelector::DeviceType> &types)
{
    QVector<QovAppDeviceModel> devices;
    for (int i = 0; i < types.size(); ++i) {
        devices << pagetest::device(QStringLiteral("Device %1").arg(i + 1), types.at(i));
    }
    QVERIFY(m_window->showProject(devices));
}

void TestSettingView::pageAndBridgeByType_data()
{
    QTest::addColumn<QovDeviceSelector::DeviceType>("type");
    QTest::addColumn<QString>("page"); // below the program's folder; empty: none

    QTest::newRow("ZEPH-2208") << QovDeviceSelector::ZEPH2208 << "/webcontents/zeph2208/index.html";
    QTest::newRow("ZEPH-2208NET") << QovDeviceSelector::ZEPH2208NET
                                  << "/webcontents/zeph2208net/index.html";
    QTest::newRow("Unknown") << QovDeviceSelector::Unknown << "";
}

void TestSettingView::pageAndBridgeByType()
{
    QFETCH(QovDeviceSelector::DeviceType, type);
    QFETCH(QString, page);
    openProject({QovDeviceSelector::ZEPH2208, type});
    QovZephSettingView *view = m_window->page(2);

    const QUrl expected = page.isEmpty()
                              ? QUrl()
                              : QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + page);
    QCOMPARE(view->pageUrl(), expected);
    QCOMPARE(view->objectName(), QStringLiteral("webengine"));
    if (page.isEmpty()) {
        QCOMPARE(view->jsApi(), nullptr);
        QVERIFY(!view->findChild<QWebChannel *>());
    } else {
        QVERIFY(qobject_cast<QovJsApiZeph2208 *>(view->jsApi()));
        QCOMPARE(view->jsApi()->currentDeviceIndex(), 1);
        QCOMPARE(view->jsApi()->device(), m_window->projectData()->appDevices().at(1));
    }

    m_window->setCurrentPage(2);
    QVERIFY(view->webView());
    if (page.isEmpty()) {
        // A blank view: nothing is loaded, and there is no bridge to reach.
        QVERIFY(view->webView()->url().isEmpty());
        QCOMPARE(view->webView()->page()->webChannel(), nullptr);
        QCOMPARE(view->webView()->title(), QString());
    } else {
        QVERIFY(pagetest::waitReady(view->webView()));
        QCOMPARE(view->webView()->url(), expected);
        QCOMPARE(view->webView()->page()->webChannel(), view->findChild<QWebChannel *>());
        QCOMPARE(view->jsApi()->webView(), view->webView());
    }
}

void TestSettingView::webViewMadeWhenFirstShown()
{
    openProject(
        {QovDeviceSelector::ZEPH2208, QovDeviceSelector::ZEPH2208, QovDeviceSelector::ZEPH2208NET});
    QCOMPARE(live(3), QStringLiteral("---"));
    m_window->setCurrentPage(2);
    QCOMPARE(live(3), QStringLiteral("-2-"));
    QWebEngineView *second = m_window->page(2)->webView();

    // Leaving and coming back keeps the same page: it is not loaded twice.
    QVERIFY(pagetest::waitReady(second));
    evalJs(second->page(), "window.visited = 'yes'");
    m_window->setCurrentPage(0);
    m_window->setCurrentPage(2);
    QCOMPARE(m_window->page(2)->webView(), second);
    QCOMPARE(evalJs(second->page(), "window.visited").toString(), QStringLiteral("yes"));
    // The page being shown never gives its web view back.
    QVERIFY(!m_window->page(2)->releaseWebView());
}

void TestSettingView::unusedPagesGiveBackTheirWebViews()
{
    QovWebViewKeeper &keeper = QovWebViewKeeper::instance();
    const int limit = keeper.limit();
    keeper.setLimit(2);
    openProject({QovDeviceSelector::ZEPH2208, QovDeviceSelector::ZEPH2208,
                 QovDeviceSelector::ZEPH2208, QovDeviceSelector::ZEPH2208});
    m_window->setCurrentPage(1);
    m_window->setCurrentPage(2);
    QCOMPARE(live(4), QStringLiteral("12--"));
    m_window->setCurrentPage(3);
    QCOMPARE(live(4), QStringLiteral("-23-"));
    m_window->setCurrentPage(2);
    m_window->setCurrentPage(4);
    QCOMPARE(live(4), QStringLiteral("-2-4"));

    // A page waiting for a script result keeps its view; the next least recent one goes.
    QovJsApi *second = m_window->page(2)->jsApi();
    QVERIFY(pagetest::waitReady(m_window->page(2)->webView()));
    second->zephDataChanged(3, 0);
    m_window->setCurrentPage(1);
    QCOMPARE(live(4), QStringLiteral("12--"));
    QTRY_VERIFY(!second->fetchInFlight());

    // A page shown again is loaded afresh and reaches its bridge as before.
    m_window->setCurrentPage(4);
    QVERIFY(pagetest::waitReady(m_window->page(4)->webView()));
    QCOMPARE(evalJs(m_window->page(4)->webView()->page(), "device.deviceName").toString(),
             QStringLiteral("Device 4"));
    QCOMPARE(keeper.liveViews(), 2);

    // With room for one page only, a page that moves the window away gives its own view back
    // while its call is still running.
    keeper.setLimit(1);
    evalJs(m_window->page(4)->webView()->page(), "api.gotoDevice(2)");
    QTRY_COMPARE(m_window->currentPage(), 3);
    QTRY_COMPARE(live(4), QStringLiteral("--3-"));
    QVERIFY(pagetest::waitReady(m_window->page(3)->webView()));
    keeper.setLimit(limit);
}

void TestSettingView::pageFillsTheView()
{
    m_window->resize(700, 450);
    openProject({QovDeviceSelector::ZEPH2208});
    QovZephSettingView *view = m_window->page(1);
    // Made at the window's size, before any layout has run.
    const QovAppDeviceModel device = m_window->projectData()->appDevices().first();
    QovZephSettingView standalone(device, 1, m_window.get());
    QCOMPARE(standalone.size(), QSize(700, 450));

    m_window->setCurrentPage(1);
    QVERIFY(view->webView());
    QCOMPARE(view->webView()->size(), view->size());
    view->resize(640, 300);
    QCOMPARE(view->webView()->size(), QSize(640, 300));
    QVERIFY(pagetest::waitReady(view->webView()));
    QTRY_COMPARE(evalJs(view->webView()->page(), "window.innerWidth").toInt(), 640);
}

void TestSettingView::missingPageFile()
{
    pagetest::removePages();
    openProject({QovDeviceSelector::ZEPH2208, QovDeviceSelector::ZEPH2208});
    const QovAppDeviceModel device = m_window->projectData()->appDevices().first();
    const QJsonObject data = device->zephDataSets().toDataObject();
    QSignalSpy changes(device.get(), &QovAppDeviceModelInternal::somethingChanged);

    m_window->setCurrentPage(1);
    QovZephSettingView *view = m_window->page(1);
    QSignalSpy loaded(view->webView(), &QWebEngineView::loadFinished);
    QVERIFY(loaded.wait(10000));
    QCOMPARE(loaded.first().first().toBool(), false);
    // The web engine's own error page is shown for the page's address.
    QCOMPARE(view->webView()->url(), view->pageUrl());
    QTRY_VERIFY(!evalJs(view->webView()->page(), "document.body.innerText").toString().isEmpty());

    // Nothing else changes: the window, the device and the other page go on as before.
    QCOMPARE(m_window->calls, QStringList());
    QCOMPARE(changes.count(), 0);
    QCOMPARE(device->zephDataSets().toDataObject(), data);
    QCOMPARE(m_window->currentPage(), 1);
    pagetest::installPage(QStringLiteral("bridge.html"));
    m_window->setCurrentPage(2);
    QVERIFY(pagetest::waitReady(m_window->page(2)->webView()));
}

QTEST_MAIN(TestSettingView)
#include "tst_settingview.moc"
