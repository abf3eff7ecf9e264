#pragma once

#include "webpage/qovjsapi.h"

#include <QVariant>

#include <functional>
#include <map>
#include <utility>

// The bridge of the ZEPH-2208 family. A change notice runs the page's getter for that data set
// and stores the result in the device. While a data set's fetch is in flight, further notices
// for it are dropped, not queued: the fetch that is running returns the newest text anyway.
class QovJsApiZeph2208 : public QovJsApi
{
    Q_OBJECT

public:
    QovJsApiZeph2208(QovMainWindowBase *mainWindow, QovAppDeviceModel device, int pageNumber,
                     QWebEngineView *webView, QObject *parent = nullptr);

    // Stays a slot through the base class's meta-object; declaring it again would publish a
    // second method of the same name to the page.
    void zephDataChanged(int type, int bank) override;

    void setWebView(QWebEngineView *webView) override;

    // True while a fetch of any data set is waiting for its result.
    bool fetchInFlight() const override;

private:
    using ResultHandler = std::function<void(const QVariant &result)>;
    // Sets the mark and runs the script; the handler runs with the result unless the page was
    // replaced or released in between.
    void runFetch(bool &mark, const QString &script, const ResultHandler &onResult);
    void fetchDeviceInfo();
    // What the page hands over is stored only when the project reader would take it.
    void storeDeviceInfo(const QVariant &result);
    static bool isStorable(const QVariant &result, int type, int bank);
    void clearMarks();

    // Whether a fetch runs, by data-set code and bank.
    std::map<std::pair<int, int>, bool> m_fetching;

    // Bumped whenever the page goes away, so that late results of its scripts are ignored.
    quint64 m_pageGeneration = 0;
};
