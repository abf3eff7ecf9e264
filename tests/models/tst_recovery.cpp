#include "models/qovprojectdatamodel.h"
#include "models/qovrecovery.h"
#include "projectfixture.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace projectfixture;

namespace {

// A project as the program writes it, titled `title`, with `devices` devices.
QByteArray projectBytes(const QString &title, int devices)
{
    QJsonObject root = validProject(devices);
    root.insert("title", title);
    auto [model, error] = parseProjectBytes(compact(root));
    std::unique_ptr<QovProjectDataModel> project(model);
    return project ? project->toJsonBytes() : QByteArray();
}

} // namespace

// Edits that a crash left in a project's autosave copy are found before the project opens,
// kept aside where opening cannot overwrite them, and stay there until the project is saved.
class TestRecovery : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { redirectDataFolder(); }
    void init();
    void cleanup();

    void offeredOnlyForDifferentContent_data();
    void offeredOnlyForDifferentContent();
    void neverSavedProjectIsComparedWithAFreshOne();
    void openingAfterACrashKeepsTheEditsAside();
    void restoredEditsOpenAsAnEditedProject();
    void workingCopiesAreNamedApart_data();
    void workingCopiesAreNamedApart();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_file;
};

void TestRecovery::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_file = m_dir->filePath("show.vlmproj");
}

void TestRecovery::cleanup()
{
    const QString defaultPath = QovProjectDataModel::defaultProjectPath();
    QFile::remove(QovProjectDataModel::autosavePathFor(defaultPath));
    QFile::remove(QovRecovery::keptPathFor(defaultPath));
    m_dir.reset();
}

void TestRecovery::offeredOnlyForDifferentContent_data()
{
    QTest::addColumn<QByteArray>("copy");
    QTest::addColumn<int>("msAfterFile"); // when the copy was written
    QTest::addColumn<bool>("offered");

    const QByteArray saved = projectBytes("Show", 2);
    const QByteArray edited = projectBytes("Show after edits", 2);
    QTest::newRow("no autosave copy") << QByteArray() << 0 << false;
    QTest::newRow("newer, different") << edited << 60000 << true;
    // Not in whole seconds.
    QTest::newRow("newer by a few ms, different") << edited << 5 << true;
    // The file was replaced after the copy was written (a copy put back, a backup): the edits
    // were saved nowhere, so they are offered all the same.
    QTest::newRow("older, different") << edited << -60000 << true;
    // Within one tick of the file system's clock: written after the file all the same.
    QTest::newRow("same time, different") << edited << 0 << true;
    QTest::newRow("newer, same bytes") << saved << 60000 << false;
    QTest::newRow("older, same bytes") << saved << -60000 << false;
    QTest::newRow("newer, same content spelt differently")
        << QJsonDocument::fromJson(saved).toJson(QJsonDocument::Indented) << 60000 << false;
    QTest::newRow("newer, one device more") << projectBytes("Show", 3) << 60000 << true;
    QTest::newRow("newer, not JSON") << QByteArray("{\"title\":\"Sh") << 60000 << false;
}

void TestRecovery::offeredOnlyForDifferentContent()
{
    QFETCH(QByteArray, copy);
    QFETCH(int, msAfterFile);
    QFETCH(bool, offered);
    const QDateTime fileTime = QDateTime::currentDateTime().addSecs(-3600);
    QVERIFY(writeAll(m_file, projectBytes("Show", 2), fileTime));
    const QString autosave = QovProjectDataModel::autosavePathFor(m_file);
    const QDateTime copyTime = fileTime.addMSecs(msAfterFile);
    if (!copy.isNull()) {
        QVERIFY(writeAll(autosave, copy, copyTime));
    }

    const QovRecovery::Unsaved unsaved = QovRecovery::keepUnsavedChanges(m_file);
    QCOMPARE(unsaved.found(), offered);
    const QString kept = QovRecovery::keptPathFor(m_file);
    QCOMPARE(QFile::exists(kept), offered);
    if (offered) {
        QCOMPARE(unsaved.keptPath, kept);
        QCOMPARE(readAll(kept), copy);
        QCOMPARE(unsaved.changedAt, copyTime);
        QCOMPARE(unsaved.fileChangedSince, msAfterFile < 0);
        // The time the edits were made, not the time they were kept aside.
        QCOMPARE(QFileInfo(kept).lastModified(), copyTime);
    }
    // Looking never changes what it looks at.
    QCOMPARE(readAll(autosave), copy);
    QCOMPARE(readAll(m_file), projectBytes("Show", 2));
}

void TestRecovery::neverSavedProjectIsComparedWithAFreshOne()
{
    const QString defaultPath = QovProjectDataModel::defaultProjectPath();
    QVERIFY(!QFile::exists(defaultPath));
    const QString autosave = QovProjectDataModel::autosavePathFor(defaultPath);
    QVERIFY(QDir().mkpath(QFileInfo(autosave).absolutePath()));
    const QDateTime now = QDateTime::currentDateTime();

    // A fresh project holds nothing to restore.
    QVERIFY(writeAll(autosave, QovProjectDataModel().toJsonBytes(), now));
    QVERIFY(!QovRecovery::keepUnsavedChanges(defaultPath).found());

    // Edited, it is offered. Kept aside, discarded and not offered again: tst_startup drives
    // that through the program.
    QovProjectDataModel edited;
    edited.setProjectName("Festival");
    QVERIFY(writeAll(autosave, edited.toJsonBytes(), now));
    QVERIFY(QovRecovery::keepUnsavedChanges(defaultPath).found());
}

// Before, opening a file rewrote its autosave copy at once and the edits of a crashed run were
// gone. Now they survive the opening, and every autosave after it, until the next save.
void TestRecovery::openingAfterACrashKeepsTheEditsAside()
{
    QVERIFY(writeAll(m_file, projectBytes("Show", 1), QDateTime::currentDateTime().addSecs(-60)));
    const QString autosave = QovProjectDataModel::autosavePathFor(m_file);
    const QByteArray crashEdits = projectBytes("Show with crash edits", 1);
    QVERIFY(writeAll(autosave, crashEdits, QDateTime::currentDateTime()));

    const QovRecovery::Unsaved unsaved = QovRecovery::keepUnsavedChanges(m_file);
    QVERIFY(unsaved.found());
    // The user discards: the file opens and its autosave copy is written anew.
    QovRecovery::discardUnsavedChanges(m_file, unsaved);
    auto [model, error] = loadProject(m_file);
    std::unique_ptr<QovProjectDataModel> project(model);
    QVERIFY2(project, qPrintable(error));
    project->waitForAutosave();
    QCOMPARE(readAll(autosave), readAll(m_file));
    project->setProjectName("Later edit");
    project->waitForAutosave();
    QVERIFY(readAll(autosave).contains("Later edit"));
    QCOMPARE(readAll(unsaved.keptPath), crashEdits);

    // A second crash before any save: the newer edits are kept aside, and the discarded ones
    // are not lost to them.
    const QovRecovery::Unsaved again = QovRecovery::keepUnsavedChanges(m_file);
    QCOMPARE(again.keptPath, unsaved.keptPath);
    QVERIFY(readAll(again.keptPath).contains("Later edit"));
    QStringList kept = QovRecovery::keptPathsFor(m_file);
    QCOMPARE(kept.size(), 2);
    kept.removeOne(again.keptPath);
    QCOMPARE(readAll(kept.value(0)), crashEdits);

    // The next save ends it: the user has had the choice and has saved over it.
    QVERIFY(project->saveTo(m_file));
    QCOMPARE(QovRecovery::keptPathsFor(m_file), QStringList());
    QVERIFY(readAll(m_file).contains("Later edit"));
}

void TestRecovery::restoredEditsOpenAsAnEditedProject()
{
    QVERIFY(writeAll(m_file, projectBytes("Show", 1), QDateTime::currentDateTime().addSecs(-60)));
    const QString autosave = QovProjectDataModel::autosavePathFor(m_file);
    const QByteArray crashEdits = projectBytes("Show with crash edits", 3);
    QVERIFY(writeAll(autosave, crashEdits, QDateTime::currentDateTime()));
    const QovRecovery::Unsaved unsaved = QovRecovery::keepUnsavedChanges(m_file);
    QVERIFY(unsaved.found());

    auto [model, error] = loadUnsavedChanges(m_file, unsaved.keptPath);
    std::unique_ptr<QovProjectDataModel> project(model);
    QVERIFY2(project, qPrintable(error));
    QCOMPARE(project->savePath(), m_file);
    QVERIFY(project->isEdited());
    QCOMPARE(project->projectName(), QString("Show with crash edits"));
    QCOMPARE(project->appDevices().size(), 3);
    // The new autosave copy holds the restored edits; the file and the copy aside are kept.
    project->waitForAutosave();
    QCOMPARE(QJsonDocument::fromJson(readAll(autosave)), QJsonDocument::fromJson(crashEdits));
    QCOMPARE(readAll(m_file), projectBytes("Show", 1));
    QCOMPARE(readAll(unsaved.keptPath), crashEdits);

    // Saved under another name, the project's edits are in that file; the copy aside goes.
    const QString other = m_dir->filePath("other.vlmproj");
    QVERIFY(project->saveTo(other));
    QVERIFY(!QFile::exists(unsaved.keptPath));
    QCOMPARE(QJsonDocument::fromJson(readAll(other)), QJsonDocument::fromJson(crashEdits));
}

void TestRecovery::workingCopiesAreNamedApart_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("workingCopy");
    QTest::newRow("project") << "/d/show.vlmproj" << false;
    QTest::newRow("any name") << "/d/show" << false;
    QTest::newRow("project named .tmp") << "/d/show.tmp" << false;
    QTest::newRow("autosave") << QovProjectDataModel::autosavePathFor("/d/show.vlmproj") << true;
    QTest::newRow("kept aside") << QovRecovery::keptPathFor("/d/show.vlmproj") << true;
    QTest::newRow("autosave being written") << "/d/show.vlmproj.autosave.0a1b2c3d.tmp" << true;
    QTest::newRow("kept copy being written") << "/d/show.vlmproj.unsaved.99ff0000.tmp" << true;
}

void TestRecovery::workingCopiesAreNamedApart()
{
    QFETCH(QString, path);
    QTEST(QovRecovery::isWorkingCopy(path), "workingCopy");
}

QTEST_GUILESS_MAIN(TestRecovery)
#include "tst_recovery.moc"
