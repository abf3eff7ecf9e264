#pragma once

#include "device/qovtransferprogress.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QAction;
class QKeyEvent;
class QLabel;
class QProgressBar;

// The busy overlay: darkens the whole window it covers, plays the busy animation in the
// middle and keeps the mouse and the keyboard away from the window while it is shown,
// including widgets made under it while it is up; only the shortcuts kept with
// keepShortcutWhileBusy still work. Created hidden; owners call show() and
// hide(). Other windows (a dialog opened while busy) stay usable.
//
// While mixer data is being copied, it also shows what: the mixer's name, the data set and
// bank, and a bar over the files of the transfer, or over those of all mixers when several are
// copied at once. It reads the process's transfer progress a few times a second while it is
// shown and only repaints when that changed, so a transfer never waits for the window.
class QovProgressView : public QWidget
{
    Q_OBJECT

public:
    // `covered` becomes the parent.
    explicit QovProgressView(QWidget *covered);
    // What the program waits for while no mixer data is copied (a project file being read,
    // say), shown under the animation until the overlay hides or the next call.
    void setActivity(const QString &title, const QString &detail);
    // An action of the covered window whose shortcut keeps working under the overlay: Exit,
    // which asks first, is the one way out of a transfer that takes long.
    static void keepShortcutWhileBusy(QAction *action);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void coverWindow();
    // Shows the transfers of the snapshot, or nothing but the animation when none runs.
    void showTransfers(const QovTransferProgress::Snapshot &snapshot);
    void pollTransfers();
    void placeTransferBox();
    bool isCoveredWidget(QObject *object) const;
    // The covered window's action kept for the key, if any.
    QAction *keptAction(const QKeyEvent *event) const;

    QWidget *m_covered;
    // Where the keyboard focus was when the overlay came up; it goes back there afterwards.
    QPointer<QWidget> m_focusBefore;
    QLabel *m_animation;
    QWidget *m_transferBox;
    QLabel *m_transferTitle;
    QLabel *m_transferDetail;
    QProgressBar *m_transferBar;
    QTimer m_poll;
    quint64 m_shownRevision = 0;
    QString m_activityTitle;
    QString m_activityDetail;
};
