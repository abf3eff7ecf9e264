#include "dialogs/qovconfirmsavepopup.h"

#include <QPushButton>

QovConfirmSavePopup::QovConfirmSavePopup(const QString &title, const QString &message,
                                         QWidget *parent)
    : QovAbstractPopup(384, 178, title, message, parent)
{
    makeAcceptButton(leftButton(), tr("Save"));
    centerButton()->setText(tr("Don't Save"));
    rightButton()->setText(tr("Cancel"));
    connect(leftButton(), &QPushButton::pressed, this, [this] { done(SAVE); });
    connect(centerButton(), &QPushButton::pressed, this, [this] { done(DONT_SAVE); });
    // Escape rejects as well, so closing the box means the same as Cancel.
    connect(rightButton(), &QPushButton::pressed, this, [this] { done(CANCEL); });
}
