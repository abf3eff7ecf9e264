#include "models/qovdurablefile.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
bool syncAndClose(int fd, const QString &path)
{
    bool ok = ::fsync(fd) == 0;
    if (!ok) {
        qDebug() << "fsync failed" << path << std::strerror(errno);
    }
    return ::close(fd) == 0 && ok;
}
} // namespace

bool qovWriteFile(const QString &path, const QByteArray &bytes, bool sync)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        qDebug() << "cannot open file" << path << std::strerror(errno);
        return false;
    }
    const char *data = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            qDebug() << "write failed" << path << std::strerror(errno);
            ::close(fd);
            return false;
        }
        data += written;
        left -= written;
    }
    if (sync) {
        return syncAndClose(fd, path);
    }
    // A full disk may only show on close for some file systems.
    return ::close(fd) == 0;
}

bool qovReplaceFile(const QString &from, const QString &to)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        qDebug() << "rename failed" << from << to << std::strerror(errno);
        return false;
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(to).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        qDebug() << "cannot open folder" << folder << std::strerror(errno);
        return false;
    }
    return syncAndClose(fd, to);
}
