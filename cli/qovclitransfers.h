#pragma once

#include "cli/qovclireport.h"
#include "device/qovcgiapi.h"
#include "device/qovtransferprogress.h"
#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"
#include "models/qovzephdata.h"

#include <QList>
#include <QString>

// The transfers the command-line commands make, through the same device operations as the
// desktop program. Every list call runs its mixers at the same time and returns in list order;
// while they run, the progress line shows what the transfers report.
namespace QovCliTransfers {

// "FOH Main (ZEPH-2208, 127.0.0.2)": how reports name a mixer.
QString describe(const QovOnlineDeviceModel &mixer);

// The mixers' data, set by set: the sets a mixer refuses or holds empty are in `unreadable`;
// a download that failed altogether has its reason in `error`.
QList<QovZephData> download(const QList<QovOnlineDeviceModel> &mixers, QovCliReport &report);
// Writes each project device into its mixer as an App->Device connection does: only after the
// mixer's current data was kept as a safety copy, one without the sets the mixer would not
// give only when `allowPartialCopy` is set.
QList<QovCgiApi::ConnectOutcome>
restore(const QList<QPair<QovOnlineDeviceModel, QovAppDeviceModel>> &pairs, QovCliReport &report,
        bool allowPartialCopy);

// True once Ctrl+C or SIGTERM stopped the transfers: each ended at its next request, and
// its result says what it left. A second signal ends the program at once.
bool interrupted();

// "partial preset 17, preset 3": data sets as the diff names them.
QString setsText(const QVector<QovDataSlot> &sets);

// The progress line for a snapshot of the running transfers; empty when none runs.
QString progressText(const QovTransferProgress::Snapshot &snapshot);

} // namespace QovCliTransfers
