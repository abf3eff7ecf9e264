#include "fakemainwindow.h"

#include "pagetestutil.h"
#include "webpage/qovzephsettingview.h"

#include <QTest>

#include <utility>

FakeMainWindow::FakeMainWindow(QWidget *parent)
    : QovMainWindowBase(parent)
    , m_project(new QovProjectDataModel(this))
    , m_projectPage(new QWidget(this))
{
    resize(800, 500);
    addWidget(m_projectPage);
}

FakeMainWindow::~FakeMainWindow()
{
    qDeleteAll(m_pages);
}

void FakeMainWindow::setCurrentPage(int targetPageNumber)
{
    if (targetPageNumber == m_currentPage) {
        return;
    }
    m_currentPage = targetPageNumber;
    setCurrentIndex(targetPageNumber);
    Q_EMIT currentPageChanged(targetPageNumber);
    if (targetPageNumber >= 1 && targetPageNumber <= m_pages.size()) {
        m_pages.at(targetPageNumber - 1)->snapShot();
    }
}

void FakeMainWindow::setProjectData(QovProjectDataModel *data)
{
    for (QovZephSettingView *page : std::as_const(m_pages)) {
        removeWidget(page);
        page->deleteLater();
    }
    m_pages.clear();
    m_project = data;
    setCurrentWidget(m_projectPage);
    m_currentPage = 0;
    const QVector<QovAppDeviceModel> devices = data->appDevices();
    for (int i = 0; i < devices.size(); ++i) {
        auto *page = new QovZephSettingView(devices.at(i), i + 1, this, this);
        insertWidget(i + 1, page);
        m_pages.append(page);
    }
    Q_EMIT projectDataChanged(data);
}

bool FakeMainWindow::showProject(const QVector<QovAppDeviceModel> &devices, int pageNumber)
{
    auto *project = new QovProjectDataModel(this);
    project->setAppDevices(devices);
    setProjectData(project);
    show();
    if (!QTest::qWaitForWindowExposed(this)) {
        return false;
    }
    if (pageNumber < 1) {
        return true;
    }
    setCurrentPage(pageNumber);
    return page(pageNumber)->webView() && pagetest::waitReady(page(pageNumber)->webView());
}

void FakeMainWindow::closeProject(bool force)
{
    record(force ? QStringLiteral("closeProject force") : QStringLiteral("closeProject"));
}

bool FakeMainWindow::connectDevice(QovAppDeviceModel device)
{
    calls.append(QStringLiteral("connectDevice ") + device->deviceName());
    return deviceSlotResult;
}

bool FakeMainWindow::disconnectDevice(QovAppDeviceModel device)
{
    calls.append(QStringLiteral("disconnectDevice ") + device->deviceName());
    return deviceSlotResult;
}

bool FakeMainWindow::reconnectDevice(QovAppDeviceModel device)
{
    calls.append(QStringLiteral("reconnectDevice ") + device->deviceName());
    return deviceSlotResult;
}

bool FakeMainWindow::record(const QString &call)
{
    calls.append(call);
    return true;
}
