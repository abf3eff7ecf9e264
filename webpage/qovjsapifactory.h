#pragma once

#include "models/qovappdevicemodel.h"

class QObject;
class QovJsApi;
class QovMainWindowBase;
class QWebEngineView;

// The page bridge for the device's type, or null for a type without a settings page.
QovJsApi *createJsApi(QovMainWindowBase *mainWindow, const QovAppDeviceModel &device,
                      int pageNumber, QWebEngineView *webView, QObject *parent);
