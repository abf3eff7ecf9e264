#pragma once

#include "models/qovzephdata.h"

#include <QJsonObject>
#include <QVector>

// The mixer data as JSON objects, the form a project file holds it in.
struct QovParsedZephData
{
    QVector<QJsonObject> preset;
    QVector<QJsonObject> partialPreset;
    QJsonObject eq12Band;
    QJsonObject eq4Band;
    QJsonObject current;

    // Reads the "data" object of a project file; returns the key of the first bad member, or
    // an empty text. A value that is not an object reads as an empty object.
    static QString read(const QJsonObject &data, QovParsedZephData *out);
    // The "data" object of a project file: the current state's members at top level, the
    // partial presets numbered by "index".
    QJsonObject toDataObject() const;

    // Texts that are not JSON objects parse as empty objects.
    static QovParsedZephData fromTexts(const QovZephData &texts);
    QovZephData toTexts() const;

    static QString compactText(const QJsonObject &object);
};
