#include "models/qovipsortkey.h"

#include <QDebug>
#include <QStringList>

quint32 qovIpSortKey(const QString &ipAddress)
{
    quint32 key = 0;
    if (!ipAddress.isEmpty()) {
        const QStringList parts = ipAddress.split(QLatin1Char('.'));
        for (const QString &part : parts) {
            bool ok = false;
            const uint value = part.toUInt(&ok, 10);
            key = key * 256u + (ok ? value : 0u);
        }
    }
    qDebug() << "ip sort key" << key << ipAddress;
    return key;
}
