#include "models/qovzephdata.h"

#include "models/qovdatasettable.h"

namespace {
QStringList emptyObjects(int count)
{
    QStringList list;
    list.reserve(count);
    for (int i = 0; i < count; ++i) {
        list.append(QStringLiteral("{}"));
    }
    return list;
}
} // namespace

QovZephData::QovZephData()
    : preset(emptyObjects(presetBankCount))
    , eq12Band(QStringLiteral("{}"))
    , eq4Band(QStringLiteral("{}"))
    , partialPreset(emptyObjects(partialPresetBankCount))
    , current(QStringLiteral("{}"))
{
}

bool operator==(const QovZephData &a, const QovZephData &b)
{
    return a.preset == b.preset && a.eq12Band == b.eq12Band && a.eq4Band == b.eq4Band &&
           a.partialPreset == b.partialPreset && a.current == b.current && a.error == b.error &&
           a.unreadable == b.unreadable;
}

bool operator==(const QovDataSlot &a, const QovDataSlot &b)
{
    return a.code == b.code && a.bank == b.bank;
}

bool operator!=(const QovZephData &a, const QovZephData &b)
{
    return !(a == b);
}

QString &QovZephData::set(int code, int bank)
{
    switch (code) {
    case QovDataSetInfo::kPreset:
        return preset[bank];
    case QovDataSetInfo::kEq12Band:
        return eq12Band;
    case QovDataSetInfo::kEq4Band:
        return eq4Band;
    case QovDataSetInfo::kPartialPreset:
        return partialPreset[bank];
    default:
        return current;
    }
}
