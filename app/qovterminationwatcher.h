#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into an orderly end of every running event loop, so that a
// terminal Ctrl+C or a session logout still releases the instance lock and logs the exit.
class QovTerminationWatcher : public QObject
{
    Q_OBJECT

public:
    explicit QovTerminationWatcher(QObject *parent = nullptr);
    ~QovTerminationWatcher() override;

private:
    void onSignal();

    QSocketNotifier *m_notifier = nullptr;
};
