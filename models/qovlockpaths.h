#pragma once

#include <QString>

// Where this user's lock files live: in the user's runtime folder; without one, in the
// temporary folder under a name of the user's own, so that users of one machine never block
// each other. A topic names what the lock guards; none is the program's own instance lock.
QString qovUserLockPath(const QString &topic = QString());

// The lock of a file that one program at a time may write, named after its real path: a link
// to it, or a name relative to another folder, is the same file.
QString qovUserFileLockPath(const QString &file);
