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

// The mixers' data; a failed download has its reason in `error`.
QList<QovZephData> download(const QList<QovOnlineDeviceModel> &mixers, QovCliReport &report);
// Writes each project device into its mixer as an App->Device connection does: only after the
// mixer's current data was kept as a safety copy.
QList<QovCgiApi::ConnectOutcome>
restore(const QList<QPair<QovOnlineDeviceModel, QovAppDeviceModel>> &pairs, QovCliReport &report);

// The progress line for a snapshot of the running transfers; empty when none runs.
QString progressText(const QovTransferProgress::Snapshot &snapshot);

} // namespace QovCliTransfers
