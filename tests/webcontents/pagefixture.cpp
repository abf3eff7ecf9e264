#include "pagefixture.h"

#include "defaultmixerdata.h"
#include "tempprofile.h"

#include "models/qovprojectdatamodel.h"
#include "webpage/qovzephsettingview.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEngineView>
#include <QtTest>

QString factoryText(const QString &model, int target, int bank)
{
    return QString::fromStdString(velmora::sim::defaultDataSet(model.toStdString(), target, bank));
}

QJsonObject parse(const QString &text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

QJsonValue valueAt(const QString &text, const QString &path)
{
    QJsonValue value = parse(text);
    for (const QString &step : path.split(QLatin1Char('/'))) {
        bool isIndex = false;
        const int index = step.toInt(&isIndex);
        value = isIndex ? value.toArray().at(index) : value.toObject().value(step);
    }
    return value;
}

QString compact(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void PageFixture::setUpProject()
{
    m_profile = new TempProfile;
    m_window = new FakeMainWindow;
    m_window->resize(1152, 640);
    m_project = new QovProjectDataModel;
    m_project->setSavePath(m_profile->path() + QStringLiteral("/pages.vlmproj"));
    m_window->setProjectData(m_project);
    // The page under test is the project's first device.
    m_window->setCurrentPage(1);
}

void PageFixture::tearDownProject()
{
    delete m_view;
    m_view = nullptr;
    delete m_window;
    m_window = nullptr;
    delete m_project;
    m_project = nullptr;
    m_device.reset();
    delete m_profile;
    m_profile = nullptr;
}

// A project with one device of `model`, holding the simulator's factory texts (or nothing),
// whose page is shown and has its data on screen.
void PageFixture::openPage(const QString &model, bool factoryData, const QStringList &laterDevices)
{
    m_device = std::make_shared<QovAppDeviceModelInternal>();
    m_device->setDeviceType(model == QStringLiteral("ZEPH-2208NET") ? QovDeviceSelector::ZEPH2208NET
                                                                    : QovDeviceSelector::ZEPH2208);
    m_device->setDeviceName(QStringLiteral("Stage"));
    m_device->setDeviceId(7);
    if (factoryData) {
        // Factory banks past the first few are identical; a name of their own lets a page that
        // hands out the wrong bank show it.
        const auto bankText = [&model](int target, int bank) {
            QJsonObject object = parse(factoryText(model, target, bank));
            if (object.value(QStringLiteral("name")).toString().isEmpty()) {
                object.insert(QStringLiteral("name"), QStringLiteral("Bank %1").arg(bank + 1));
            }
            return compact(object);
        };
        QStringList presets, partials;
        for (int bank = 0; bank < 8; ++bank) {
            presets << bankText(2, bank);
        }
        for (int bank = 0; bank < 40; ++bank) {
            partials << bankText(6, bank);
        }
        m_device->setZephDataPreset(presets);
        m_device->setZephDataPartialPreset(partials);
        m_device->setZephData12BandEq(factoryText(model, 3));
        m_device->setZephData4BandEq(factoryText(model, 4));
        m_device->setZephDataCurrent(factoryText(model, 7));
    }
    QVERIFY(m_project->addDevice(m_device));
    for (const QString &name : laterDevices) {
        auto other = std::make_shared<QovAppDeviceModelInternal>();
        other->setDeviceName(name);
        other->setHeaderColor(3);
        QVERIFY(m_project->addDevice(other));
    }
    m_project->setIsEdited(false);

    QElapsedTimer timer;
    timer.start();
    m_view = new QovZephSettingView(m_device, 1, m_window);
    m_view->show();
    QVERIFY(m_view->webView());
    QVERIFY(waitReady());
    m_loadMs = timer.elapsed();
}

QVariant PageFixture::js(const QString &script)
{
    return pagetest::evalJs(m_view->webView()->page(), script);
}

bool PageFixture::click(const QString &selector)
{
    return run(QStringLiteral("document.querySelector(%1).click()").arg(jsString(selector)));
}

bool PageFixture::waitReady()
{
    return waitFor(QStringLiteral("!!document.body && document.body.classList.contains('ready')"),
                   20000);
}

bool PageFixture::waitFor(const QString &condition, int timeoutMs)
{
    const QString script = QStringLiteral("!!(%1)").arg(condition);
    return QTest::qWaitFor([&] { return js(script).toBool(); }, timeoutMs);
}

// Types into a text field as a user would: its value changes and it hears an input event.
void PageFixture::setField(const QString &selector, const QString &text)
{
    const QString script = QStringLiteral("(function(){var f=document.querySelector(%1);"
                                          "f.focus();f.value=%2;"
                                          "f.dispatchEvent(new Event('input',{bubbles:true}));"
                                          "return true;})()")
                               .arg(jsString(selector), jsString(text));
    QVERIFY2(js(script).toBool(), qPrintable(selector));
}

// Keys pressed on a control; returns what the control then shows (its value or its state).
QString PageFixture::press(const QString &selector, const QString &key, int times)
{
    return js(QStringLiteral(
                  "(function(){var c=document.querySelector(%1);c.focus();"
                  "for(var i=0;i<%3;++i)c.dispatchEvent(new KeyboardEvent('keydown',"
                  "{key:%2,bubbles:true,cancelable:true}));"
                  "return c.getAttribute('aria-valuetext')||c.getAttribute('aria-pressed')"
                  "||c.value;})()")
                  .arg(jsString(selector), jsString(key))
                  .arg(times))
        .toString();
}
