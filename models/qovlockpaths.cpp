#include "models/qovlockpaths.h"

#include <QDir>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
QString userTag()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME", qEnvironmentVariable("USER"));
#endif
}
} // namespace

QString qovUserLockPath(const QString &topic)
{
    const QString suffix = topic.isEmpty() ? QString() : QLatin1Char('-') + topic;
    // Only a runtime folder the user names counts: the toolkit's own stand-in for a missing
    // one may be refused for its permissions, and then every user met in one shared file.
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        return QDir(qEnvironmentVariable("XDG_RUNTIME_DIR"))
            .filePath(QStringLiteral("velmora%1.lock").arg(suffix));
    }
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("velmora-%1%2.lock").arg(userTag(), suffix));
}
