// Each real settings page in a web view with the real bridge and device model: the page shows
// the device's data, edits made through its controls reach the device and mark the project
// edited, and changes made to the device show in the page. Prints the page's figures.
#include "models/qovautosaver.h"
#include "pagefixture.h"

#include "models/qovappdevicemodel.h"
#include "models/qovprojectdatamodel.h"
#include "webpage/qovjsapi.h"
#include "webpage/qovwebengineconfig.h"
#include "webpage/qovzephsettingview.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QWebEngineView>
#include <QtTest>

class TestSettingsPages : public PageFixture
{
    Q_OBJECT

private Q_SLOTS:
    // As the program does before its first window: the first page's figure is then the page's
    // own, not the web engine's start.
    void initTestCase() { qovStartWebEngine(); }
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void init() { setUpProject(); }
    void cleanup() { tearDownProject(); }
    void showsDeviceDataAsTheMixerWroteIt_data();
    void showsDeviceDataAsTheMixerWroteIt();
    void editsThroughControlsReachTheDevice_data() { showsDeviceDataAsTheMixerWroteIt_data(); }
    void editsThroughControlsReachTheDevice();
    void banksAndLibrariesReachTheDevice();
    void changesToTheDeviceShowInThePage();
    void emptyDataShowsFactoryStateWithNotice();
    void topBarFollowsStatusAndForwardsActions();
    void keysWalkThroughTheDevices();
    void keysStepTypeAndReset();
    void rollBackShowsTheSnapshotAgain();
    void pageLoadedAgainComesBackWhereTheUserWas();
    void everyControlHasAnAccessibleName_data() { showsDeviceDataAsTheMixerWroteIt_data(); }
    void everyControlHasAnAccessibleName();
    void screenReadersSeeThePage();
    void dragRedrawsThePlotAndTheLastPositionIsKept();
};

void TestSettingsPages::showsDeviceDataAsTheMixerWroteIt_data()
{
    QTest::addColumn<QString>("model");
    QTest::newRow("ZEPH-2208") << QStringLiteral("ZEPH-2208");
    QTest::newRow("ZEPH-2208NET") << QStringLiteral("ZEPH-2208NET");
}

// The page's reading and writing is exact: every untouched data set comes back as the very
// text the mixer wrote, which also proves the page's own factory state matches the mixer's.
void TestSettingsPages::showsDeviceDataAsTheMixerWroteIt()
{
    QFETCH(QString, model);
    openPage(model);
    qInfo().noquote()
        << QStringLiteral("page load to data shown (%1): %2 ms").arg(model).arg(m_loadMs);
    const auto at = [this](const QString &mark) {
        return QString::number(js("ZephPage.perf." + mark).toDouble(), 'f', 1);
    };
    qInfo().noquote() << QStringLiteral(
                             "page load to data shown in the page (%1): %2 ms "
                             "(scripts run at %3 ms, channel up at %4 ms, data read at %5 ms)")
                             .arg(model, at("shownAt"), at("startAt"), at("channelAt"),
                                  at("dataReadAt"));
    QCOMPARE(js("document.querySelector('.strip .strip-name').textContent").toString(),
             QStringLiteral("Vocal 1"));
    QCOMPARE(js("document.getElementById('notice').hidden").toBool(), true);
    QCOMPARE(js("!!document.getElementById('tab-network')").toBool(),
             model == QStringLiteral("ZEPH-2208NET"));

    QCOMPARE(
        js("[getZephDataCurrent(), getZephData12BandEq(), getZephData4BandEq()]").toStringList(),
        (QStringList{m_device->zephDataCurrent(), m_device->zephData12BandEq(),
                     m_device->zephData4BandEq()}));
    QCOMPARE(js("Array.from({length: 8}, function (_, b) { return getZephDataPreset(b); })")
                 .toStringList(),
             m_device->zephDataPreset());
    QCOMPARE(js("Array.from({length: 40}, function (_, b) { return getZephDataPartialPreset(b); })")
                 .toStringList(),
             m_device->zephDataPartialPreset());
    QCOMPARE(
        js("(function(i){return i.name+'/'+i.deviceid})(JSON.parse(getDeviceInfo()))").toString(),
        QStringLiteral("Stage/7"));
    QCOMPARE(m_project->isEdited(), false);
}

void TestSettingsPages::editsThroughControlsReachTheDevice()
{
    QFETCH(QString, model);
    openPage(model);
    QSignalSpy currentChanged(m_device.get(), &QovAppDeviceModelInternal::zephDataCurrentChanged);

    // One arrow key on channel 1's gain.
    QElapsedTimer timer;
    qint64 updatedAfterMs = -1;
    connect(m_device.get(), &QovAppDeviceModelInternal::zephDataCurrentChanged, this,
            [&] { updatedAfterMs = updatedAfterMs < 0 ? timer.elapsed() : updatedAfterMs; });
    timer.start();
    QVERIFY(run("document.querySelector('#section-inputs .group.preamp .slider').dispatchEvent("
                "new KeyboardEvent('keydown',{key:'ArrowUp',bubbles:true}))"));
    // The fetch may be done before the script's own result is back.
    QTRY_VERIFY_WITH_TIMEOUT(currentChanged.count() > 0, 5000);
    qInfo().noquote()
        << QStringLiteral("edit to device updated (%1): %2 ms").arg(model).arg(updatedAfterMs);
    qInfo().noquote() << QStringLiteral("edit to zephDataChanged in the page (%1): %2 ms")
                             .arg(model)
                             .arg(js("ZephPage.perf.editToReportMs[0]").toDouble(), 0, 'f', 2);
    QCOMPARE(currentAt("inputs/0/gain_db").toDouble(), 39.0);
    QVERIFY(m_project->isEdited());

    // A channel name typed in, cut to the strip's twelve characters.
    setField("#section-inputs .detail-head input.name", "Lead vocal microphone");
    QTRY_COMPARE_WITH_TIMEOUT(currentAt("inputs/0/name").toString(), QStringLiteral("Lead vocal m"),
                              5000);

    // The device's own name, read back through getDeviceInfo.
    setField("#topbar input.device-name", "Balcony <rack>");
    QTRY_COMPARE_WITH_TIMEOUT(m_device->deviceName(), QStringLiteral("Balcony rack"), 5000);

    if (model == QStringLiteral("ZEPH-2208NET")) {
        QVERIFY(run("ZephPage.activate('network');var s=document.querySelector("
                    "'#section-network .tx-row select');s.value='main L';"
                    "s.dispatchEvent(new Event('change'))"));
        QTRY_COMPARE_WITH_TIMEOUT(currentAt("network_audio/tx/0/source").toString(),
                                  QStringLiteral("main L"), 5000);
    }
}

// Store through the page's buttons and its confirmation dialog; each bank reaches the device.
void TestSettingsPages::banksAndLibrariesReachTheDevice()
{
    openPage();
    const QString accept = QStringLiteral("#dialog .accept");

    QVERIFY(run("ZephPage.activate('presets');"
                "document.querySelectorAll('.bank-row .store')[4].click()"));
    QVERIFY(waitFor("!document.getElementById('dialog').hidden"));
    setField("#dialog input.name", "Wedding");
    QVERIFY(click(accept));
    QTRY_COMPARE_WITH_TIMEOUT(valueAt(m_device->zephDataPreset().at(4), "name").toString(),
                              QStringLiteral("Wedding"), 5000);
    QCOMPARE(valueAt(m_device->zephDataPreset().at(4), "stored").toBool(), true);

    // Overwriting a stored preset asks first; cancelling leaves it alone.
    const QString before = m_device->zephDataPreset().at(0);
    QVERIFY(js("document.querySelectorAll('.bank-row .store')[0].click();"
               "document.querySelector('#dialog h2').textContent")
                .toString()
                .startsWith(QStringLiteral("Overwrite")));
    QVERIFY(click("#dialog .reject"));
    QTest::qWait(200);
    QCOMPARE(m_device->zephDataPreset().at(0), before);

    // A partial preset of channel 2's mute only.
    QVERIFY(run("ZephPage.activate('partial');document.querySelectorAll('.partial-row')[5].click();"
                "var p=document.querySelectorAll('.partial-editor .picker');"
                "p[0].children[1].click();p[1].children[5].click();"
                "document.querySelector('.partial-editor button.accent').click()"));
    QTRY_VERIFY_WITH_TIMEOUT(valueAt(m_device->zephDataPartialPreset().at(5), "stored").toBool(),
                             5000);
    QCOMPARE(valueAt(m_device->zephDataPartialPreset().at(5), "inputs").toArray(),
             (QJsonArray{QJsonObject{{"ch", 2}, {"mute", false}}}));

    // Channel 7's EQ into slot 9 of the channel library.
    QVERIFY(run("ZephPage.activate('library');var l=document.querySelectorAll('.library')[0];"
                "var s=l.querySelector('select');s.value='6';s.dispatchEvent(new Event('change'));"
                "l.querySelectorAll('.slot-row')[8].querySelector('button').click()"));
    QVERIFY(click(accept));
    QTRY_COMPARE_WITH_TIMEOUT(valueAt(m_device->zephData4BandEq(), "entries/8/name").toString(),
                              QStringLiteral("Kick"), 5000);
    QVERIFY(m_project->isEdited());
}

void TestSettingsPages::changesToTheDeviceShowInThePage()
{
    openPage("ZEPH-2208NET");
    QJsonObject current = parse(m_device->zephDataCurrent());
    QJsonArray inputs = current.value("inputs").toArray();
    const auto switchOver = [&inputs](int index, bool on) {
        QJsonObject channel = inputs.at(index).toObject();
        channel.insert("phantom", on);
        channel.insert("polarity_invert", on);
        for (const char *filter : {"hpf", "eq"}) {
            QJsonObject settings = channel.value(filter).toObject();
            settings.insert("on", false);
            channel.insert(filter, settings);
        }
        inputs.replace(index, channel);
    };
    switchOver(1, true);
    switchOver(2, false);
    QJsonObject channel = inputs.at(1).toObject();
    channel.insert("name", "Choir");
    inputs.replace(1, channel);
    current.insert("inputs", inputs);
    m_device->setZephDataCurrent(compact(current));
    QVERIFY(waitFor("document.querySelectorAll('.strip .strip-name')[1].textContent=='Choir'"));
    // The flags are only seen; a screen reader hears which are on.
    const QString heard = QStringLiteral(
        "document.querySelectorAll('.strip-flags')[%1].querySelector('.visually-hidden')"
        ".textContent");
    QCOMPARE(js(heard.arg(1)).toString(), QStringLiteral("48V on, Polarity inverted"));
    QCOMPARE(js(heard.arg(2)).toString(), QStringLiteral("48V, polarity, HPF and EQ off"));
    QCOMPARE(
        js("document.querySelectorAll('.strip-flags .flag:not([aria-hidden])').length").toInt(), 0);

    QJsonObject preset = parse(m_device->zephDataPreset().at(6));
    preset.insert("name", "Gala");
    preset.insert("stored", true);
    m_device->setZephDataPreset(6, compact(preset));
    QVERIFY(run("ZephPage.activate('presets')"));
    QVERIFY(waitFor("document.querySelectorAll('.bank-row input.name')[6].value=='Gala'"));
    m_device->setDeviceName(QStringLiteral("Renamed"));
    QVERIFY(waitFor("document.querySelector('#topbar input.device-name').value=='Renamed'"));
}

void TestSettingsPages::emptyDataShowsFactoryStateWithNotice()
{
    openPage("ZEPH-2208", false);
    QCOMPARE(js("document.getElementById('notice').hidden").toBool(), false);
    QCOMPARE(js("document.querySelectorAll('.strip .strip-name')[5].textContent").toString(),
             QStringLiteral("Bass DI"));
    m_device->setZephDataCurrent(QStringLiteral("{\"inputs\": [broken"));
    QVERIFY(waitFor(
        "document.querySelector('#notice .text').textContent.indexOf('could not be read')>=0"));
}

void TestSettingsPages::topBarFollowsStatusAndForwardsActions()
{
    openPage("ZEPH-2208", true, {"Balcony"});
    // The switcher lists the project's devices and follows the page the window shows.
    QCOMPARE(js("Array.prototype.map.call(document.querySelectorAll('.switcher option'),"
                "function(o){return o.textContent}).join('|')")
                 .toString(),
             QStringLiteral("1. Stage · ZEPH-2208|2. Balcony · ZEPH-2208"));
    QCOMPARE(js("document.querySelector('#topbar button.icon').disabled").toBool(), true);
    QVERIFY(run("document.querySelectorAll('#topbar button.icon')[1].click()"));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->currentPage(), 2, 5000);
    QVERIFY(waitFor("document.querySelector('.switcher').value=='1'"));

    const QString actions = QStringLiteral(
        "Array.prototype.map.call(document.querySelectorAll('.status-actions button'),"
        "function(b){return b.textContent}).join()");
    QCOMPARE(js(actions).toString(), QStringLiteral("Connect"));
    // The name field, where it is and whether it shows the whole name.
    m_device->setDeviceName(QStringLiteral("Stage Monitors Left"));
    const QString nameBox = QStringLiteral(
        "(function(){var n=document.querySelector('#topbar .device-name');"
        "var r=n.getBoundingClientRect();return n.value+' '+(n.scrollWidth>n.clientWidth?"
        "'clipped':r.left+'/'+r.top+'/'+r.width)})()");
    QVERIFY(waitFor(nameBox + ".indexOf('Stage Monitors Left')==0"));
    const QString nameAlone = js(nameBox).toString();
    QVERIFY2(!nameAlone.contains("clipped"), qPrintable(nameAlone));
    // A live region, written only on a change: each write is read out again.
    QVERIFY(
        run("window.statusWrites = 0; new MutationObserver(function () { ++statusWrites; })"
            ".observe(document.querySelector('.status-text[role=status]'), {childList: true})"));
    QVERIFY(run("ZephTopBar.refresh()"));
    m_device->setStatus(QovAppDeviceModelInternal::MISSING);
    QVERIFY(waitFor(actions + "=='Reconnect,Disconnect'"));
    QCOMPARE(js("document.querySelector('.status-text').textContent").toString(),
             QStringLiteral("Missing"));
    QCOMPARE(js("statusWrites").toInt(), 1);
    // The window's note on the state shows here as on the project page, and goes with it.
    const QString note = QStringLiteral("document.querySelector('.status-note').textContent");
    m_device->setStatusNote(QStringLiteral("Reconnecting…"));
    QVERIFY(waitFor(note + "=='Reconnecting…'"));
    // Nothing moves when the state changes or another section opens (which may scroll or not),
    // and the smallest window still shows the name whole.
    QCOMPARE(js(nameBox).toString(), nameAlone);
    QVERIFY(run("ZephPage.activate('presets', true)"));
    QCOMPARE(js(nameBox).toString(), nameAlone);
    m_view->resize(320, 380);
    QVERIFY(waitFor("window.innerWidth==320"));
    QVERIFY2(!js(nameBox).toString().contains("clipped"), qPrintable(js(nameBox).toString()));
    QVERIFY(click(".status-actions .reconnect"));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->calls, QStringList{"reconnectDevice Stage Monitors Left"},
                              5000);
    m_device->setStatus(QovAppDeviceModelInternal::CONNECTED);
    QVERIFY(waitFor(actions + "=='Disconnect'"));
    QCOMPARE(js(note).toString(), QString());
    QVERIFY(click("#topbar .save"));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->calls.contains(QStringLiteral("saveProject")), 5000);
    QVERIFY(click("#topbar .back"));
    QTRY_COMPARE_WITH_TIMEOUT(m_window->currentPage(), 0, 5000);
}

// Space on the step buttons and the arrows on the switcher walk through the devices: the page
// shown next has the keyboard, with the focus on the control that was used, on pages loaded
// afresh and on pages shown before (where the focus was left elsewhere).
void TestSettingsPages::keysWalkThroughTheDevices()
{
    QVector<QovAppDeviceModel> devices;
    for (const char *name : {"One", "Two", "Three", "Four"}) {
        devices << pagetest::device(QString::fromLatin1(name));
    }
    QVERIFY(m_window->showProject(devices));
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    m_window->setCurrentPage(1);
    const auto shownJs = [this](const QString &script) {
        return pagetest::evalJs(m_window->page(m_window->currentPage())->webView()->page(), script);
    };
    const QString focused =
        QStringLiteral("document.body.classList.contains('ready') && document.hasFocus() && "
                       "(document.activeElement.getAttribute('aria-label') || '')");
    const auto press = [&](Qt::Key key, int page, const QString &focusOn) {
        QTest::keyClick(QApplication::focusWidget(), key);
        QTRY_COMPARE_WITH_TIMEOUT(m_window->currentPage(), page, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(shownJs(focused).toString(), focusOn, 15000);
    };
    const QString next = QStringLiteral("#topbar [aria-label=\"Next device\"]");
    QTRY_VERIFY_WITH_TIMEOUT(
        shownJs(QStringLiteral("document.querySelector('%1').focus();true").arg(next)).toBool(),
        15000);
    press(Qt::Key_Space, 2, "Next device");
    press(Qt::Key_Space, 3, "Next device");
    // The last device cannot step on: the switcher, not the button that steps back.
    press(Qt::Key_Space, 4, "Device");
    QVERIFY(shownJs("document.querySelector('#topbar [aria-label=\"Previous device\"]')"
                    ".focus();true")
                .toBool());
    press(Qt::Key_Space, 3, "Previous device");
    press(Qt::Key_Space, 2, "Previous device");
    press(Qt::Key_Space, 1, "Device");
    press(Qt::Key_Down, 2, "Device");
    press(Qt::Key_Down, 3, "Device");
    press(Qt::Key_Up, 2, "Device");
}

// Every kind of control answers the arrow keys and goes back to its default on Delete or a
// double-click; a slider takes a typed value; Escape brings a name back. The device ends up
// holding exactly what the page shows.
void TestSettingsPages::keysStepTypeAndReset()
{
    openPage();
    const QString fader = QStringLiteral("#section-inputs .group.fader .slider");
    const QString pan = QStringLiteral("#section-inputs .group.fader .slider:last-child");
    const QString gain = QStringLiteral("#section-inputs .group.preamp .slider");
    const QString phantom = QStringLiteral("#section-inputs .group.preamp .toggle");
    QCOMPARE(press(fader, "ArrowDown", 3), QStringLiteral("−1.5 dB"));
    QCOMPARE(press(fader, "PageUp"), QStringLiteral("3.5 dB"));
    QCOMPARE(press(fader, "Delete"), QStringLiteral("0.0 dB"));
    QCOMPARE(press(fader, "Home"), QStringLiteral("−∞ dB"));
    QCOMPARE(press(fader, "End"), QStringLiteral("10.0 dB"));
    QCOMPARE(press(pan, "ArrowLeft", 4), QStringLiteral("L 4"));
    const auto shows = [this](const QString &selector) {
        return js(QStringLiteral("document.querySelector(%1).getAttribute('aria-valuetext')")
                      .arg(jsString(selector)))
            .toString();
    };
    QVERIFY(run(QStringLiteral("document.querySelector(%1).dispatchEvent(new MouseEvent('dblclick',"
                               "{bubbles:true}))")
                    .arg(jsString(pan))));
    QCOMPARE(shows(pan), QStringLiteral("C"));
    QCOMPARE(press(phantom, "ArrowRight"), QStringLiteral("true"));
    QCOMPARE(press(phantom, "Delete"), QStringLiteral("false"));

    // Enter opens the value for typing; a value beyond the range is clamped.
    press(gain, "Enter");
    press(gain + " input.typein", "Escape");
    QCOMPARE(js("document.querySelectorAll('input.typein').length").toInt(), 0);
    press(gain, "Enter");
    QVERIFY(run("var t=document.querySelector('input.typein');t.value='75';"
                "t.dispatchEvent(new KeyboardEvent('keydown',{key:'Enter'}))"));
    QCOMPARE(shows(gain), QStringLiteral("60 dB"));

    // The EQ plot: 3 picks the high-mid band, arrows raise it, Delete flattens it.
    const QString plot = QStringLiteral("#section-inputs canvas.eq-plot");
    const QString band3 = QStringLiteral("ZephPage.app.data.current.inputs[0].eq.bands[2].gain_db");
    press(plot, "3");
    press(plot, "ArrowUp", 2);
    QCOMPARE(js(band3).toDouble(), 3.0);
    press(plot, "Delete");
    QCOMPARE(js(band3).toDouble(), 0.0);

    // A name: typed, then Escape takes back what it was on entry.
    const QString name = QStringLiteral("#section-inputs .detail-head input.name");
    setField(name, "Oops");
    QCOMPARE(press(name, "Escape"), QStringLiteral("Vocal 1"));

    QTRY_VERIFY_WITH_TIMEOUT(js("ZephPage.app.reporter.settled()").toBool(), 5000);
    const auto channel = [this](const QString &key) { return currentAt("inputs/0/" + key); };
    QCOMPARE(channel("fader_db").toDouble(), 10.0);
    QCOMPARE(channel("pan").toInt(), 0);
    QCOMPARE(channel("gain_db").toDouble(), 60.0);
    QCOMPARE(channel("phantom").toBool(), false);
    QCOMPARE(channel("name").toString(), QStringLiteral("Vocal 1"));
    QCOMPARE(channel("eq/bands/2/gain_db").toDouble(), 0.0);
    // Left and right on a strip's name go round the strips of their own section; -1 when the
    // section has no such strip.
    const auto stripAfter = [this](const QString &section, int from, const QString &key) {
        return js(QStringLiteral(
                      "(function(){ZephPage.activate('%1');var h=document."
                      "querySelectorAll('#section-%1 .strip-head');if(!h[%2])return -1;"
                      "h[%2].focus();h[%2].dispatchEvent(new KeyboardEvent('keydown',"
                      "{key:%3,bubbles:true}));"
                      "return Array.prototype.indexOf.call(h,document.activeElement);})()")
                      .arg(section)
                      .arg(from)
                      .arg(jsString(key)))
            .toInt();
    };
    QCOMPARE(stripAfter("inputs", 0, "ArrowLeft"), 7);
    QCOMPARE(stripAfter("inputs", 3, "ArrowRight"), 4);
    QCOMPARE(stripAfter("outputs", 7, "ArrowRight"), 0);
    QCOMPARE(stripAfter("outputs", 2, "ArrowLeft"), 1);
}

// The application's roll-back writes whole lists into the device; the page shows them.
void TestSettingsPages::rollBackShowsTheSnapshotAgain()
{
    openPage("ZEPH-2208NET");
    m_view->snapShot();
    QCOMPARE(press("#section-inputs .group.preamp .slider", "ArrowUp", 2), QStringLiteral("40 dB"));
    QVERIFY(run("ZephPage.activate('presets');"
                "document.querySelectorAll('.bank-row .store')[7].click();"
                "document.querySelector('#dialog .accept').click()"));
    QTRY_VERIFY_WITH_TIMEOUT(valueAt(m_device->zephDataPreset().at(7), "stored").toBool(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(m_device->zephDataCurrent().contains(QStringLiteral("\"gain_db\":40")),
                             5000);

    m_view->jsApi()->rollBack();
    QVERIFY(waitFor("document.querySelectorAll('.bank-row .bank-state')[7].textContent=='empty'"));
    QVERIFY(run("ZephPage.activate('inputs')"));
    QVERIFY(waitFor("document.querySelector('.strip .strip-gain').textContent=='38 dB'"));
    QCOMPARE(js("getZephDataCurrent()").toString(), factoryText(QStringLiteral("ZEPH-2208NET"), 7));
}

// The web view of a page out of sight may be released and the page loaded afresh later: it comes
// back to the section, channel and scroll position the user left, which the program held. What
// a page writes there is kept only when it is a place on the page.
void TestSettingsPages::pageLoadedAgainComesBackWhereTheUserWas()
{
    openPage("ZEPH-2208NET");
    m_view->resize(900, 380);
    QovJsApi *bridge = m_view->jsApi();
    QVERIFY(run("ZephPage.activate('outputs/3', true);window.scrollTo(0, 120)"));
    const QString place = QStringLiteral("{\"view\":\"outputs/3\",\"scroll\":120}");
    QTRY_COMPARE_WITH_TIMEOUT(bridge->viewState(), place, 5000);

    for (const QString &hostile :
         {QStringLiteral("{\"view\":\"outputs/3\",\"url\":\"http://127.0.0.2/\"}"),
          QStringLiteral("{\"view\":\"<img src=x>\"}"), QStringLiteral("[1,2]"),
          QStringLiteral("{\"view\":\"inputs\",\"scroll\":-5}"),
          QStringLiteral("{\"view\":\"inputs\",\"pad\":\"") + QString(300, QLatin1Char('x')) +
              QStringLiteral("\"}")}) {
        js(QStringLiteral("ZephPage.app.api.rememberView(%1);true").arg(jsString(hostile)));
    }
    // A round trip through the channel: the writes above have been handled by now.
    js("ZephPage.app.api.getDeviceList(function () { window.roundTrip = true; });");
    QVERIFY(waitFor("window.roundTrip === true"));
    QCOMPARE(bridge->viewState(), place);

    m_view->hide();
    QVERIFY(m_view->releaseWebView());
    QVERIFY(!m_view->webView());
    m_view->show();
    QVERIFY(m_view->webView());
    QVERIFY(waitReady());
    QCOMPARE(js("ZephPage.app.activeSection.id").toString(), QStringLiteral("outputs"));
    QCOMPARE(js("ZephPage.app.activeSection.selected()").toInt(), 2);
    QVERIFY(waitFor("window.scrollY === 120"));
    QCOMPARE(bridge->viewState(), place);
}

// What a screen reader finds on every section of the page: each control has a role and a name,
// from its text, its label or its ARIA attributes.
namespace {

// The names in the accessibility tree below `node`, as a screen reader walks it.
void collectNames(QAccessibleInterface *node, QStringList &names, int depth = 0)
{
    if (!node || depth > 40) {
        return;
    }
    names << node->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i) {
        collectNames(node->child(i), names, depth + 1);
    }
}

} // namespace

// The names the page gives its controls are of use only when the web engine hands the page's
// tree to assistive technology; by default it shows one empty document on Linux.
void TestSettingsPages::screenReadersSeeThePage()
{
    // As when a screen reader starts listening.
    QAccessible::setActive(true);
    const auto quiet = qScopeGuard([] { QAccessible::setActive(false); });
    openPage(QStringLiteral("ZEPH-2208"));
    auto *view = m_view->findChild<QWebEngineView *>();
    QVERIFY(view);
    QStringList names;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            names.clear();
            collectNames(QAccessible::queryAccessibleInterface(view), names);
            return names.contains(QStringLiteral("Fader 1"));
        }(),
        10000);
}

void TestSettingsPages::everyControlHasAnAccessibleName()
{
    QFETCH(QString, model);
    openPage(model);
    const QString unnamed = js(QStringLiteral(R"JS(
(function () {
  ZephPage.app.sections.forEach(function (s) { ZephPage.activate(s.id); });
  var found = [];
  var controls = document.querySelectorAll('button, input, select, textarea, a[href], ' +
      '[role], [tabindex]:not([tabindex="-1"])');
  var implicit = { BUTTON: 'button', INPUT: 'input', SELECT: 'listbox', TEXTAREA: 'textbox', A: 'link' };
  var interactive = /^(button|tab|slider|checkbox|switch|link|menuitem|option|spinbutton|textbox|listbox|radio)$/;
  Array.prototype.forEach.call(controls, function (n) {
    var role = n.getAttribute('role') || implicit[n.tagName];
    if (!role && n.getAttribute('tabindex') === null) return;
    if (role && !implicit[n.tagName] && !interactive.test(role)) return;
    var name = (n.getAttribute('aria-label') || '').trim();
    var by = n.getAttribute('aria-labelledby');
    if (!name && by) {
      name = by.split(/\s+/).map(function (id) {
        var e = document.getElementById(id); return e ? e.textContent : '';
      }).join(' ').trim();
    }
    if (!name && n.labels && n.labels.length) name = n.labels[0].textContent.trim();
    if (!name && /^(button|tab|link|menuitem|option|checkbox|radio)$/.test(role || '')) name = n.textContent.trim();
    if (!name) name = (n.getAttribute('title') || '').trim();
    if (!role || !name) {
      found.push(n.tagName.toLowerCase() + (n.id ? '#' + n.id : '') +
          (n.className && n.className.baseVal === undefined ? '.' + String(n.className).split(' ').join('.') : '') +
          ' role=' + role);
    }
  });
  return found.slice(0, 25).join('; ');
}())
)JS"))
                                .toString();
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed));
}

// A band dragged across the plot for a second: the plot keeps up, and once the drag ends the
// device holds where the band was let go, although the bridge drops notices while it fetches.
void TestSettingsPages::dragRedrawsThePlotAndTheLastPositionIsKept()
{
    openPage();
    const QString drag = QStringLiteral(
        "(function(){var c=document.querySelector('canvas.eq-plot');c.scrollIntoView();"
        "var b=c.getBoundingClientRect();var p=ZephPage.plotPerf();var f0=p.frames;var d0=p.drawMs;"
        "var r0=ZephPage.perf.refreshMs;"
        "var h=ZephPage.app.sections[0].plot().handles()[1];"
        "function ev(t,x,y){c.dispatchEvent(new PointerEvent(t,{pointerId:1,bubbles:true,"
        "button:0,clientX:b.left+x,clientY:b.top+y}));}"
        "ev('pointerdown',h.x,h.y);var t0=performance.now();window.dragResult=null;"
        "(function step(){var t=performance.now()-t0;"
        "if(t>1000){ev('pointerup',0,0);var "
        "a=ZephPage.perf;window.dragResult={fps:(p.frames-f0)*1000/t,"
        "draw:(p.drawMs-d0)/Math.max(1,p.frames-f0),views:(a.refreshMs-r0)/"
        "Math.max(1,p.frames-f0)};"
        "return;}"
        "ev('pointermove',h.x+(b.width/3)*Math.sin(t/150),h.y+20*Math.cos(t/150));"
        "requestAnimationFrame(step);})();return true;})()");
    // What the view offers at all: animation frames per second with nothing to draw.
    QVERIFY(run("(function(){var n=0,t0=performance.now();window.idleRate=null;"
                "(function f(){var t=performance.now()-t0;if(t>500){window.idleRate="
                "n*1000/t;return;}n++;requestAnimationFrame(f);})();})()"));
    QVERIFY(waitFor("window.idleRate", 5000));
    qInfo().noquote() << QStringLiteral("animation frames of the idle view: %1 fps")
                             .arg(js("window.idleRate").toDouble(), 0, 'f', 1);
    QVERIFY(js(drag).toBool());
    QVERIFY(waitFor("window.dragResult", 5000));
    const double fps = js("window.dragResult.fps").toDouble();
    qInfo().noquote()
        << QStringLiteral("plot redraw rate while dragging: %1 fps").arg(fps, 0, 'f', 1);
    qInfo().noquote() << QStringLiteral("plot drawing per dragged frame: %1 ms")
                             .arg(js("window.dragResult.draw").toDouble(), 0, 'f', 2);
    qInfo().noquote() << QStringLiteral("views following the drag, per frame: %1 ms")
                             .arg(js("window.dragResult.views").toDouble(), 0, 'f', 2);
    // The rate depends on how busy the machine is (the figure above is for the log); a plot
    // that stopped following the drag draws once or not at all.
    QVERIFY2(fps > 2, "the plot hardly redrew while a band was dragged");

    const double pageFreq =
        js("ZephPage.app.data.current.inputs[0].eq.bands[1].freq_hz").toDouble();
    QVERIFY(pageFreq != 350.0);
    QTRY_COMPARE_WITH_TIMEOUT(currentAt("inputs/0/eq/bands/1/freq_hz").toDouble(), pageFreq, 5000);
}

QTEST_MAIN(TestSettingsPages)
#include "tst_settingspages.moc"
