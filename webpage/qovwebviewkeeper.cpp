#include "webpage/qovwebviewkeeper.h"

#include "webpage/qovzephsettingview.h"

#include <QDebug>

QovWebViewKeeper &QovWebViewKeeper::instance()
{
    // Used from the GUI thread only, like the views themselves.
    static QovWebViewKeeper keeper;
    return keeper;
}

void QovWebViewKeeper::touch(QovZephSettingView *view)
{
    forget(view);
    m_recent.append(view);
}

void QovWebViewKeeper::forget(QovZephSettingView *view)
{
    m_recent.removeAll(QPointer<QovZephSettingView>(view));
    m_recent.removeAll(QPointer<QovZephSettingView>());
}

void QovWebViewKeeper::setLimit(int limit)
{
    m_limit = qMax(1, limit);
    trim();
}

int QovWebViewKeeper::liveViews() const
{
    int live = 0;
    for (const QPointer<QovZephSettingView> &view : m_recent) {
        live += (view && view->webView()) ? 1 : 0;
    }
    return live;
}

void QovWebViewKeeper::trim()
{
    int excess = liveViews() - m_limit;
    for (int i = 0; excess > 0 && i < m_recent.size(); ++i) {
        QovZephSettingView *view = m_recent.at(i);
        if (view && view->releaseWebView()) {
            qDebug() << "released the web view of an unused page" << view;
            --excess;
        }
    }
}
