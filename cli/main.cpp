#include "cli/qovcliarguments.h"
#include "cli/qovclicommands.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <iostream>

namespace {

// The program's debug log is for developers; a command-line user reads results and failures.
// VELMORA_CLI_DEBUG=1 keeps it. The device library's diagnostics go to std::cerr, which this
// program's own messages never use: what they tell reaches the user as a failure's reason.
void quietDebugLog()
{
    if (qEnvironmentVariableIntValue("VELMORA_CLI_DEBUG") == 0) {
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
        std::cerr.setstate(std::ios::badbit);
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
