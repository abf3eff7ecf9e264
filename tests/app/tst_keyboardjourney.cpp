// The main journey with the keyboard alone, against simulated mixers in the private network:
// every step is a key pressed on the widget that has the focus (or on the open menu), never a
// click and never a call into the window.
#include "activewindow.h"
#include "app/qovmainwindow.h"
#include "appwindows.h"
#include "dialogs/qovabstractpopup.h"
#include "dialogs/qovaddonlinedevicedialog.h"
#include "dialogs/qovdevicesettingdialog.h"
#include "discovery/qovonlinedevicefinder.h"
#include "logcollector.h"
#include "models/qovautosaver.h"
#include "models/qovprojectdatamodel.h"
#include "simulatedmixers.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

const QByteArray kConfig = R"({ "mixers": [
  { "address": "127.0.0.2", "model": "ZEPH-2208", "name": "Monitor", "deviceId": 4,
    "serial": 6002 },
  { "address": "127.0.0.3", "model": "ZEPH-2208", "name": "Stage", "deviceId": 5,
    "serial": 6003 }
] })";

// Where keys go: an open menu takes them, else the focused widget.
QWidget *keyTarget()
{
    QWidget *popup = QApplication::activePopupWidget();
    return popup ? popup : QApplication::focusWidget();
}

QString describeFocus()
{
    QWidget *target = keyTarget();
    if (!target) {
        return QStringLiteral("nothing has the focus");
    }
    const auto *button = qobject_cast<QAbstractButton *>(target);
    return QString::fromLatin1(target->metaObject()->className()) + QLatin1Char('#') +
           target->objectName() + QLatin1Char(' ') +
           (button ? button->text() : target->accessibleName()) + QStringLiteral(" in ") +
           target->window()->windowTitle();
}

// The steps run from a timer, one after the other, each when its window is up: the steps that
// open a modal dialog or a menu do not return until it closes, and the later steps run in the
// dialog's own event loop meanwhile.
class KeyScript : public QObject
{
public:
    struct Step
    {
        QString name;
        std::function<bool()> ready;
        std::function<void()> act;
    };

    KeyScript()
    {
        m_timer.setInterval(30);
        connect(&m_timer, &QTimer::timeout, this, &KeyScript::poll);
    }

    void then(const QString &name, std::function<bool()> ready, std::function<void()> act)
    {
        m_steps.append({name, std::move(ready), std::move(act)});
    }

    // Runs every step; empty, else the name of the step that never came (or failed).
    QString run(int timeoutMs)
    {
        m_deadline = QDeadlineTimer(timeoutMs);
        m_timer.start();
        while (!m_steps.isEmpty() && m_failure.isEmpty() && !m_deadline.hasExpired()) {
            QTest::qWait(20);
        }
        // Let the poll close what is still open.
        for (int i = 0;
             i < 50 && (QApplication::activeModalWidget() || QApplication::activePopupWidget());
             ++i) {
            QTest::qWait(40);
        }
        m_timer.stop();
        failIfPending();
        // Whatever is still open must not keep the test waiting.
        while (QWidget *modal = QApplication::activeModalWidget()) {
            modal->close();
            QTest::qWait(20);
        }
        return m_failure;
    }

    void fail(const QString &why)
    {
        if (m_failure.isEmpty()) {
            m_failure = why;
        }
    }

    // Tab until `wanted` says the focus is right; fails the script after `limit` presses.
    bool tabTo(const QString &what, const std::function<bool(QWidget *)> &wanted, int limit = 40)
    {
        for (int i = 0; i < limit; ++i) {
            if (QApplication::focusWidget() && wanted(QApplication::focusWidget())) {
                return true;
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        fail(QStringLiteral("Tab never reaches %1 (focus: %2)").arg(what, describeFocus()));
        return false;
    }

private:
    void failIfPending()
    {
        if (!m_steps.isEmpty()) {
            fail(QStringLiteral("never ready: %1 (focus: %2)")
                     .arg(m_steps.first().name, describeFocus()));
        }
    }

    void poll()
    {
        // A failed or late script ends what it opened, so that the test returns from it.
        if (!m_failure.isEmpty() || m_deadline.hasExpired()) {
            failIfPending();
            if (QWidget *open = QApplication::activePopupWidget()) {
                open->close();
            } else if (QWidget *modal = QApplication::activeModalWidget()) {
                modal->close();
            }
            return;
        }
        // What a window manager does: the window that just opened gets the keyboard.
        QWidget *top = QApplication::activePopupWidget();
        top = top ? top : QApplication::activeModalWidget();
        if (!top && !visibleWindows<QovMainWindow>().isEmpty()) {
            top = visibleWindows<QovMainWindow>().last();
        }
        if (top && top->isVisible() && !top->isActiveWindow()) {
            velmora::test::makeActiveWindow(top);
        }
        if (m_steps.isEmpty() || !m_failure.isEmpty() || !m_steps.first().ready()) {
            return;
        }
        const Step step = m_steps.takeFirst();
        if (!keyTarget()) {
            fail(step.name + QStringLiteral(": no widget has the focus"));
            return;
        }
        // From a timer of its own: a step that opens a dialog stays inside it, and this timer
        // must go on firing there for the next step.
        QTimer::singleShot(0, this, step.act);
    }

    QTimer m_timer;
    QDeadlineTimer m_deadline;
    QList<Step> m_steps;
    QString m_failure;
};

template<typename Dialog>
Dialog *activeModal()
{
    auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget());
    return dialog && dialog->isVisible() && dialog->isActiveWindow() ? dialog : nullptr;
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(keyTarget(), key, modifiers);
}

} // namespace

class TestKeyboardJourney : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void initTestCase();
    void newProjectToSavedFileWithKeysOnly();

private:
    std::unique_ptr<TempProfile> m_profile;
    std::unique_ptr<MixerSimProcess> m_sim;
};

void TestKeyboardJourney::initTestCase()
{
    LogCollector::install();
    const QString problem = startSimulatedMixers(
        "[Debug]\nhttp_timeout_ms=2000\nkeepalive_interval=1\n", kConfig, &m_profile, &m_sim);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QovOnlineDeviceFinder::instance()->start();
    QTRY_COMPARE_WITH_TIMEOUT(QovOnlineDeviceFinder::instance()->getAll().size(), 2, 20000);
}

void TestKeyboardJourney::newProjectToSavedFileWithKeysOnly()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString savePath = folder.filePath(QStringLiteral("keys.vlmproj"));
    auto *window = new QovMainWindow();
    QPointer<QovMainWindow> guard(window);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    // Without a window manager nobody activates a window; the script does it as one would.
    velmora::test::makeActiveWindow(window);
    QTRY_VERIFY(window->isActiveWindow());

    KeyScript script;
    const auto windowActive = [window] {
        return !QApplication::activeModalWidget() && window->isActiveWindow();
    };
    const auto isDeviceList = [](QWidget *w) {
        return w->objectName() == QStringLiteral("dialog-device-list");
    };
    script.then(QStringLiteral("new project (Ctrl+N)"), windowActive,
                [] { press(Qt::Key_N, Qt::ControlModifier); });

    script.then(
        QStringLiteral("New Project: title, then Add Online Device"),
        [] { return activeModal<QovDeviceSettingDialog>() != nullptr; },
        [&script] {
            script.tabTo(QStringLiteral("the title"), [](QWidget *w) {
                return w->accessibleName() == QStringLiteral("Project Name");
            });
            press(Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(keyTarget(), QStringLiteral("Keys Show"));
            if (script.tabTo(QStringLiteral("Add Online Device"), [](QWidget *w) {
                    auto *b = qobject_cast<QPushButton *>(w);
                    return b && b->text().trimmed() == QStringLiteral("Add Online Device");
                })) {
                press(Qt::Key_Space);
            }
        });

    script.then(
        QStringLiteral("Add Online Device: tick both mixers, Enter"),
        [] {
            auto *dialog = activeModal<QovAddOnlineDeviceDialog>();
            return dialog && dialog->shownDevices().size() == 2;
        },
        [&script, isDeviceList] {
            auto *dialog = activeModal<QovAddOnlineDeviceDialog>();
            if (!script.tabTo(QStringLiteral("the mixer list"), isDeviceList)) {
                return;
            }
            press(Qt::Key_Home);
            press(Qt::Key_Space);
            press(Qt::Key_Down);
            press(Qt::Key_Space);
            for (const auto &device : dialog->shownDevices()) {
                if (!device->selected()) {
                    script.fail(QStringLiteral("Space in the list did not tick ") +
                                device->deviceName());
                    return;
                }
            }
            press(Qt::Key_Return);
            if (dialog->isVisible() || dialog->result() != QDialog::Accepted) {
                script.fail(QStringLiteral("Return did not add the ticked mixers"));
            }
        });

    script.then(
        QStringLiteral("New Project: Enter from the device list"),
        [] {
            auto *dialog = activeModal<QovDeviceSettingDialog>();
            return dialog && dialog->entries().size() == 2;
        },
        [&script, isDeviceList] {
            auto *dialog = activeModal<QovDeviceSettingDialog>();
            if (script.tabTo(QStringLiteral("the device list"), isDeviceList)) {
                press(Qt::Key_Return);
            }
            if (dialog->isVisible()) {
                script.fail(QStringLiteral("Return did not end the New Project dialog"));
            }
        });

    const auto connectedProject = [window] {
        QovProjectDataModel *project = window->projectData();
        const auto devices = project ? project->appDevices() : QVector<QovAppDeviceModel>();
        if (!project || project->projectName() != QStringLiteral("Keys Show") ||
            devices.size() != 2 || window->isBusy() ||
            !std::all_of(devices.cbegin(), devices.cend(), [](const QovAppDeviceModel &device) {
                return device->status() == QovAppDeviceModelInternal::CONNECTED;
            })) {
            return false;
        }
        auto *list = window->findChild<QListWidget *>();
        return list && list->count() == 2 && list->hasFocus() && !QApplication::activeModalWidget();
    };
    script.then(QStringLiteral("project page: status menu with Shift+F10"), connectedProject,
                [] { press(Qt::Key_F10, Qt::ShiftModifier); });
    script.then(
        QStringLiteral("status menu open: it offers Disconnect; Escape"),
        [] { return qobject_cast<QMenu *>(QApplication::activePopupWidget()) != nullptr; },
        [&script] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QStringList shown;
            for (QAction *action : menu->actions()) {
                if (action->isVisible()) {
                    shown << action->text();
                }
            }
            if (shown != QStringList{QStringLiteral("Disconnect")}) {
                script.fail(QStringLiteral("status menu shows ") + shown.join(QLatin1Char(',')));
            }
            press(Qt::Key_Escape);
        });

    script.then(
        QStringLiteral("project page: Down, Enter opens the second device's page"),
        [window] { return !QApplication::activePopupWidget() && window->isActiveWindow(); },
        [] {
            press(Qt::Key_Down);
            press(Qt::Key_Return);
        });

    script.then(
        QStringLiteral("settings page shown: save (Ctrl+S)"),
        [window] { return window->currentIndex() == 2 && window->isActiveWindow(); },
        [] { press(Qt::Key_S, Qt::ControlModifier); });

    script.then(
        QStringLiteral("file dialog: type the path, Enter"),
        [] { return activeModal<QFileDialog>() != nullptr; },
        [savePath] {
            QTest::keyClicks(keyTarget(), savePath);
            // The name field's completion list, if it is still open, goes first.
            if (QApplication::activePopupWidget()) {
                press(Qt::Key_Escape);
            }
            press(Qt::Key_Return);
        });

    script.then(
        QStringLiteral("saved: main menu (F10)"),
        [window, savePath, windowActive] {
            return QFileInfo::exists(savePath) && windowActive() &&
                   window->projectData()->savePath() == savePath;
        },
        [] { press(Qt::Key_F10); });

    script.then(
        QStringLiteral("main menu open: Up to its last entry, Exit; Enter"),
        [] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            return menu && menu->objectName() == QStringLiteral("mainMenu");
        },
        [&script] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            press(Qt::Key_Up);
            const QAction *chosen = menu->activeAction();
            if (!chosen || chosen->text() != QStringLiteral("Exit")) {
                script.fail(QStringLiteral("Up in the main menu chose ") +
                            (chosen ? chosen->text() : QStringLiteral("nothing")));
                return;
            }
            press(Qt::Key_Return);
        });

    script.then(
        QStringLiteral("Really exit: Enter"),
        [] { return activeModal<QovAbstractPopup>() != nullptr; },
        [&script] {
            // A saved project is not asked about again.
            const QString title = activeModal<QovAbstractPopup>()->title();
            if (title != QStringLiteral("Exit")) {
                script.fail(QStringLiteral("exit asked: ") + title);
            }
            press(Qt::Key_Return);
        });

    const QString failed = script.run(120000);
    if (guard && guard->projectData()) {
        guard->projectData()->setIsEdited(false);
    }
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    QTRY_VERIFY(!guard || !guard->isVisible());
    QVERIFY(QFileInfo(savePath).size() > 0);
    delete guard.data();
}

QTEST_MAIN(TestKeyboardJourney)
#include "tst_keyboardjourney.moc"
