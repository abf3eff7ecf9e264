// The device name a settings page lets the user type is one the project file can hold: the
// page's model.js, as the build ships it, keeps exactly the characters and the length the
// program's text rules allow. Fails when a page spells a rule of its own again.
#include "models/qovtextrules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

class TestPageTextRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deviceNamesFollowTheProjectRules();
};

void TestPageTextRules::deviceNamesFollowTheProjectRules()
{
    const QString script =
        QStringLiteral("const M = require(process.env.VELMORA_WEBCONTENTS + '/shared/model.js');"
                       "const kept = [];"
                       "for (let u = 0; u <= 0xffff; ++u) {"
                       "  const c = String.fromCharCode(u);"
                       "  if (M.cleanDeviceName(c) === c) kept.push(u);"
                       "}"
                       "process.stdout.write(JSON.stringify({ kept: kept,"
                       "  length: M.NAME_LENGTHS.device,"
                       "  cut: M.cleanDeviceName('x'.repeat(100)).length }));");
    QProcess node;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VELMORA_WEBCONTENTS"), QStringLiteral(VELMORA_WEBCONTENTS));
    node.setProcessEnvironment(environment);
    node.start(QStringLiteral(VELMORA_NODE), {QStringLiteral("-e"), script});
    QVERIFY2(node.waitForFinished(60000), qPrintable(node.errorString()));
    QVERIFY2(node.exitCode() == 0, node.readAllStandardError().constData());
    const QJsonObject page = QJsonDocument::fromJson(node.readAllStandardOutput()).object();

    QCOMPARE(page.value(QStringLiteral("length")).toInt(), QovTextRules::deviceNameLength);
    QCOMPARE(page.value(QStringLiteral("cut")).toInt(), QovTextRules::deviceNameLength);
    const QJsonArray kept = page.value(QStringLiteral("kept")).toArray();
    QVERIFY(!kept.isEmpty());
    int next = 0;
    for (int unit = 0; unit <= 0xffff; ++unit) {
        const bool pageKeeps = next < kept.size() && kept.at(next).toInt() == unit;
        next += pageKeeps ? 1 : 0;
        const bool programKeeps = QovTextRules::isDeviceName(QString(QChar(char16_t(unit))));
        QVERIFY2(pageKeeps == programKeeps,
                 qPrintable(
                     QStringLiteral("U+%1: the page %2 it, the program %3 it")
                         .arg(unit, 4, 16, QLatin1Char('0'))
                         .arg(pageKeeps ? QStringLiteral("keeps") : QStringLiteral("drops"))
                         .arg(programKeeps ? QStringLiteral("keeps") : QStringLiteral("refuses"))));
    }
}

QTEST_APPLESS_MAIN(TestPageTextRules)
#include "tst_pagetextrules.moc"
