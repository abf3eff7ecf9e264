#include "models/qovdatasettable.h"

#include "models/qovzephdata.h"

#include <QCoreApplication>

const std::array<QovDataSetInfo, 5> &qovDataSets()
{
    static const std::array<QovDataSetInfo, 5> table{{
        {QovDataSetInfo::kPreset, QovZephData::presetBankCount,
         QT_TRANSLATE_NOOP("QovDataSet", "preset"), QT_TRANSLATE_NOOP("QovDataSet", "Preset")},
        {QovDataSetInfo::kEq12Band, 1, QT_TRANSLATE_NOOP("QovDataSet", "12-band EQ library"),
         QT_TRANSLATE_NOOP("QovDataSet", "12-band EQ library")},
        {QovDataSetInfo::kEq4Band, 1, QT_TRANSLATE_NOOP("QovDataSet", "4-band EQ library"),
         QT_TRANSLATE_NOOP("QovDataSet", "4-band EQ library")},
        {QovDataSetInfo::kPartialPreset, QovZephData::partialPresetBankCount,
         QT_TRANSLATE_NOOP("QovDataSet", "partial preset"),
         QT_TRANSLATE_NOOP("QovDataSet", "Partial preset")},
        {QovDataSetInfo::kCurrent, 1, QT_TRANSLATE_NOOP("QovDataSet", "current state"),
         QT_TRANSLATE_NOOP("QovDataSet", "Current state")},
    }};
    return table;
}

const QovDataSetInfo *qovDataSetInfo(int code)
{
    for (const QovDataSetInfo &info : qovDataSets()) {
        if (info.code == code) {
            return &info;
        }
    }
    return nullptr;
}

QString qovDataSetLabel(int code, int bank, bool ofAll)
{
    const QovDataSetInfo *info = qovDataSetInfo(code);
    if (!info) {
        return QCoreApplication::translate("QovDataSet", "Data set %1").arg(code);
    }
    const QString title = QCoreApplication::translate("QovDataSet", info->title);
    if (info->banks <= 1) {
        return title;
    }
    return ofAll ? QCoreApplication::translate("QovDataSet", "%1 %2 of %3")
                       .arg(title)
                       .arg(bank + 1)
                       .arg(info->banks)
                 : QCoreApplication::translate("QovDataSet", "%1 %2").arg(title).arg(bank + 1);
}

QString qovDataSetSlot(int code, int bank)
{
    const QovDataSetInfo *info = qovDataSetInfo(code);
    return info && info->banks > 1 ? QStringLiteral("%1 %2").arg(qovDataSetNoun(code)).arg(bank)
                                   : qovDataSetNoun(code);
}

QString qovDataSetNoun(int code)
{
    const QovDataSetInfo *info = qovDataSetInfo(code);
    return info ? QCoreApplication::translate("QovDataSet", info->noun)
                : QCoreApplication::translate("QovDataSet", "data set %1").arg(code);
}
