#include "dialogs/qovconfirmsavepopup.h"
#include "dialogs/qovprogramsettingsdialog.h"
#include "dialogs/qovprojectmetadatadialog.h"
#include "dialogs/qovversioninfodialog.h"
#include "models/qovautosaver.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovtextfile.h"
#include "tempprofile.h"
#include "views/qplaintexteditwitheditedsignal.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

// The metadata and program settings dialogs (what they show, refuse and store), the popup
// button row's and the about box's geometry.
class TestSmallDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanupTestCase() { QovAutosaver::waitForAllWrites(); }
    void initTestCase() { qApp->setStyleSheet(loadTextFile(":/styles.qss")); }
    void settingsShowStoredMode_data();
    void settingsShowStoredMode();
    void settingsStoreChoice_data();
    void settingsStoreChoice();
    void metadataRefusesWhatFilesCannotHold();
    void metadataAppliesTrimmedTexts();
    void popupButtonRowFits();
    void aboutItemsDoNotOverlap();

private:
    QString storedValue(const QString &key) const;

    TempProfile m_profile;
};

QString TestSmallDialogs::storedValue(const QString &key) const
{
    return QSettings(m_profile.programSettingsFile(), QSettings::IniFormat)
        .value(key, QStringLiteral("<absent>"))
        .toString();
}

void TestSmallDialogs::settingsShowStoredMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("direction");
    QTest::newRow("none") << 0 << false << 0;
    QTest::newRow("app to device") << 1 << true << 0;
    QTest::newRow("device to app") << 2 << true << 1;
}

void TestSmallDialogs::settingsShowStoredMode()
{
    QFETCH(int, mode);
    QFETCH(bool, enabled);
    QFETCH(int, direction);
    m_profile.writeProgramSettings(
        QStringLiteral("[Config]\nauto_reconnect=%1\nshow_top_page=false\n").arg(mode).toUtf8());
    QovProgramSettingsDialog dialog;
    QCOMPARE(dialog.autoReconnectToggle()->isChecked(), enabled);
    QCOMPARE(dialog.directionBox()->currentIndex(), direction);
    QVERIFY(!dialog.topPageToggle()->isChecked());
}

void TestSmallDialogs::settingsStoreChoice_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("stored");
    QTest::newRow("off, whatever the box shows") << false << 1 << "0";
    QTest::newRow("on, app to device") << true << 0 << "1";
    QTest::newRow("on, device to app") << true << 1 << "2";
}

void TestSmallDialogs::settingsStoreChoice()
{
    QFETCH(bool, enabled);
    QFETCH(int, direction);
    QFETCH(QString, stored);
    m_profile.writeProgramSettings("[Config]\nauto_reconnect=2\nshow_top_page=true\n");
    QovProgramSettingsDialog dialog;
    dialog.autoReconnectToggle()->setChecked(enabled);
    dialog.directionBox()->setCurrentIndex(direction);
    dialog.topPageToggle()->setChecked(false);
    dialog.apply();
    QCOMPARE(storedValue("Config/auto_reconnect"), stored);
    QCOMPARE(storedValue("Config/show_top_page"), QStringLiteral("false"));
}

void TestSmallDialogs::metadataRefusesWhatFilesCannotHold()
{
    QovProjectDataModel project;
    QovProjectMetaDataDialog dialog(&project);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    for (QLineEdit *edit : {dialog.nameEdit(), dialog.authorEdit(), dialog.dealerEdit()}) {
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("a&b\"c/d<e>f%g\\h"));
        QCOMPARE(edit->text(), QStringLiteral("abcdefgh"));
        QTest::keyClicks(edit, QString(40, QLatin1Char('x')));
        QVERIFY(edit->text().size() <= 30);
    }
    QCOMPARE(dialog.authorEdit()->text().size(), 20);

    QPlainTextEditWithEditedSignal *comment = dialog.commentEdit();
    comment->clear();
    comment->setFocus();
    QTest::keyClicks(comment, QStringLiteral("x&y"));
    QCOMPARE(comment->toPlainText(), QStringLiteral("xy"));
    comment->insertPlainText(QString(250, QLatin1Char('z')));
    QCOMPARE(comment->toPlainText().size(), 200);
}

void TestSmallDialogs::metadataAppliesTrimmedTexts()
{
    QovProjectDataModel project;
    project.setProjectName(QStringLiteral("Old"));
    project.setIsEdited(false);
    QovProjectMetaDataDialog dialog(&project);
    QCOMPARE(dialog.nameEdit()->text(), QStringLiteral("Old"));
    dialog.nameEdit()->setText(QStringLiteral("   Hall A  "));
    dialog.authorEdit()->setText(QStringLiteral(" Kim"));
    dialog.commentEdit()->setPlainText(QStringLiteral("  two\nlines  "));
    // Nothing reaches the project before apply.
    QCOMPARE(project.projectName(), QStringLiteral("Old"));
    dialog.apply();
    QCOMPARE(project.projectName(), QStringLiteral("Hall A"));
    QCOMPARE(project.projectAuthor(), QStringLiteral("Kim"));
    QCOMPARE(project.projectDescription(), QStringLiteral("two\nlines"));
    QVERIFY(project.isEdited());
}

void TestSmallDialogs::popupButtonRowFits()
{
    QovConfirmSavePopup popup(QStringLiteral("Caution"), QStringLiteral("Save?"));
    popup.show();
    QVERIFY(QTest::qWaitForWindowExposed(&popup));
    // Left to right: Save, Don't Save, Cancel.
    QList<QRect> rects;
    for (const QString text : {"Save", "Don't Save", "Cancel"}) {
        for (QPushButton *button : popup.findChildren<QPushButton *>()) {
            if (button->text() == text) {
                rects << button->geometry();
                QCOMPARE(button->size(), QSize(96, 30));
            }
        }
    }
    QCOMPARE(rects.size(), 3);
    QCOMPARE(rects.at(0).left(), 24);
    QCOMPARE(popup.width() - 1 - rects.at(2).right(), 24);
    QCOMPARE(rects.at(1).left() - rects.at(0).right(), rects.at(2).left() - rects.at(1).right());
}

void TestSmallDialogs::aboutItemsDoNotOverlap()
{
    QovVersionInfoDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *contents = dialog.findChild<QWidget *>(QStringLiteral("about"));
    QVERIFY(contents);
    // Icons, name, version, copyright, maker's logo and Qt line, each whole and apart.
    const QList<QLabel *> labels = contents->findChildren<QLabel *>();
    QCOMPARE(labels.size(), 6);
    QList<QRect> placed;
    for (QLabel *label : labels) {
        const QRect rect(label->mapTo(contents, QPoint(0, 0)), label->size());
        const QString what = label->text().isEmpty() ? label->objectName() : label->text();
        QVERIFY2(contents->rect().contains(rect), qPrintable(what));
        QVERIFY2(label->height() >= label->sizeHint().height() &&
                     label->width() >= label->sizeHint().width(),
                 qPrintable(what));
        for (const QRect &other : std::as_const(placed)) {
            QVERIFY2(!rect.intersects(other), qPrintable(what));
        }
        placed << rect;
    }
}

QTEST_MAIN(TestSmallDialogs)
#include "tst_smalldialogs.moc"
