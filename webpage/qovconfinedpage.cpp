#include "webpage/qovconfinedpage.h"

#include "webpage/qovpageconfinement.h"
#include "webpage/qovpagerequestguard.h"

#include <QDebug>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

QovConfinedPage::QovConfinedPage(QObject *parent)
    : QWebEnginePage(QWebEngineProfile::defaultProfile(), parent)
{
    QWebEngineSettings *s = settings();
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    // The guard is a child of the page and goes with it.
    setUrlRequestInterceptor(new QovPageRequestGuard(this));
}

bool QovConfinedPage::acceptNavigationRequest(const QUrl &url, NavigationType type,
                                              bool isMainFrame)
{
    if (QovPageConfinement::isAllowedNavigation(url)) {
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }
    qDebug() << "refused page navigation" << url << type << isMainFrame;
    m_refused.append(url);
    Q_EMIT navigationRefused(url);
    return false;
}

QWebEnginePage *QovConfinedPage::createWindow(WebWindowType type)
{
    qDebug() << "refused new page window" << type;
    return nullptr;
}
