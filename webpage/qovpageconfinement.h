#pragma once

#include <QString>
#include <QUrl>

// What a settings page may show and load. A page is local code with a bridge into the
// application, so it stays inside the program's own webcontents folder: it may not navigate to
// other local files or to the network, and it may not load anything from the network either.
class QovPageConfinement
{
public:
    // The folder whose files pages may show, without a trailing slash.
    static QString webContentsRoot();

    // Top-level and frame navigations: only local files below the webcontents folder.
    static bool isAllowedNavigation(const QUrl &url);
    // Everything a page loads: its own files, the web channel's script, and inline data.
    static bool isAllowedRequest(const QUrl &url);

    // Downloads: only data a page made itself (a settings file behind a blob: or data: link).
    static bool isAllowedDownload(const QUrl &url);

    // Both rules against an explicit root, for tests.
    static bool isBelow(const QUrl &url, const QString &root);
};
