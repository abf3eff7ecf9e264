// The real page with the real bridge, where what the page holds and what the device holds
// must agree: after the device takes back a text the page handed out earlier.
#include "models/qovautosaver.h"
#include "pagefixture.h"

#include "models/qovappdevicemodel.h"
#include "models/qovprojectdatamodel.h"
#include "webpage/qovjsapi.h"
#include "webpage/qovzephsettingview.h"

#include <QJsonArray>
#include <QtTest>

#include <thread>

namespace {

const QString gainSlider = QStringLiteral("#section-inputs .group.preamp .slider");
const QString stripGain =
    QStringLiteral("document.querySelector('.strip .strip-gain').textContent");

QJsonObject channel(const QString &current, int index)
{
    return parse(current).value(QStringLiteral("inputs")).toArray().at(index).toObject();
}

double gainOf(const QString &current)
{
    return channel(current, 0).value(QStringLiteral("gain_db")).toDouble();
}

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
};

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
    openPage(QStringLiteral("ZEPH-2208"));
    m_view->snapShot();
    const QString mute = QStringLiteral("#section-inputs .group.fader .toggle.mute");
    QVERIFY(
        js(QStringLiteral("document.querySelector(%1).click();true").arg(jsString(mute))).toBool());
    QTRY_VERIFY_WITH_TIMEOUT(
        channel(m_device->zephDataCurrent(), 0).value(QStringLiteral("mute")).toBool(), 5000);
    const QString muteOn = m_device->zephDataCurrent();
    QVERIFY(
        js(QStringLiteral("document.querySelector(%1).click();true").arg(jsString(mute))).toBool());
    QTRY_VERIFY_WITH_TIMEOUT(
        !channel(m_device->zephDataCurrent(), 0).value(QStringLiteral("mute")).toBool(), 5000);
    const QString muteOff = m_device->zephDataCurrent();
    QCOMPARE(press(gainSlider, QStringLiteral("ArrowUp")), QStringLiteral("39 dB"));
    QTRY_COMPARE_WITH_TIMEOUT(gainOf(m_device->zephDataCurrent()), 39.0, 5000);
    QVERIFY(waitFor(stripGain + QStringLiteral("=='39 dB'")));
    QVERIFY(muteOn != muteOff);

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
    QCOMPARE(gainOf(m_device->zephDataCurrent()), 38.0);
    QVERIFY2(waitFor(stripGain + QStringLiteral("=='38 dB'"), 5000),
             qPrintable(js(stripGain).toString()));
    QCOMPARE(js(QStringLiteral("getZephDataCurrent()")).toString(), muteOff);

    // The next edit starts from what the device holds.
    QCOMPARE(
        press(QStringLiteral("#section-inputs .group.fader .slider"), QStringLiteral("ArrowUp")),
        QStringLiteral("0.5 dB"));
    QTRY_COMPARE_WITH_TIMEOUT(
        channel(m_device->zephDataCurrent(), 0).value(QStringLiteral("fader_db")).toDouble(), 0.5,
        5000);
    QCOMPARE(gainOf(m_device->zephDataCurrent()), 38.0);

    // And a later return to a text handed out twice before shows as well.
    m_device->setZephDataCurrent(muteOn);
    QVERIFY(waitFor(QStringLiteral("document.querySelector(%1).getAttribute('aria-pressed')"
                                   "=='true'")
                        .arg(jsString(mute)),
                    5000));
}

QTEST_MAIN(TestPageEdits)
#include "tst_pageedits.moc"
