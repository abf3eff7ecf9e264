#include "projectfilepeek.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace velmora::test {

QJsonObject firstDeviceIn(const QString &path)
{
    QFile file(path);
    return QJsonDocument::fromJson(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray())
        .object()
        .value(QStringLiteral("devices"))
        .toArray()
        .at(0)
        .toObject();
}

} // namespace velmora::test
