#include "views/qovprogressview.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QPushButton>
#include <QShortcut>
#include <QtTest>

// The busy overlay must darken and block the whole window it covers, whatever the window's
// size was when it was made.
class TestProgressView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void coversCurrentWindowArea_data();
    void coversCurrentWindowArea();
    void keepsKeyboardAndLateWidgetsAway();
};

void TestProgressView::coversCurrentWindowArea_data()
{
    QTest::addColumn<bool>("resizeWhileShown");
    QTest::newRow("resized while hidden") << false;
    QTest::newRow("resized while shown") << true;
}

void TestProgressView::coversCurrentWindowArea()
{
    QFETCH(bool, resizeWhileShown);

    QWidget window;
    window.resize(400, 300);
    auto *overlay = new QovProgressView(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Made hidden, with its animation already running. (Its shade: tst_dialogstyle.)
    QVERIFY(!overlay->isVisible());
    auto *animation = overlay->findChild<QLabel *>();
    QVERIFY(animation && animation->movie());
    QCOMPARE(animation->movie()->state(), QMovie::Running);
    overlay->show();
    QCOMPARE(overlay->geometry(), window.rect());
    if (!resizeWhileShown) {
        overlay->hide();
    }
    window.resize(640, 480);
    QTRY_COMPARE(window.size(), QSize(640, 480));
    overlay->show();
    QCOMPARE(overlay->geometry(), QRect(0, 0, 640, 480));
}

void TestProgressView::keepsKeyboardAndLateWidgetsAway()
{
    // A dialog: Escape would reject it, Enter would press its default button.
    QDialog window;
    window.resize(400, 300);
    auto *edit = new QLineEdit(&window);
    auto *button = new QPushButton(QStringLiteral("Go"), &window);
    button->move(0, 40);
    button->setDefault(true);
    int clicks = 0;
    connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    int shortcuts = 0;
    auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL + Qt::Key_K), &window);
    connect(shortcut, &QShortcut::activated, [&shortcuts] { ++shortcuts; });
    auto *overlay = new QovProgressView(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());

    overlay->show();
    QTest::keyClicks(edit, QStringLiteral("abc"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTest::keyClick(button, Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::ControlModifier);
    QVERIFY(window.isVisible());
    QCOMPARE(window.result(), 0);
    QCOMPARE(clicks, 0);
    QCOMPARE(shortcuts, 0);
    QVERIFY(edit->text().isEmpty());

    // Made while busy: stays under the overlay.
    auto *late = new QPushButton(QStringLiteral("Late"), &window);
    late->setGeometry(100, 100, 100, 30);
    late->show();
    QApplication::processEvents();
    QWidget *hit = window.childAt(150, 115);
    QVERIFY(hit == overlay || overlay->isAncestorOf(hit));

    // Once it is gone the keyboard works again where it left off.
    overlay->hide();
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClicks(edit, QStringLiteral("x"));
    QCOMPARE(edit->text(), QStringLiteral("x"));
    QTest::keyClick(edit, Qt::Key_K, Qt::ControlModifier);
    QCOMPARE(shortcuts, 1);
}

QTEST_MAIN(TestProgressView)
#include "tst_progressview.moc"
