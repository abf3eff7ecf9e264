#include "views/qmenuright.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

// A menu opened at the right end of a row must end flush with its button, not run past it.
class TestMenuRight : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensFlushWithButtonRightEdge_data();
    void opensFlushWithButtonRightEdge();
};

void TestMenuRight::opensFlushWithButtonRightEdge_data()
{
    QTest::addColumn<int>("buttonWidth");
    QTest::addColumn<int>("menuWidth");
    QTest::newRow("status button") << 36 << 155;
    QTest::newRow("wide button, narrow menu") << 120 << 100;
}

void TestMenuRight::opensFlushWithButtonRightEdge()
{
    QFETCH(int, buttonWidth);
    QFETCH(int, menuWidth);

    QWidget row;
    row.setGeometry(300, 200, 400, 60);
    auto *button = new QPushButton(&row);
    button->setGeometry(200, 12, buttonWidth, 36);
    QMenuRight menu(button, button);
    menu.setFixedWidth(menuWidth);
    menu.addAction(QStringLiteral("Connect"));
    menu.addAction(QStringLiteral("Disconnect"));
    row.show();
    QVERIFY(QTest::qWaitForWindowExposed(&row));

    const QPoint below = button->mapToGlobal(QPoint(0, button->height()));
    menu.popup(below);
    QVERIFY(QTest::qWaitForWindowExposed(&menu));

    const QRect buttonRect(button->mapToGlobal(QPoint(0, 0)), button->size());
    QCOMPARE(menu.geometry().x() + menu.width(), buttonRect.x() + buttonRect.width());
    QCOMPARE(menu.geometry().y(), below.y());
    menu.hide();
}

QTEST_MAIN(TestMenuRight)
#include "tst_menuright.moc"
