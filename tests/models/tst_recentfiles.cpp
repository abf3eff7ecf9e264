#include "models/qovpersistentdatamodel.h"
#include "tempprofile.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestRecentFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_profile = std::make_unique<TempProfile>(); }
    void cleanup() { m_profile.reset(); }

    void addRecent_data();
    void addRecent();
    void loweredLimitTruncatesAndWritesBack();
    void setRecentFilesComparesInOrder();

private:
    QStringList storedList() const
    {
        return QSettings(m_profile->persistentDataFile(), QSettings::IniFormat)
            .value("recent_files")
            .toStringList();
    }

    std::unique_ptr<TempProfile> m_profile;
};

void TestRecentFiles::addRecent_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QStringList>("after");

    QTest::newRow("empty") << QStringList{} << "/p/a" << QStringList{"/p/a"};
    QTest::newRow("third moves to front") << QStringList{"/p/a", "/p/b", "/p/c", "/p/d"} << "/p/c"
                                          << QStringList{"/p/c", "/p/a", "/p/b", "/p/d"};
    QTest::newRow("sixth drops oldest")
        << QStringList{"/p/1", "/p/2", "/p/3", "/p/4", "/p/5"} << "/p/6"
        << QStringList{"/p/6", "/p/1", "/p/2", "/p/3", "/p/4"};
    QTest::newRow("every duplicate removed")
        << QStringList{"/p/a", "/p/x", "/p/a"} << "/p/a" << QStringList{"/p/a", "/p/x"};
    QTest::newRow("case-sensitive") << QStringList{"/p/A"} << "/p/a" << QStringList{"/p/a", "/p/A"};
}

void TestRecentFiles::addRecent()
{
    QFETCH(QStringList, before);
    QFETCH(QString, added);
    QFETCH(QStringList, after);
    {
        QSettings seed(m_profile->persistentDataFile(), QSettings::IniFormat);
        seed.setValue("recent_files", before);
    }
    QovPersistentDataModel model;
    QCOMPARE(model.recentFiles(), before);
    QSignalSpy spy(&model, &QovPersistentDataModel::recentFilesChanged);

    model.addRecent(added);

    QCOMPARE(model.recentFiles(), after);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toStringList(), after);
    QCOMPARE(storedList(), after);
    QCOMPARE(QSettings(m_profile->persistentDataFile(), QSettings::IniFormat).value("version"),
             QVariant(1));
}

void TestRecentFiles::loweredLimitTruncatesAndWritesBack()
{
    m_profile->writePersistentData("[General]\nrecent_files=/p/1, /p/2, /p/3, /p/4, /p/5\n");
    m_profile->writeProgramSettings("[Debug]\nmax_of_recent_files=2\n");

    QovPersistentDataModel model;
    QCOMPARE(model.recentFiles(), QStringList({"/p/1", "/p/2"}));
    QCOMPARE(storedList().size(), 5); // loading alone writes nothing

    model.addRecent("/p/9");
    QCOMPARE(storedList(), QStringList({"/p/9", "/p/1"}));
}

void TestRecentFiles::setRecentFilesComparesInOrder()
{
    QovPersistentDataModel model;
    QSignalSpy spy(&model, &QovPersistentDataModel::recentFilesChanged);
    model.setRecentFiles({"/a", "/b"});
    model.setRecentFiles({"/a", "/b"});
    QCOMPARE(spy.count(), 1);
    model.setRecentFiles({"/b", "/a"});
    QCOMPARE(spy.count(), 2);
    QVERIFY2(!QFile::exists(m_profile->persistentDataFile()), "setter must not write the file");
}

QTEST_GUILESS_MAIN(TestRecentFiles)
#include "tst_recentfiles.moc"
