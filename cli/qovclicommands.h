#pragma once

#include "cli/qovcliarguments.h"

// The commands of velmora-cli. Each returns the process exit code: 0 all succeeded, 1 some
// mixers failed, 2 usage error, 3 no mixer found.
namespace QovCliCommands {

enum ExitCode { Success = 0, SomeFailed = 1, UsageError = 2, NothingFound = 3, Interrupted = 130 };

int run(const QovCliArguments &arguments);

} // namespace QovCliCommands
