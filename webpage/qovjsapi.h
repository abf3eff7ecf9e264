#pragma once

#include "models/qovappdevicemodel.h"
// Complete, not declared: Qt 6 registers the property's pointer type where moc runs.
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

public:
    QovJsApi(QovMainWindowBase *mainWindow, QovAppDeviceModel device, int pageNumber,
             QWebEngineView *webView, QObject *parent = nullptr);
    ~QovJsApi() override;

    // The device's 0-based index in the project: its page number - 1.
    int currentDeviceIndex() const;
    // The device as the page sees it: read only.
    QovPageDevice *currentDevice() const;
    int selectedDevice() const;

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

private Q_SLOTS:
    void onCurrentPageChanged(int currentPage);

public:
    // The project's devices as indented JSON text: [{"name", "model", "color"}, ...].
    Q_INVOKABLE QByteArray getDeviceList() const;

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
};
