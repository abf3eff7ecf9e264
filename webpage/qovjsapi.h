#pragma once

#include "models/qovappdevicemodel.h"
// Complete for the property below: Qt 6.5 and later check the pointed-to type at compile time.
#include "webpage/qovpagedevice.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWebEngineView>

class QovMainWindowBase;

// The object a settings page reaches as "qtApi" on its web channel; every public member of its
// meta-object is meant for the page (see qovpagesurface.h). The page navigates, saves,
// connects and reports the data sets the user changed through it; what is common to every model
// lives here, the fetching of changed data sets in the model's subclass. One bridge serves one
// project device and lives as long as that device's page. Everything runs on the GUI thread.
class QovJsApi : public QObject
{
    Q_OBJECT
    // The web channel hands the page the constant properties once, when the page sets up its
    // channel; only selectedDevice follows later changes there.
    Q_PROPERTY(QByteArray deviceList READ getDeviceList CONSTANT)
    Q_PROPERTY(int currentDeviceIndex READ currentDeviceIndex CONSTANT)
    Q_PROPERTY(QovPageDevice *currentDevice READ currentDevice CONSTANT)
    Q_PROPERTY(
        int selectedDevice READ selectedDevice WRITE setSelectedDevice NOTIFY selectedDeviceChanged)
    // Where the user was on the page: its section, channel and scroll position, as the page
    // wrote it with rememberView. Held here, so a page whose web view was released comes back
    // where it was. Constant for the page that reads it: only a page changes it, and the next
    // one reads it when it sets up its channel.
    Q_PROPERTY(QString viewState READ viewState CONSTANT)
    // The control of the top bar the user moved here with ("next", "previous", "switcher"), to
    // have the keyboard focus on it again here; empty when the page was reached otherwise.
    // Constant for the page that reads it: a page loaded afresh reads it when it sets up its
    // channel, a page already loaded is told by a script (a new signal would renumber the
    // members pages were written against).
    Q_PROPERTY(QString arrivalFocus READ arrivalFocus CONSTANT)

public:
    QovJsApi(QovMainWindowBase *mainWindow, QovAppDeviceModel device, int pageNumber,
             QWebEngineView *webView, QObject *parent = nullptr);
    ~QovJsApi() override;

    // The device's 0-based index in the project: its page number - 1.
    int currentDeviceIndex() const;
    // The device as the page sees it: read only.
    QovPageDevice *currentDevice() const;
    int selectedDevice() const;
    QString viewState() const { return m_viewState; }
    QString arrivalFocus() const { return m_arrivalFocus; }

    // Not on the meta-object, so pages never see them.
    QovAppDeviceModel device() const { return m_device; }
    int pageNumber() const { return m_pageNumber; }
    QWebEngineView *webView() const { return m_webView; }
    // The settings view creates its web engine view when the page is first shown and may release
    // it later; results of scripts run in a page that is gone are dropped.
    virtual void setWebView(QWebEngineView *webView);
    // True while the bridge waits for a script result from the page.
    virtual bool fetchInFlight() const { return false; }

Q_SIGNALS:
    void selectedDeviceChanged(int selectedDevice);

public Q_SLOTS:
    void setSelectedDevice(int selectedDevice);
    void backToProjectPage();
    void saveProject();
    void snapShot();
    void rollBack();
    void gotoDevice(int idx);
    bool connectDevice();
    bool disconnectDevice();
    bool reconnectDevice();
    // The page reports that the user changed data set `type` (bank for presets and partial
    // presets); the bridge then fetches it from the page into the device.
    virtual void zephDataChanged(int type, int bank) = 0;
    // The page cannot go on: tells the user and ends the project without the save question.
    void reportFatal(QString message);

protected:
    bool event(QEvent *event) override;

private Q_SLOTS:
    void onCurrentPageChanged(int currentPage);

public:
    // The project's devices as indented JSON text: [{"name", "model", "color"}, ...].
    Q_INVOKABLE QByteArray getDeviceList() const;
    // Last on the meta-object: pages made for the members above find them where they were.
    Q_INVOKABLE void rememberView(const QString &viewState);
    // gotoDevice from a control of the top bar, whose twin takes the focus on the new page.
    Q_INVOKABLE void gotoDeviceFrom(int idx, const QString &control);

private:
    QPointer<QovMainWindowBase> m_mainWindow;
    QovAppDeviceModel m_device;
    QovPageDevice *m_pageDevice;
    int m_pageNumber;
    QPointer<QWebEngineView> m_webView;

    QStringList m_snapshotPreset;
    QString m_snapshot12BandEq;
    QString m_snapshot4BandEq;
    QStringList m_snapshotPartialPreset;
    QString m_snapshotCurrent;
    bool m_snapshotTaken = false;

    int m_selectedDevice;
    QString m_viewState;
    QString m_arrivalFocus;
};
