// Every dialog and popup with the keyboard alone: Tab reaches each enabled control once, in an
// order that follows the window, the dialog's own buttons last, and each stop shows the focus;
// Escape closes without a result; Enter takes the default button.
#include "activewindow.h"
#include "contrast.h"
#include "dialogs/qovabstractpopup.h"
#include "dialogs/qovaddonlinedevicedialog.h"
#include "dialogs/qovconfirmpopup.h"
#include "dialogs/qovconfirmsavepopup.h"
#include "dialogs/qovconnectdevicedialog.h"
#include "dialogs/qovdevicesettingdialog.h"
#include "dialogs/qoverrorpopup.h"
#include "dialogs/qovprogramsettingsdialog.h"
#include "dialogs/qovprojectmetadatadialog.h"
#include "dialogs/qovreconnectdevicedialog.h"
#include "dialogs/qovrestorepopup.h"
#include "dialogs/qovversioninfodialog.h"
#include "modalanswerer.h"
#include "models/qovautosaver.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovtextfile.h"
#include "projectentries.h"
#include "tempprofile.h"

#include <QAccessible>
#include <QApplication>
#include <QDateTime>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>

using MakeDialog = std::function<QDialog *()>;
Q_DECLARE_METATYPE(MakeDialog)

namespace {

// The project the dialog under test edits; let go of before the application, since a project
// going away may still write its autosave copy.
std::unique_ptr<QovProjectDataModel> project;

// Leaks nothing: each test deletes the dialog, and the project goes at the end.
QovProjectDataModel *projectOf(int devices)
{
    project = std::make_unique<QovProjectDataModel>();
    project->setProjectName(QStringLiteral("Keys"));
    for (int i = 0; i < devices; ++i) {
        project->addDevice(unboundDevice(QStringLiteral("Mixer %1").arg(i + 1)));
    }
    return project.get();
}

QString nameOf(const QWidget *widget)
{
    const auto *button = qobject_cast<const QAbstractButton *>(widget);
    const QString label =
        button && !button->text().isEmpty() ? button->text() : widget->accessibleName();
    QString name = QString::fromLatin1(widget->metaObject()->className());
    if (!widget->objectName().isEmpty()) {
        name += QLatin1Char('#') + widget->objectName();
    }
    return label.isEmpty() ? name : name + QStringLiteral(" \"") + label + QLatin1Char('"');
}

// The controls a user can reach: shown, enabled, taking Tab, and not inside another control.
QList<QWidget *> reachableControls(QWidget *dialog)
{
    QList<QWidget *> controls;
    for (QWidget *widget : dialog->findChildren<QWidget *>()) {
        if (widget->window() != dialog || !widget->isVisible() || !widget->isEnabled() ||
            !(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy()) {
            continue;
        }
        bool inner = false;
        for (QWidget *up = widget->parentWidget(); up && up != dialog; up = up->parentWidget()) {
            inner = inner || ((up->focusPolicy() & Qt::TabFocus) &&
                              !qobject_cast<QAbstractScrollArea *>(up) && up->isEnabled());
        }
        if (!inner) {
            controls.append(widget);
        }
    }
    return controls;
}

// One full round of Tab from where the dialog put the focus, each stop once.
QList<QWidget *> tabRound(QWidget *dialog, int limit)
{
    QList<QWidget *> stops;
    QWidget *first = QApplication::focusWidget();
    if (first) {
        stops.append(first);
    }
    for (int i = 0; i < limit; ++i) {
        QWidget *focused = QApplication::focusWidget();
        if (!focused || focused->window() != dialog) {
            break;
        }
        QTest::keyClick(focused, Qt::Key_Tab);
        QWidget *next = QApplication::focusWidget();
        if (!next || next == first) {
            break;
        }
        stops.append(next);
    }
    return stops;
}

bool shown(QDialog *dialog)
{
    dialog->show();
    velmora::test::makeActiveWindow(dialog);
    dialog->activateWindow();
    return QTest::qWaitForWindowActive(dialog);
}

} // namespace

class TestDialogKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qApp->setStyleSheet(loadTextFile(":/styles.qss")); }
    // A project destroyed with the statics, after the application, wrote its autosave copy
    // into freed memory: the test crashed at its exit.
    void cleanupTestCase()
    {
        project.reset();
        QovAutosaver::waitForAllWrites();
    }
    void tabReachesEveryControlInOrder_data();
    void tabReachesEveryControlInOrder();
    void everyStopShowsTheFocus_data();
    void everyStopShowsTheFocus();
    void emptiedListPassesTheFocusOn();
    void escapeCloses_data();
    void escapeCloses();
    void enterTakesTheDefault();
    void directionIsARadioChoice();

private:
    void addDialogRows();

    TempProfile m_profile;
};

void TestDialogKeys::addDialogRows()
{
    QTest::addColumn<MakeDialog>("make");
    // The texts of the buttons that end the round, left to right.
    QTest::addColumn<QStringList>("lastButtons");
    // What Escape answers: a rejection, except where the popup gives it a meaning.
    QTest::addColumn<int>("escapeResult");
    const auto row = [](const char *name, const QStringList &lastButtons, const MakeDialog &make) {
        QTest::newRow(name) << make << lastButtons << int(QDialog::Rejected);
    };
    const QStringList okCancel{"OK", "Cancel"};
    row("metadata", okCancel, [] { return new QovProjectMetaDataDialog(projectOf(0)); });
    row("program settings", okCancel, [] { return new QovProgramSettingsDialog(); });
    row("new project", okCancel, [] { return new QovDeviceSettingDialog(); });
    row("device setting, rows", okCancel, [] { return new QovDeviceSettingDialog(projectOf(3)); });
    row("reconnect", okCancel, [] { return new QovReconnectDeviceDialog(unboundDevice("Entry")); });
    // No mixer answers here: the lists stay empty.
    row("add online, none found", {"Add", "Cancel"},
        [] { return new QovAddOnlineDeviceDialog(QovAddOnlineDeviceDialog::ADD, {}); });
    row("connect, none found", okCancel,
        [] { return new QovConnectDeviceDialog(unboundDevice("Entry")); });
    row("about", {}, [] { return new QovVersionInfoDialog(); });
    row("confirm", okCancel, [] { return new QovConfirmPopup("Exit", "Really exit?"); });
    row("confirm save", {"Save", "Don't Save", "Cancel"},
        [] { return new QovConfirmSavePopup("Caution", "Close?"); });
    row("error", {"OK"}, [] { return new QovErrorPopup("Error", "Failed."); });
    QTest::newRow("restore") << MakeDialog([] {
        return new QovRestorePopup("/tmp/show.vlmproj", QDateTime::currentDateTime());
    }) << QStringList() << int(QovRestorePopup::DISCARD);
}

void TestDialogKeys::tabReachesEveryControlInOrder_data()
{
    addDialogRows();
}

void TestDialogKeys::tabReachesEveryControlInOrder()
{
    QFETCH(MakeDialog, make);
    QFETCH(QStringList, lastButtons);
    std::unique_ptr<QDialog> dialog(make());
    QVERIFY(shown(dialog.get()));
    QTest::qWait(50);
    const QList<QWidget *> controls = reachableControls(dialog.get());
    const QList<QWidget *> stops = tabRound(dialog.get(), controls.size() + 4);

    QStringList missed;
    for (QWidget *control : controls) {
        if (!stops.contains(control)) {
            missed << nameOf(control);
        }
    }
    QVERIFY2(missed.isEmpty(), qPrintable("Tab never reaches: " + missed.join(", ")));
    QCOMPARE(stops.size(), controls.size());

    // From the stop after the last of the dialog's own buttons, the round reads as the
    // window does: rows of a list right after the list, in row order, then the buttons.
    QStringList order;
    QStringList texts; // a button's text, the name of anything else
    int lastButton = -1;
    for (int i = 0; i < stops.size(); ++i) {
        auto *button = qobject_cast<QPushButton *>(stops.at(i));
        order << nameOf(stops.at(i));
        texts << (button ? button->text().trimmed() : order.last());
        if (button && lastButtons.contains(texts.last())) {
            lastButton = i;
        }
    }
    const QList<QWidget *> round = stops.mid(lastButton + 1) + stops.mid(0, lastButton + 1);
    const QStringList ending = texts.mid(lastButton + 1) + texts.mid(0, lastButton + 1);
    QVERIFY2(ending.mid(ending.size() - lastButtons.size()) == lastButtons,
             qPrintable(order.join(" > ")));

    for (QListWidget *list : dialog->findChildren<QListWidget *>()) {
        const int at = round.indexOf(list);
        int rowAt = at;
        int lastRow = -1;
        for (int i = 0; i < list->count(); ++i) {
            QWidget *row = list->itemWidget(list->item(i));
            for (int s = 0; row && s < round.size(); ++s) {
                if (!row->isAncestorOf(round.at(s))) {
                    continue;
                }
                QVERIFY2(at >= 0 && s > at && s >= rowAt && i >= lastRow,
                         qPrintable(nameOf(round.at(s)) + " of row " + QString::number(i + 1) +
                                    " out of order: " + order.join(" > ")));
                rowAt = s;
                lastRow = i;
            }
        }
    }
}

void TestDialogKeys::everyStopShowsTheFocus_data()
{
    addDialogRows();
}

// A stop that looks the same with and without the focus loses the user: an empty list did.
void TestDialogKeys::everyStopShowsTheFocus()
{
    QFETCH(MakeDialog, make);
    std::unique_ptr<QDialog> dialog(make());
    QVERIFY(shown(dialog.get()));
    QTest::qWait(50);
    QStringList unseen;
    for (QWidget *stop : tabRound(dialog.get(), reachableControls(dialog.get()).size() + 4)) {
        const double contrast = velmora::test::focusContrast(stop);
        if (contrast < 3.0) {
            unseen << QStringLiteral("%1 (%2)").arg(nameOf(stop)).arg(contrast, 0, 'f', 2);
        }
    }
    QVERIFY2(unseen.isEmpty(), qPrintable("No visible focus on: " + unseen.join(", ")));
}

// The list had the keyboard when its last row went: the focus goes where Tab would take it.
void TestDialogKeys::emptiedListPassesTheFocusOn()
{
    QovDeviceSettingDialog dialog(projectOf(1));
    QVERIFY(shown(&dialog));
    auto *list = dialog.findChild<QListWidget *>(QStringLiteral("dialog-device-list"));
    list->setFocus(Qt::TabFocusReason);
    QCOMPARE(QApplication::focusWidget(), list);
    ModalAnswerer answerer;
    answerer.pressButton(QStringLiteral("OK"));
    dialog.deleteDevice(1);
    QVERIFY2(answerer.waitDone(), qPrintable(answerer.lastError()));
    QCOMPARE(list->count(), 0);
    QWidget *ok = dialog.findChild<QWidget *>(QStringLiteral("dialog-button-accept"));
    QTRY_COMPARE(dialog.focusWidget(), ok);
}

void TestDialogKeys::escapeCloses_data()
{
    addDialogRows();
}

void TestDialogKeys::escapeCloses()
{
    QFETCH(MakeDialog, make);
    std::unique_ptr<QDialog> dialog(make());
    QVERIFY(shown(dialog.get()));
    // From wherever the keyboard is after a step forward.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget *focused = QApplication::focusWidget();
    QVERIFY(focused && focused->window() == dialog.get());
    QTest::keyClick(focused, Qt::Key_Escape);
    QTRY_VERIFY(!dialog->isVisible());
    QFETCH(int, escapeResult);
    QCOMPARE(dialog->result(), escapeResult);
}

// Enter where no button has the focus means OK in a dialog, and only ends the text in a line
// edit: tst_keyboardjourney and tst_devicesettingdialog. The save question's default is Save.
// A direction is a choice like a radio button's: Enter on it confirms the dialog.
void TestDialogKeys::enterTakesTheDefault()
{
    QovConfirmSavePopup popup(QStringLiteral("Caution"), QStringLiteral("Close?"));
    QVERIFY(shown(&popup));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY(!popup.isVisible());
    QCOMPARE(popup.result(), int(QovConfirmSavePopup::SAVE));

    QovReconnectDeviceDialog direction;
    QVERIFY(shown(&direction));
    const auto choices =
        direction.findChildren<QPushButton *>(QStringLiteral("direction-selector-button"));
    QCOMPARE(choices.size(), 2);
    choices.last()->setFocus();
    QTest::keyClick(choices.last(), Qt::Key_Space);
    QTest::keyClick(choices.last(), Qt::Key_Return);
    QTRY_VERIFY(!direction.isVisible());
    QCOMPARE(direction.result(), int(QDialog::Accepted));
    QCOMPARE(direction.direction(), QovDirectionSelectorView::DEVICE_TO_APP);
}

// The two directions are one choice of two: read as radio buttons, one Tab stop, and the arrow
// keys move the choice as they do between radio buttons.
void TestDialogKeys::directionIsARadioChoice()
{
    QovReconnectDeviceDialog dialog;
    QVERIFY(shown(&dialog));
    QovDirectionSelectorView *selector = dialog.directionSelector();
    QWidget *toDevice = selector->appToDeviceButton();
    QWidget *toApp = selector->deviceToAppButton();
    const auto heard = [toDevice, toApp] {
        QStringList said;
        for (QWidget *choice : {toDevice, toApp}) {
            QAccessibleInterface *node = QAccessible::queryAccessibleInterface(choice);
            said << QStringLiteral("%1 %2 %3")
                        .arg(node->text(QAccessible::Name),
                             QMetaEnum::fromType<QAccessible::Role>().valueToKey(node->role()),
                             node->state().checked ? "checked" : "unchecked");
        }
        return said.join(QStringLiteral(", "));
    };
    QCOMPARE(heard(), "App to Device RadioButton checked, Device to App RadioButton unchecked");

    toDevice->setFocus(Qt::TabFocusReason);
    QTest::keyClick(toDevice, Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), toApp);
    QCOMPARE(selector->direction(), QovDirectionSelectorView::DEVICE_TO_APP);
    QCOMPARE(heard(), "App to Device RadioButton unchecked, Device to App RadioButton checked");
    QTest::keyClick(toApp, Qt::Key_Left);
    QCOMPARE(QApplication::focusWidget(), toDevice);
    QCOMPARE(selector->direction(), QovDirectionSelectorView::APP_TO_DEVICE);
    QTest::keyClick(toDevice, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != toApp);
}

QTEST_MAIN(TestDialogKeys)
#include "tst_dialogkeys.moc"
