#include "device/qovtransferprogress.h"
#include "views/qovprogressview.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMovie>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QtTest>

// The busy overlay must darken and block the whole window it covers, whatever the window's
// size was when it was made.
namespace {

// A window with its overlay, and the overlay's transfer box and its parts.
struct OverlayParts
{
    QWidget window;
    QovProgressView *overlay = new QovProgressView(&window);
    QWidget *box = nullptr;
    QLabel *title = nullptr;
    QLabel *detail = nullptr;
    QProgressBar *bar = nullptr;

    bool shown()
    {
        window.resize(800, 600);
        window.show();
        box = overlay->findChild<QWidget *>(QStringLiteral("progress-transfer"));
        title = overlay->findChild<QLabel *>(QStringLiteral("progress-title"));
        detail = overlay->findChild<QLabel *>(QStringLiteral("progress-detail"));
        bar = overlay->findChild<QProgressBar *>(QStringLiteral("progress-bar"));
        return QTest::qWaitForWindowExposed(&window) && box && title && detail && bar;
    }
};

} // namespace

class TestProgressView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void coversCurrentWindowArea_data();
    void coversCurrentWindowArea();
    void keepsKeyboardAndLateWidgetsAway();
    void showsWhatTransfersCopy();
    void showsWhatItWaitsForWithoutTransfers();
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
    // Made hidden. (Its shade: tst_dialogstyle.)
    QVERIFY(!overlay->isVisible());
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
    QSignalSpy clicks(button, &QPushButton::clicked);
    QSignalSpy shortcuts(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_K), &window),
                         &QShortcut::activated);
    auto *overlay = new QovProgressView(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());

    overlay->show();
    QTest::keyClicks(edit, QStringLiteral("abc"));
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Space}) {
        QTest::keyClick(QApplication::focusWidget(), key);
    }
    QTest::keyClick(button, Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_K, Qt::ControlModifier);
    QVERIFY(window.isVisible());
    QCOMPARE(window.result(), 0);
    QCOMPARE(clicks.count(), 0);
    QCOMPARE(shortcuts.count(), 0);
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
    QCOMPARE(shortcuts.count(), 1);

    // Gone while a dialog of the flow is still active, as when the dialog has just closed: the
    // focus is back where it was once the window is active again.
    overlay->show();
    QWidget dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    overlay->hide();
    dialog.hide();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_VERIFY(edit->hasFocus());
}

void TestProgressView::showsWhatTransfersCopy()
{
    OverlayParts parts;
    QVERIFY(parts.shown());
    auto &[window, overlay, box, title, detail, bar] = parts;

    // Without a transfer: the animation alone, in the middle.
    overlay->show();
    QVERIFY(!box->isVisible());
    auto *animation = overlay->findChild<QLabel *>();
    const QPoint middle = animation->mapTo(overlay, animation->rect().center());
    QVERIFY((middle - overlay->rect().center()).manhattanLength() <= 2);

    // One transfer, followed file by file.
    auto upload = std::make_unique<QovTransferReport>(
        QovTransferProgress::Upload, QStringLiteral("FOH Main"), QStringLiteral("127.0.0.4"));
    // Eight presets, both EQ libraries and the first partial preset done; the second begun.
    const int done[][2] = {{2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 5},
                           {2, 6}, {2, 7}, {3, 0}, {4, 0}, {6, 0}};
    for (const auto &[code, bank] : done) {
        upload->startFile(code, bank);
        upload->fileDone();
    }
    upload->startFile(6, 1);
    QTRY_VERIFY(box->isVisible());
    QTRY_COMPARE(bar->value(), 11);
    QCOMPARE(title->text(), QStringLiteral("Writing FOH Main"));
    QCOMPARE(detail->text(), QStringLiteral("Partial preset 2 of 40"));
    QCOMPARE(bar->maximum(), QovTransferProgress::filesPerTransfer);
    QCOMPARE(bar->text(), QStringLiteral("11 of 51 files"));
    QCOMPARE(animation->mapTo(overlay, animation->rect().center()), middle);
    // Below the animation, which stays where it was.
    QVERIFY(box->geometry().top() > animation->geometry().bottom());
    QVERIFY(overlay->rect().contains(box->geometry()));

    // A second mixer joins: one bar over both.
    QovTransferReport copy(QovTransferProgress::SafetyCopy, QStringLiteral("Stage"),
                           QStringLiteral("127.0.0.6"));
    copy.startFile(2, 0);
    copy.fileDone();
    copy.startFile(2, 1);
    QTRY_COMPARE(bar->value(), 12);
    QCOMPARE(bar->maximum(), 2 * QovTransferProgress::filesPerTransfer);
    QCOMPARE(title->text(), QStringLiteral("0 of 2 mixers done"));
    QCOMPARE(detail->text(), QStringLiteral("Writing FOH Main: Partial preset 2 of 40\n"
                                            "Keeping a safety copy of Stage: Preset 2 of 8"));

    // A dialog's overlay is small: the box moves up but stays whole within it.
    parts.window.resize(664, 390);
    QTRY_COMPARE(overlay->size(), QSize(664, 390));
    QCOMPARE(overlay->rect().intersected(box->geometry()), box->geometry());
    parts.window.resize(800, 600);

    // The first one fails: it copies no more, and the bar counts only what is left to do.
    upload.reset();
    QTRY_COMPARE(bar->maximum(), 11 + QovTransferProgress::filesPerTransfer);
    QCOMPARE(title->text(), QStringLiteral("1 of 2 mixers done"));
    QCOMPARE(detail->text(), QStringLiteral("Keeping a safety copy of Stage: Preset 2 of 8"));

    // All done: back to the animation alone, also the next time the overlay comes up.
    copy.finish(true);
    QTRY_VERIFY(!box->isVisible());
    overlay->hide();
    overlay->show();
    QVERIFY(!box->isVisible());
}

QTEST_MAIN(TestProgressView)
// Opening a project reads its file and may wait on slow mixers before any data is copied: the
// overlay names what it waits for, stays named above the transfers when they start, and
// forgets it when it hides.
void TestProgressView::showsWhatItWaitsForWithoutTransfers()
{
    OverlayParts parts;
    QVERIFY(parts.shown());
    auto &[window, overlay, box, title, detail, bar] = parts;
    // The animation costs the GUI thread a frame's decoding and scaling: only while shown.
    QMovie *movie = overlay->findChild<QLabel *>()->movie();
    QVERIFY(movie && movie->state() == QMovie::NotRunning);

    overlay->show();
    QCOMPARE(movie->state(), QMovie::Running);
    overlay->setActivity(QStringLiteral("Opening hall.vlmproj"),
                         QStringLiteral("/shows/hall.vlmproj\nReading the project file."));
    QVERIFY(box->isVisible());
    QVERIFY(!bar->isVisible());
    QCOMPARE(title->text(), QStringLiteral("Opening hall.vlmproj"));
    QVERIFY(detail->text().startsWith(QStringLiteral("/shows/hall.vlmproj")));

    {
        QovTransferReport download(QovTransferProgress::Download, QStringLiteral("FOH Main"),
                                   QStringLiteral("127.0.0.4"));
        download.startFile(2, 0);
        QTRY_VERIFY(detail->text().startsWith(QStringLiteral("Reading FOH Main\n")));
        QCOMPARE(title->text(), QStringLiteral("Opening hall.vlmproj"));
        QVERIFY(bar->isVisible());
        download.fileDone();
        download.finish(true);
    }
    // The transfer over, the overlay goes back to what it still waits for.
    QTRY_VERIFY(detail->text().startsWith(QStringLiteral("/shows/hall.vlmproj")));

    overlay->hide();
    QCOMPARE(movie->state(), QMovie::NotRunning);
    overlay->show();
    QVERIFY(!box->isVisible());
}

#include "tst_progressview.moc"
