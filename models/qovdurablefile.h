#pragma once

#include <QByteArray>
#include <QString>

// File writes that survive a crash or power cut at any moment.

// Writes `bytes` to `path` (created or truncated). With `sync` the data is on disk before the
// function returns. False on any error, including a short write or a full disk.
bool qovWriteFile(const QString &path, const QByteArray &bytes, bool sync);

// Moves `from` onto `to` in one step, replacing `to` if it exists, then flushes the folder so
// the new name is on disk. `to` is never missing, even for a moment. Both must be in the same
// file system.
bool qovReplaceFile(const QString &from, const QString &to);
