#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

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
};

bool operator==(const QovZephData &a, const QovZephData &b);
bool operator!=(const QovZephData &a, const QovZephData &b);

Q_DECLARE_METATYPE(QovZephData)
