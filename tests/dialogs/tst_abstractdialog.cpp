#include "dialogs/qovabstractdialog.h"
#include "dialogs/qovconfirmpopup.h"
#include "tests/views/fakemainwindow.h"
#include "views/qovprogressview.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

namespace {

// The smallest concrete dialog: remembers the contents widget it was asked to fill.
class FrameDialog : public QovAbstractDialog
{
public:
    explicit FrameDialog(const QSize &size) { setup(size); }
    QWidget *filled = nullptr;
    int builds = 0;

protected:
    void buildContents(QWidget *contents) override
    {
        filled = contents;
        ++builds;
        new QLabel(QStringLiteral("contents"), contents);
    }
};

} // namespace

// The frame lays out every dialog the same way and owns the busy overlay.
class TestAbstractDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contentsLieInsideBody_data();
    void contentsLieInsideBody();
    void okAndCancelAnswer();
    void busyOverlayCoversDialog();
    void opensOverTheActiveWindow();
};

void TestAbstractDialog::contentsLieInsideBody_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("device setting") << QSize(664, 390);
    QTest::newRow("small") << QSize(300, 120);
}

void TestAbstractDialog::contentsLieInsideBody()
{
    QFETCH(QSize, size);
    FrameDialog dialog(size);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QCOMPARE(dialog.builds, 1);
    QCOMPARE(dialog.size(), size);
    QWidget *body = dialog.findChild<QWidget *>("dialog-body-bg");
    QWidget *bar = dialog.findChild<QWidget *>("dialog-button-bar");
    QVERIFY(body && bar && dialog.filled);
    QCOMPARE(dialog.filled->objectName(), QStringLiteral("dialog-contents-bg"));
    QCOMPARE(dialog.filled->parentWidget(), body);
    QCOMPARE(body->geometry(), QRect(0, 0, size.width(), size.height() - 46));
    QCOMPARE(dialog.filled->geometry(), body->rect().adjusted(12, 12, -12, -12));
    QCOMPARE(bar->geometry(), QRect(0, size.height() - 46, size.width(), 46));

    // OK then Cancel, at the right end of the bar.
    auto *ok = bar->findChild<QPushButton *>("dialog-button-accept");
    auto *cancel = bar->findChild<QPushButton *>("dialog-button-reject");
    QVERIFY(ok && cancel);
    QVERIFY(ok->x() < cancel->x());
    QCOMPARE(cancel->geometry().right(), bar->width() - 1 - 8);
}

void TestAbstractDialog::okAndCancelAnswer()
{
    for (const auto &[name, result] : {std::make_pair("dialog-button-accept", QDialog::Accepted),
                                       std::make_pair("dialog-button-reject", QDialog::Rejected)}) {
        FrameDialog dialog(QSize(400, 200));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.setResult(-1);
        QTest::mouseClick(dialog.findChild<QPushButton *>(name), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(result));
        QVERIFY(!dialog.isVisible());
    }
}

void TestAbstractDialog::busyOverlayCoversDialog()
{
    FrameDialog dialog(QSize(500, 300));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *overlay = dialog.findChild<QovProgressView *>();
    QVERIFY(overlay);
    QVERIFY(!overlay->isVisible());

    dialog.setBusy(true);
    QVERIFY(overlay->isVisible());
    QCOMPARE(overlay->geometry(), dialog.rect());
    // Above the body and the button bar, so clicks cannot reach OK or Cancel.
    QCOMPARE(dialog.childAt(QPoint(480, 290)), overlay);

    dialog.setBusy(false);
    QVERIFY(!overlay->isVisible());
}

// Dialogs have no parent; left to Qt they open in the middle of the screen, far from a window
// in a corner or on a large screen.
void TestAbstractDialog::opensOverTheActiveWindow()
{
    QWidget window;
    window.setGeometry(60, 80, 900, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    QTRY_COMPARE(QApplication::activeWindow(), &window);
    const QPoint middle = window.frameGeometry().center();

    FrameDialog dialog(QSize(500, 300));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY2((dialog.frameGeometry().center() - middle).manhattanLength() <= 4,
             qPrintable(QStringLiteral("dialog at %1,%2")
                            .arg(dialog.frameGeometry().x())
                            .arg(dialog.frameGeometry().y())));

    // A popup raised from the dialog opens over the dialog.
    QApplication::setActiveWindow(&dialog);
    QTRY_COMPARE(QApplication::activeWindow(), &dialog);
    QovConfirmPopup popup(QStringLiteral("Caution"), QStringLiteral("Sure?"));
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup));
    QVERIFY((popup.frameGeometry().center() - dialog.frameGeometry().center()).manhattanLength() <=
            4);
    popup.close();
    dialog.close();

    // Opened from the start page while the new main window already shows: over the main window.
    FakeMainWindow mainWindow;
    mainWindow.setGeometry(700, 300, 800, 500);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    QApplication::setActiveWindow(&window);
    QTRY_COMPARE(QApplication::activeWindow(), &window);
    FrameDialog fromStartPage(QSize(500, 300));
    fromStartPage.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fromStartPage));
    QVERIFY2((fromStartPage.frameGeometry().center() - mainWindow.frameGeometry().center())
                     .manhattanLength() <= 4,
             qPrintable(QStringLiteral("dialog at %1,%2, window at %3,%4 %5x%6")
                            .arg(fromStartPage.frameGeometry().x())
                            .arg(fromStartPage.frameGeometry().y())
                            .arg(mainWindow.frameGeometry().x())
                            .arg(mainWindow.frameGeometry().y())
                            .arg(mainWindow.width())
                            .arg(mainWindow.height())));
    fromStartPage.close();
    mainWindow.close();

    // Near the screen's edge the dialog stays whole on the screen.
    const QRect area = window.screen()->availableGeometry();
    window.setGeometry(area.right() - 300, area.bottom() - 200, 280, 180);
    QApplication::setActiveWindow(&window);
    QTRY_COMPARE(QApplication::activeWindow(), &window);
    FrameDialog cornered(QSize(500, 300));
    cornered.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cornered));
    QVERIFY2(area.contains(cornered.frameGeometry()),
             qPrintable(QStringLiteral("dialog at %1,%2")
                            .arg(cornered.frameGeometry().x())
                            .arg(cornered.frameGeometry().y())));
}

QTEST_MAIN(TestAbstractDialog)
#include "tst_abstractdialog.moc"
