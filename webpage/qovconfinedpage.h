#pragma once

#include <QWebEnginePage>

// A web page in the default profile that keeps a settings page inside the webcontents folder:
// navigations elsewhere are refused (the page stays as it was) and new windows are never made.
// What the page loads, and what its workers and downloads do, is confined by its profile
// (qovconfinedprofile.h).
class QovConfinedPage : public QWebEnginePage
{
    Q_OBJECT

public:
    explicit QovConfinedPage(QObject *parent = nullptr);

    // Navigations this page refused, oldest first, for diagnostics and tests.
    QList<QUrl> refusedNavigations() const { return m_refused; }

Q_SIGNALS:
    void navigationRefused(const QUrl &url);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    QList<QUrl> m_refused;
};
