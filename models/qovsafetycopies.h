#pragma once

#include "models/qovonlinedevicemodel.h"
#include "models/qovzephdata.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// Where the copies of a mixer's data taken before it is overwritten live: one folder per mixer
// under the program's data folder, named after its MAC address, one project file per copy named
// after the UTC time it was taken ("2026-12-05T23-15-00.123Z.vlmproj"). Only the newest copies are
// kept.
class QovSafetyCopies
{
public:
    static constexpr int keptPerMixer = 20;

    // `root` is the backups folder; the default is "backups" in the program's data folder.
    explicit QovSafetyCopies(const QString &root = defaultRoot());

    static QString defaultRoot();
    // The mixer's folder name: the MAC address's hex digits in upper case ("001DC1200802"), so
    // that every spelling of one address shares a folder and the name is valid everywhere.
    static QString folderName(const QString &macAddress);

    QString root() const { return m_root; }
    QString folder(const QString &macAddress) const;
    // A new file path for a copy taken at `time` (made unique if that name is taken).
    QString newCopyPath(const QString &macAddress, const QDateTime &time) const;
    // The mixer's copies, oldest first: only files named as the program names them, so that
    // pruning never deletes a file the user put beside them.
    QStringList copies(const QString &macAddress) const;
    // Deletes all but the newest `keptPerMixer` copies, by name, but never `justWritten`: after a
    // clock that ran ahead was set right, a new copy's name sorts before those taken in the
    // "future", and it is the only copy of what the mixer holds now. False when one could not be
    // deleted.
    bool prune(const QString &macAddress, const QString &justWritten = QString()) const;
    // Writes `data`, what the mixer holds now, as its newest copy, then prunes. A copy of a
    // mixer that would not give every set records which it lacks (`data.unreadable`). The copy's
    // path, or an empty text with `error` saying why it could not be written.
    QString keep(const QovOnlineDeviceModel &mixer, const QovZephData &data, QString *error) const;

private:
    QString m_root;
};
