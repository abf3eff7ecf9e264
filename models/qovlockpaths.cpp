#include "models/qovlockpaths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

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

QString qovUserFileLockPath(const QString &file)
{
    const QFileInfo info(file);
    QString path = info.canonicalFilePath();
    if (path.isEmpty()) {
        // Not written yet: the real path of its folder, and its name.
        const QString folder = QDir(info.absolutePath()).canonicalPath();
        path = folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
    }
    // A path may be longer than a file name may be, and hold slashes.
    const QByteArray hash =
        QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(20);
    return qovUserLockPath(QStringLiteral("file-") + QString::fromLatin1(hash));
}
