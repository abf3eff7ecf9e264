#include "views/qmenuright.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

// A menu opened at the right end of a row must end flush with its button, not run past it.
class TestMenuRight : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensFlushWithButtonRightEdge();
};

void TestMenuRight::opensFlushWithButtonRightEdge()
{
    QWidget row;
    row.setGeometry(300, 200, 400, 60);
    auto *button = new QPushButton(&row);
    button->setGeometry(200, 12, 36, 36);
    QMenuRight menu(button, button);
    menu.setFixedWidth(155);
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
