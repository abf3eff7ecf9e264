#include "dialogs/qovconfirmpopup.h"

#include <QHBoxLayout>
#include <QPushButton>

QovConfirmPopup::QovConfirmPopup(const QString &title, const QString &message, QWidget *parent)
    : QovAbstractPopup(384, 178, title, message, parent)
{
    leftButton()->hide();
    makeAcceptButton(centerButton(), tr("OK"));
    rightButton()->setText(tr("Cancel"));
    buttonRow()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Popups answer on press, so a quick tap that slides off the button still counts.
    connect(centerButton(), &QPushButton::pressed, this, &QDialog::accept);
    connect(rightButton(), &QPushButton::pressed, this, &QDialog::reject);
}
