#include "webpage/qovwebenginearguments.h"

#include <QtGlobal>

#include <algorithm>
#include <utility>

namespace {
constexpr char flagsVariable[] = "QTWEBENGINE_CHROMIUM_FLAGS";

QByteArray keyOf(const QByteArray &flag)
{
    const int equals = flag.indexOf('=');
    return equals < 0 ? flag : flag.left(equals);
}
} // namespace

QList<QByteArray> QovWebEngineArguments::engineFlags()
{
    return {
        QByteArrayLiteral("--process-per-site"),
        QByteArrayLiteral("--host-resolver-rules=MAP * ~NOTFOUND"),
        QByteArrayLiteral("--force-webrtc-ip-handling-policy=disable_non_proxied_udp"),
    };
}

QovWebEngineArguments::QovWebEngineArguments(int argc, char **argv)
{
    for (int i = 0; i < argc; ++i) {
        m_arguments.emplace_back(argv[i]);
    }
    QList<QByteArray> flags = qgetenv(flagsVariable).split(' ');
    qunsetenv(flagsVariable);
    const QList<QByteArray> ours = engineFlags();
    // A flag the user gave wins over ours of the same name.
    for (const QByteArray &flag : ours) {
        const bool given = std::any_of(flags.cbegin(), flags.cend(), [&](const QByteArray &f) {
            return keyOf(f) == keyOf(flag);
        });
        if (!given) {
            flags.append(flag);
        }
    }
    // Qt 6's engine reads only the arguments after this marker; Qt 5's reads them all.
    const QByteArray marker = QByteArrayLiteral("--webEngineArgs");
    if (QT_VERSION >= QT_VERSION_CHECK(6, 0, 0) &&
        std::find(m_arguments.cbegin(), m_arguments.cend(), marker) == m_arguments.cend()) {
        m_arguments.push_back(marker);
    }
    for (const QByteArray &flag : std::as_const(flags)) {
        if (!flag.isEmpty()) {
            m_arguments.push_back(flag);
        }
    }
    for (QByteArray &argument : m_arguments) {
        m_pointers.push_back(argument.data());
    }
    m_argc = int(m_arguments.size());
    // argv[argc] is null, as main() gets it.
    m_pointers.push_back(nullptr);
}
