#include "webpage/qovpagerequestguard.h"

#include "webpage/qovpageconfinement.h"

#include <QDebug>

QovPageRequestGuard::QovPageRequestGuard(QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent)
{
}

void QovPageRequestGuard::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (!QovPageConfinement::isAllowedRequest(info.requestUrl())) {
        qDebug() << "blocked page request" << info.requestUrl();
        info.block(true);
    }
}
