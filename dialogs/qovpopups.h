#pragma once

#include "models/qovzephdata.h"

#include <QString>
#include <QVector>

class QDateTime;

// Shows an error popup with the given title and message and returns once the user closed it.
void qovShowError(const QString &title, const QString &message);

// The error popup of a failed connection: `message` names the mixer and the project device,
// followed by `problem`, the reason the transfer stopped, when one is known.
void qovShowConnectError(const QString &message, const QString &problem);

// An error popup that also offers to open `folder` in the desktop's file manager.
void qovShowErrorWithFolder(const QString &title, const QString &message, const QString &folder);

// Asks whether to save an edited project before it is closed. Returns
// QovConfirmSavePopup::SAVE (2), DONT_SAVE (1) or CANCEL (0; also when the box is dismissed).
int qovAskBeforeClosing();

// Asks before a save overwrites the project file at `path`, which another program has changed
// or replaced since the project was opened or saved here. True for OK.
bool qovAskOverwriteChangedFile(const QString &path);

// Offers the unsaved edits of the project at `savePath`, written at `changedAt` and kept aside
// after a crash; `fileChangedSince` when its file was written after them. Returns
// QovRestorePopup::RESTORE (1), DISCARD (2) or UNANSWERED (0, when the program ended the question).
int qovAskToRestore(const QString &savePath, const QDateTime &changedAt,
                    bool fileChangedSince = false);

// Asks whether to overwrite the mixer `mixerName` at `address` after a safety copy without the
// sets it would not give. True for Overwrite.
bool qovAskPartialCopy(const QString &mixerName, const QString &address,
                       const QVector<QovDataSlot> &unreadable);
