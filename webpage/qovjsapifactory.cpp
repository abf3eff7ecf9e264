#include "webpage/qovjsapifactory.h"

#include "webpage/qovjsapizeph2208.h"

QovJsApi *createJsApi(QovMainWindowBase *mainWindow, const QovAppDeviceModel &device,
                      int pageNumber, QWebEngineView *webView, QObject *parent)
{
    switch (device->deviceType()) {
    case QovDeviceSelector::ZEPH2208:
    case QovDeviceSelector::ZEPH2208NET:
        return new QovJsApiZeph2208(mainWindow, device, pageNumber, webView, parent);
    case QovDeviceSelector::Unknown:
        break;
    }
    return nullptr;
}
