#include "webpage/qovconfinedpage.h"

#include "webpage/qovconfinedprofile.h"
#include "webpage/qovpageconfinement.h"

#include <QDebug>
#include <QWebEngineProfile>

QovConfinedPage::QovConfinedPage(QObject *parent)
    : QWebEnginePage(QWebEngineProfile::defaultProfile(), parent)
{
    // Requests, workers, downloads and features are confined for the whole profile.
    qovConfineProfile(profile());
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
