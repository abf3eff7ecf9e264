#include "app/qovrecoveryprompt.h"

#include "dialogs/qovpopups.h"
#include "dialogs/qovrestorepopup.h"
#include "models/qovrecovery.h"
#include "models/qovworkerpool.h"

#include <QDebug>
#include <QFutureWatcher>
#include <QtConcurrent>

namespace {

using Done = std::function<void(const QString &keptPath)>;

// On the GUI thread, once the look-up has ended.
void ask(const QString &savePath, const QovRecovery::Unsaved &unsaved, const Done &done)
{
    if (!unsaved.found()) {
        done(QString());
        return;
    }
    const int answer = qovAskToRestore(savePath, unsaved.changedAt, unsaved.fileChangedSince);
    if (answer == QovRestorePopup::UNANSWERED) {
        // The program is ending; the next start asks again.
        qDebug() << "unsaved changes: no answer" << unsaved.keptPath;
        return;
    }
    const bool restore = answer == QovRestorePopup::RESTORE;
    if (!restore) {
        QovRecovery::discardUnsavedChanges(savePath, unsaved);
    }
    qDebug() << "unsaved changes" << (restore ? "restored" : "discarded") << unsaved.keptPath;
    done(restore ? unsaved.keptPath : QString());
}

} // namespace

void qovOfferUnsavedChanges(QObject *context, const QString &savePath, const Done &done)
{
    auto *watcher = new QFutureWatcher<QovRecovery::Unsaved>();
    QObject::connect(watcher, &QFutureWatcher<QovRecovery::Unsaved>::finished, context,
                     [watcher, savePath, done] {
                         watcher->deleteLater();
                         ask(savePath, watcher->result(), done);
                     });
    // Without the context the watcher is never needed again.
    QObject::connect(context, &QObject::destroyed, watcher, &QObject::deleteLater);
    watcher->setFuture(
        QtConcurrent::run(qovWorkerPool(), &QovRecovery::keepUnsavedChanges, savePath));
}
