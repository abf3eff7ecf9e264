#pragma once

#include "dialogs/qovabstractpopup.h"
#include "models/qovzephdata.h"

#include <QVector>

// Asked before a mixer that would not give every data set is overwritten: its safety copy can
// hold only what could be read. Overwrite gives 1; Cancel (and Escape) 0.
class QovPartialCopyPopup : public QovAbstractPopup
{
    Q_OBJECT

public:
    QovPartialCopyPopup(const QString &mixerName, const QString &address,
                        const QVector<QovDataSlot> &unreadable, QWidget *parent = nullptr);

    static QString messageFor(const QString &mixerName, const QString &address,
                              const QVector<QovDataSlot> &unreadable);
    // "Preset 4, Partial preset 18": the sets as the compare view names them.
    static QString setsText(const QVector<QovDataSlot> &sets);
};
