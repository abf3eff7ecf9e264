// A settings page stays inside the program's webcontents folder.

#include "fakemainwindow.h"
#include "models/qovautosaver.h"
#include "pagetestutil.h"
#include "privatenetwork.h"

#include "webpage/qovconfinedpage.h"
#include "webpage/qovpageconfinement.h"
#include "webpage/qovzephsettingview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#include <algorithm>
#include <memory>

using pagetest::evalJs;

class TestPageConfinement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A project write still running when the test log closes would log into it and can hang
    // the test's exit.
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void initTestCase();
    void init();
    void cleanup();

    void rules_data();
    void rules();
    void requests_data();
    void requests();
    void hostilePageStaysPut_data();
    void hostilePageStaysPut();
    void pageMayMoveWithinItsFolder();

private:
    QString pageToken()
    {
        return evalJs(m_view->webView()->page(), QStringLiteral("token")).toString();
    }
    void startListener();

    QTemporaryDir m_tmp;
    std::unique_ptr<FakeMainWindow> m_window;
    QovZephSettingView *m_view = nullptr;
    QTcpServer m_listener;
    int m_connections = 0;
};

void TestPageConfinement::initTestCase()
{
    velmora::test::requirePrivateNetwork();
    QVERIFY(m_tmp.isValid());
    pagetest::installPage(QStringLiteral("hostile.html"), {QStringLiteral("sibling.html")});
    startListener();
}

void TestPageConfinement::startListener()
{
    // Stands where a mixer would answer: nothing a page does may reach it.
    QVERIFY2(m_listener.listen(QHostAddress(QStringLiteral("127.0.0.2")), 80),
             qPrintable(m_listener.errorString()));
    connect(&m_listener, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_listener.nextPendingConnection()) {
            ++m_connections;
            socket->close();
            socket->deleteLater();
        }
    });
}

void TestPageConfinement::init()
{
    auto device = std::make_shared<QovAppDeviceModelInternal>();
    device->setDeviceName(QStringLiteral("Hostile"));
    auto *project = new QovProjectDataModel;
    project->setAppDevices({device});
    m_window = std::make_unique<FakeMainWindow>();
    project->setParent(m_window.get());
    m_window->setProjectData(project);
    m_window->show();
    m_window->setCurrentPage(1);
    m_view = m_window->page(1);
    QVERIFY(m_view->webView());
    QVERIFY(pagetest::waitReady(m_view->webView()));
    m_connections = 0;
}

void TestPageConfinement::cleanup()
{
    m_window.reset();
}

void TestPageConfinement::rules_data()
{
    QTest::addColumn<QString>("relative"); // to the webcontents folder; URLs start with a scheme
    QTest::addColumn<bool>("allowed");

    QTest::newRow("settings page") << "zeph2208/index.html" << true;
    QTest::newRow("file of another page") << "zeph2208net/style.css" << true;
    QTest::newRow("the folder itself") << "" << false;
    QTest::newRow("dot-dot out") << "zeph2208/../../secret.txt" << false;
    QTest::newRow("neighbour named alike") << "../webcontents-evil/index.html" << false;
    QTest::newRow("system file") << "file:///etc/passwd" << false;
    QTest::newRow("file on a host")
        << "file://server/share/webcontents/zeph2208/index.html" << false;
    QTest::newRow("http") << "http://127.0.0.2/" << false;
    QTest::newRow("https") << "https://127.0.0.2/" << false;
    QTest::newRow("data") << "data:text/html,<p>x</p>" << false;
    QTest::newRow("blob") << "blob:file:///abc" << false;
    QTest::newRow("about blank") << "about:blank" << false;
}

void TestPageConfinement::rules()
{
    QFETCH(QString, relative);
    QFETCH(bool, allowed);
    const QString root = QovPageConfinement::webContentsRoot();
    const QUrl url = relative.contains(QLatin1Char(':'))
                         ? QUrl(relative)
                         : QUrl::fromLocalFile(root + QLatin1Char('/') + relative);
    QCOMPARE(QovPageConfinement::isAllowedNavigation(url), allowed);
}

void TestPageConfinement::requests_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<bool>("allowed");

    QTest::newRow("channel script") << "qrc:///qtwebchannel/qwebchannel.js" << true;
    QTest::newRow("other resource") << "qrc:///styles.qss" << false;
    QTest::newRow("inline image") << "data:image/png;base64,AAAA" << true;
    QTest::newRow("own blob") << "blob:file:///0b1c" << true;
    QTest::newRow("mixer") << "http://127.0.0.2/cgi-bin/appcmd/keepalive.cgi" << false;
    QTest::newRow("tls") << "https://127.0.0.2/" << false;
    QTest::newRow("websocket") << "ws://127.0.0.2/" << false;
    QTest::newRow("system file") << "file:///etc/passwd" << false;
}

void TestPageConfinement::requests()
{
    QFETCH(QString, url);
    QFETCH(bool, allowed);
    QCOMPARE(QovPageConfinement::isAllowedRequest(QUrl(url)), allowed);
}

void TestPageConfinement::hostilePageStaysPut_data()
{
    QTest::addColumn<QString>("attempt");
    QTest::addColumn<QString>("refusedUrl"); // empty: no navigation reaches the page

    QTest::newRow("navigate to mixer") << "goTo('http://127.0.0.2/')"
                                       << "http://127.0.0.2/";
    QTest::newRow("navigate to https") << "goTo('https://127.0.0.2/x')"
                                       << "https://127.0.0.2/x";
    QTest::newRow("navigate to system file") << "goTo('file:///etc/passwd')"
                                             << "file:///etc/passwd";
    // Chromium 87 hands a page's jump to a data URL to the program, which refuses it; newer
    // engines refuse it themselves, before the program is asked (hostilePageStaysPut).
    QTest::newRow("navigate to data") << "goTo('data:text/html,<p>gotcha</p>')"
                                      << "data:text/html,<p>gotcha</p>";
    QTest::newRow("window.open") << "openWindow('http://127.0.0.2/popup')"
                                 << "";
    QTest::newRow("window.open own file") << "openWindow('sibling.html')"
                                          << "";
    QTest::newRow("blank link") << "clickBlankLink('http://127.0.0.2/blank')"
                                << "";
    QTest::newRow("image") << "loadImage('http://127.0.0.2/image.png')"
                           << "";
    QTest::newRow("fetch") << "fetchUrl('http://127.0.0.2/fetch')"
                           << "";
    QTest::newRow("frame") << "frameTo('http://127.0.0.2/frame')"
                           << "http://127.0.0.2/frame";
}

void TestPageConfinement::hostilePageStaysPut()
{
    QFETCH(QString, attempt);
    QFETCH(QString, refusedUrl);
    auto *page = qobject_cast<QovConfinedPage *>(m_view->webView()->page());
    QVERIFY(page);
    const QString token = pageToken();
    const QUrl shown = m_view->webView()->url();
    QVERIFY(!token.isEmpty());
    QSignalSpy refused(page, &QovConfinedPage::navigationRefused);
    const pagetest::LogCapture log;

    evalJs(page, attempt);
    if (refusedUrl.startsWith(QLatin1String("data:"))) {
        QTRY_VERIFY(refused.count() == 1 ||
                    !log.matching(QStringLiteral("Not allowed to navigate top frame")).isEmpty());
        QVERIFY(refused.count() <= 1);
        if (refused.count() == 1) {
            QCOMPARE(refused.first().first().toUrl(), QUrl(refusedUrl));
        }
    } else if (!refusedUrl.isEmpty()) {
        QTRY_COMPARE(refused.count(), 1);
        QCOMPARE(refused.first().first().toUrl(), QUrl(refusedUrl));
    }
    if (attempt.startsWith(QLatin1String("fetch"))) {
        QTRY_COMPARE(evalJs(page, QStringLiteral("fetchResult")).toString(),
                     QStringLiteral("failed"));
    }
    if (attempt.startsWith(QLatin1String("openWindow"))) {
        QCOMPARE(evalJs(page, QStringLiteral("opened")).toString(), QStringLiteral("null"));
    }
    // Give a request that slipped through the time to arrive; none may.
    QTest::qWait(300);
    QCOMPARE(m_connections, 0);
    QCOMPARE(pageToken(), token);
    QCOMPARE(m_view->webView()->url(), shown);
    QCOMPARE(
        evalJs(page, QStringLiteral("document.getElementById('marker').textContent")).toString(),
        QStringLiteral("hostile test page"));
    // No window appeared besides the test's own.
    const QWidgetList topLevels = QApplication::topLevelWidgets();
    const auto visible = std::count_if(topLevels.begin(), topLevels.end(),
                                       [](const QWidget *w) { return w->isVisible(); });
    QCOMPARE(visible, 1);
}

void TestPageConfinement::pageMayMoveWithinItsFolder()
{
    QWebEngineView *view = m_view->webView();
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    evalJs(view->page(), QStringLiteral("document.getElementById('sibling').click()"));
    QVERIFY(loaded.wait(10000));
    QCOMPARE(loaded.first().first().toBool(), true);
    QCOMPARE(view->title(), QStringLiteral("sibling"));

    // The listener works: a request the test makes itself arrives.
    QTcpSocket probe;
    probe.connectToHost(QStringLiteral("127.0.0.2"), 80);
    QVERIFY(probe.waitForConnected(3000));
    QTRY_COMPARE(m_connections, 1);
}

QTEST_MAIN(TestPageConfinement)
#include "tst_pageconfinement.moc"
