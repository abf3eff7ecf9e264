// The real page with the real bridge, where what the page holds and what the device holds
// must agree: after the device takes back a text the page handed out earlier, after undo and
// redo from the keyboard and the top bar, and where the graphic EQ's faders meet the plot.
#include "models/qovautosaver.h"
#include "pagefixture.h"

#include "models/qovappdevicemodel.h"
#include "models/qovprojectdatamodel.h"
#include "webpage/qovjsapi.h"
#include "webpage/qovzephsettingview.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEngineView>
#include <QtTest>

#include <thread>

namespace {

const QString gainSlider = QStringLiteral("#section-inputs .group.preamp .slider");
const QString stripGain =
    QStringLiteral("document.querySelector('.strip .strip-gain').textContent");

// What a Device->App connection stores, from a worker thread as the transfer does.
void storeAsTransfer(const QovAppDeviceModel &device, const QString &current)
{
    const QStringList presets = device->zephDataPreset();
    const QStringList partials = device->zephDataPartialPreset();
    const QString eq12 = device->zephData12BandEq();
    const QString eq4 = device->zephData4BandEq();
    std::thread worker([&] {
        device->setZephDataPreset(presets);
        device->setZephData12BandEq(eq12);
        device->setZephData4BandEq(eq4);
        device->setZephDataPartialPreset(partials);
        device->setZephDataCurrent(current);
    });
    worker.join();
}

} // namespace

class TestPageEdits : public PageFixture
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void init() { setUpProject(); }
    void cleanup() { tearDownProject(); }
    void earlierTextFromTheDeviceIsShown_data();
    void earlierTextFromTheDeviceIsShown();
    void undoAndRedoReachTheDevice();
    void recallAndLibraryApplyAreOneStepEach();
    void manyStepsUndoToTheStart();
    void graphicEqFadersStandUnderTheirBands_data();
    void graphicEqFadersStandUnderTheirBands();

private:
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void focus(const QString &selector);
    double gain() const { return currentAt("inputs/0/gain_db").toDouble(); }
    // Undoes or redoes every step there is; how many there were.
    int walkAll(const char *way)
    {
        return js(QStringLiteral("(function(){var n=0;while(ZephPage.%1())++n;return n;})()")
                      .arg(QLatin1String(way)))
            .toInt();
    }
};

// Real key presses through the web view, as the user's keyboard sends them.
void TestPageEdits::key(int key, Qt::KeyboardModifiers modifiers)
{
    QWidget *target = m_view->webView()->focusProxy();
    QVERIFY(target);
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

void TestPageEdits::focus(const QString &selector)
{
    m_view->activateWindow();
    m_view->webView()->setFocus();
    QVERIFY(js(QStringLiteral("document.querySelector(%1).focus();"
                              "document.activeElement===document.querySelector(%1)")
                   .arg(jsString(selector)))
                .toBool());
}

void TestPageEdits::earlierTextFromTheDeviceIsShown_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("set from outside") << QStringLiteral("outside");
    QTest::newRow("Device->App") << QStringLiteral("transfer");
    QTest::newRow("reconnect") << QStringLiteral("reconnect");
    QTest::newRow("roll-back") << QStringLiteral("rollback");
}

// Mute on, mute off, gain +1, each stored in the device; then the device goes back to the
// "mute off" text, which the page handed out earlier. The page must show gain 38 again, and
// its next edit must build on that, not write 39 back.
void TestPageEdits::earlierTextFromTheDeviceIsShown()
{
    QFETCH(QString, how);
    openPage();
    m_view->snapShot();
    const QString mute = QStringLiteral("#section-inputs .group.fader .toggle.mute");
    QVERIFY(click(mute));
    QTRY_VERIFY_WITH_TIMEOUT(currentAt("inputs/0/mute").toBool(), 5000);
    const QString muteOn = m_device->zephDataCurrent();
    QVERIFY(click(mute));
    QTRY_VERIFY_WITH_TIMEOUT(!currentAt("inputs/0/mute").toBool(), 5000);
    const QString muteOff = m_device->zephDataCurrent();
    QCOMPARE(press(gainSlider, "ArrowUp"), QStringLiteral("39 dB"));
    QTRY_COMPARE_WITH_TIMEOUT(gain(), 39.0, 5000);
    QVERIFY(waitFor(stripGain + "=='39 dB'"));

    if (how == QStringLiteral("outside")) {
        m_device->setZephDataCurrent(muteOff);
    } else if (how == QStringLiteral("transfer")) {
        storeAsTransfer(m_device, muteOff);
    } else if (how == QStringLiteral("reconnect")) {
        m_device->setStatus(QovAppDeviceModelInternal::MISSING);
        storeAsTransfer(m_device, muteOff);
        m_device->setStatus(QovAppDeviceModelInternal::CONNECTED);
    } else {
        // The snapshot was the factory text, which is also what "mute off" handed out.
        QCOMPARE(muteOff, factoryText(QStringLiteral("ZEPH-2208"), 7));
        m_view->jsApi()->rollBack();
    }
    QCOMPARE(gain(), 38.0);
    QVERIFY2(waitFor(stripGain + "=='38 dB'", 5000), qPrintable(js(stripGain).toString()));
    QCOMPARE(js("getZephDataCurrent()").toString(), muteOff);

    // The next edit starts from what the device holds.
    QCOMPARE(press("#section-inputs .group.fader .slider", "ArrowUp"), QStringLiteral("0.5 dB"));
    QTRY_COMPARE_WITH_TIMEOUT(currentAt("inputs/0/fader_db").toDouble(), 0.5, 5000);
    QCOMPARE(gain(), 38.0);

    // And a later return to a text handed out twice before shows as well.
    m_device->setZephDataCurrent(muteOn);
    QVERIFY(
        waitFor(QStringLiteral("document.querySelector(%1).getAttribute('aria-pressed')=='true'")
                    .arg(jsString(mute)),
                5000));
}

// Three key presses are three steps. Ctrl+Z, Ctrl+Shift+Z, Ctrl+Y and the top bar's buttons
// walk them; every state reaches the device, the project and its autosave copy.
void TestPageEdits::undoAndRedoReachTheDevice()
{
    openPage();
    const QString undo = QStringLiteral("#topbar button.undo");
    const QString undoButton = QStringLiteral("document.querySelector('#topbar button.undo')");
    const QString buttons = QStringLiteral(
        "['undo','redo'].map(function(k){var b=document.querySelector('#topbar button.'+k);"
        "return b.getAttribute('aria-label')+':'+b.disabled})");
    QCOMPARE(js(buttons).toStringList(), (QStringList{"Undo:true", "Redo:true"}));

    focus(gainSlider);
    for (int i = 0; i < 3; ++i) {
        key(Qt::Key_Up);
    }
    QTRY_COMPARE_WITH_TIMEOUT(gain(), 41.0, 5000);
    QVERIFY(waitFor(undoButton + ".disabled==false"));

    const struct
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        double gain;
    } walk[] = {{Qt::Key_Z, Qt::ControlModifier, 40},
                {Qt::Key_Z, Qt::ControlModifier, 39},
                {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, 40},
                {Qt::Key_Y, Qt::ControlModifier, 41},
                {Qt::Key_Z, Qt::ControlModifier, 40}};
    for (const auto &step : walk) {
        key(step.key, step.modifiers);
        QTRY_COMPARE_WITH_TIMEOUT(gain(), step.gain, 5000);
        QVERIFY(waitFor(stripGain + QStringLiteral("=='%1 dB'").arg(step.gain)));
    }
    QCOMPARE(js(QStringLiteral("document.activeElement===document.querySelector(%1)")
                    .arg(jsString(gainSlider)))
                 .toBool(),
             true);

    // The buttons do the same.
    QVERIFY(click(undo));
    QTRY_COMPARE_WITH_TIMEOUT(gain(), 39.0, 5000);
    QVERIFY(click(undo));
    QTRY_COMPARE_WITH_TIMEOUT(gain(), 38.0, 5000);
    QVERIFY(waitFor(undoButton + ".disabled"));
    QVERIFY(click("#topbar button.redo"));
    QTRY_COMPARE_WITH_TIMEOUT(gain(), 39.0, 5000);

    QVERIFY(m_project->isEdited());
    m_project->waitForAutosave();
    QFile copy(m_project->autosavePath());
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(valueAt(QString::fromUtf8(copy.readAll()), "devices/0/data/inputs/0"),
             currentAt("inputs/0"));
    QCOMPARE(gain(), 39.0);
}

// A recall changes the whole console, a library slot a whole EQ: one undo takes each back.
void TestPageEdits::recallAndLibraryApplyAreOneStepEach()
{
    openPage();
    const QString start = m_device->zephDataCurrent();
    // An edit whose step is still open when the recall comes.
    QCOMPARE(press(gainSlider, "ArrowUp"), QStringLiteral("39 dB"));
    QTRY_COMPARE_WITH_TIMEOUT(gain(), 39.0, 5000);
    const QString edited = m_device->zephDataCurrent();
    QVERIFY(run("ZephPage.activate('presets');document.querySelectorAll('.bank-row')"
                "[1].querySelectorAll('button')[1].click();"
                "document.querySelector('#dialog .accept').click()"));
    QTRY_VERIFY_WITH_TIMEOUT(m_device->zephDataCurrent() != edited, 5000);
    const QString recalled = m_device->zephDataCurrent();
    QVERIFY(js("ZephPage.undo()").toBool());
    QTRY_COMPARE_WITH_TIMEOUT(m_device->zephDataCurrent(), edited, 5000);
    QVERIFY(js("ZephPage.redo()").toBool());
    QTRY_COMPARE_WITH_TIMEOUT(m_device->zephDataCurrent(), recalled, 5000);

    // The "Live Vocal" slot of the output library onto output 4.
    const QString geqOf4 =
        QStringLiteral("JSON.stringify(ZephPage.app.data.current.outputs[3].geq)");
    const QString before = js(geqOf4).toString();
    QVERIFY(run("ZephPage.activate('library');var l=document.querySelectorAll('.library')[1];"
                "var s=l.querySelector('select');s.value='3';s.dispatchEvent(new Event('change'));"
                "l.querySelectorAll('.slot-row')[2].querySelectorAll('button')[1].click()"));
    QVERIFY(js(geqOf4).toString() != before);
    QTRY_VERIFY_WITH_TIMEOUT(m_device->zephDataCurrent() != recalled, 5000);
    const QString applied = m_device->zephDataCurrent();
    QVERIFY(js("ZephPage.undo()").toBool());
    QCOMPARE(js(geqOf4).toString(), before);
    QTRY_COMPARE_WITH_TIMEOUT(m_device->zephDataCurrent(), recalled, 5000);
    QVERIFY(js("ZephPage.redo()").toBool());
    QTRY_COMPARE_WITH_TIMEOUT(m_device->zephDataCurrent(), applied, 5000);

    // Three steps in all: the apply, the recall, the gain.
    QCOMPARE(walkAll("undo"), 3);
    QTRY_COMPARE_WITH_TIMEOUT(m_device->zephDataCurrent(), start, 5000);
}

// More steps than a hundred, each a key pressed and released on the fader: all of them
// undo, and the device ends where it began; all of them redo.
void TestPageEdits::manyStepsUndoToTheStart()
{
    openPage();
    const QString start = m_device->zephDataCurrent();
    const int steps = 130; // the last ten below -60 dB, where the fader steps 2 dB
    QVERIFY(
        run(QStringLiteral("var f=document.querySelector('#section-inputs .group.fader .slider');"
                           "for(var i=0;i<%1;++i){f.dispatchEvent(new KeyboardEvent('keydown',"
                           "{key:'ArrowDown',bubbles:true}));f.dispatchEvent(new KeyboardEvent("
                           "'keyup',{key:'ArrowDown',bubbles:true}));}")
                .arg(steps)));
    QTRY_VERIFY_WITH_TIMEOUT(currentAt("inputs/0/fader_db").toDouble() < -60, 5000);
    QCOMPARE(walkAll("undo"), steps);
    // (Calling the page's getter here would pass for the application's fetch.)
    QTRY_COMPARE_WITH_TIMEOUT(m_device->zephDataCurrent(), start, 5000);
    QCOMPARE(walkAll("redo"), steps);
    QTRY_COMPARE_WITH_TIMEOUT(currentAt("inputs/0/fader_db").toDouble(), -80.0, 5000);
}

void TestPageEdits::graphicEqFadersStandUnderTheirBands_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("1152 px") << 1152;
    QTest::newRow("400 px") << 400;
}

// One band raised at a time: where its curve peaks on the plot, read from the canvas's
// pixels, is where its fader's thumb stands.
void TestPageEdits::graphicEqFadersStandUnderTheirBands()
{
    QFETCH(int, width);
    openPage();
    m_view->resize(width, 700);
    QVERIFY(run("ZephPage.activate('outputs/1');var t=document.querySelector("
                "'.group.geq .toggle');if(t.getAttribute('aria-pressed')!='true')t.click()"));
    QVERIFY(waitFor(
        QStringLiteral("document.querySelector('canvas.geq-plot').clientWidth>%1").arg(width / 2)));
    const QString measure = QStringLiteral(
        "(function(band){var g=ZephPage.app.data.current.outputs[0].geq;"
        "g.bands.forEach(function(b,i){b.gain_db=i==band?12:0;});ZephPage.refresh();"
        "return new Promise(function(done){requestAnimationFrame(function(){"
        "requestAnimationFrame(function(){"
        "var c=document.querySelector('canvas.geq-plot');var r=c.getBoundingClientRect();"
        "var k=c.width/r.width;var d=c.getContext('2d').getImageData(0,0,c.width,c.height).data;"
        "var top=-1,xs=[];for(var y=0;y<c.height&&top<0;++y){for(var x=0;x<c.width;++x){"
        "var p=(y*c.width+x)*4;if(d[p]>200&&d[p+1]>200&&d[p+2]>200){top=y;xs.push(x);}}}"
        "var peak=(xs[0]+xs[xs.length-1])/2/k+r.left;"
        "var t=document.querySelectorAll('.geq-band .thumb')[band].getBoundingClientRect();"
        "done(JSON.stringify([peak,t.left+t.width/2]));});});});})(%1)");
    for (int band : {0, 3, 6, 11}) {
        // runJavaScript hands back no promise: the result is parked on the window.
        QVERIFY(
            run("window.geqAt=null;" + measure.arg(band) + ".then(function(v){window.geqAt=v;})"));
        QVERIFY(waitFor("window.geqAt", 5000));
        const QJsonArray xs =
            QJsonDocument::fromJson(js("window.geqAt").toString().toUtf8()).array();
        const double peak = xs.at(0).toDouble();
        const double fader = xs.at(1).toDouble();
        QVERIFY2(qAbs(peak - fader) <= 4,
                 qPrintable(QStringLiteral("band %1: peak at x=%2, fader at x=%3")
                                .arg(band + 1)
                                .arg(peak)
                                .arg(fader)));
    }
}

QTEST_MAIN(TestPageEdits)
#include "tst_pageedits.moc"
