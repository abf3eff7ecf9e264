#pragma once

#include "models/qovappdevicemodel.h"

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <QVector>

// A project as its file holds it, taken at one moment on the thread that owns the project.
// Shares the devices' mixer data values, so taking it is cheap and writing it needs no lock.
struct QovProjectSnapshot
{
    QString title;
    QString author;
    QString dealer;
    QString comment;
    QVector<QovAppDeviceRecord> devices;

    // The file text: compact JSON in UTF-8.
    QByteArray toJsonBytes() const;
    // A device's "unreadable" member: [{"target": code, "bank": bank}, ...], named as the mixer
    // names its data sets.
    static QJsonArray unreadableJson(const QVector<QovDataSlot> &sets);
    // The sets such a member names, each once; entries that name no data set of the table
    // (qovdatasettable.h) are left out.
    static QVector<QovDataSlot> unreadableFromJson(const QJsonValue &value);
};
