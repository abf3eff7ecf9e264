#include "activewindow.h"
#include "contrast.h"
#include "dialogs/qovabstractdialog.h"
#include "dialogs/qovaddonlinedevicedialog.h"
#include "dialogs/qovaddonlinedevicedialoglistitem.h"
#include "dialogs/qovconfirmsavepopup.h"
#include "dialogs/qovconnectdevicedialoglistitem.h"
#include "models/qovtextfile.h"
#include "views/qovwidgetfactory.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>

using MakeRow = std::function<QWidget *(const QovOnlineDeviceModel &)>;
Q_DECLARE_METATYPE(MakeRow)

namespace {

class PlainDialog : public QovAbstractDialog
{
public:
    PlainDialog() { setup(QSize(400, 240)); }

protected:
    void buildContents(QWidget *) override {}
};

QColor colourAt(QWidget *window, const QPoint &point)
{
    return window->grab().toImage().pixelColor(point);
}

// Antialiasing blends a text's edges into its background; its strongest pixel is the text.
double strongestContrast(const QImage &image, const QColor &background)
{
    double strongest = 1.0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            strongest = std::max(strongest,
                                 velmora::test::contrastRatio(image.pixelColor(x, y), background));
        }
    }
    return strongest;
}

} // namespace

// The look comes from the style sheet through object names; a name that drifts from its
// selector leaves a widget unstyled without any error. These pictures catch that.
class TestDialogStyle : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qApp->setStyleSheet(loadTextFile(":/styles.qss")); }
    void popupColours();
    void dialogFrameColours();
    void busyOverlayDarkensWindow();
    void openedComboListIsLegible_data();
    void openedComboListIsLegible();
    void addressNoteIsLegible();
    void fileDialogQuestionIsLegible();
    void rowChoiceShowsTheFocus_data();
    void rowChoiceShowsTheFocus();
};

void TestDialogStyle::popupColours()
{
    QovConfirmSavePopup popup("Caution", "message");
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup));
    QCOMPARE(colourAt(&popup, QPoint(4, 4)), QColor("#303e4c"));
    for (QPushButton *button : popup.findChildren<QPushButton *>()) {
        const QColor expected(button->text() == "Save" ? "#3a7553" : "#646971");
        const QPoint inside = button->mapTo(&popup, QPoint(4, 4));
        QCOMPARE(colourAt(&popup, inside), expected);
    }
}

void TestDialogStyle::dialogFrameColours()
{
    PlainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(colourAt(&dialog, QPoint(6, 6)), QColor("#68757d"));    // body edge
    QCOMPARE(colourAt(&dialog, QPoint(20, 20)), QColor("#4b5563"));  // contents
    QCOMPARE(colourAt(&dialog, QPoint(10, 230)), QColor("#4b5563")); // button bar
    auto *ok = dialog.findChild<QPushButton *>("dialog-button-accept");
    QCOMPARE(colourAt(&dialog, ok->mapTo(&dialog, QPoint(4, 4))), QColor("#3a7553"));
}

void TestDialogStyle::busyOverlayDarkensWindow()
{
    PlainDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.setBusy(true);
    // Black at alpha 0x88 over the body colour, away from the animation in the middle.
    const QColor body("#68757d");
    const QColor shaded = colourAt(&dialog, QPoint(6, 6));
    const double keep = 1.0 - 0x88 / 255.0;
    QVERIFY2(qAbs(shaded.red() - body.red() * keep) <= 2 &&
                 qAbs(shaded.green() - body.green() * keep) <= 2 &&
                 qAbs(shaded.blue() - body.blue() * keep) <= 2,
             qPrintable(shaded.name()));
}

void TestDialogStyle::openedComboListIsLegible_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::newRow("settings dialog") << "settings-combobox";
    QTest::newRow("device type") << "device-type-selector";
}

void TestDialogStyle::openedComboListIsLegible()
{
    QFETCH(QString, objectName);
    QWidget window;
    QComboBox *box = makeComboBox(objectName.toLatin1().constData(), objectName);
    box->setParent(&window);
    box->addItems({"App to Device", "Device to App"});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    box->showPopup();
    QAbstractItemView *list = box->view();
    QVERIFY(QTest::qWaitForWindowExposed(list->window()));
    // The second item's row, away from the selection: its text must stand out from its
    // background (the box's own light text on the light list showed nothing).
    const QRect row = list->visualRect(list->model()->index(1, 0));
    const QImage image = list->viewport()->grab(row).toImage();
    const double strongest = strongestContrast(image, image.pixelColor(1, 1));
    QVERIFY2(strongest >= 4.5, qPrintable(QString::number(strongest)));
    box->hidePopup();
}

void TestDialogStyle::addressNoteIsLegible()
{
    QovAddOnlineDeviceDialog dialog(QovAddOnlineDeviceDialog::ADD, {});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *note = dialog.findChild<QLabel *>(QStringLiteral("dialog-address-note"));
    QVERIFY(note);
    note->setText(QStringLiteral("No mixer found at 127.0.0.99."));
    const QImage shot = dialog.grab().toImage();
    const QRect area(note->mapTo(&dialog, QPoint(0, 0)) * shot.devicePixelRatio(),
                     note->size() * shot.devicePixelRatio());
    const QColor background = velmora::test::commonestColour(shot, area);
    QCOMPARE(background, QColor("#4b5563"));
    const double strongest = strongestContrast(shot.copy(area), background);
    QVERIFY2(strongest >= 4.5, qPrintable(QString::number(strongest)));
}

// Qt's file dialog asks its own questions ("… already exists. Do you want to replace it?") in
// message boxes, which the white text of every widget reaches too.
void TestDialogStyle::fileDialogQuestionIsLegible()
{
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    QMessageBox question(QMessageBox::Warning, QStringLiteral("Save Project"),
                         QStringLiteral("show.vlmproj already exists.\nDo you want to replace it?"),
                         QMessageBox::Yes | QMessageBox::No, &files);
    question.show();
    QVERIFY(QTest::qWaitForWindowExposed(&question));
    auto *text = question.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    QVERIFY(text);
    const QImage shot = question.grab().toImage();
    const QRect area(text->mapTo(&question, QPoint(0, 0)) * shot.devicePixelRatio(),
                     text->size() * shot.devicePixelRatio());
    const double strongest =
        strongestContrast(shot.copy(area), velmora::test::commonestColour(shot, area));
    QVERIFY2(strongest >= 4.5, qPrintable(QString::number(strongest)));
}

void TestDialogStyle::rowChoiceShowsTheFocus_data()
{
    QTest::addColumn<MakeRow>("make");
    QTest::newRow("connect: radio button") << MakeRow([](const QovOnlineDeviceModel &mixer) {
        return new QovConnectDeviceDialogListItem(mixer, 1);
    });
    QTest::newRow("add online: check box") << MakeRow([](const QovOnlineDeviceModel &mixer) {
        return new QovAddOnlineDeviceDialogListItem(mixer, 1);
    });
}

// The box or button that chooses a mixer, in a row of the dialogs' list, when Tab reaches it.
void TestDialogStyle::rowChoiceShowsTheFocus()
{
    QFETCH(MakeRow, make);
    const auto mixer = std::make_shared<QovOnlineDeviceModelInternal>(
        QovDiscoveredDevice{"6002", "uuid:stage", "Stage", "ZEPH-2208", "127.0.0.2"});
    std::unique_ptr<QListWidget> list(
        makeListWidget(QSize(608, 120), 0, false, "dialog-device-list"));
    auto *item = new QListWidgetItem(list.get());
    item->setSizeHint(QSize(608, 48));
    QWidget *row = make(mixer);
    list->setItemWidget(item, row);
    list->show();
    QVERIFY(QTest::qWaitForWindowExposed(list.get()));
    velmora::test::makeActiveWindow(list.get());
    QAbstractButton *choice = row->findChild<QAbstractButton *>();
    QVERIFY(choice && choice->isCheckable());
    const double contrast = velmora::test::focusContrast(choice);
    QVERIFY2(contrast >= 3.0, qPrintable(QString::number(contrast)));
}

QTEST_MAIN(TestDialogStyle)
#include "tst_dialogstyle.moc"
