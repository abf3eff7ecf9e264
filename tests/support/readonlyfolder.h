#pragma once

#include <QString>

namespace velmora::test {

// Makes a folder refuse writes, also for root (who ignores permission bits): as root the
// folder is bind-mounted read-only in a mount namespace private to this process.
// Returns an empty string on success, otherwise why it could not be done.
QString makeFolderReadOnly(const QString &folder);

// Undoes makeFolderReadOnly so the temporary folder can be removed.
void makeFolderWritable(const QString &folder);

} // namespace velmora::test
