#pragma once

#include "dialogs/qovabstractpopup.h"

// Asks what to do with unsaved changes.
class QovConfirmSavePopup : public QovAbstractPopup
{
    Q_OBJECT

public:
    enum Result { CANCEL = 0, DONT_SAVE = 1, SAVE = 2 };

    QovConfirmSavePopup(const QString &title, const QString &message, QWidget *parent = nullptr);
};
