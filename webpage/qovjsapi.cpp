#include "webpage/qovjsapi.h"

#include "dialogs/qoverrorpopup.h"
#include "views/qovmainwindowbase.h"
#include "webpage/qovpagedevice.h"
#include "webpage/qovpagesurface.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QThread>

QovJsApi::QovJsApi(QovMainWindowBase *mainWindow, QovAppDeviceModel device, int pageNumber,
                   QWebEngineView *webView, QObject *parent)
    : QObject(parent)
    , m_mainWindow(mainWindow)
    , m_device(std::move(device))
    , m_pageDevice(new QovPageDevice(m_device, this))
    , m_pageNumber(pageNumber)
    , m_webView(webView)
    // Follows the page shown from the start: -1 on the project page.
    , m_selectedDevice(mainWindow ? mainWindow->currentPage() - 1 : -1)
{
    qovKeepObjectName(this);
    if (m_mainWindow) {
        connect(m_mainWindow, &QovMainWindowBase::currentPageChanged, this,
                &QovJsApi::onCurrentPageChanged);
    }
}

QovJsApi::~QovJsApi()
{
    qDebug() << QThread::currentThreadId() << "destroy" << this;
}

bool QovJsApi::event(QEvent *event)
{
    return qovRefuseDeferredDelete(this, event) || QObject::event(event);
}

int QovJsApi::currentDeviceIndex() const
{
    return m_pageNumber - 1;
}

QovPageDevice *QovJsApi::currentDevice() const
{
    return m_pageDevice;
}

int QovJsApi::selectedDevice() const
{
    return m_selectedDevice;
}

void QovJsApi::setWebView(QWebEngineView *webView)
{
    m_webView = webView;
}

void QovJsApi::setSelectedDevice(int selectedDevice)
{
    if (selectedDevice == m_selectedDevice) {
        return;
    }
    // -1 (the project page) or a device of the project: a page may write this property.
    const int devices = m_mainWindow && m_mainWindow->projectData()
                            ? m_mainWindow->projectData()->appDevices().size()
                            : 0;
    if (selectedDevice < -1 || selectedDevice >= devices) {
        qDebug() << "refused selected device from a page:" << selectedDevice;
        return;
    }
    m_selectedDevice = selectedDevice;
    Q_EMIT selectedDeviceChanged(selectedDevice);
}

namespace {

// A page may write anything here; only a small object of the expected shape is kept, so what
// the next page load reads back is never more than a place on the page.
bool isViewState(const QString &text)
{
    if (text.isEmpty()) {
        return true;
    }
    if (text.size() > 200) {
        return false;
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        return false;
    }
    static const QRegularExpression viewPattern(QStringLiteral("^[a-z]{1,16}(/[0-9]{1,2})?$"));
    const QJsonObject state = document.object();
    for (auto it = state.constBegin(); it != state.constEnd(); ++it) {
        const QJsonValue value = it.value();
        if (it.key() == QLatin1String("view")) {
            if (!value.isString() || !viewPattern.match(value.toString()).hasMatch()) {
                return false;
            }
        } else if (it.key() == QLatin1String("scroll")) {
            const double scroll = value.toDouble(-1);
            if (!value.isDouble() || scroll < 0 || scroll > 1e6 || scroll != int(scroll)) {
                return false;
            }
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

void QovJsApi::rememberView(const QString &viewState)
{
    if (viewState == m_viewState) {
        return;
    }
    if (!isViewState(viewState)) {
        qDebug() << "refused a view state from a page:" << viewState.left(80);
        return;
    }
    m_viewState = viewState;
}

void QovJsApi::backToProjectPage()
{
    if (m_mainWindow) {
        m_mainWindow->setCurrentPage(0);
    }
}

void QovJsApi::saveProject()
{
    if (m_mainWindow) {
        m_mainWindow->saveProject();
    }
}

void QovJsApi::snapShot()
{
    qDebug() << QThread::currentThreadId() << "snapshot!" << m_pageNumber << m_device->debugText();
    m_snapshotPreset = m_device->zephDataPreset();
    m_snapshot12BandEq = m_device->zephData12BandEq();
    m_snapshot4BandEq = m_device->zephData4BandEq();
    m_snapshotPartialPreset = m_device->zephDataPartialPreset();
    m_snapshotCurrent = m_device->zephDataCurrent();
    m_snapshotTaken = true;
}

void QovJsApi::rollBack()
{
    qDebug() << QThread::currentThreadId() << "rollback!" << m_pageNumber << m_device->debugText();
    // Without a snapshot there is nothing to return to; writing empty lists would break the
    // device's fixed bank counts.
    if (!m_snapshotTaken) {
        qDebug() << "rollback: no snapshot";
        return;
    }
    m_device->setZephDataPreset(m_snapshotPreset);
    m_device->setZephData12BandEq(m_snapshot12BandEq);
    m_device->setZephData4BandEq(m_snapshot4BandEq);
    m_device->setZephDataPartialPreset(m_snapshotPartialPreset);
    m_device->setZephDataCurrent(m_snapshotCurrent);
    m_snapshotPreset.clear();
    m_snapshot12BandEq.clear();
    m_snapshot4BandEq.clear();
    m_snapshotPartialPreset.clear();
    m_snapshotCurrent.clear();
    m_snapshotTaken = false;
}

namespace {

// The move in progress: the page it goes to takes the control from here when the window says
// it is the current one. Everything runs on the GUI thread.
struct PendingMove
{
    const QovMainWindowBase *window = nullptr;
    int page = -1;
    QString control;
};
PendingMove pendingMove;

} // namespace

void QovJsApi::gotoDevice(int idx)
{
    gotoDeviceFrom(idx, QString());
}

void QovJsApi::gotoDeviceFrom(int idx, const QString &control)
{
    if (!m_mainWindow) {
        return;
    }
    static const QStringList controls{QStringLiteral("next"), QStringLiteral("previous"),
                                      QStringLiteral("switcher")};
    pendingMove = {m_mainWindow, idx + 1, controls.contains(control) ? control : QString()};
    m_mainWindow->setCurrentPage(idx + 1);
    pendingMove = {};
}

bool QovJsApi::connectDevice()
{
    return m_mainWindow && m_mainWindow->connectDevice(m_device);
}

bool QovJsApi::disconnectDevice()
{
    return m_mainWindow && m_mainWindow->disconnectDevice(m_device);
}

bool QovJsApi::reconnectDevice()
{
    return m_mainWindow && m_mainWindow->reconnectDevice(m_device);
}

void QovJsApi::reportFatal(QString message)
{
    QovErrorPopup popup(tr("Error"),
                        tr("FATAL Error on '%1':\n%2").arg(m_device->deviceName(), message));
    const QPointer<QovJsApi> self(this);
    popup.exec();
    // The popup ran an event loop: the page, or the whole window, may have gone meanwhile.
    if (self && m_mainWindow) {
        m_mainWindow->closeProject(true);
    }
}

void QovJsApi::onCurrentPageChanged(int currentPage)
{
    setSelectedDevice(currentPage - 1);
    if (currentPage != m_pageNumber) {
        return;
    }
    const bool moved = pendingMove.window == m_mainWindow && pendingMove.page == currentPage;
    m_arrivalFocus = moved ? pendingMove.control : QString();
    // A page that is still loading reads the property instead; the script finds no page yet.
    if (m_webView && !m_arrivalFocus.isEmpty()) {
        // One of the three names gotoDeviceFrom lets through: no quoting needed.
        m_webView->page()->runJavaScript(
            QStringLiteral("window.ZephPage && ZephPage.focusOnArrival('%1')").arg(m_arrivalFocus));
    }
}

QByteArray QovJsApi::getDeviceList() const
{
    QJsonArray list;
    if (m_mainWindow && m_mainWindow->projectData()) {
        const QVector<QovAppDeviceModel> devices = m_mainWindow->projectData()->appDevices();
        for (const QovAppDeviceModel &device : devices) {
            list.append(QJsonObject{{QStringLiteral("name"), device->deviceName()},
                                    {QStringLiteral("model"), device->modelName()},
                                    {QStringLiteral("color"), device->headerColor()}});
        }
    }
    qDebug() << QThread::currentThreadId() << "device list:" << list.size() << list;
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}
