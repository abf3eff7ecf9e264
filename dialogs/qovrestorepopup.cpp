#include "dialogs/qovrestorepopup.h"

#include "models/qovprojectdatamodel.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLocale>
#include <QPushButton>

QovRestorePopup::QovRestorePopup(const QString &savePath, const QDateTime &changedAt,
                                 QWidget *parent)
    : QovAbstractPopup(384, 178, tr("Unsaved Changes"), messageFor(savePath, changedAt), parent)
{
    leftButton()->hide();
    makeAcceptButton(centerButton(), tr("Restore"));
    rightButton()->setText(tr("Discard"));
    buttonRow()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    connect(centerButton(), &QPushButton::pressed, this, [this] { done(RESTORE); });
    connect(rightButton(), &QPushButton::pressed, this, [this] { done(DISCARD); });
}

void QovRestorePopup::reject()
{
    // The edits stay kept aside, so a dismissal can safely mean Discard.
    done(DISCARD);
}

QString QovRestorePopup::messageFor(const QString &savePath, const QDateTime &changedAt)
{
    const QString when = QLocale().toString(changedAt.toLocalTime(), QLocale::ShortFormat);
    const QString keptNote = tr("A copy of the changes is kept until the project is saved.");
    if (savePath == QovProjectDataModel::defaultProjectPath()) {
        return tr("Changes to the new project from %1 were not saved.\nRestore opens the "
                  "project with them; Discard starts without them. %2")
            .arg(when, keptNote);
    }
    return tr("Changes to \"%1\" from %2 were not saved.\nRestore opens the project with "
              "them; Discard opens the file as last saved. %3")
        .arg(QFileInfo(savePath).fileName(), when, keptNote);
}
