#include "foreignlock.h"

#include <QFile>
#include <QSysInfo>

namespace velmora::test {

ForeignLock::ForeignLock(const QString &path)
    : m_path(path)
{
    m_holder.start(program(), {QStringLiteral("600")});
    if (!m_holder.waitForStarted()) {
        return;
    }
    // What QLockFile writes: process id, program name, host name.
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        const QByteArray info = QByteArray::number(m_holder.processId()) + '\n' +
                                program().toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8() +
                                '\n';
        m_written = file.write(info) == info.size() && file.flush();
    }
}

ForeignLock::~ForeignLock()
{
    if (m_written) {
        QFile::remove(m_path);
    }
    m_holder.kill();
    m_holder.waitForFinished();
}

} // namespace velmora::test
