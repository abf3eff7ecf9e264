#pragma once

#include "dialogs/qovabstractpopup.h"

#include <QDateTime>

// Offers the edits of a project that were written to its autosave copy but never saved, as a
// crash leaves them: Restore gives 1, Discard (and Escape) 2. A box ended from outside, as the
// program's end ends every loop, gives 0: nobody has chosen.
class QovRestorePopup : public QovAbstractPopup
{
    Q_OBJECT

public:
    enum Result { UNANSWERED = 0, RESTORE = 1, DISCARD = 2 };

    // `savePath`: the project's file, or the default project path for a project never saved.
    // `fileChangedSince`: the file was written after the edits, and Discard opens that.
    QovRestorePopup(const QString &savePath, const QDateTime &changedAt,
                    bool fileChangedSince = false, QWidget *parent = nullptr);

    void reject() override;

    static QString messageFor(const QString &savePath, const QDateTime &changedAt,
                              bool fileChangedSince = false);
};
