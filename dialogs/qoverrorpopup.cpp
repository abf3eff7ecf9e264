#include "dialogs/qoverrorpopup.h"

#include <QPushButton>

QovErrorPopup::QovErrorPopup(const QString &title, const QString &message, QWidget *parent)
    : QovAbstractPopup(384, 178, title, message, parent)
{
    leftButton()->hide();
    makeAcceptButton(centerButton(), tr("OK"));
    rightButton()->hide();
    connect(centerButton(), &QPushButton::pressed, this, &QDialog::accept);
    connect(rightButton(), &QPushButton::pressed, this, &QDialog::reject);
}
