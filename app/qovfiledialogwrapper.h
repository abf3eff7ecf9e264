#pragma once

#include <QCoreApplication>
#include <QString>

class QWidget;

// The project file dialogs: modal, starting in the user's home folder, showing project files
// first. Each returns the chosen path, or an empty string when the user cancelled.
class QovFileDialogWrapper
{
    Q_DECLARE_TR_FUNCTIONS(QovFileDialogWrapper)

public:
    static QString getOpenFileName(QWidget *parent);
    static QString getSaveFileName(QWidget *parent);
};
