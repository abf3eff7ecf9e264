#pragma once

#include <QStringList>

// The menu texts of the recent project files, in the order given: the file's name, and where
// two files share a name, the folder as well, so that the two can be told apart. An "&" in a
// name stands as it is, not as a shortcut mark.
QStringList qovRecentFileLabels(const QStringList &paths);
