#include "webpage/qovzephsettingview.h"

#include "views/qovmainwindowbase.h"
#include "webpage/qovconfinedpage.h"
#include "webpage/qovjsapi.h"
#include "webpage/qovjsapifactory.h"

#include <QDebug>
#include <QResizeEvent>
#include <QThread>
#include <QWebChannel>
#include <QWebEngineView>

#include <limits>

QovZephSettingView::QovZephSettingView(QovAppDeviceModel device, int pageNumber,
                                       QovMainWindowBase *mainWindow, QWidget *parent)
    : QWidget(parent)
    , m_device(std::move(device))
    , m_pageUrl(QovDeviceSelector::settingsPageUrl(m_device->deviceType()))
{
    m_jsApi = createJsApi(mainWindow, m_device, pageNumber, nullptr, this);
    setObjectName(QStringLiteral("webengine"));
    if (mainWindow) {
        resize(mainWindow->width(), mainWindow->height());
    }
    if (m_jsApi) {
        m_channel = new QWebChannel(this);
        m_channel->registerObject(QStringLiteral("qtApi"), m_jsApi);
    }
}

QovZephSettingView::~QovZephSettingView()
{
    qDebug() << QThread::currentThreadId() << "destroy" << this;
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
    m_webView->setPage(page);
    m_webView->setGeometry(rect());
    if (m_jsApi) {
        m_jsApi->setWebView(m_webView);
        page->setWebChannel(m_channel);
    }
    // A device type without a settings page stays blank.
    if (!m_pageUrl.isEmpty()) {
        m_webView->load(m_pageUrl);
    }
    m_webView->show();
}

bool QovZephSettingView::releaseWebView()
{
    if (!m_webView || isVisible() || (m_jsApi && m_jsApi->fetchInFlight())) {
        return false;
    }
    if (m_jsApi) {
        m_jsApi->setWebView(nullptr);
    }
    delete m_webView;
    m_webView = nullptr;
    return true;
}

qint64 QovZephSettingView::idleMs() const
{
    if (isVisible()) {
        return 0;
    }
    return m_lastShown.isValid() ? m_lastShown.elapsed() : std::numeric_limits<qint64>::max();
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
    m_lastShown.start();
    ensureWebView();
}

void QovZephSettingView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_lastShown.start();
}
