#include "models/qovzephdatadiff.h"

#include "models/qovdatasettable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>
#include <set>

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

// The library's slots by number; members that are not slot objects are left out.
std::map<int, QJsonObject> librarySlots(const QJsonObject &library)
{
    std::map<int, QJsonObject> found;
    for (const QJsonValue &value : library.value(QStringLiteral("entries")).toArray()) {
        const QJsonObject slot = value.toObject();
        if (slot.value(QStringLiteral("slot")).isDouble()) {
            found[slot.value(QStringLiteral("slot")).toInt()] = slot;
        }
    }
    return found;
}

QVector<QovZephDataDiffSlot> diffSlots(const QJsonObject &file, const QJsonObject &mixer)
{
    std::map<int, QJsonObject> fileSlots = librarySlots(file);
    std::map<int, QJsonObject> mixerSlots = librarySlots(mixer);
    std::set<int> numbers;
    for (const auto &slot : fileSlots) {
        numbers.insert(slot.first);
    }
    for (const auto &slot : mixerSlots) {
        numbers.insert(slot.first);
    }
    QVector<QovZephDataDiffSlot> changed;
    for (const int number : numbers) {
        const QJsonObject &fileSlot = fileSlots[number];
        const QJsonObject &mixerSlot = mixerSlots[number];
        QovZephDataDiffSlot slot;
        slot.slot = number;
        slot.fileName = fileSlot.value(QStringLiteral("name")).toString();
        slot.mixerName = mixerSlot.value(QStringLiteral("name")).toString();
        if (fileSlot != mixerSlot && !(slot.fileName.isEmpty() && slot.mixerName.isEmpty())) {
            changed.append(slot);
        }
    }
    return changed;
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
    if (!named && !equal && file.parsed && mixer.parsed &&
        (type == QovDataSetInfo::kEq12Band || type == QovDataSetInfo::kEq4Band)) {
        entry.changedSlots = diffSlots(file.object, mixer.object);
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

QVector<QovZephDataDiffEntry> qovDiffZephData(const QovZephData &file, const QovZephData &mixer)
{
    QVector<QovZephDataDiffEntry> entries;
    auto banks = [&](int type, const QStringList &fileBanks, const QStringList &mixerBanks) {
        const int count = std::max(fileBanks.size(), mixerBanks.size());
        for (int bank = 0; bank < count; ++bank) {
            QovZephDataDiffEntry entry =
                compare(type, bank, fileBanks.value(bank), mixerBanks.value(bank), true);
            // A bank one side lacks altogether (a file cut short by hand) is on the other side
            // only, whether that side uses it or not.
            if (bank >= fileBanks.size()) {
                entry.state = QovZephDataDiffEntry::OnlyOnMixer;
            } else if (bank >= mixerBanks.size()) {
                entry.state = QovZephDataDiffEntry::OnlyInFile;
            }
            entries.append(entry);
        }
    };
    banks(QovDataSetInfo::kPreset, file.preset, mixer.preset);
    entries.append(compare(QovDataSetInfo::kEq12Band, 0, file.eq12Band, mixer.eq12Band, false));
    entries.append(compare(QovDataSetInfo::kEq4Band, 0, file.eq4Band, mixer.eq4Band, false));
    banks(QovDataSetInfo::kPartialPreset, file.partialPreset, mixer.partialPreset);
    entries.append(compare(QovDataSetInfo::kCurrent, 0, file.current, mixer.current, false));
    return entries;
}
