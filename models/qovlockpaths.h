#pragma once

#include <QString>

// Where this user's lock files live: in the user's runtime folder; without one, in the
// temporary folder under a name of the user's own, so that users of one machine never block
// each other. A topic names what the lock guards; none is the program's own instance lock.
QString qovUserLockPath(const QString &topic = QString());
