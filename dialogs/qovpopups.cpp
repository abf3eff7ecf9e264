#include "dialogs/qovpopups.h"

#include "dialogs/qovconfirmpopup.h"
#include "dialogs/qovconfirmsavepopup.h"
#include "dialogs/qoverrorpopup.h"
#include "dialogs/qovpartialcopypopup.h"
#include "dialogs/qovrestorepopup.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

void qovShowError(const QString &title, const QString &message)
{
    QovErrorPopup popup(title, message);
    popup.exec();
}

void qovShowConnectError(const QString &message, const QString &problem)
{
    // Whether to wait for the mixer, mend the data or call for help depends on why.
    qovShowError(QovErrorPopup::tr("Error"),
                 problem.isEmpty()
                     ? message
                     : message + QStringLiteral("\n\n") +
                           QovErrorPopup::tr("The transfer stopped: %1.").arg(problem));
}

void qovShowErrorWithFolder(const QString &title, const QString &message, const QString &folder)
{
    QovErrorPopup popup(title, message, QovErrorPopup::tr("Open Folder"));
    if (popup.exec() == QovErrorPopup::ACTION) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    }
}

int qovAskBeforeClosing()
{
    QovConfirmSavePopup popup(
        QovConfirmSavePopup::tr("Caution"),
        QovConfirmSavePopup::tr("Do you want to close this project without applying changes?"));
    return popup.exec();
}

bool qovAskOverwriteChangedFile(const QString &path)
{
    QovConfirmPopup popup(QovConfirmPopup::tr("File Changed"),
                          QovConfirmPopup::tr("%1 has been changed by another program since it "
                                              "was opened or saved here.\n\nOverwrite it with "
                                              "this project?")
                              .arg(QFileInfo(path).fileName()));
    return popup.exec() == QDialog::Accepted;
}

int qovAskToRestore(const QString &savePath, const QDateTime &changedAt, bool fileChangedSince)
{
    QovRestorePopup popup(savePath, changedAt, fileChangedSince);
    return popup.exec();
}

bool qovAskPartialCopy(const QString &mixerName, const QString &address,
                       const QVector<QovDataSlot> &unreadable)
{
    QovPartialCopyPopup popup(mixerName, address, unreadable);
    return popup.exec() == QDialog::Accepted;
}
