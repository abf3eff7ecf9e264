#include "webpage/qovwebenginecompat.h"

#include <QWebEnginePage>
#include <QWebEngineView>

namespace QovWebEngineCompat {

QWidget *viewOf(const QWebEnginePage *page)
{
    if (!page) {
        return nullptr;
    }
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    // Qt 6's page no longer knows its view; the view keeps the link.
    return QWebEngineView::forPage(page);
#else
    return page->view();
#endif
}

} // namespace QovWebEngineCompat
