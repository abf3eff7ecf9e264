#include "views/qovsortlabel.h"
#include "views/qovwidgetfactory.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>

// The builders fix only the directions given a positive size and name only what they are
// asked to name; the style sheet and the layouts rely on both.
class TestWidgetFactory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fixesOnlyPositiveDirections_data();
    void fixesOnlyPositiveDirections();
    void emptyTextsAreNotSet();
    void iconButtonDrawsIconAtItsOwnSize();
    void listWidgetDragAndDropFlag_data();
    void listWidgetDragAndDropFlag();
};

using Builder = std::function<QWidget *(const QSize &, const char *)>;
Q_DECLARE_METATYPE(Builder)

void TestWidgetFactory::fixesOnlyPositiveDirections_data()
{
    QTest::addColumn<Builder>("build");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("fixedWidth");
    QTest::addColumn<bool>("fixedHeight");

    const std::vector<std::pair<const char *, Builder>> builders = {
        {"widget", Builder{[](const QSize &s, const char *n) { return makeWidget(s, n); }}},
        {"label", Builder{[](const QSize &s, const char *n) { return makeLabel("x", s, n); }}},
        {"button", Builder{[](const QSize &s, const char *n) { return makeButton("x", s, n); }}},
        {"sort label",
         Builder{[](const QSize &s, const char *n) { return makeSortLabel("x", s, n); }}},
        {"list",
         Builder{[](const QSize &s, const char *n) { return makeListWidget(s, 0, false, n); }}},
    };
    for (const auto &builder : builders) {
        const QByteArray name(builder.first);
        QTest::newRow(name + " both") << builder.second << QSize(120, 30) << true << true;
        QTest::newRow(name + " width") << builder.second << QSize(120, 0) << true << false;
        QTest::newRow(name + " height") << builder.second << QSize(-5, 30) << false << true;
        QTest::newRow(name + " none") << builder.second << QSize(0, -1) << false << false;
    }
}

void TestWidgetFactory::fixesOnlyPositiveDirections()
{
    QFETCH(Builder, build);
    QFETCH(QSize, size);
    QFETCH(bool, fixedWidth);
    QFETCH(bool, fixedHeight);

    std::unique_ptr<QWidget> named(build(size, "some-name"));
    QCOMPARE(named->objectName(), QStringLiteral("some-name"));
    QCOMPARE(named->minimumWidth() == named->maximumWidth(), fixedWidth);
    QCOMPARE(named->minimumHeight() == named->maximumHeight(), fixedHeight);
    if (fixedWidth) {
        QCOMPARE(named->maximumWidth(), size.width());
    }
    if (fixedHeight) {
        QCOMPARE(named->maximumHeight(), size.height());
    }
    QVERIFY(!named->parent());

    std::unique_ptr<QWidget> unnamed(build(size, nullptr));
    QVERIFY(unnamed->objectName().isEmpty());
}

void TestWidgetFactory::emptyTextsAreNotSet()
{
    std::unique_ptr<QLineEdit> edit(makeLineEdit(QString(), QString(), QSize(200, 24)));
    QVERIFY(edit->text().isEmpty() && edit->placeholderText().isEmpty());
    edit.reset(makeLineEdit("name", "Project Name", QSize(200, 24), "metadata-edit"));
    QCOMPARE(edit->text(), QStringLiteral("name"));
    QCOMPARE(edit->placeholderText(), QStringLiteral("Project Name"));
    QCOMPARE(edit->size(), QSize(200, 24));

    std::unique_ptr<QPushButton> button(makeButton(QString(), QSize(64, 30), "b"));
    QVERIFY(button->text().isEmpty());
    QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
}

void TestWidgetFactory::iconButtonDrawsIconAtItsOwnSize()
{
    std::unique_ptr<QPushButton> button(
        makeIconButton(":/icons/ic_close.svg", QSize(24, 24), "close"));
    QCOMPARE(button->iconSize(), QSize(24, 24));
    QCOMPARE(button->size(), QSize(24, 24));
    QVERIFY(!button->icon().isNull());
    QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);

    std::unique_ptr<QLabel> label(makeIconLabel(":/icons/ic_chevron_right.svg", QSize(32, 32)));
    QVERIFY(!label->pixmap(Qt::ReturnByValue).isNull());
    const QPixmap shown = label->pixmap(Qt::ReturnByValue);
    QCOMPARE(shown.size() / shown.devicePixelRatio(), QSize(32, 32));
    QCOMPARE(label->alignment(), Qt::AlignCenter);

    // Both densities of a device picture end up in one icon; the larger is picked when needed.
    const QIcon pair = makeIcon(":/images/zeph-2208@1x.png", ":/images/zeph-2208@2x.png");
    QCOMPARE(pair.availableSizes(), QList<QSize>({QSize(136, 14), QSize(272, 28)}));
}

void TestWidgetFactory::listWidgetDragAndDropFlag_data()
{
    QTest::addColumn<bool>("dragAndDrop");
    QTest::newRow("reorderable") << true;
    QTest::newRow("fixed order") << false;
}

void TestWidgetFactory::listWidgetDragAndDropFlag()
{
    QFETCH(bool, dragAndDrop);
    std::unique_ptr<QListWidget> list(makeListWidget(QSize(608, 258), 4, dragAndDrop, "list"));
    QCOMPARE(list->dragDropMode(),
             dragAndDrop ? QAbstractItemView::InternalMove : QAbstractItemView::NoDragDrop);
    QCOMPARE(list->dragEnabled(), dragAndDrop);
    QCOMPARE(list->acceptDrops(), dragAndDrop);
    QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(list->verticalScrollMode(), QAbstractItemView::ScrollPerPixel);
    QCOMPARE(list->spacing(), 4);
    QCOMPARE(list->frameShape(), QFrame::NoFrame);
}

QTEST_MAIN(TestWidgetFactory)
#include "tst_widgetfactory.moc"
