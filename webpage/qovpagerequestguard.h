#pragma once

#include <QWebEngineUrlRequestInterceptor>

// The request interceptor of the pages' profile: blocks every request that leaves the
// webcontents folder (images, scripts, fetches, form posts, workers' requests) to the network or
// to other local files alike. It sees neither WebSocket handshakes nor downloads; see
// qovconfinedprofile.h for what covers those.
class QovPageRequestGuard : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT

public:
    explicit QovPageRequestGuard(QObject *parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
};
