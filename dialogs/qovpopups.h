#pragma once

#include <QString>

// Shows an error popup with the given title and message and returns once the user closed it.
void qovShowError(const QString &title, const QString &message);

// An error popup that also offers to open `folder` in the desktop's file manager.
void qovShowErrorWithFolder(const QString &title, const QString &message, const QString &folder);

// Asks whether to save an edited project before it is closed. Returns
// QovConfirmSavePopup::SAVE (2), DONT_SAVE (1) or CANCEL (0; also when the box is dismissed).
int qovAskBeforeClosing();
