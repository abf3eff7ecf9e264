#include "cli/qovcliarguments.h"
#include "cli/qovclicommands.h"

#include <QCoreApplication>
#include <QLoggingCategory>

namespace {

// The program's debug log is for developers; a command-line user reads results and failures.
// VELMORA_CLI_DEBUG=1 keeps it.
void quietDebugLog()
{
    if (qEnvironmentVariableIntValue("VELMORA_CLI_DEBUG") == 0) {
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    quietDebugLog();
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return QovCliCommands::run(QovCliArguments::parse(arguments));
}
