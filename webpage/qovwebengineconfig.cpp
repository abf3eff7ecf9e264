#include "webpage/qovwebengineconfig.h"

#include <QByteArray>

void qovConfigureWebEngine()
{
    const QByteArray name = QByteArrayLiteral("QTWEBENGINE_CHROMIUM_FLAGS");
    QByteArray flags = qgetenv(name.constData());
    const QByteArray processPerSite = QByteArrayLiteral("--process-per-site");
    if (!flags.contains(processPerSite)) {
        if (!flags.isEmpty()) {
            flags.append(' ');
        }
        flags.append(processPerSite);
        qputenv(name.constData(), flags);
    }
}
