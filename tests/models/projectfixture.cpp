#include "projectfixture.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace projectfixture {

QJsonObject validDevice(int index)
{
    return QJsonObject{
        {"name", QStringLiteral("Mixer %1").arg(index)},
        {"model", "ZEPH-2208"},
        {"mac", ""},
        {"color", 0},
        {"id", -1},
        {"data", QJsonObject{{"preset_list", QJsonArray{QJsonObject{}}},
                             {"partial_list", QJsonArray{QJsonObject{}}}}},
    };
}

QJsonObject validProject(int deviceCount)
{
    QJsonArray devices;
    for (int i = 0; i < deviceCount; ++i) {
        devices.append(validDevice(i));
    }
    return QJsonObject{{"version", 1}, {"title", "T"},  {"author", ""},
                       {"dealer", ""}, {"comment", ""}, {"devices", devices}};
}

namespace {
QJsonValue patched(const QJsonValue &node, QStringList keys, const QJsonValue &value)
{
    const QString key = keys.takeFirst();
    if (node.isArray()) {
        QJsonArray array = node.toArray();
        const int i = key.toInt();
        if (keys.isEmpty()) {
            value.isUndefined() ? array.removeAt(i) : array.replace(i, value);
        } else {
            array.replace(i, patched(array.at(i), keys, value));
        }
        return array;
    }
    QJsonObject object = node.toObject();
    if (keys.isEmpty()) {
        value.isUndefined() ? object.remove(key) : void(object.insert(key, value));
    } else {
        object.insert(key, patched(object.value(key), keys, value));
    }
    return object;
}
} // namespace

void patch(QJsonObject &root, const QString &path, const QJsonValue &value)
{
    root = patched(root, path.split('/'), value).toObject();
}

QByteArray compact(const QJsonObject &root)
{
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes, const QDateTime &modified)
{
    QFile file(path);
    // Flushed first: the data reaching the disk later would stamp the file anew.
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush() &&
           (!modified.isValid() || file.setFileTime(modified, QFileDevice::FileModificationTime));
}

void redirectDataFolder()
{
    static QTemporaryDir folder;
    qputenv("XDG_DATA_HOME", folder.path().toLocal8Bit());
}

} // namespace projectfixture
