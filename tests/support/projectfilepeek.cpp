#include "projectfilepeek.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace velmora::test {

QJsonObject firstDeviceIn(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return QJsonObject();
    }
    return QJsonDocument::fromJson(file.readAll())
        .object()
        .value(QStringLiteral("devices"))
        .toArray()
        .at(0)
        .toObject();
}

} // namespace velmora::test
