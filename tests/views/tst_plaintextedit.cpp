#include "views/qplaintexteditwitheditedsignal.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

namespace {

void insertAt(QPlainTextEdit &edit, int position, const QString &text, bool paste)
{
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(position);
    edit.setTextCursor(cursor);
    if (paste) {
        QApplication::clipboard()->setText(text);
        edit.paste();
    } else {
        QTest::keyClicks(&edit, text);
    }
}

} // namespace

// The multi-line editor keeps its text within the validator and the length limit whatever the
// user types or pastes, and reports the end of editing like a line edit.
class TestPlainTextEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lengthLimitCutsBeforeCursor_data();
    void lengthLimitCutsBeforeCursor();
    void rejectedCharacterIsRemovedAlone_data();
    void rejectedCharacterIsRemovedAlone();
    void noLimitsNeverRemoveText();
    void leavingEmitsEditingFinishedOnce_data();
    void leavingEmitsEditingFinishedOnce();
};

void TestPlainTextEdit::lengthLimitCutsBeforeCursor_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<int>("limit");
    QTest::addColumn<QString>("result");

    QTest::newRow("paste in the middle drops its own tail")
        << "aaaa" << 2 << "XYZW" << 6 << "aaXYaa";
}

void TestPlainTextEdit::lengthLimitCutsBeforeCursor()
{
    QFETCH(QString, start);
    QFETCH(int, position);
    QFETCH(QString, pasted);
    QFETCH(int, limit);

    QPlainTextEditWithEditedSignal edit;
    edit.setPlainText(start);
    edit.setMaxLength(limit);
    insertAt(edit, position, pasted, true);
    QTEST(edit.toPlainText(), "result");
}

void TestPlainTextEdit::rejectedCharacterIsRemovedAlone_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");

    QTest::newRow("between accepted ones") << "xy" << 1 << QString("ab!cd") << "xabcdy";
}

void TestPlainTextEdit::rejectedCharacterIsRemovedAlone()
{
    QFETCH(QString, start);
    QFETCH(int, position);
    QFETCH(QString, typed);

    QRegularExpressionValidator lettersOnly(QRegularExpression(QStringLiteral("[a-z]*")));
    QPlainTextEditWithEditedSignal edit;
    edit.setPlainText(start);
    edit.setValidator(&lettersOnly);
    insertAt(edit, position, typed, false);
    QTEST(edit.toPlainText(), "result");
}

void TestPlainTextEdit::noLimitsNeverRemoveText()
{
    QPlainTextEditWithEditedSignal edit;
    QCOMPARE(edit.maxLength(), -1);
    const QString text = QString(5000, QLatin1Char('x')) + QStringLiteral("!?\n\t#");
    insertAt(edit, 0, text, true);
    insertAt(edit, 3, QStringLiteral("!@#"), false);
    QCOMPARE(edit.toPlainText(), text.left(3) + QStringLiteral("!@#") + text.mid(3));
}

void TestPlainTextEdit::leavingEmitsEditingFinishedOnce_data()
{
    QTest::addColumn<bool>("byMouse");
    QTest::newRow("keyboard") << false;
    QTest::newRow("mouse") << true;
}

void TestPlainTextEdit::leavingEmitsEditingFinishedOnce()
{
    QFETCH(bool, byMouse);

    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    auto *edit = new QPlainTextEditWithEditedSignal(&window);
    // Tab moves focus out of the editor instead of inserting a tab character.
    edit->setTabChangesFocus(true);
    auto *other = new QLineEdit(&window);
    layout->addWidget(edit);
    layout->addWidget(other);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());

    QSignalSpy finished(edit, &QPlainTextEditWithEditedSignal::editingFinished);
    QTest::keyClicks(edit, QStringLiteral("hello"));
    QCOMPARE(finished.count(), 0);
    if (byMouse) {
        QTest::mouseClick(other, Qt::LeftButton);
    } else {
        QTest::keyClick(edit, Qt::Key_Tab);
    }
    QTRY_VERIFY(other->hasFocus());
    QCOMPARE(finished.count(), 1);
}

QTEST_MAIN(TestPlainTextEdit)
#include "tst_plaintextedit.moc"
