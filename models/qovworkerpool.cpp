#include "models/qovworkerpool.h"

#include <QThreadPool>

QThreadPool *qovWorkerPool()
{
    // Destroyed with the other statics after main() returns, and like Qt's global pool it then
    // waits for the tasks still running: a file being written is finished, not cut off.
    static QThreadPool pool;
    static const bool configured = [] {
        pool.setObjectName(QStringLiteral("velmora workers"));
        pool.setMaxThreadCount(32);
        pool.setExpiryTimeout(30000);
        return true;
    }();
    Q_UNUSED(configured);
    return &pool;
}
