#include "views/qovsortlabel.h"
#include "views/qovwidgetfactory.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <memory>

// The builders fix only the directions given a positive size; the layouts rely on the other
// direction staying free. Icons must come out drawn, at both densities where two are given.
class TestWidgetFactory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fixesOnlyPositiveDirections_data();
    void fixesOnlyPositiveDirections();
    void iconsAreDrawn();
    void labelNamesItsControlAndTicksItsBox();
};

void TestWidgetFactory::fixesOnlyPositiveDirections_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("fixedWidth");
    QTest::addColumn<bool>("fixedHeight");
    QTest::newRow("both") << QSize(120, 30) << true << true;
    QTest::newRow("width only") << QSize(120, 0) << true << false;
    QTest::newRow("height only") << QSize(-5, 30) << false << true;
    QTest::newRow("none") << QSize(0, -1) << false << false;
}

void TestWidgetFactory::fixesOnlyPositiveDirections()
{
    QFETCH(QSize, size);
    QFETCH(bool, fixedWidth);
    QFETCH(bool, fixedHeight);
    const std::unique_ptr<QWidget> built[] = {
        std::unique_ptr<QWidget>(makeWidget(size)), std::unique_ptr<QWidget>(makeLabel("x", size)),
        std::unique_ptr<QWidget>(makeButton("x", size)),
        std::unique_ptr<QWidget>(makeSortLabel("x", size)),
        std::unique_ptr<QWidget>(makeListWidget(size, 0, false))};
    for (const auto &widget : built) {
        const char *kind = widget->metaObject()->className();
        QVERIFY2((widget->minimumWidth() == widget->maximumWidth()) == fixedWidth, kind);
        QVERIFY2((widget->minimumHeight() == widget->maximumHeight()) == fixedHeight, kind);
        QVERIFY2(!fixedWidth || widget->maximumWidth() == size.width(), kind);
        QVERIFY2(!fixedHeight || widget->maximumHeight() == size.height(), kind);
    }
}

void TestWidgetFactory::iconsAreDrawn()
{
    std::unique_ptr<QLabel> label(makeIconLabel(":/icons/ic_chevron_right.svg", QSize(32, 32)));
    const QPixmap shown = label->pixmap(Qt::ReturnByValue);
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.size() / shown.devicePixelRatio(), QSize(32, 32));

    // Both densities of a device picture end up in one icon; the larger is picked when needed.
    const QIcon pair = makeIcon(":/images/zeph-2208@1x.png", ":/images/zeph-2208@2x.png");
    QCOMPARE(pair.availableSizes(), QList<QSize>({QSize(136, 14), QSize(272, 28)}));
}

QTEST_MAIN(TestWidgetFactory)
// A check box's label ticks it on a click, as the box's own text would; any label names its
// control for screen readers.
void TestWidgetFactory::labelNamesItsControlAndTicksItsBox()
{
    QWidget window;
    auto *box = new QCheckBox();
    auto *edit = new QLineEdit();
    auto *layout = new QHBoxLayout(&window);
    QLabel *boxLabel =
        makeLabelFor(box, QStringLiteral("Do not display this dialog again"), QSize(0, 24));
    QLabel *editLabel = makeLabelFor(edit, QStringLiteral("Author Name"), QSize(120, 24));
    for (QWidget *widget : {static_cast<QWidget *>(box), static_cast<QWidget *>(boxLabel),
                            static_cast<QWidget *>(edit), static_cast<QWidget *>(editLabel)}) {
        layout->addWidget(widget);
    }
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(box->accessibleName(), QStringLiteral("Do not display this dialog again"));
    QCOMPARE(edit->accessibleName(), QStringLiteral("Author Name"));
    QCOMPARE(editLabel->buddy(), edit);

    QSignalSpy clicks(box, &QCheckBox::clicked);
    QTest::mouseClick(boxLabel, Qt::LeftButton);
    QVERIFY(box->isChecked());
    QCOMPARE(clicks.size(), 1);
    QTest::mouseClick(boxLabel, Qt::LeftButton);
    QVERIFY(!box->isChecked());
    box->setEnabled(false);
    QTest::mouseClick(boxLabel, Qt::LeftButton);
    QVERIFY(!box->isChecked());
    // A label of anything else takes no clicks.
    QTest::mouseClick(editLabel, Qt::LeftButton);
    QVERIFY(edit->text().isEmpty());
}

#include "tst_widgetfactory.moc"
