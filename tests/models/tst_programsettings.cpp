#include "models/qovpersistentdatamodel.h"
#include "models/qovprogramsettingsmodel.h"
#include "projectfixture.h"
#include "readonlyfolder.h"
#include "tempprofile.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using AutoReconnect = QovProgramSettingsModel::AutoReconnectType;

class TestProgramSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_profile = std::make_unique<TempProfile>(); }
    void cleanup() { m_profile.reset(); }

    void readsStoredValues_data();
    void readsStoredValues();
    void compatibleModelsMerge_data();
    void compatibleModelsMerge();
    void setterEmitsOnlyOnChange();
    void saveWritesConfigOnly();
    void saveInReadOnlyFolderFailsQuietly();
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

void TestProgramSettings::readsStoredValues_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<bool>("topPage");
    QTest::addColumn<int>("reconnect");
    QTest::addColumn<uint>("maxDevices");
    QTest::addColumn<uint>("maxRecent");
    QTest::addColumn<uint>("keepAlive");
    QTest::addColumn<int>("httpTimeout");

    QTest::newRow("no file") << QByteArray() << true << 0 << 256u << 5u << 30u << 10000;
    QTest::newRow("all set") << QByteArray("[Config]\nshow_top_page=false\nauto_reconnect=2\n"
                                           "[Debug]\nmax_of_project_devices=12\n"
                                           "max_of_recent_files=3\nkeepalive_interval=7\n"
                                           "http_timeout_ms=250\n")
                             << false << 2 << 12u << 3u << 7u << 250;
    // Non-numbers convert to 0 as QVariant does; the program does not clamp the Debug limits.
    QTest::newRow("garbage numbers")
        << QByteArray("[Config]\nauto_reconnect=abc\n[Debug]\nmax_of_project_devices=lots\n"
                      "max_of_recent_files=-4\nkeepalive_interval=1.5\nhttp_timeout_ms=soon\n")
        << true << 0 << 0u << 0u << 0u << 0;
    // A reconnect mode no dialog can show falls back to none; Debug keys count only in Debug.
    QTest::newRow("unknown reconnect mode, key in the wrong group")
        << QByteArray("[Config]\nauto_reconnect=9\nhttp_timeout_ms=5\n") << true << 0 << 256u << 5u
        << 30u << 10000;
    QTest::newRow("bool words") << QByteArray("[Config]\nshow_top_page=0\n") << false << 0 << 256u
                                << 5u << 30u << 10000;
    QTest::newRow("not an ini file") << QByteArray("\x00\xff\xfe garbage ]]][[[ = = =\n\n=\x01", 24)
                                     << true << 0 << 256u << 5u << 30u << 10000;
}

void TestProgramSettings::readsStoredValues()
{
    QFETCH(QByteArray, ini);
    if (!ini.isNull()) {
        m_profile->writeProgramSettings(ini);
    }
    QovProgramSettingsModel model;
    QVERIFY2(QFile::exists(m_profile->programSettingsFile()) == !ini.isNull(),
             "reading must not create the file");
    QTEST(model.topPageVisible(), "topPage");
    QTEST(int(model.autoReconnect()), "reconnect");
    QTEST(model.maxNumberOfProjectDevices(), "maxDevices");
    QTEST(model.maxNumberOfRecentFiles(), "maxRecent");
    QTEST(model.keepAliveInterval(), "keepAlive");
    QTEST(model.httpTimeoutMs(), "httpTimeout");
}

void TestProgramSettings::compatibleModelsMerge_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("built-in only") << QByteArray() << QStringList{"ZEPH-2208", "ZEPH-2208NET"};
    QTest::newRow("single value") << QByteArray("[Debug]\ncompatible_models=ZEPH-4416\n")
                                  << QStringList{"ZEPH-2208", "ZEPH-2208NET", "ZEPH-4416"};
    QTest::newRow("duplicates keep first")
        << QByteArray("[Debug]\ncompatible_models=B, ZEPH-2208NET, A, B, A\n")
        << QStringList{"ZEPH-2208", "ZEPH-2208NET", "B", "A"};
    QTest::newRow("case differs is another name")
        << QByteArray("[Debug]\ncompatible_models=zeph-2208\n")
        << QStringList{"ZEPH-2208", "ZEPH-2208NET", "zeph-2208"};
}

void TestProgramSettings::compatibleModelsMerge()
{
    QFETCH(QByteArray, ini);
    m_profile->writeProgramSettings(ini);
    QTEST(QovProgramSettingsModel().compatibleModels(), "expected");
}

void TestProgramSettings::setterEmitsOnlyOnChange()
{
    QovProgramSettingsModel model;
    QSignalSpy topSpy(&model, &QovProgramSettingsModel::topPageVisibleChanged);
    QSignalSpy reconnectSpy(&model, &QovProgramSettingsModel::autoReconnectChanged);

    model.setTopPageVisible(true); // the default
    model.setTopPageVisible(false);
    model.setAutoReconnect(QovProgramSettingsModel::DEVICE2APP);
    model.setAutoReconnect(QovProgramSettingsModel::DEVICE2APP);
    QCOMPARE(topSpy.count(), 1);
    QCOMPARE(reconnectSpy.count(), 1);
    QCOMPARE(reconnectSpy.at(0).at(0).value<AutoReconnect>(), QovProgramSettingsModel::DEVICE2APP);
    QVERIFY2(!QFile::exists(m_profile->programSettingsFile()), "setters must not write the file");
}

void TestProgramSettings::saveWritesConfigOnly()
{
    m_profile->writeProgramSettings("[Debug]\nmax_of_recent_files=9\n");
    {
        QovProgramSettingsModel model;
        model.setTopPageVisible(false);
        model.setAutoReconnect(QovProgramSettingsModel::APP2DEVICE);
        QVERIFY(model.save());
    }
    // The Config values themselves are checked through the settings dialog (tst_smalldialogs).
    QSettings raw(m_profile->programSettingsFile(), QSettings::IniFormat);
    QCOMPARE(raw.value("version").toInt(), 1);
    // The hand-edited group survives untouched and nothing is added to it.
    QCOMPARE(raw.value("Debug/max_of_recent_files").toInt(), 9);
    raw.beginGroup("Debug");
    QCOMPARE(raw.childKeys(), QStringList{"max_of_recent_files"});
    raw.endGroup();
}

void TestProgramSettings::saveInReadOnlyFolderFailsQuietly()
{
    m_profile->writeProgramSettings("[Config]\nshow_top_page=true\n");
    const QString folder = QFileInfo(m_profile->programSettingsFile()).absolutePath();
    const QString problem = velmora::test::makeFolderReadOnly(folder);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    QovProgramSettingsModel model;
    model.setTopPageVisible(false);
    const bool saved = model.save();
    QovPersistentDataModel recent;
    recent.addRecent("/tmp/a.vlmproj"); // must not crash; the list still changes in memory
    velmora::test::makeFolderWritable(folder);

    QVERIFY(!saved);
    QCOMPARE(recent.recentFiles(), QStringList{"/tmp/a.vlmproj"});
    // The file on disk is untouched (QSettings caches unsynced values per process, so the file
    // itself is read back).
    QCOMPARE(projectfixture::readAll(m_profile->programSettingsFile()),
             QByteArray("[Config]\nshow_top_page=true\n"));
    QVERIFY(!QFile::exists(m_profile->persistentDataFile()));
}

void TestProgramSettings::addRecent_data()
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

void TestProgramSettings::addRecent()
{
    QFETCH(QStringList, before);
    QFETCH(QString, added);
    QFETCH(QStringList, after);
    {
        QSettings seed(m_profile->persistentDataFile(), QSettings::IniFormat);
        seed.setValue("recent_files", before);
    }
    QovPersistentDataModel model;
    QSignalSpy spy(&model, &QovPersistentDataModel::recentFilesChanged);

    model.addRecent(added);

    QCOMPARE(model.recentFiles(), after);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(storedList(), after);
    QCOMPARE(QSettings(m_profile->persistentDataFile(), QSettings::IniFormat).value("version"),
             QVariant(1));
}

void TestProgramSettings::loweredLimitTruncatesAndWritesBack()
{
    m_profile->writePersistentData("[General]\nrecent_files=/p/1, /p/2, /p/3, /p/4, /p/5\n");
    m_profile->writeProgramSettings("[Debug]\nmax_of_recent_files=2\n");

    QovPersistentDataModel model;
    QCOMPARE(model.recentFiles(), QStringList({"/p/1", "/p/2"}));
    QCOMPARE(storedList().size(), 5); // loading alone writes nothing

    model.addRecent("/p/9");
    QCOMPARE(storedList(), QStringList({"/p/9", "/p/1"}));
}

void TestProgramSettings::setRecentFilesComparesInOrder()
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

QTEST_GUILESS_MAIN(TestProgramSettings)
#include "tst_programsettings.moc"
