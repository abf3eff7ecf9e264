#include "webpage/qovpagesurface.h"

#include "webpage/qovjsapi.h"
#include "webpage/qovpagedevice.h"

#include <QDebug>
#include <QEvent>
#include <QWebChannel>

void qovPublishBridge(QWebChannel *channel, QovJsApi *bridge)
{
    channel->registerObject(QStringLiteral("qtApi"), bridge);
    // Registered rather than returned from a property call, which would wrap it, and a wrapped
    // object is one the page may delete.
    channel->registerObject(QStringLiteral("qtApiDevice"), bridge->currentDevice());
}

bool qovRefuseDeferredDelete(QObject *object, QEvent *event)
{
    if (event->type() != QEvent::DeferredDelete) {
        return false;
    }
    qDebug() << "refused to delete" << object << "at a page's request";
    return true;
}

void qovKeepObjectName(QObject *object)
{
    const QString name = object->objectName();
    QObject::connect(
        object, &QObject::objectNameChanged, object, [object, name](const QString &now) {
            if (now != name) {
                qDebug() << "refused a new name for" << object << "from a page:" << now;
                object->setObjectName(name);
            }
        });
}
