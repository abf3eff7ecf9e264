#pragma once

#include "dialogs/qovabstractpopup.h"

// Tells the user about a failure; its one button, OK, gives 1.
class QovErrorPopup : public QovAbstractPopup
{
    Q_OBJECT

public:
    QovErrorPopup(const QString &title, const QString &message, QWidget *parent = nullptr);
};
