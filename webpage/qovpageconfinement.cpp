#include "webpage/qovpageconfinement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString QovPageConfinement::webContentsRoot()
{
    const QString root = QCoreApplication::applicationDirPath() + QStringLiteral("/webcontents");
    const QString canonical = QFileInfo(root).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(root) : canonical;
}

bool QovPageConfinement::isBelow(const QUrl &url, const QString &root)
{
    // A host in a file URL names another machine's share.
    if (!url.isLocalFile() || !url.host().isEmpty() || root.isEmpty()) {
        return false;
    }
    QString path = QDir::cleanPath(url.toLocalFile());
    // A link inside the folder may point anywhere; judge where it leads.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (!canonical.isEmpty()) {
        path = canonical;
    }
    return path.startsWith(root + QLatin1Char('/'));
}

bool QovPageConfinement::isAllowedNavigation(const QUrl &url)
{
    return isBelow(url, webContentsRoot());
}

bool QovPageConfinement::isAllowedRequest(const QUrl &url)
{
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("qrc")) {
        // The web channel's client script is built into the toolkit.
        return url.path().startsWith(QLatin1String("/qtwebchannel/"));
    }
    // Inline content and the page's own blobs never leave the process.
    if (scheme == QLatin1String("data") || scheme == QLatin1String("blob")) {
        return true;
    }
    return isBelow(url, webContentsRoot());
}

bool QovPageConfinement::isAllowedDownload(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme == QLatin1String("blob") || scheme == QLatin1String("data");
}
