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
    const auto row = [](const char *name, const QStringList &arguments, const char *error) {
        QTest::newRow(name) << arguments << QString(error);
    };
    row("nothing", {}, "no command");
    row("unknown command", {"erase"}, "unknown command");
    row("restore without --yes", {"restore", "a.vlmproj"}, "--yes");
    row("--yes belongs to restore", {"backup", "--all", "-o", "f", "--yes"}, "unknown option");
    row("partial copies belong to restore", {"backup", "--all", "-o", "f", "--allow-partial-copy"},
        "unknown option");
    row("backup without target", {"backup", "-o", "f"}, "--all or");
    row("backup with both", {"backup", "--all", "127.0.0.2", "-o", "f"}, "--all or");
    row("backup without file", {"backup", "--all"}, "-o FILE");
    row("-o without value", {"backup", "--all", "-o"}, "needs a file");
    row("host name", {"backup", "mixer.local", "-o", "f"}, "IPv4");
    row("short address", {"backup", "127.1", "-o", "f"}, "IPv4");
    row("wait zero", {"list", "--wait", "0"}, "--wait");
    row("wait text", {"list", "--wait", "soon"}, "--wait");
    row("wait missing", {"list", "--wait"}, "--wait");
    row("list with address", {"list", "127.0.0.2"}, "no addresses");
    row("device without to", {"diff", "a", "--device", "1"}, "no --to");
    row("device twice", {"diff", "a", "--device", "1", "--device", "2"}, "no --to");
    row("to first", {"diff", "a", "--to", "127.0.0.2"}, "must follow");
    row("device zero", {"diff", "a", "--device", "0", "--to", "127.0.0.2"}, "from 1");
    row("to host name", {"diff", "a", "--device", "1", "--to", "x"}, "IPv4");
    row("address missing", {"list", "--address"}, "--address needs");
    row("address with port", {"list", "--address", "127.0.0.2:80"}, "not an IPv4 address or host");
    row("address list with a hole", {"diff", "a", "--address", "127.0.0.2,,127.0.0.3"},
        "\"\" is not");
    row("address as URL", {"list", "--address", "http://mixer"}, "not an IPv4 address or host");
    row("two files", {"diff", "a", "b"}, "exactly one");
    row("no file", {"diff"}, "exactly one");
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
    QCOMPARE(restore.pairs, (QList<QPair<int, QString>>{{2, "127.0.0.9"}, {1, "127.0.0.8"}}));
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
