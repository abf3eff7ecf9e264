#include "webpage/qovzephsettingview.h"

#include "views/qovmainwindowbase.h"
#include "webpage/qovconfinedpage.h"
#include "webpage/qovjsapi.h"
#include "webpage/qovjsapifactory.h"
#include "webpage/qovpagesurface.h"
#include "webpage/qovwebviewkeeper.h"

#include <QDebug>
#include <QResizeEvent>
#include <QThread>
#include <QTimer>
#include <QWebChannel>
#include <QWebEngineView>

namespace {
const int kShowAfterMs = 16;
} // namespace

QovZephSettingView::QovZephSettingView(QovAppDeviceModel device, int pageNumber,
                                       QovMainWindowBase *mainWindow, QWidget *parent)
    : QWidget(parent)
    , m_device(std::move(device))
    , m_pageUrl(QovDeviceSelector::settingsPageUrl(m_device->deviceType()))
{
    m_jsApi = createJsApi(mainWindow, m_device, pageNumber, nullptr, this);
    setObjectName(QStringLiteral("webengine"));
    // The style sheet gives the page area the pages' dark ground; without this a plain widget
    // paints none, and the window's light default shows until the web view's first frame.
    setAttribute(Qt::WA_StyledBackground);
    if (mainWindow) {
        resize(mainWindow->width(), mainWindow->height());
    }
    if (m_jsApi) {
        m_channel = new QWebChannel(this);
        qovPublishBridge(m_channel, m_jsApi);
    }
}

QovZephSettingView::~QovZephSettingView()
{
    qDebug() << QThread::currentThreadId() << "destroy" << this;
    QovWebViewKeeper::instance().forget(this);
    // The bridge must let go of the page before the page dies: a dying page answers its pending
    // scripts with empty results.
    if (m_jsApi) {
        m_jsApi->setWebView(nullptr);
    }
}

void QovZephSettingView::snapShot()
{
    if (m_jsApi) {
        m_jsApi->snapShot();
    }
}

void QovZephSettingView::ensureWebView()
{
    if (m_webView) {
        return;
    }
    m_webView = new QWebEngineView(this);
    auto *page = new QovConfinedPage(m_webView);
    // The engine draws a new page white until the page's own style applies, and the view shows
    // that colour before its first frame: the window would flash light on every fresh page.
    // The ground comes from the style sheet (this widget's background), not a copy of it here.
    ensurePolished();
    page->setBackgroundColor(palette().color(QPalette::Window));
    m_webView->setPage(page);
    m_webView->setGeometry(rect());
    if (m_jsApi) {
        m_jsApi->setWebView(m_webView);
        page->setWebChannel(m_channel);
        // The new page reads every value when it sets up its channel; what was held while the
        // view was away goes out now and is at worst the same again.
        m_channel->setBlockUpdates(false);
    }
    // A device type without a settings page stays blank.
    if (!m_pageUrl.isEmpty()) {
        m_webView->load(m_pageUrl);
    }
    // Showing a new web view makes its drawing surface, and starting the page's engine side
    // above costs about as much again: the window must not stall for both at once. A zero
    // timer is not enough: the event loop runs it in its very next pass, with everything else
    // this turn posted, and the window stalls for both all the same. A frame later, the window
    // has painted and taken input in between. The page loads meanwhile. A view released before
    // its turn comes (it waits for deletion) stays hidden.
    QTimer::singleShot(kShowAfterMs, Qt::PreciseTimer, m_webView, [this, view = m_webView] {
        if (view == m_webView) {
            view->show();
            if (isVisible()) {
                view->setFocus();
            }
        }
    });
    QovWebViewKeeper::instance().touch(this);
    QovWebViewKeeper::instance().trim();
}

bool QovZephSettingView::releaseWebView()
{
    if (!m_webView || isVisible() || (m_jsApi && m_jsApi->fetchInFlight())) {
        return false;
    }
    if (m_jsApi) {
        m_jsApi->setWebView(nullptr);
        // Without a page the channel has no transport, and each change of the device would be
        // sent to nobody, with a warning; they wait until a view is back.
        m_channel->setBlockUpdates(true);
    }
    // Deferred: the release may happen inside a call from that very page (a page that moves the
    // window to another device), and its page must not die under that call.
    m_webView->hide();
    m_webView->deleteLater();
    m_webView = nullptr;
    return true;
}

void QovZephSettingView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_webView) {
        m_webView->resize(event->size());
    }
}

void QovZephSettingView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    QovWebViewKeeper::instance().touch(this);
    const bool madeNow = !m_webView;
    ensureWebView();
    // The keys go to the page shown, or the ones typed after a switch would stay with the page
    // left (or with nothing). A view made just now takes the focus when it is shown.
    if (!madeNow) {
        m_webView->setFocus();
    }
}
