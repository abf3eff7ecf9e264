#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QTemporaryDir>

// Small valid project files to start from, and edits addressed by path ("devices/0/mac").
namespace projectfixture {

QJsonObject validDevice(int index);
QJsonObject validProject(int deviceCount);

// Replaces the member at `path`; an undefined value removes it.
void patch(QJsonObject &root, const QString &path, const QJsonValue &value);

QByteArray compact(const QJsonObject &root);

// The bytes of the file at `path`; empty when it cannot be read.
QByteArray readAll(const QString &path);
// Replaces the file at `path` with `bytes`, stamped `modified` when that is valid.
bool writeAll(const QString &path, const QByteArray &bytes, const QDateTime &modified = {});

// Points the user's data folder (home of the default project) at a folder that lives as long
// as the test process. Must run before the first project model is made.
void redirectDataFolder();

} // namespace projectfixture
