#include "dialogs/qovconfirmpopup.h"

#include <QHBoxLayout>
#include <QPushButton>

QovConfirmPopup::QovConfirmPopup(const QString &title, const QString &message, QWidget *parent)
    : QovConfirmPopup(title, message, tr("OK"), tr("Cancel"), parent)
{
}

QovConfirmPopup::QovConfirmPopup(const QString &title, const QString &message,
                                 const QString &acceptText, const QString &rejectText,
                                 QWidget *parent)
    : QovAbstractPopup(384, 178, title, message, parent)
{
    leftButton()->hide();
    makeAcceptButton(centerButton(), acceptText);
    rightButton()->setText(rejectText);
    buttonRow()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Popups answer on press, so a quick tap that slides off the button still counts.
    connect(centerButton(), &QPushButton::pressed, this, &QDialog::accept);
    connect(rightButton(), &QPushButton::pressed, this, &QDialog::reject);
}
