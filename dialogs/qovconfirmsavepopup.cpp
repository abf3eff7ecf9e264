#include "dialogs/qovconfirmsavepopup.h"

#include <QPushButton>

QovConfirmSavePopup::QovConfirmSavePopup(const QString &title, const QString &message,
                                         QWidget *parent)
    : QovAbstractPopup(384, 178, title, message, parent)
{
    makeAcceptButton(leftButton(), tr("Save"));
    centerButton()->setText(tr("Don't Save"));
    rightButton()->setText(tr("Cancel"));
    // The question asks about closing without the changes, while the first answer keeps them:
    // say what each answer does.
    addNote(tr("Save writes your changes to the project file first. Don't Save closes without "
               "them. Cancel keeps the project open."));
    connect(leftButton(), &QPushButton::pressed, this, [this] { done(SAVE); });
    connect(centerButton(), &QPushButton::pressed, this, [this] { done(DONT_SAVE); });
    // Escape rejects as well, so closing the box means the same as Cancel.
    connect(rightButton(), &QPushButton::pressed, this, [this] { done(CANCEL); });
}
