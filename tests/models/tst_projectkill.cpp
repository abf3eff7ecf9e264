#include "models/qovprojectdatamodel.h"
#include "projectfixture.h"
#include "tempprofile.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <memory>

// A save interrupted at any moment leaves the old project file or the new one, never a torn
// one and never none.
class TestProjectKill : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { projectfixture::redirectDataFolder(); }
    void killedSaveLeavesLoadableFile();
};

void TestProjectKill::killedSaveLeavesLoadableFile()
{
    TempProfile profile;
    const QString file = profile.path() + "/loop.vlmproj";
    const QString helper = QCoreApplication::applicationDirPath() + "/projectsaveloop";
    int savedRounds = 0;
    const int rounds = 30;
    for (int round = 0; round < rounds; ++round) {
        QProcess saver;
        saver.start(helper, {file});
        QVERIFY2(saver.waitForReadyRead(10000), qPrintable(saver.errorString()));
        QCOMPARE(saver.readLine().trimmed(), QByteArray("ready"));
        // The point is a random moment inside the save loop.
        QThread::msleep(QRandomGenerator::global()->bounded(1, 150));
        QCOMPARE(saver.state(), QProcess::Running);
        saver.kill();
        QVERIFY(saver.waitForFinished(10000));
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

        auto [model, error] = loadProject(file);
        std::unique_ptr<QovProjectDataModel> loaded(model);
        QVERIFY2(loaded, qPrintable(QString("round %1: %2").arg(round).arg(error)));
        QCOMPARE(loaded->appDevices().size(), 8);
        const QString title = loaded->projectName();
        QVERIFY2(title == "Start" || title == "Odd" || title == "Even", qPrintable(title));
        savedRounds += title != "Start";
    }
    // Otherwise every kill came before the first save of the loop and nothing was tested.
    QVERIFY2(savedRounds > rounds / 2, qPrintable(QString::number(savedRounds)));
}

QTEST_GUILESS_MAIN(TestProjectKill)
#include "tst_projectkill.moc"
