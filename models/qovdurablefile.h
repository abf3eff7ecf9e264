#pragma once

#include <QByteArray>
#include <QString>

// File writes that survive a crash or power cut at any moment.

// The file a write to `path` must replace: through any symbolic links, so that a link stays a
// link and its target gets the new content. Empty, with the reason in `problem`, when that file
// exists but is no regular file (a folder, a device, a pipe) or may not be written.
QString qovReplaceableFile(const QString &path, QString *problem = nullptr);

// Writes `bytes` to a new file beside `path`, named "<path>.<8 hex digits>.tmp" so that it never
// touches a file that exists already, and puts the data on disk. Returns the new file's name, or
// an empty string on any error (short write, full disk), when nothing is left behind and
// `problem` says what failed.
QString qovWriteStagingFile(const QString &path, const QByteArray &bytes,
                            QString *problem = nullptr);

// Moves `from` onto `to` in one step, replacing `to` if it exists (keeping its permissions),
// then flushes the folder so the new name is on disk. `to` is never missing, even for a moment.
// Both must be in the same file system. On failure `problem` says what failed.
bool qovReplaceFile(const QString &from, const QString &to, QString *problem = nullptr);
