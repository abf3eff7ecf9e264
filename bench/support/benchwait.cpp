#include "benchwait.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

bool benchWaitUntil(const std::function<bool()> &done, int timeoutMs)
{
    if (done()) {
        return true;
    }
    QElapsedTimer waited;
    waited.start();
    QEventLoop loop;
    bool held = false;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        held = done();
        if (held || waited.elapsed() > timeoutMs) {
            loop.quit();
        }
    });
    check.start(5);
    loop.exec();
    return held;
}
