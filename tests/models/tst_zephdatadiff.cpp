#include "models/qovdatasettable.h"
#include "models/qovzephdatadiff.h"

#include <QtTest>

// Which EQ library slots the comparison names: only slots whose content differs and that are
// used on at least one side, matched by slot number rather than by position in the list.
class TestZephDataDiff : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void librarySlots_data();
    void librarySlots();
    void dataSetNames_data();
    void dataSetNames();
};

namespace {

QString slot(int number, const QString &name, int gain = 0)
{
    return QString(R"({"slot":%1,"name":"%2","bands":[{"gain_db":%3}]})")
        .arg(number)
        .arg(name)
        .arg(gain);
}

QString library(const QStringList &entries)
{
    return QStringLiteral(R"({"entries":[%1]})").arg(entries.join(','));
}

} // namespace

void TestZephDataDiff::librarySlots_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("mixer");
    // "slot:file name:mixer name" for each slot listed, in order.
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("same");

    const QString kick = slot(0, "Kick");
    const QString vocal = slot(1, "Vocal");
    const auto row = [](const char *name, const QStringList &file, const QStringList &mixer,
                        const QStringList &expected, bool same = false) {
        QTest::newRow(name) << library(file) << library(mixer) << expected << same;
    };
    row("renamed, emptied and new slots", {kick, vocal, slot(2, "")},
        {slot(0, "Kick 2"), slot(1, ""), slot(2, "Snare")},
        {"0:Kick:Kick 2", "1:Vocal:", "2::Snare"});
    row("a curve changed under the same name", {kick, vocal}, {kick, slot(1, "Vocal", 3)},
        {"1:Vocal:Vocal"});
    // The text differs, but no slot does.
    row("slots in another order are matched by number", {kick, vocal}, {vocal, kick}, {});
    row("equal", {kick, vocal}, {kick, vocal}, {}, true);
    row("a slot missing on one side", {kick, vocal}, {kick}, {"1:Vocal:"});
    // Only unused slots differ: the library differs, but there is no slot to name.
    row("unused curves only", {kick, slot(5, "", 0)}, {kick, slot(5, "", 2)}, {});
    QTest::newRow("not a library of slots")
        << QStringLiteral(R"({"entries":7})") << QStringLiteral(R"({"entries":8})") << QStringList{}
        << false;
}

void TestZephDataDiff::librarySlots()
{
    QFETCH(QString, file);
    QFETCH(QString, mixer);
    for (const int type : {3, 4}) {
        QovZephData fileData;
        QovZephData mixerData;
        (type == 3 ? fileData.eq12Band : fileData.eq4Band) = file;
        (type == 3 ? mixerData.eq12Band : mixerData.eq4Band) = mixer;
        QovZephDataDiffEntry library;
        for (const QovZephDataDiffEntry &entry : qovDiffZephData(fileData, mixerData)) {
            if (entry.type == type) {
                library = entry;
            } else {
                QVERIFY(entry.changedSlots.isEmpty());
            }
        }
        QTEST(library.state == QovZephDataDiffEntry::Same, "same");
        QStringList found;
        for (const QovZephDataDiffSlot &changed : library.changedSlots) {
            found << QStringLiteral("%1:%2:%3")
                         .arg(changed.slot)
                         .arg(changed.fileName, changed.mixerName);
        }
        QTEST(found, "expected");
    }
}

QTEST_APPLESS_MAIN(TestZephDataDiff)
// Every place that names a data set to a person takes the name from one table: the window's
// labels count banks from 1, the progress also says out of how many; the command line and the
// messages about one set count them from 0, as the mixer and the files do.
void TestZephDataDiff::dataSetNames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("bank");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("ofAll");
    QTest::addColumn<QString>("noun");
    QTest::addColumn<QString>("slot");
    const auto row = [](const char *name, int code, int bank, const char *label, const char *ofAll,
                        const char *noun, const char *slot) {
        QTest::newRow(name) << code << bank << QString(label) << QString(ofAll) << QString(noun)
                            << QString(slot);
    };
    row("preset", 2, 2, "Preset 3", "Preset 3 of 8", "preset", "preset 2");
    row("12-band", 3, 0, "12-band EQ library", "12-band EQ library", "12-band EQ library",
        "12-band EQ library");
    row("4-band", 4, 0, "4-band EQ library", "4-band EQ library", "4-band EQ library",
        "4-band EQ library");
    row("partial", 6, 39, "Partial preset 40", "Partial preset 40 of 40", "partial preset",
        "partial preset 39");
    row("current", 7, 0, "Current state", "Current state", "current state", "current state");
    row("unknown", 5, 0, "Data set 5", "Data set 5", "data set 5", "data set 5");
}

void TestZephDataDiff::dataSetNames()
{
    QFETCH(int, code);
    QFETCH(int, bank);
    QTEST(qovDataSetLabel(code, bank), "label");
    QTEST(qovDataSetLabel(code, bank, true), "ofAll");
    QTEST(qovDataSetNoun(code), "noun");
    QTEST(qovDataSetSlot(code, bank), "slot");
}

#include "tst_zephdatadiff.moc"
