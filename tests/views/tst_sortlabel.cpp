#include "views/qovsortlabel.h"
#include "views/qovwidgetfactory.h"

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

using SortOrder = QovSortLabel::SortOrder;

namespace {

QImage shownArrow(const QovSortLabel &label)
{
    for (QLabel *child : label.findChildren<QLabel *>()) {
        const QPixmap shown = child->pixmap(Qt::ReturnByValue);
        if (!shown.isNull()) {
            return shown.toImage();
        }
    }
    return QImage();
}

QImage expectedArrow(const QString &path, const QSize &size)
{
    return makeIcon(path).pixmap(size, QIcon::Normal, QIcon::Off).toImage();
}

// What a screen reader hears of the header: the arrow is a picture it cannot read.
QString heard(QovSortLabel &label)
{
    QAccessibleInterface *node = QAccessible::queryAccessibleInterface(&label);
    return node->text(QAccessible::Name) + QStringLiteral(", ") +
           node->text(QAccessible::Description);
}

} // namespace

// The arrow beside a column title must always show the order the owner set, to the eye and in
// words to a screen reader.
class TestSortLabel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsUnsortedWithPlainArrow();
    void orderChangeUpdatesArrow_data();
    void orderChangeUpdatesArrow();
    void clickReachesButtonThroughLabels();
};

void TestSortLabel::startsUnsortedWithPlainArrow()
{
    std::unique_ptr<QovSortLabel> label(makeSortLabel(QStringLiteral("Name"), QSize(120, 0)));
    QCOMPARE(label->order(), QovSortLabel::NONE);
    QCOMPARE(shownArrow(*label),
             expectedArrow(QStringLiteral(":/icons/ic_arrow_drop_down.svg"), QSize(20, 20)));
    QCOMPARE(heard(*label), QStringLiteral("Name, Not sorted"));
}

void TestSortLabel::orderChangeUpdatesArrow_data()
{
    QTest::addColumn<SortOrder>("from");
    QTest::addColumn<SortOrder>("to");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("description");

    const QString none = QStringLiteral(":/icons/ic_arrow_drop_down_48px.svg");
    const QString up = QStringLiteral(":/icons/ic_arrow_upward_48px.svg");
    const QString down = QStringLiteral(":/icons/ic_arrow_downward_48px.svg");
    const QSize arrow(14, 20);
    using S = QovSortLabel;
    const QString ascending = QStringLiteral("Sorted ascending");
    const QString descending = QStringLiteral("Sorted descending");
    QTest::newRow("none to ascending") << S::NONE << S::ASCENDING << up << arrow << ascending;
    QTest::newRow("ascending to descending")
        << S::ASCENDING << S::DESCENDING << down << arrow << descending;
    QTest::newRow("descending to ascending")
        << S::DESCENDING << S::ASCENDING << up << arrow << ascending;
    QTest::newRow("ascending to none")
        << S::ASCENDING << S::NONE << none << QSize(20, 20) << QStringLiteral("Not sorted");
}

void TestSortLabel::orderChangeUpdatesArrow()
{
    QFETCH(SortOrder, from);
    QFETCH(SortOrder, to);
    QFETCH(QString, icon);
    QFETCH(QSize, size);
    QFETCH(QString, description);

    QovSortLabel label;
    label.setText(QStringLiteral("IP Address"));
    // Reach `from` by way of another order, so that NONE is a real change as well.
    label.setOrder(from == QovSortLabel::ASCENDING ? QovSortLabel::DESCENDING
                                                   : QovSortLabel::ASCENDING);
    label.setOrder(from);
    QSignalSpy spy(&label, &QovSortLabel::orderChanged);
    label.setOrder(to);

    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<SortOrder>(), to);
    QCOMPARE(label.iconSize(), size);
    const QImage shown = shownArrow(label);
    QCOMPARE(shown.size() / shown.devicePixelRatio(), size);
    QCOMPARE(shown, expectedArrow(icon, size));
    QCOMPARE(heard(label), QStringLiteral("IP Address, ") + description);

    // Setting the order it already has changes nothing and says nothing.
    label.setOrder(to);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(shownArrow(label), shown);
}

void TestSortLabel::clickReachesButtonThroughLabels()
{
    std::unique_ptr<QovSortLabel> label(makeSortLabel(QStringLiteral("IP Address"), QSize()));
    label->show();
    QVERIFY(QTest::qWaitForWindowExposed(label.get()));
    QSignalSpy clicked(label.get(), &QPushButton::clicked);
    // Both the text and the arrow lie on top of the button; neither may eat the click.
    for (QLabel *child : label->findChildren<QLabel *>()) {
        QTest::mouseClick(label.get(), Qt::LeftButton, Qt::NoModifier, child->geometry().center());
    }
    QCOMPARE(clicked.count(), 2);
}

QTEST_MAIN(TestSortLabel)
#include "tst_sortlabel.moc"
