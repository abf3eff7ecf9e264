#include "dialogs/qovrestorepopup.h"

#include "models/qovprojectdatamodel.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLocale>
#include <QPushButton>

QovRestorePopup::QovRestorePopup(const QString &savePath, const QDateTime &changedAt,
                                 bool fileChangedSince, QWidget *parent)
    : QovAbstractPopup(384, 178, tr("Unsaved Changes"),
                       messageFor(savePath, changedAt, fileChangedSince), parent)
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

QString QovRestorePopup::messageFor(const QString &savePath, const QDateTime &changedAt,
                                    bool fileChangedSince)
{
    const QString when = QLocale().toString(changedAt.toLocalTime(), QLocale::ShortFormat);
    const QString keptNote = tr("A copy of the changes is kept until the project is saved.");
    if (savePath == QovProjectDataModel::defaultProjectPath()) {
        return tr("Changes to the new project from %1 were not saved.\nRestore opens the "
                  "project with them; Discard starts without them. %2")
            .arg(when, keptNote);
    }
    const QString name = QFileInfo(savePath).fileName();
    // Then neither is simply newer: the user knows whether the file's new content or the edits
    // are the ones to go on with.
    if (fileChangedSince) {
        return tr("Changes to \"%1\" from %2 were not saved, and the file has been changed "
                  "since.\nRestore opens the project with the changes instead; Discard opens the "
                  "file as it is now. %3")
            .arg(name, when, keptNote);
    }
    return tr("Changes to \"%1\" from %2 were not saved.\nRestore opens the project with "
              "them; Discard opens the file as last saved. %3")
        .arg(name, when, keptNote);
}
