#pragma once

#include "dialogs/qovabstractdialog.h"
#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"
#include "models/qovzephdatadiff.h"

#include <QStringList>
#include <QVector>

class QListWidget;

// Shows, before a connection, what differs between a project device's stored data and the
// mixer's: each differing bank with the preset names on both sides, and the identical ones
// summarised per data set, so that the user knows what each direction would overwrite.
class QovCompareDialog : public QovAbstractDialog
{
    Q_OBJECT

public:
    QovCompareDialog(const QovAppDeviceModel &device, const QovOnlineDeviceModel &mixer,
                     const QVector<QovZephDataDiffEntry> &entries, QWidget *parent = nullptr);

    // The list as the user reads it, one line per row, the columns joined by " | ".
    QStringList rowTexts() const;
    // The line above the list: how many items differ, or that both sides are equal.
    QString summaryText() const;
    int differingCount() const { return m_differing; }

    // "Preset 3", "12-band EQ library", ...: banks counted from 1, as on the mixer's panel.
    static QString itemText(int type, int bank);

protected:
    void buildContents(QWidget *contents) override;

private:
    void addRow(const QStringList &columns, bool differs);
    void addRows();
    void addSlotRows(const QovZephDataDiffEntry &entry);

    QovAppDeviceModel m_device;
    QovOnlineDeviceModel m_mixer;
    QVector<QovZephDataDiffEntry> m_entries;
    int m_differing = 0;
    QListWidget *m_list = nullptr;
    QString m_summary;
};
