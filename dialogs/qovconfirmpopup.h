#pragma once

#include "dialogs/qovabstractpopup.h"

// Asks the user to confirm an action: OK gives 1, Cancel 0.
class QovConfirmPopup : public QovAbstractPopup
{
    Q_OBJECT

public:
    QovConfirmPopup(const QString &title, const QString &message, QWidget *parent = nullptr);
};
