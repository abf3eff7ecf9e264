#pragma once

#include "dialogs/qovabstractpopup.h"

// Asks the user to confirm an action: OK (or the action's own word) gives 1, Cancel (or its
// word) 0.
class QovConfirmPopup : public QovAbstractPopup
{
    Q_OBJECT

public:
    QovConfirmPopup(const QString &title, const QString &message, QWidget *parent = nullptr);
    QovConfirmPopup(const QString &title, const QString &message, const QString &acceptText,
                    const QString &rejectText, QWidget *parent = nullptr);
};
