#pragma once

#include "models/qovappdevicemodel.h"

#include <QThread>
#include <QVector>

#include <memory>

class QovWatchedProject;

// Watches the CONNECTED mixers of the current project: every keep-alive interval (read from the
// program settings when the thread starts) it asks each of them for a keep-alive reply at the
// same time, and marks a mixer that fails to answer MISSING. A MISSING device whose mixer answers
// again is reported; it stays MISSING until a new connection is made.
class QovKeepAliveThread : public QThread
{
    Q_OBJECT

public:
    // `project` is what the passes read; the main window publishes its current project there.
    QovKeepAliveThread(std::shared_ptr<const QovWatchedProject> project, QObject *parent = nullptr);
    ~QovKeepAliveThread() override;

    // One extra pass on the global thread pool; returns at once.
    void requestKeepAlive();

    // Ends the thread without waiting for a pass in flight, which may wait on a dead mixer for
    // the whole request deadline: the thread deletes itself once that pass is over. For the
    // owner's destructor on the GUI thread, which must not stall.
    void retire();
    // Waits up to `timeoutMs` for every retired thread to end; true when all have. For the end
    // of the program, so that no pass outlives it.
    static bool waitForRetired(int timeoutMs);

    // One pass over `project`, on the calling thread; returns when every reply is in. `owner`
    // only names the caller in the debug log. MISSING devices are asked too, at the address
    // they had and at the address they were added by: the pass returns those whose mixer
    // answered with their MAC, each with its address set to where it answered.
    static QVector<QovAppDeviceModel> keepAlivePass(const QovWatchedProject &project,
                                                    const void *owner);

Q_SIGNALS:
    // From the timed passes: mixers of MISSING devices that answer again.
    void mixersAnswering(const QVector<QovAppDeviceModel> &devices);

protected:
    void run() override;

private Q_SLOTS:
    void keepAliveInternal();

private:
    std::shared_ptr<const QovWatchedProject> m_project;
};
