#include "models/qovfilestamp.h"

#include <QCryptographicHash>
#include <QFile>

#include <sys/stat.h>

namespace {
constexpr qint64 kNsPerSecond = 1000000000;
} // namespace

QovFileStamp::QovFileStamp(const QString &path)
{
    if (statusOf(path, &m_status)) {
        m_path = path;
    }
}

void QovFileStamp::setContent(const QByteArray &content)
{
    if (!m_path.isEmpty()) {
        m_hash = hashOf(content);
    }
}

bool QovFileStamp::differsAt(const QString &path) const
{
    Status now;
    if (m_path.isEmpty() || path != m_path || !statusOf(path, &now)) {
        return false;
    }
    if (now == m_status) {
        return false;
    }
    if (now.size != m_status.size) {
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return true;
    }
    const QByteArray content = file.readAll();
    return file.error() != QFileDevice::NoError || hashOf(content) != m_hash;
}

bool QovFileStamp::Status::operator==(const Status &other) const
{
    return device == other.device && inode == other.inode && size == other.size &&
           modifiedNs == other.modifiedNs && changedNs == other.changedNs;
}

// Through a symbolic link, as saving writes the link's target.
bool QovFileStamp::statusOf(const QString &path, Status *out)
{
    struct stat status = {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    out->device = status.st_dev;
    out->inode = status.st_ino;
    out->size = status.st_size;
    out->modifiedNs = status.st_mtim.tv_sec * kNsPerSecond + status.st_mtim.tv_nsec;
    out->changedNs = status.st_ctim.tv_sec * kNsPerSecond + status.st_ctim.tv_nsec;
    return true;
}

QByteArray QovFileStamp::hashOf(const QByteArray &content)
{
    return QCryptographicHash::hash(content, QCryptographicHash::Sha1);
}
