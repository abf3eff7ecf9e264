#pragma once

#include <QString>

#include <functional>

class QObject;

// Before a project opens: looks for its edits that a crash left unsaved (QovRecovery) on a pool
// thread, asks the user whether to restore them, and then calls `done` on `context`'s thread
// with the copy to open instead of the file, or an empty text to open the file. Nothing is
// called when `context` is gone by then, or when the program ended the question unanswered.
void qovOfferUnsavedChanges(QObject *context, const QString &savePath,
                            const std::function<void(const QString &keptPath)> &done);
