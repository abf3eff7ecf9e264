#include "models/qovdurablefile.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Logs a failed system call and keeps its reason for the user: the first one only, which is
// the cause of the rest.
bool failed(const char *what, const QString &path, QString *problem)
{
    const QString reason = QString::fromLocal8Bit(std::strerror(errno));
    qDebug() << what << "failed" << path << reason;
    if (problem && problem->isEmpty()) {
        *problem = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
    }
    return false;
}

bool syncAndClose(int fd, const QString &path, QString *problem)
{
    const bool synced = ::fsync(fd) == 0 || failed("fsync", path, problem);
    return (::close(fd) == 0 || failed("close", path, problem)) && synced;
}

bool writeAll(int fd, const QByteArray &bytes, const QString &path, QString *problem)
{
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return failed("write", path, problem);
        }
        data += written;
        left -= written;
    }
    return true;
}

// Opens a file of a name nobody uses yet; -1 with errno set otherwise.
int createUnique(const QString &path, QString *name)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        *name = QStringLiteral("%1.%2.tmp")
                    .arg(path)
                    .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const int fd = ::open(QFile::encodeName(*name).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

} // namespace

QString qovReplaceableFile(const QString &path, QString *problem)
{
    QString target = QFileInfo(path).absoluteFilePath();
    int hops = 0;
    for (; hops < 40 && QFileInfo(target).isSymLink(); ++hops) {
        target = QFileInfo(target).symLinkTarget();
    }
    QString reason;
    const QFileInfo info(target);
    if (hops == 40) {
        reason = QStringLiteral("%1 is a loop of symbolic links").arg(path);
    } else if (info.exists() && !info.isFile()) {
        reason = QStringLiteral("%1 is not a regular file").arg(path);
    } else if (info.exists() && !info.isWritable()) {
        reason = QStringLiteral("%1 is read-only").arg(path);
    }
    if (!reason.isEmpty()) {
        qDebug() << "will not replace" << reason;
        if (problem) {
            *problem = reason;
        }
        return QString();
    }
    return QDir::cleanPath(target);
}

QString qovWriteStagingFile(const QString &path, const QByteArray &bytes, QString *problem)
{
    QString name;
    const int fd = createUnique(path, &name);
    if (fd < 0) {
        failed("create", QFileInfo(path).absolutePath(), problem);
        return QString();
    }
    const bool written = writeAll(fd, bytes, name, problem);
    // A full disk may only show on fsync or close for some file systems.
    if (syncAndClose(fd, name, problem) && written) {
        return name;
    }
    QFile::remove(name);
    return QString();
}

bool qovReplaceFile(const QString &from, const QString &to, QString *problem)
{
    const QByteArray target = QFile::encodeName(to);
    struct stat old;
    // Someone who made the file private (or shared) wants it to stay so after a save.
    if (::stat(target.constData(), &old) == 0) {
        ::chmod(QFile::encodeName(from).constData(), old.st_mode & 07777);
    }
    if (::rename(QFile::encodeName(from).constData(), target.constData()) != 0) {
        return failed("rename", to, problem);
    }
    const QString folder = QFileInfo(to).absolutePath();
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return failed("open", folder, problem);
    }
    return syncAndClose(fd, folder, problem);
}
