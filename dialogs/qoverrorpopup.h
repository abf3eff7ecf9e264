#pragma once

#include "dialogs/qovabstractpopup.h"

// Tells the user about a failure; its button OK gives 1. With `action` named, a second button
// of that name gives 2: one step the user may take next, such as opening a folder.
class QovErrorPopup : public QovAbstractPopup
{
    Q_OBJECT

public:
    QovErrorPopup(const QString &title, const QString &message, QWidget *parent = nullptr);
    QovErrorPopup(const QString &title, const QString &message, const QString &action,
                  QWidget *parent = nullptr);
    enum Result { ACTION = 2 };
};
