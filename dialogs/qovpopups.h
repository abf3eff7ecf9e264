#pragma once

#include <QString>

// Shows an error popup with the given title and message and returns once the user closed it.
void qovShowError(const QString &title, const QString &message);

// Asks whether to save an edited project before it is closed. Returns
// QovConfirmSavePopup::SAVE (2), DONT_SAVE (1) or CANCEL (0; also when the box is dismissed).
int qovAskBeforeClosing();
