// A settings page stays inside the program's webcontents folder.

#include "fakemainwindow.h"
#include "logcollector.h"
#include "models/qovautosaver.h"
#include "pagetestutil.h"
#include "privatenetwork.h"

#include "webpage/qovconfinedpage.h"
#include "webpage/qovpageconfinement.h"
#include "webpage/qovwebenginearguments.h"
#include "webpage/qovwebenginecompat.h"
#include "webpage/qovwebengineconfig.h"
#include "webpage/qovzephsettingview.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkDatagram>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QUdpSocket>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>
#include <memory>

using pagetest::evalJs;

namespace {

// Stands where a mixer would answer and counts what reaches it: connections and bytes.
class Listener : public QObject
{
public:
    bool listen(const QHostAddress &address, quint16 port)
    {
        if (!m_tcp.listen(address, port)) {
            return false;
        }
        connect(&m_tcp, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_tcp.nextPendingConnection()) {
                ++connections;
                connect(socket, &QTcpSocket::readyRead, this,
                        [this, socket] { bytes += socket->readAll().size(); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        return true;
    }
    bool listenUdp(const QHostAddress &address, quint16 port)
    {
        if (!m_udp.bind(address, port)) {
            return false;
        }
        connect(&m_udp, &QUdpSocket::readyRead, this, [this] {
            while (m_udp.hasPendingDatagrams()) {
                ++connections;
                bytes += m_udp.receiveDatagram().data().size();
            }
        });
        return true;
    }
    QString errorString() const
    {
        return m_tcp.errorString().isEmpty() ? m_udp.errorString() : m_tcp.errorString();
    }

    int connections = 0;
    qint64 bytes = 0;

private:
    QTcpServer m_tcp;
    QUdpSocket m_udp;
};

} // namespace

class TestPageConfinement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void initTestCase();
    void init();
    void cleanup() { m_window.reset(); }

    void rules_data();
    void rules();
    void requests_data();
    void requests();
    void hostilePageStaysPut_data();
    void hostilePageStaysPut();
    void hostilePageReachesNoMixer_data();
    void hostilePageReachesNoMixer();
    void systemFileIsNoDownload();
    void realPagesCarryThePolicy_data();
    void realPagesCarryThePolicy();
    void engineFlagsGoInAsArguments();
    void pageMayMoveWithinItsFolder();

private:
    QString pageToken() { return evalJs(m_view->webView()->page(), "token").toString(); }
    int connections() const
    {
        return m_http.connections + m_other.connections + m_stun.connections;
    }
    qint64 bytes() const { return m_http.bytes + m_other.bytes + m_stun.bytes; }

    std::unique_ptr<FakeMainWindow> m_window;
    QovZephSettingView *m_view = nullptr;
    // A mixer's HTTP port, the port of the reported WebSocket, and a STUN port for WebRTC.
    Listener m_http;
    Listener m_other;
    Listener m_stun;
};

void TestPageConfinement::initTestCase()
{
    velmora::test::requirePrivateNetwork();
    pagetest::installPage(QStringLiteral("hostile.html"), {QStringLiteral("sibling.html")});
    LogCollector::install();
    const QHostAddress mixer(QStringLiteral("127.0.0.2"));
    QVERIFY2(m_http.listen(mixer, 80), qPrintable(m_http.errorString()));
    QVERIFY2(m_other.listen(mixer, 83), qPrintable(m_other.errorString()));
    QVERIFY2(m_stun.listenUdp(mixer, 3478), qPrintable(m_stun.errorString()));
}

void TestPageConfinement::init()
{
    m_window = std::make_unique<FakeMainWindow>();
    QVERIFY(m_window->showProject({pagetest::device(QStringLiteral("Hostile"))}, 1));
    m_view = m_window->page(1);
    QCOMPARE(connections(), 0);
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

    const auto row = [](const char *name, const char *attempt, const char *refusedUrl) {
        QTest::newRow(name) << QString(attempt) << QString(refusedUrl);
    };
    row("navigate to mixer", "goTo('http://127.0.0.2/')", "http://127.0.0.2/");
    row("navigate to system file", "goTo('file:///etc/passwd')", "file:///etc/passwd");
    // Chromium 87 hands a page's jump to a data URL to the program, which refuses it; newer
    // engines refuse it themselves, before the program is asked (hostilePageStaysPut).
    row("navigate to data", "goTo('data:text/html,<p>gotcha</p>')", "data:text/html,<p>gotcha</p>");
    row("window.open", "openWindow('http://127.0.0.2/popup')", "");
    row("window.open own file", "openWindow('sibling.html')", "");
    row("blank link", "clickBlankLink('http://127.0.0.2/blank')", "");
    row("fetch", "fetchUrl('http://127.0.0.2/fetch')", "");
    row("frame", "frameTo('http://127.0.0.2/frame')", "http://127.0.0.2/frame");
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
    LogCollector::clear();

    evalJs(page, attempt);
    if (refusedUrl.startsWith(QLatin1String("data:"))) {
        QTRY_VERIFY(refused.count() == 1 ||
                    LogCollector::contains(QStringLiteral("Not allowed to navigate top frame")));
        QVERIFY(refused.count() <= 1);
        if (refused.count() == 1) {
            QCOMPARE(refused.first().first().toUrl(), QUrl(refusedUrl));
        }
    } else if (!refusedUrl.isEmpty()) {
        QTRY_COMPARE(refused.count(), 1);
        QCOMPARE(refused.first().first().toUrl(), QUrl(refusedUrl));
    }
    if (attempt.startsWith(QLatin1String("fetch"))) {
        QTRY_COMPARE(evalJs(page, "fetchResult").toString(), QStringLiteral("failed"));
    }
    if (attempt.startsWith(QLatin1String("openWindow"))) {
        QCOMPARE(evalJs(page, "opened").toString(), QStringLiteral("null"));
    }
    // Give a request that slipped through the time to arrive; none may.
    QTest::qWait(300);
    QCOMPARE(connections(), 0);
    QCOMPARE(pageToken(), token);
    QCOMPARE(m_view->webView()->url(), shown);
    QCOMPARE(evalJs(page, "document.getElementById('marker').textContent").toString(),
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
    evalJs(view->page(), "document.getElementById('sibling').click()");
    QVERIFY(loaded.wait(10000));
    QCOMPARE(loaded.first().first().toBool(), true);
    QCOMPARE(view->title(), QStringLiteral("sibling"));

    // The listener works: a request the test makes itself arrives.
    QTcpSocket probe;
    probe.connectToHost(QStringLiteral("127.0.0.2"), 80);
    QVERIFY(probe.waitForConnected(3000));
    QTRY_COMPARE(m_http.connections, 1);
    m_http.connections = 0;
}

void TestPageConfinement::hostilePageReachesNoMixer_data()
{
    QTest::addColumn<QString>("attempt");
    // What the attempt reports once it has run its course (any one of them).
    QTest::addColumn<QStringList>("outcomes");
    // The page may read other local files, as the engine allows by default; its origin is
    // then file:// rather than opaque, and a shared worker starts.
    QTest::addColumn<bool>("fileAccess");

    const QStringList done{QStringLiteral("done")};
    QTest::newRow("WebSocket from the page")
        << "openWebSocket('r', 'ws://127.0.0.2:83/ws')" << QStringList{"error"} << false;
    // Each worker tries a WebSocket, a GET and a multipart upload, and reports when all three
    // have failed.
    QTest::newRow("dedicated worker from blob")
        << "dedicatedWorker('r', 'http://127.0.0.2:83')" << done << false;
    // With its origin opaque, the page cannot start one at all. Where the program's profile
    // gives the pages file access, it starts, and each of its attempts must fail.
    const bool profileGivesFileAccess = QT_VERSION >= QT_VERSION_CHECK(6, 0, 0);
    QTest::newRow("shared worker from blob")
        << "sharedWorker('r', 'http://127.0.0.2:83')"
        << QStringList{profileGivesFileAccess ? QStringLiteral("done") : QStringLiteral("error")}
        << false;
    QTest::newRow("shared worker from blob, file access")
        << "sharedWorker('r', 'http://127.0.0.2:83')" << done << true;
    QTest::newRow("service worker")
        << "serviceWorker('r')" << QStringList{"refused", "absent"} << false;
    QTest::newRow("WebRTC STUN and TURN")
        << "webRtc('r', '127.0.0.2')"
        << QStringList{"gathered", "still gathering", "failed", "threw"} << false;
}

void TestPageConfinement::hostilePageReachesNoMixer()
{
    QFETCH(QString, attempt);
    QFETCH(QStringList, outcomes);
    QFETCH(bool, fileAccess);
    QWebEngineView *view = m_view->webView();
    QWebEnginePage *page = view->page();
    if (fileAccess) {
        page->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
        evalJs(page, "document.title = 'reloading'");
        QSignalSpy loaded(view, &QWebEngineView::loadFinished);
        view->reload();
        QVERIFY(loaded.wait(15000));
        QVERIFY(pagetest::waitReady(view));
    }
    const QString token = pageToken();

    evalJs(page, attempt);
    QString outcome;
    // WebRTC reports within 8 seconds.
    QTRY_VERIFY_WITH_TIMEOUT(!(outcome = evalJs(page, "outcome.r || ''").toString()).isEmpty(),
                             30000);
    QVERIFY2(outcomes.contains(outcome), qPrintable(outcome));
    // Give anything that slipped through the time to arrive; nothing may.
    QTest::qWait(300);
    QCOMPARE(connections(), 0);
    QCOMPARE(bytes(), qint64(0));
    QCOMPARE(pageToken(), token);
}

// A download link to a local file: the profile refuses it before any window is asked where to
// save it.
void TestPageConfinement::systemFileIsNoDownload()
{
    QWebEngineProfile *profile = m_view->webView()->page()->profile();
    QList<QUrl> requested;
    QList<QovWebEngineDownload::DownloadState> states;
    // Connected after the profile's own guard, so it sees what the guard decided.
    const auto connection = connect(profile, &QWebEngineProfile::downloadRequested, this,
                                    [&](QovWebEngineDownload *download) {
                                        requested << download->url();
                                        states << download->state();
                                    });
    QWebEnginePage *page = m_view->webView()->page();
    evalJs(page, "downloadLink('file:///etc/hostname');"
                 "downloadLink('http://127.0.0.2:83/cgi-bin/appcmd/download.cgi');");
    // A download the page may make, last: once it is asked for, the others had their turn.
    evalJs(page, "downloadLink(URL.createObjectURL(new Blob(['{}'])))");
    QTRY_VERIFY(!requested.isEmpty() && requested.last().scheme() == QLatin1String("blob"));
    disconnect(connection);
    for (int i = 0; i < requested.size() - 1; ++i) {
        QVERIFY2(requested.at(i).scheme() != QLatin1String("file") ||
                     states.at(i) == QovWebEngineDownload::DownloadCancelled,
                 qPrintable(requested.at(i).toString()));
    }
    QCOMPARE(states.last(), QovWebEngineDownload::DownloadRequested);
    QTest::qWait(300);
    QCOMPARE(connections(), 0);
}

void TestPageConfinement::realPagesCarryThePolicy_data()
{
    QTest::addColumn<QString>("page");
    for (QovDeviceSelector::DeviceType type : QovDeviceSelector::supportedTypes()) {
        const QString installed = QovDeviceSelector::settingsPageUrl(type).toLocalFile();
        const QString model = QFileInfo(installed).dir().dirName();
        QTest::newRow(qPrintable(model))
            << QStringLiteral(VELMORA_BIN_DIR "/webcontents/%1/index.html").arg(model);
    }
}

// Script in a real page (some text made its way in as code) meets the page's policy: no
// connection, no worker, no frame, no form, and no script but the page's own.
void TestPageConfinement::realPagesCarryThePolicy()
{
    QFETCH(QString, page);
    QFile file(page);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(page));
    const QString html = QString::fromUtf8(file.readAll());
    const QRegularExpression meta(
        QStringLiteral("<meta http-equiv=\"Content-Security-Policy\" content=\"([^\"]*)\">"));
    const QRegularExpressionMatch match = meta.match(html);
    QVERIFY(match.hasMatch());
    // Before any script of the page.
    QVERIFY(match.capturedStart() < html.indexOf(QLatin1String("<script")));
    QStringList directives = match.captured(1).split(QLatin1Char(';'));
    for (QString &directive : directives) {
        directive = directive.trimmed();
    }
    for (const char *closed :
         {"default-src 'none'", "connect-src 'none'", "worker-src 'none'", "child-src 'none'",
          "frame-src 'none'", "object-src 'none'", "form-action 'none'", "base-uri 'none'"}) {
        QVERIFY2(directives.contains(QLatin1String(closed)), closed);
    }
    const QString scripts = directives.filter(QStringLiteral("script-src ")).value(0);
    QVERIFY(!scripts.contains(QLatin1String("'unsafe-inline'")));
    QVERIFY(!scripts.contains(QLatin1String("'unsafe-eval'")));

    // The page itself, in a profile of its own without the program's guard: its policy alone.
    QWebEngineProfile profile;
    QWebEnginePage live(&profile);
    QSignalSpy loaded(&live, &QWebEnginePage::loadFinished);
    live.load(QUrl::fromLocalFile(page));
    QVERIFY(loaded.wait(15000));
    // The page's own scripts, its start included, ran to the end.
    QTRY_VERIFY(evalJs(&live, "document.body.classList.contains('ready')").toBool());
    evalJs(&live, "var seen = [];"
                  "document.addEventListener('securitypolicyviolation',"
                  "  function (e) { seen.push(e.effectiveDirective); });"
                  "try { new WebSocket('ws://127.0.0.2:83/ws'); } catch (e) { seen.push('ws'); }"
                  "try { new Worker(URL.createObjectURL(new Blob(['']))); }"
                  "catch (e) { seen.push('worker-src'); }"
                  "fetch('http://127.0.0.2:83/').catch(function () {});"
                  "var s = document.createElement('script');"
                  "s.textContent = 'window.injected = true;';"
                  "document.head.appendChild(s);");
    QTRY_VERIFY(evalJs(&live, "seen.indexOf('connect-src') >= 0 && "
                              "seen.indexOf('worker-src') >= 0 && "
                              "seen.indexOf('script-src-elem') >= 0")
                    .toBool());
    QCOMPARE(evalJs(&live, "typeof window.injected").toString(), QStringLiteral("undefined"));
    QTest::qWait(300);
    QCOMPARE(connections(), 0);
}

// The engine reads its flags from the variable alone when it is set, split at blanks, which
// breaks the resolver rule: everything goes in as arguments, the program's own first.
void TestPageConfinement::engineFlagsGoInAsArguments()
{
    const QByteArray variable = QByteArrayLiteral("QTWEBENGINE_CHROMIUM_FLAGS");
    qputenv(variable.constData(), "--user-flag --process-per-site=given");
    char program[] = "velmora";
    char project[] = "/tmp/my project.vlmproj";
    char *argv[] = {program, project, nullptr};
    QovWebEngineArguments arguments(2, argv);
    QVERIFY(!qEnvironmentVariableIsSet(variable.constData()));

    QList<QByteArray> made;
    for (int i = 0; i < arguments.argc(); ++i) {
        made << QByteArray(arguments.argv()[i]);
    }
    QCOMPARE(arguments.argv()[arguments.argc()], nullptr);
    QList<QByteArray> expected{"velmora", "/tmp/my project.vlmproj"};
    // Qt 6's engine ignores every flag before its marker.
    if (QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)) {
        expected << "--webEngineArgs";
    }
    expected << "--user-flag"
             << "--process-per-site=given"
             << "--host-resolver-rules=MAP * ~NOTFOUND"
             << "--force-webrtc-ip-handling-policy=disable_non_proxied_udp";
    QCOMPARE(made, expected);
}

int main(int argc, char *argv[])
{
    // The program's own engine flags and profile: both take part in confining a page.
    QovWebEngineArguments engineArguments(argc, argv);
    QApplication app(engineArguments.argc(), engineArguments.argv());
    app.setAttribute(Qt::AA_Use96Dpi, true);
    qovStartWebEngine();
    TestPageConfinement test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_pageconfinement.moc"
