#pragma once

#include "models/qovappdevicemodel.h"

#include <QUrl>
#include <QWidget>

class QovJsApi;
class QovMainWindowBase;
class QWebChannel;
class QWebEngineView;

// One project device's page in the main window: the device's settings page in an embedded web
// view, with the device's bridge published on the page's web channel as "qtApi".
//
// The web view is made when the page is first shown, not at construction: a project holds up
// to 256 devices and every web view costs a renderer, so building them all up front would
// make opening a project slow and large. Pages not shown for a while give their web view back (see
// QovWebViewKeeper); it is made again, and the page loaded afresh from the device's data, when the
// page is shown next.
class QovZephSettingView : public QWidget
{
    Q_OBJECT

public:
    QovZephSettingView(QovAppDeviceModel device, int pageNumber, QovMainWindowBase *mainWindow,
                       QWidget *parent = nullptr);
    ~QovZephSettingView() override;

    // Lets the bridge remember the device's mixer data, so that a roll-back returns to it. The
    // main window calls it each time this page becomes the current one.
    void snapShot();

    // Null for a device type without a settings page.
    QovJsApi *jsApi() const { return m_jsApi; }
    // Null until the page is first shown, and again after the web view was released.
    QWebEngineView *webView() const { return m_webView; }
    QUrl pageUrl() const { return m_pageUrl; }
    QovAppDeviceModel device() const { return m_device; }

    // Makes the web view and loads the page now, as showing the page would.
    void ensureWebView();
    // Gives the web view back unless the page is shown or a fetch is in flight; true when it
    // was released. The page is loaded afresh when it is shown again.
    bool releaseWebView();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QovAppDeviceModel m_device;
    QUrl m_pageUrl;
    QWebEngineView *m_webView = nullptr;
    QovJsApi *m_jsApi = nullptr;
    QWebChannel *m_channel = nullptr;
};
