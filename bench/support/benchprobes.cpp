#include "benchprobes.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace benchprobes {

namespace {

qint64 statusKiB(const QString &pid, const char *file, const QByteArray &key)
{
    QFile f(QStringLiteral("/proc/%1/%2").arg(pid, QString::fromLatin1(file)));
    if (!f.open(QIODevice::ReadOnly)) {
        return 0;
    }
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith(key)) {
            return line.mid(key.size()).trimmed().split(' ').first().toLongLong();
        }
    }
    return 0;
}

QString parentOf(const QString &pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) {
        return QString();
    }
    // The command name may hold spaces; fields resume after its closing parenthesis.
    const QByteArray stat = f.readAll();
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 1 ? QString::fromLatin1(fields.at(1)) : QString();
}

} // namespace

TreeMemory processTreeMemory()
{
    QMap<QString, QString> parents;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool numeric = false;
        entry.toInt(&numeric);
        if (numeric) {
            parents.insert(entry, parentOf(entry));
        }
    }
    const QString self = QString::number(QCoreApplication::applicationPid());
    TreeMemory memory;
    for (auto it = parents.cbegin(); it != parents.cend(); ++it) {
        QString pid = it.key();
        while (!pid.isEmpty() && pid != self && pid != QLatin1String("0")) {
            pid = parents.value(pid);
        }
        if (pid == self) {
            memory.rssMiB += statusKiB(it.key(), "status", "VmRSS:") / 1024.0;
            memory.pssMiB += statusKiB(it.key(), "smaps_rollup", "Pss:") / 1024.0;
            ++memory.processes;
        }
    }
    return memory;
}

bool waitPageReady(QWebEngineView *view, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < timeoutMs) {
        bool ready = false;
        bool answered = false;
        QEventLoop loop;
        view->page()->runJavaScript(
            QStringLiteral("!!document.body && document.body.classList.contains('ready')"),
            [&](const QVariant &result) {
                ready = result.toBool();
                answered = true;
                loop.quit();
            });
        if (!answered) {
            QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
            loop.exec();
        }
        if (ready) {
            return true;
        }
        QEventLoop pause;
        QTimer::singleShot(5, &pause, &QEventLoop::quit);
        pause.exec();
    }
    return false;
}

} // namespace benchprobes
