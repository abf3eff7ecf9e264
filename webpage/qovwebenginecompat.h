#pragma once

#include <QtGlobal>

// The web engine's API where Qt 5.15 and Qt 6 name things differently; the rest of the
// program uses these names and stays one path for both.
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#include <QWebEngineDownloadRequest>
using QovWebEngineDownload = QWebEngineDownloadRequest;
#else
#include <QWebEngineDownloadItem>
using QovWebEngineDownload = QWebEngineDownloadItem;
#endif

class QWebEnginePage;
class QWidget;

namespace QovWebEngineCompat {

// The widget that shows PAGE, or null when no view shows it.
QWidget *viewOf(const QWebEnginePage *page);

} // namespace QovWebEngineCompat
