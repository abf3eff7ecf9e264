#include "models/qovzephdatadiff.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

struct Bank
{
    QJsonObject object;
    bool parsed = false;
    // A preset bank counts as used when it was stored; other data sets are always used.
    bool used = true;
    QString name;
};

Bank readBank(const QString &text, bool named)
{
    Bank bank;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    bank.parsed = document.isObject();
    bank.object = document.object();
    if (named) {
        bank.name = bank.object.value(QStringLiteral("name")).toString();
        bank.used = bank.object.value(QStringLiteral("stored")).toBool();
    }
    return bank;
}

QovZephDataDiffEntry compare(int type, int bank, const QString &fileText, const QString &mixerText,
                             bool named)
{
    QovZephDataDiffEntry entry;
    entry.type = type;
    entry.bank = bank;
    const Bank file = readBank(fileText, named);
    const Bank mixer = readBank(mixerText, named);
    entry.fileName = file.used ? file.name : QString();
    entry.mixerName = mixer.used ? mixer.name : QString();
    entry.fileUsed = file.used;
    entry.mixerUsed = mixer.used;
    // Texts that are not JSON objects can only be compared as they stand.
    const bool equal =
        (file.parsed && mixer.parsed) ? file.object == mixer.object : fileText == mixerText;
    if (equal) {
        entry.state = QovZephDataDiffEntry::Same;
    } else if (file.used && !mixer.used) {
        entry.state = QovZephDataDiffEntry::OnlyInFile;
    } else if (!file.used && mixer.used) {
        entry.state = QovZephDataDiffEntry::OnlyOnMixer;
    } else {
        entry.state = QovZephDataDiffEntry::Differs;
    }
    return entry;
}

} // namespace

QString QovZephDataDiffEntry::stateText(State state)
{
    switch (state) {
    case Same:
        return QStringLiteral("same");
    case Differs:
        return QStringLiteral("differs");
    case OnlyInFile:
        return QStringLiteral("only in file");
    case OnlyOnMixer:
        return QStringLiteral("only on mixer");
    }
    return QString();
}

QString QovZephDataDiffEntry::typeText(int type)
{
    switch (type) {
    case 2:
        return QStringLiteral("preset");
    case 3:
        return QStringLiteral("12-band EQ library");
    case 4:
        return QStringLiteral("4-band EQ library");
    case 6:
        return QStringLiteral("partial preset");
    case 7:
        return QStringLiteral("current state");
    default:
        return QStringLiteral("data set %1").arg(type);
    }
}

QVector<QovZephDataDiffEntry> qovDiffZephData(const QovZephData &file, const QovZephData &mixer)
{
    QVector<QovZephDataDiffEntry> entries;
    auto banks = [&](int type, const QStringList &fileBanks, const QStringList &mixerBanks) {
        const int count = std::max(fileBanks.size(), mixerBanks.size());
        for (int bank = 0; bank < count; ++bank) {
            entries.append(
                compare(type, bank, fileBanks.value(bank), mixerBanks.value(bank), true));
        }
    };
    banks(2, file.preset, mixer.preset);
    entries.append(compare(3, 0, file.eq12Band, mixer.eq12Band, false));
    entries.append(compare(4, 0, file.eq4Band, mixer.eq4Band, false));
    banks(6, file.partialPreset, mixer.partialPreset);
    entries.append(compare(7, 0, file.current, mixer.current, false));
    return entries;
}
