#include "views/qovprogressview.h"

#include <QLabel>
#include <QMovie>
#include <QtTest>

// The busy overlay must darken and block the whole window it covers, whatever the window's
// size was when it was made.
class TestProgressView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void coversCurrentWindowArea_data();
    void coversCurrentWindowArea();
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

QTEST_MAIN(TestProgressView)
#include "tst_progressview.moc"
