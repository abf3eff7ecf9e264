#include "benchlog.h"

#include <QtGlobal>

#include <cstdio>

void quietBenchLog()
{
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &msg) {
        if (type != QtDebugMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(msg));
        }
    });
}
