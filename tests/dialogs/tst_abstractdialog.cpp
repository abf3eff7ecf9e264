#include "activewindow.h"
#include "dialogs/qovabstractdialog.h"
#include "dialogs/qovconfirmpopup.h"
#include "tests/views/fakemainwindow.h"

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

    bool shown()
    {
        show();
        return QTest::qWaitForWindowExposed(this);
    }

protected:
    void buildContents(QWidget *contents) override
    {
        filled = contents;
        ++builds;
        new QLabel(QStringLiteral("contents"), contents);
    }
};

bool activated(QWidget *window)
{
    velmora::test::makeActiveWindow(window);
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

// Whether `dialog` is centred over `window` within a few pixels; says where both are if not.
bool centredOver(const QWidget &dialog, const QWidget &window)
{
    const QRect d = dialog.frameGeometry();
    const QRect w = window.frameGeometry();
    const bool centred = (d.center() - w.center()).manhattanLength() <= 4;
    if (!centred) {
        qWarning() << "dialog at" << d << "window at" << w;
    }
    return centred;
}

} // namespace

// The frame lays out every dialog the same way and opens it over the window in use. (Its busy
// overlay: tst_dialogstyle and tst_progressview.)
class TestAbstractDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void contentsLieInsideBody_data();
    void contentsLieInsideBody();
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
    QVERIFY(dialog.shown());

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
    QVERIFY(ok && cancel && ok->x() < cancel->x());
    QCOMPARE(cancel->geometry().right(), bar->width() - 1 - 8);
}

// Dialogs have no parent; left to Qt they open in the middle of the screen, far from a window
// in a corner or on a large screen.
void TestAbstractDialog::opensOverTheActiveWindow()
{
    QWidget window;
    window.setGeometry(60, 80, 900, 600);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(activated(&window));

    FrameDialog dialog(QSize(500, 300));
    QVERIFY(dialog.shown());
    QVERIFY(centredOver(dialog, window));

    // A popup raised from the dialog opens over the dialog.
    QVERIFY(activated(&dialog));
    QovConfirmPopup popup(QStringLiteral("Caution"), QStringLiteral("Sure?"));
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup));
    QVERIFY(centredOver(popup, dialog));
    popup.close();
    dialog.close();

    // Opened from the start page while the new main window already shows: over the main window.
    FakeMainWindow mainWindow;
    mainWindow.setGeometry(700, 300, 800, 500);
    mainWindow.show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));
    QVERIFY(activated(&window));
    FrameDialog fromStartPage(QSize(500, 300));
    QVERIFY(fromStartPage.shown());
    QVERIFY(centredOver(fromStartPage, mainWindow));
    fromStartPage.close();
    mainWindow.close();

    // Near the screen's edge the dialog stays whole on the screen.
    const QRect area = window.screen()->availableGeometry();
    window.setGeometry(area.right() - 300, area.bottom() - 200, 280, 180);
    QVERIFY(activated(&window));
    FrameDialog cornered(QSize(500, 300));
    QVERIFY(cornered.shown());
    QCOMPARE(area.intersected(cornered.frameGeometry()), cornered.frameGeometry());
}

QTEST_MAIN(TestAbstractDialog)
#include "tst_abstractdialog.moc"
