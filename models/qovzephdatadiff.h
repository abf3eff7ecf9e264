#pragma once

#include "models/qovzephdata.h"

#include <QString>
#include <QVector>

// One slot of an EQ library that differs between the two copies. A slot with an empty name is
// unused; slots unused on both sides are not listed, whatever their curves hold.
struct QovZephDataDiffSlot
{
    int slot = 0;
    QString fileName;
    QString mixerName;
};

// What differs between two copies of a mixer's data, per data set and bank: the project's copy
// ("file") and the mixer's. Members are compared as JSON values, so member order and spacing do
// not count as differences.
struct QovZephDataDiffEntry
{
    enum State { Same, Differs, OnlyInFile, OnlyOnMixer };

    int type = 0; // data-set code: 2 preset, 3 and 4 EQ libraries, 6 partial preset, 7 current
    int bank = 0;
    State state = Same;
    // Preset and partial-preset names, empty for unused banks and other data sets.
    QString fileName;
    QString mixerName;
    // Whether each side's bank holds a stored preset, so that an unused bank can be told from a
    // stored one without a name. Always set for data sets without banks of presets.
    bool fileUsed = true;
    bool mixerUsed = true;
    // For a differing EQ library in the usual shape ({"entries": [{"slot", "name", ...}]}): its
    // differing slots in slot order. Empty otherwise.
    QVector<QovZephDataDiffSlot> changedSlots;

    // "same", "differs", "only in file", "only on mixer".
    static QString stateText(State state);
};

// Every bank of every data set, in transfer order (2, 3, 4, 6, 7).
QVector<QovZephDataDiffEntry> qovDiffZephData(const QovZephData &file, const QovZephData &mixer);
