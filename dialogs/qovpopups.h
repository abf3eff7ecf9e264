#pragma once

#include <QDialog>
#include <QString>

// A small modal message box with one OK button.
// Stand-in until the popup framework lands.
class QovErrorPopup : public QDialog
{
    Q_OBJECT

public:
    QovErrorPopup(const QString &title, const QString &message, QWidget *parent = nullptr);
};

// Shows an error popup and returns when the user has closed it.
void qovShowError(const QString &title, const QString &message);
