#include "dialogs/qovconfirmpopup.h"
#include "dialogs/qovconfirmsavepopup.h"
#include "dialogs/qoverrorpopup.h"
#include "dialogs/qovpopups.h"
#include "models/qovtextfile.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

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
    void escapeMeansCancel_data();
    void escapeMeansCancel();
    void releaseAloneDoesNothing();
    void buttonsShownAndNamed_data();
    void buttonsShownAndNamed();
    void longMessageGrowsDownward();
    void freeFunctionsRunModally();

private:
    static std::unique_ptr<QovAbstractPopup> makePopup(const QString &kind, const QString &message);
    static QPushButton *button(QWidget *popup, const QString &text);
    static QStringList visibleButtons(QWidget *popup);
};

std::unique_ptr<QovAbstractPopup> TestPopups::makePopup(const QString &kind, const QString &message)
{
    if (kind == "confirm") {
        return std::make_unique<QovConfirmPopup>("Disconnect", message);
    }
    if (kind == "save") {
        return std::make_unique<QovConfirmSavePopup>("Caution", message);
    }
    return std::make_unique<QovErrorPopup>("Error", message);
}

QPushButton *TestPopups::button(QWidget *popup, const QString &text)
{
    for (QPushButton *candidate : popup->findChildren<QPushButton *>()) {
        if (candidate->text() == text) {
            return candidate;
        }
    }
    return nullptr;
}

QStringList TestPopups::visibleButtons(QWidget *popup)
{
    QList<QPushButton *> shown;
    for (QPushButton *candidate : popup->findChildren<QPushButton *>()) {
        if (candidate->isVisible()) {
            shown << candidate;
        }
    }
    std::sort(shown.begin(), shown.end(),
              [](QPushButton *a, QPushButton *b) { return a->x() < b->x(); });
    QStringList texts;
    for (QPushButton *candidate : shown) {
        texts << candidate->text();
    }
    return texts;
}

void TestPopups::buttonPressGivesResult_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("result");
    QTest::newRow("save: Save") << "save"
                                << "Save" << 2;
    QTest::newRow("save: Don't Save") << "save"
                                      << "Don't Save" << 1;
    QTest::newRow("save: Cancel") << "save"
                                  << "Cancel" << 0;
    QTest::newRow("confirm: OK") << "confirm"
                                 << "OK" << 1;
    QTest::newRow("confirm: Cancel") << "confirm"
                                     << "Cancel" << 0;
    QTest::newRow("error: OK") << "error"
                               << "OK" << 1;
}

void TestPopups::buttonPressGivesResult()
{
    QFETCH(QString, kind);
    QFETCH(QString, text);
    auto popup = makePopup(kind, "message");
    popup->show();
    QVERIFY(QTest::qWaitForWindowExposed(popup.get()));
    popup->setResult(-1);
    QPushButton *target = button(popup.get(), text);
    QVERIFY(target && target->isVisible());
    QTest::mousePress(target, Qt::LeftButton);
    QTEST(popup->result(), "result");
    QVERIFY(!popup->isVisible());
}

void TestPopups::escapeMeansCancel_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("save") << "save";
    QTest::newRow("confirm") << "confirm";
}

void TestPopups::escapeMeansCancel()
{
    QFETCH(QString, kind);
    auto popup = makePopup(kind, "message");
    popup->show();
    QVERIFY(QTest::qWaitForWindowExposed(popup.get()));
    popup->setResult(-1);
    QTest::keyClick(popup.get(), Qt::Key_Escape);
    QCOMPARE(popup->result(), 0);
    QVERIFY(!popup->isVisible());
}

void TestPopups::releaseAloneDoesNothing()
{
    QovConfirmSavePopup popup("Caution", "message");
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup));
    popup.setResult(-1);
    QTest::mouseRelease(button(&popup, "Save"), Qt::LeftButton);
    QCOMPARE(popup.result(), -1);
    QVERIFY(popup.isVisible());
}

void TestPopups::buttonsShownAndNamed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("accept");
    QTest::newRow("save") << "save" << QStringList{"Save", "Don't Save", "Cancel"} << "Save";
    QTest::newRow("confirm") << "confirm" << QStringList{"OK", "Cancel"} << "OK";
    QTest::newRow("error") << "error" << QStringList{"OK"} << "OK";
}

void TestPopups::buttonsShownAndNamed()
{
    QFETCH(QString, kind);
    QFETCH(QString, accept);
    auto popup = makePopup(kind, "message");
    popup->show();
    QVERIFY(QTest::qWaitForWindowExposed(popup.get()));
    QTEST(visibleButtons(popup.get()), "shown");
    for (QPushButton *candidate : popup->findChildren<QPushButton *>()) {
        QCOMPARE(candidate->objectName(), candidate->text() == accept
                                              ? QStringLiteral("dialog-button-accept")
                                              : QStringLiteral("dialog-button-reject"));
        QCOMPARE(candidate->size(), QSize(96, 30));
    }
    QCOMPARE(popup->objectName(), QStringLiteral("popup-body"));
    QVERIFY(popup->windowFlags() & Qt::FramelessWindowHint);
    // Task switchers and the start-up test find the box by its title.
    QCOMPARE(popup->windowTitle(), popup->title());
    auto *title = popup->findChild<QLabel *>("popup-title");
    auto *message = popup->findChild<QLabel *>("popup-message");
    QVERIFY(title && message);
    QCOMPARE(title->text(), popup->title());
    QCOMPARE(message->text(), QStringLiteral("message\n"));
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
    // Every wrapped line fits: the label got at least the height its text needs.
    auto *message = longOne.findChild<QLabel *>("popup-message");
    QVERIFY(message->height() >= message->heightForWidth(message->width()));
    QVERIFY(message->geometry().bottom() < button(&longOne, "OK")->y());
}

void TestPopups::freeFunctionsRunModally()
{
    QString seenTitle;
    // Answers whatever modal box is open with the button of the given text.
    auto answer = [&seenTitle](const QString &text) {
        QTimer::singleShot(0, [&seenTitle, text] {
            QWidget *modal = QApplication::activeModalWidget();
            QVERIFY(modal);
            seenTitle = modal->windowTitle();
            QTest::mousePress(button(modal, text), Qt::LeftButton);
        });
    };
    answer("Save");
    QCOMPARE(qovAskBeforeClosing(), 2);
    QCOMPARE(seenTitle, QStringLiteral("Caution"));
    answer("Don't Save");
    QCOMPARE(qovAskBeforeClosing(), 1);
    answer("OK");
    qovShowError("Caution", "Velmora is already running");
    QCOMPARE(seenTitle, QStringLiteral("Caution"));
}

QTEST_MAIN(TestPopups)
#include "tst_popups.moc"
