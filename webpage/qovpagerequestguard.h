#pragma once

#include <QWebEngineUrlRequestInterceptor>

// Blocks every request of a settings page that leaves the webcontents folder: images,
// scripts, fetches and form posts to the network or to other local files alike.
class QovPageRequestGuard : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT

public:
    explicit QovPageRequestGuard(QObject *parent = nullptr);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;
};
