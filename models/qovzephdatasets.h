#pragma once

#include "models/qovmixerobject.h"
#include "models/qovzephdata.h"

#include <QJsonObject>
#include <QVector>

// The mixer data of one device as shared, immutable values: the form a device keeps it in.
// Copying it copies pointers only, so a device hands out a consistent copy under its lock in
// no time, and a writer on another thread works on that copy without any lock.
struct QovZephDataSets
{
    using Ptr = QovMixerObject::Ptr;

    // Every data set "{}": 8 preset banks and 40 partial-preset banks.
    QovZephDataSets();

    QVector<Ptr> preset;
    Ptr eq12Band;
    Ptr eq4Band;
    QVector<Ptr> partialPreset;
    Ptr current;

    // Reads the "data" object of a project file; returns the key of the first bad member, or
    // an empty text (then `out` holds the sets). A value that is not an object reads as an
    // empty object. A set with a member named with U+0000 is bad: "preset_list[3]",
    // "eq4_lib", or "*" for the current state.
    static QString read(const QJsonObject &data, QovZephDataSets *out);
    // The same, with `text`, the standard JSON text `data` was parsed from, as the sets' text.
    // Kept beside the object path for its speed: 8 ms for 32 mixers against 69 ms from
    // objects (bench_projectpaths).
    static QString read(const QJsonObject &data, const QByteArray &text, QovZephDataSets *out);
    // The "data" object of a project file: the current state's members at top level, the
    // partial presets numbered by "index".
    QJsonObject toDataObject() const;
    // The same object as compact JSON, spliced from each set's cached bytes, so that writing a
    // project again after a small change costs little more than copying bytes: 2 ms for 32
    // mixers against 69 ms through toDataObject(), so a save takes a tenth of the time.
    QByteArray toDataBytes() const;
    // At least the size of toDataBytes(), so that a file's buffer is allocated once: growing
    // a buffer of 30 MB step by step copies it under the allocator's lock, which every other
    // thread of the process then waits for.
    int dataBytesSizeHint() const;

    static QVector<Ptr> fromTexts(const QStringList &texts);
    static QStringList textsOf(const QVector<Ptr> &sets);
    QovZephData texts() const;
};
