#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVector>

// One data set of a mixer as its transfers name it: the data-set code and the bank (0 for the
// sets that have no banks).
struct QovDataSlot
{
    int code = 0;
    int bank = 0;
};

bool operator==(const QovDataSlot &a, const QovDataSlot &b);

// The mixer data: the five data sets a mixer holds, each as the compact JSON text of one object.
// A plain value; every copy is independent.
struct QovZephData
{
    static constexpr int presetBankCount = 8;
    static constexpr int partialPresetBankCount = 40;

    // A freshly made record holds "{}" everywhere: 8 preset banks and 40 partial-preset banks.
    QovZephData();

    QStringList preset;
    QString eq12Band;
    QString eq4Band;
    QStringList partialPreset;
    QString current;
    // Empty on success; otherwise why a transfer failed.
    QString error;
    // The sets a mixer refused or held empty when it was read set by set; each holds "{}" here.
    QVector<QovDataSlot> unreadable;

    // The set a transfer names by its code and bank; a set without banks ignores `bank`. The
    // code must be one of the table's, the bank inside the list.
    QString &set(int code, int bank);
};

bool operator==(const QovZephData &a, const QovZephData &b);
bool operator!=(const QovZephData &a, const QovZephData &b);

Q_DECLARE_METATYPE(QovDataSlot)
Q_DECLARE_METATYPE(QovZephData)
