#pragma once

#include <QString>

#include <array>

// The mixer's data sets, one row each: the code the mixer's interface names it by, the number
// of banks it has, and what a person calls it. Every place that shows a data set to a person
// reads it here.
struct QovDataSetInfo
{
    // The codes, in the order a full transfer moves the sets.
    enum Code { kPreset = 2, kEq12Band = 3, kEq4Band = 4, kPartialPreset = 6, kCurrent = 7 };

    int code;
    int banks;         // 1 for a set without banks
    const char *noun;  // lower case, as in running text: "partial preset"
    const char *title; // as a label starts: "Partial preset"
};

const std::array<QovDataSetInfo, 5> &qovDataSets();
// The row of `code`; null for a code the mixer does not have.
const QovDataSetInfo *qovDataSetInfo(int code);

// "Preset 3", "12-band EQ library", and with `ofAll` "Preset 3 of 8"; banks count from 1.
// "Data set N" for an unknown code.
QString qovDataSetLabel(int code, int bank, bool ofAll = false);
// "preset", "current state"; "data set N" for an unknown code.
QString qovDataSetNoun(int code);
// "preset 2", "current state": one set as the mixer numbers its banks, from 0, for the command
// line and the messages about single sets, which name banks as the mixer and the files do.
QString qovDataSetSlot(int code, int bank);
