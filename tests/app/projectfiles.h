#pragma once

#include <QString>
#include <QStringList>

// Writes a project file named `name` in `folder` holding one ZEPH-2208 device per entry of
// `deviceNames` (no MAC address, ids 1, 2, ...). Returns its path, or an empty string.
QString writeProjectFile(const QString &folder, const QString &name, const QString &title,
                         const QStringList &deviceNames = {});
// Writes `content` as it stands; for files the reader must refuse.
QString writeRawFile(const QString &folder, const QString &name, const QByteArray &content);
