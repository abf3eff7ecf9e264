#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// What identifies a file as a program last read or wrote it, to tell later whether another
// program has changed or replaced it since. The file's identity, size and time of change tell
// at a glance; a hash of its bytes is asked only when they changed but not the size, so that a
// file written again with the same bytes counts as unchanged.
class QovFileStamp
{
public:
    // No file recorded: nothing differs from it.
    QovFileStamp() = default;
    // The file at `path` as it is now; none when there is no regular file. Its bytes follow
    // through setContent, read after this, so that a change while they are read shows later.
    explicit QovFileStamp(const QString &path);
    // The bytes the file holds: read from it, or just written to it.
    void setContent(const QByteArray &content);

    // Whether the file at `path` is no longer the one recorded: false when this stamp is of
    // another path or of none, and when no file is there any more.
    bool differsAt(const QString &path) const;

private:
    struct Status
    {
        dev_t device = 0;
        ino_t inode = 0;
        qint64 size = -1;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;
        bool operator==(const Status &other) const;
    };
    static bool statusOf(const QString &path, Status *out);
    static QByteArray hashOf(const QByteArray &content);

    QString m_path;
    Status m_status;
    QByteArray m_hash;
};
