#include "readonlyfolder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace velmora::test {

namespace {
QString errnoText(const char *what)
{
    return QString::fromUtf8(what) + QStringLiteral(": ") + QString::fromUtf8(std::strerror(errno));
}

QString enterPrivateMountNamespace()
{
    static bool entered = false;
    if (entered) {
        return {};
    }
    if (::unshare(CLONE_NEWNS) != 0) {
        return errnoText("unshare(CLONE_NEWNS)");
    }
    // Keep our mounts from leaking back into the parent namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return errnoText("mount / private");
    }
    entered = true;
    return {};
}
// A mount namespace belongs to each thread, and threads share the one of the thread that
// started them. Entered before main, while the process has a single thread, the private
// namespace is every later thread's too, so a folder made read-only here refuses writes from
// worker threads (the project writer, transfers) as well. Only root may enter one.
const QString g_earlyNamespaceProblem = ::geteuid() == 0 ? enterPrivateMountNamespace() : QString();

} // namespace

QString makeFolderReadOnly(const QString &folder)
{
    if (::geteuid() != 0) {
        return QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner)
                   ? QString()
                   : QStringLiteral("chmod failed");
    }
    if (QString problem = enterPrivateMountNamespace(); !problem.isEmpty()) {
        return problem;
    }
    const QByteArray path = QFile::encodeName(folder);
    if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0) {
        return errnoText("bind mount");
    }
    if (::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) !=
        0) {
        return errnoText("read-only remount");
    }
    return {};
}

void makeFolderWritable(const QString &folder)
{
    if (::geteuid() != 0) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return;
    }
    ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
}

} // namespace velmora::test
