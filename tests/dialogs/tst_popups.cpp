#include "dialogs/qovconfirmpopup.h"
#include "dialogs/qovconfirmsavepopup.h"
#include "dialogs/qoverrorpopup.h"
#include "dialogs/qovpartialcopypopup.h"
#include "dialogs/qovpopups.h"
#include "dialogs/qovrestorepopup.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovtextfile.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

std::unique_ptr<QovAbstractPopup> makePopup(const QString &kind)
{
    if (kind == "confirm") {
        return std::make_unique<QovConfirmPopup>("Disconnect", "message");
    }
    if (kind == "restore") {
        return std::make_unique<QovRestorePopup>("/d/show.vlmproj", QDateTime::currentDateTime());
    }
    if (kind == "partial") {
        return std::make_unique<QovPartialCopyPopup>("Stage", "127.0.0.2",
                                                     QVector<QovDataSlot>{{6, 17}});
    }
    if (kind == "save") {
        return std::make_unique<QovConfirmSavePopup>("Caution", "message");
    }
    return std::make_unique<QovErrorPopup>("Error", "message");
}

QPushButton *button(QWidget *popup, const QString &text)
{
    for (QPushButton *candidate : popup->findChildren<QPushButton *>()) {
        if (candidate->text() == text) {
            return candidate;
        }
    }
    return nullptr;
}

} // namespace

// Popups answer with fixed result codes that their callers switch on, react to the press of a
// button (not its release) and keep their width while long messages grow them downward.
class TestPopups : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The style sheet's larger fonts are what makes wrapped messages tall.
    void initTestCase() { qApp->setStyleSheet(loadTextFile(":/styles.qss")); }
    void buttonPressGivesResult_data();
    void buttonPressGivesResult();
    void longMessageGrowsDownward();
    void restoreQuestionNamesProjectAndTime();
};

void TestPopups::buttonPressGivesResult_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("result");
    const QString save("save"), confirm("confirm");
    QTest::newRow("save: Save") << save << "Save" << 2;
    QTest::newRow("save: Don't Save") << save << "Don't Save" << 1;
    QTest::newRow("save: Cancel") << save << "Cancel" << 0;
    QTest::newRow("confirm: OK") << confirm << "OK" << 1;
    QTest::newRow("confirm: Cancel") << confirm << "Cancel" << 0;
    QTest::newRow("error: OK") << QString("error") << "OK" << 1;
    // Dismissing the recovery question means Discard; 0 is left for a question nobody
    // answered because the program ended.
    const QString restore("restore");
    QTest::newRow("restore: Restore") << restore << "Restore" << 1;
    QTest::newRow("restore: Discard") << restore << "Discard" << 2;
    // Only the explicit button overwrites a mixer after a partial copy.
    const QString partial("partial");
    QTest::newRow("partial: Overwrite") << partial << "Overwrite" << 1;
    QTest::newRow("partial: Cancel") << partial << "Cancel" << 0;
    QTest::newRow("partial: Escape") << partial << "Escape" << 0;
}

void TestPopups::buttonPressGivesResult()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    auto popup = makePopup(kind);
    popup->show();
    QVERIFY(QTest::qWaitForWindowExposed(popup.get()));
    popup->setResult(-1);
    if (text == "Escape") {
        QTest::keyClick(popup.get(), Qt::Key_Escape);
    } else {
        // A press alone must answer: the popups react to pressed, not clicked.
        QPushButton *target = button(popup.get(), text);
        QVERIFY(target && target->isVisible());
        QTest::mousePress(target, Qt::LeftButton);
    }
    QTEST(popup->result(), "result");
    QVERIFY(!popup->isVisible());
}

void TestPopups::longMessageGrowsDownward()
{
    QovErrorPopup shortOne("Error", "One line.");
    QStringList lines;
    for (int i = 1; i <= 9; ++i) {
        lines << QStringLiteral("Line %1 of a report that is long enough to wrap once.").arg(i);
    }
    QovErrorPopup longOne("Error", lines.join('\n'));
    for (QovErrorPopup *popup : {&shortOne, &longOne}) {
        popup->move(100, 20);
        popup->show();
        QVERIFY(QTest::qWaitForWindowExposed(popup));
        QCOMPARE(popup->width(), 384);
        QVERIFY(popup->height() >= 178);
    }
    // A short message keeps the box near its minimum height.
    QVERIFY(shortOne.height() < 178 + 16);
    QVERIFY2(longOne.height() > shortOne.height() + 150,
             qPrintable(QString::number(longOne.height())));
    QCOMPARE(longOne.y(), shortOne.y());
    // Every wrapped line fits above the button.
    auto *message = longOne.findChild<QLabel *>("popup-message");
    QVERIFY(message->height() >= message->heightForWidth(message->width()));
    QVERIFY(message->geometry().bottom() < button(&longOne, "OK")->y());
}

void TestPopups::restoreQuestionNamesProjectAndTime()
{
    const QDateTime changedAt(QDate(2025, 3, 14), QTime(21, 47));
    const QString when = QLocale().toString(changedAt, QLocale::ShortFormat);
    const QString saved = QovRestorePopup::messageFor("/home/lee/show.vlmproj", changedAt);
    QVERIFY2(saved.contains("\"show.vlmproj\" from " + when), qPrintable(saved));
    QVERIFY2(!saved.contains("/home/lee"), qPrintable(saved));
    const QString replaced = QovRestorePopup::messageFor("/home/lee/show.vlmproj", changedAt, true);
    QVERIFY2(replaced.contains("the file has been changed since") &&
                 replaced.contains("Discard opens the file as it is now"),
             qPrintable(replaced));
    const QString fresh =
        QovRestorePopup::messageFor(QovProjectDataModel::defaultProjectPath(), changedAt);
    QVERIFY2(fresh.contains("the new project from " + when), qPrintable(fresh));
    QVERIFY2(!fresh.contains("vlm-default"), qPrintable(fresh));

    QTimer::singleShot(0, [] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        QCOMPARE(modal->windowTitle(), QStringLiteral("Unsaved Changes"));
        QTest::mousePress(button(modal, "Restore"), Qt::LeftButton);
    });
    QCOMPARE(qovAskToRestore("/home/lee/show.vlmproj", changedAt), int(QovRestorePopup::RESTORE));
}

QTEST_MAIN(TestPopups)
#include "tst_popups.moc"
