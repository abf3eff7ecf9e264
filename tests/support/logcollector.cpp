#include "logcollector.h"

#include <QMutex>
#include <QStringList>

#include <algorithm>
#include <utility>

namespace {
QMutex g_lock;
QStringList g_lines;
QtMessageHandler g_previous = nullptr;

void keep(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        QMutexLocker lock(&g_lock);
        g_lines << message;
    }
    if (g_previous) {
        g_previous(type, context, message);
    }
}
} // namespace

void LogCollector::install()
{
    const QtMessageHandler before = qInstallMessageHandler(keep);
    if (before != keep) {
        g_previous = before;
    }
}

void LogCollector::clear()
{
    QMutexLocker lock(&g_lock);
    g_lines.clear();
}

QStringList LogCollector::take()
{
    QMutexLocker lock(&g_lock);
    return std::exchange(g_lines, {});
}

int LogCollector::count(const QString &text)
{
    QMutexLocker lock(&g_lock);
    return int(std::count_if(g_lines.cbegin(), g_lines.cend(),
                             [&](const QString &line) { return line.contains(text); }));
}
