#include "dialogs/qoverrorpopup.h"

#include <QPushButton>

QovErrorPopup::QovErrorPopup(const QString &title, const QString &message, QWidget *parent)
    : QovErrorPopup(title, message, QString(), parent)
{
}

QovErrorPopup::QovErrorPopup(const QString &title, const QString &message, const QString &action,
                             QWidget *parent)
    : QovAbstractPopup(384, 178, title, message, parent)
{
    if (action.isEmpty()) {
        leftButton()->hide();
    } else {
        leftButton()->setText(action);
        connect(leftButton(), &QPushButton::pressed, this, [this] { done(ACTION); });
    }
    makeAcceptButton(centerButton(), tr("OK"));
    rightButton()->hide();
    connect(centerButton(), &QPushButton::pressed, this, &QDialog::accept);
    connect(rightButton(), &QPushButton::pressed, this, &QDialog::reject);
}
