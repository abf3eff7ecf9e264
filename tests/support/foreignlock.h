#pragma once

#include <QProcess>
#include <QString>

namespace velmora::test {

// A lock file held by another program of the user, as a velmora-cli run holds a mixer's: the
// holder is a process this test starts (`sleep`), named in the file, so that the lock is neither
// this process's own nor one left by a program that died. Released when destroyed.
class ForeignLock
{
public:
    explicit ForeignLock(const QString &path);
    ~ForeignLock();
    ForeignLock(const ForeignLock &) = delete;
    ForeignLock &operator=(const ForeignLock &) = delete;

    // Whether the holder runs and the file names it.
    bool isHeld() const { return m_written; }
    qint64 pid() const { return m_holder.processId(); }
    static QString program() { return QStringLiteral("sleep"); }

private:
    QString m_path;
    QProcess m_holder;
    bool m_written = false;
};

} // namespace velmora::test
