#include "cli/qovcliarguments.h"

#include <QtTest>

// The command line is the whole user interface of an unattended program: every mistake must be
// a usage error with a message, and every accepted form must mean exactly one thing.
class TestCliArguments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusedCommandLines_data();
    void refusedCommandLines();
    void acceptedCommandLines();
};

void TestCliArguments::refusedCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");
    QTest::newRow("nothing") << QStringList{} << "no command";
    QTest::newRow("unknown command") << QStringList{"erase"} << "unknown command";
    QTest::newRow("restore without --yes") << QStringList{"restore", "a.vlmproj"} << "--yes";
    QTest::newRow("--yes belongs to restore")
        << QStringList{"backup", "--all", "-o", "f", "--yes"} << "unknown option";
    QTest::newRow("partial copies belong to restore")
        << QStringList{"backup", "--all", "-o", "f", "--allow-partial-copy"} << "unknown option";
    QTest::newRow("backup without target") << QStringList{"backup", "-o", "f"} << "--all or";
    QTest::newRow("backup with both")
        << QStringList{"backup", "--all", "127.0.0.2", "-o", "f"} << "--all or";
    QTest::newRow("backup without file") << QStringList{"backup", "--all"} << "-o FILE";
    QTest::newRow("-o without value") << QStringList{"backup", "--all", "-o"} << "needs a file";
    QTest::newRow("host name") << QStringList{"backup", "mixer.local", "-o", "f"} << "IPv4";
    QTest::newRow("short address") << QStringList{"backup", "127.1", "-o", "f"} << "IPv4";
    QTest::newRow("wait zero") << QStringList{"list", "--wait", "0"} << "--wait";
    QTest::newRow("wait text") << QStringList{"list", "--wait", "soon"} << "--wait";
    QTest::newRow("wait missing") << QStringList{"list", "--wait"} << "--wait";
    QTest::newRow("list with address") << QStringList{"list", "127.0.0.2"} << "no addresses";
    QTest::newRow("device without to") << QStringList{"diff", "a", "--device", "1"} << "no --to";
    QTest::newRow("device twice") << QStringList{"diff", "a", "--device", "1", "--device", "2"}
                                  << "no --to";
    QTest::newRow("to first") << QStringList{"diff", "a", "--to", "127.0.0.2"} << "must follow";
    QTest::newRow("device zero") << QStringList{"diff", "a", "--device", "0", "--to", "127.0.0.2"}
                                 << "from 1";
    QTest::newRow("to host name") << QStringList{"diff", "a", "--device", "1", "--to", "x"}
                                  << "IPv4";
    QTest::newRow("address missing") << QStringList{"list", "--address"} << "--address needs";
    QTest::newRow("address with port")
        << QStringList{"list", "--address", "127.0.0.2:80"} << "not an IPv4 address or host";
    QTest::newRow("address list with a hole")
        << QStringList{"diff", "a", "--address", "127.0.0.2,,127.0.0.3"} << "\"\" is not";
    QTest::newRow("address as URL")
        << QStringList{"list", "--address", "http://mixer"} << "not an IPv4 address or host";
    QTest::newRow("two files") << QStringList{"diff", "a", "b"} << "exactly one";
    QTest::newRow("no file") << QStringList{"diff"} << "exactly one";
}

void TestCliArguments::refusedCommandLines()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    const QovCliArguments parsed = QovCliArguments::parse(arguments);
    QVERIFY2(parsed.error.contains(error), qPrintable(parsed.error));
}

void TestCliArguments::acceptedCommandLines()
{
    QovCliArguments backup = QovCliArguments::parse(
        {"backup", "127.0.0.3", "127.0.0.2", "-o", "out.vlmproj", "--json", "--wait", "12"});
    QVERIFY2(backup.error.isEmpty(), qPrintable(backup.error));
    QCOMPARE(backup.command, QovCliArguments::Backup);
    QCOMPARE(backup.addresses, (QStringList{"127.0.0.3", "127.0.0.2"}));
    QCOMPARE(backup.output, QString("out.vlmproj"));
    QVERIFY(backup.json);
    QCOMPARE(backup.waitSeconds, 12);

    const QovCliArguments restore =
        QovCliArguments::parse({"restore", "p.vlmproj", "--device", "2", "--to", "127.0.0.9",
                                "--device", "1", "--to", "127.0.0.8", "--yes"});
    QVERIFY2(restore.error.isEmpty(), qPrintable(restore.error));
    QCOMPARE(restore.projectFile, QString("p.vlmproj"));
    QCOMPARE(restore.pairs.size(), 2);
    QCOMPARE(restore.pairs.at(0), (QPair<int, QString>(2, "127.0.0.9")));
    QCOMPARE(restore.pairs.at(1), (QPair<int, QString>(1, "127.0.0.8")));
    // A mixer with unreadable data sets is overwritten only when asked for by name.
    QVERIFY(!restore.allowPartialCopy);
    QVERIFY(QovCliArguments::parse({"restore", "p.vlmproj", "--yes", "--allow-partial-copy"})
                .allowPartialCopy);

    // Repeated and comma lists add up, once each, for every command.
    const QovCliArguments list =
        QovCliArguments::parse({"list", "--address", "127.0.0.5, mixer-2.stage", "--address",
                                "127.0.0.5", "--address", "169.254.3.4"});
    QVERIFY2(list.error.isEmpty(), qPrintable(list.error));
    QCOMPARE(list.askAddresses, (QStringList{"127.0.0.5", "mixer-2.stage", "169.254.3.4"}));
    for (const QStringList &line :
         {QStringList{"backup", "--all", "-o", "f"}, QStringList{"restore", "p.vlmproj", "--yes"},
          QStringList{"diff", "p.vlmproj"}}) {
        const QovCliArguments parsed =
            QovCliArguments::parse(line + QStringList{"--address", "mixer.local"});
        QVERIFY2(parsed.error.isEmpty(), qPrintable(parsed.error));
        QCOMPARE(parsed.askAddresses, QStringList{"mixer.local"});
    }

    // Help wins over everything else on the line, so that it is always reachable.
    QCOMPARE(QovCliArguments::parse({"restore", "--help"}).command, QovCliArguments::Help);
    QCOMPARE(QovCliArguments::parse({"--help"}).command, QovCliArguments::Help);
    QVERIFY(QovCliArguments::usage().contains("Exit codes"));
}

QTEST_APPLESS_MAIN(TestCliArguments)
#include "tst_cliarguments.moc"
