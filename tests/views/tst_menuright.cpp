#include "views/qmenuright.h"

#include <QPushButton>
#include <QScreen>
#include <QtTest>

// A menu opened at the right end of a row must end flush with its button, not run past it,
// also where Qt has to keep the menu on the screen.
class TestMenuRight : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensFlushWithButtonRightEdge_data();
    void opensFlushWithButtonRightEdge();
};

void TestMenuRight::opensFlushWithButtonRightEdge_data()
{
    QTest::addColumn<int>("rightMargin");
    QTest::addColumn<bool>("throughButton");
    // Distance from the button's right edge to the screen's right edge.
    QTest::newRow("mid screen, popup") << 1000 << false;
    QTest::newRow("mid screen, button click") << 1000 << true;
    QTest::newRow("near the right edge, popup") << 10 << false;
    QTest::newRow("near the right edge, button click") << 10 << true;
    QTest::newRow("at the right edge, button click") << 0 << true;
}

void TestMenuRight::opensFlushWithButtonRightEdge()
{
    QFETCH(int, rightMargin);
    QFETCH(bool, throughButton);

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget row(nullptr, Qt::FramelessWindowHint);
    row.setGeometry(screen.right() + 1 - 400 - rightMargin, 200, 400, 60);
    auto *button = new QPushButton(&row);
    button->setGeometry(364, 12, 36, 36);
    auto *menu = new QMenuRight(button, button);
    menu->setFixedWidth(155);
    menu->addAction(QStringLiteral("Connect"));
    menu->addAction(QStringLiteral("Disconnect"));
    button->setMenu(menu);
    row.show();
    QVERIFY(QTest::qWaitForWindowExposed(&row));
    QTRY_COMPARE(row.geometry().right(), screen.right() - rightMargin);

    // Checked once the menu is on screen, from inside the menu's own event loop when the
    // button runs it: the first position it appears at counts. Closing it ends that loop.
    QList<QRect> shownAt;
    QObject::connect(menu, &QMenu::aboutToShow, menu, [&] {
        QTimer::singleShot(50, menu, [&] {
            shownAt << menu->geometry();
            menu->hide();
        });
    });
    const QPoint below = button->mapToGlobal(QPoint(0, button->height()));
    if (throughButton) {
        button->showMenu();
    } else {
        menu->popup(below);
    }
    QTRY_COMPARE(shownAt.size(), 1);

    const int buttonRight = button->mapToGlobal(QPoint(button->width(), 0)).x();
    QCOMPARE(shownAt.first().x() + shownAt.first().width(), buttonRight);
    QCOMPARE(shownAt.first().y(), below.y());
}

QTEST_MAIN(TestMenuRight)
#include "tst_menuright.moc"
