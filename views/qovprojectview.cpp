#include "views/qovprojectview.h"

#include "models/qovprojectdatamodel.h"
#include "views/qovlistkeys.h"
#include "views/qovmainwindowbase.h"
#include "views/qovprojectdevicelistitemview.h"
#include "views/qovprojectviewdevicelist.h"
#include "views/qovrowsummary.h"
#include "views/qovsortlabel.h"
#include "views/qovwidgetfactory.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Rows made per turn of the event loop: the first turn makes at least the first few, so that
// small projects are listed at once; every turn then makes as many as fit in the time. Later
// turns make at least one only: the user may already be paging through the devices, and on a
// busy machine a row takes several milliseconds.
const int kRowsAtOnce = 4;
const int kRowTimeBudgetMs = 10;

QHBoxLayout *makeRow()
{
    return makeHBoxLayout(0, 0, Qt::AlignLeft | Qt::AlignVCenter);
}

// Orders two devices by one key; devices without a key go last whatever the direction.
template<typename Key>
bool keyedBefore(const Key &a, const Key &b, bool hasA, bool hasB, bool ascending)
{
    if (hasA != hasB) {
        return hasA;
    }
    if (!hasA) {
        return false;
    }
    return ascending ? a < b : b < a;
}

} // namespace

QovProjectView::QovProjectView(QovMainWindowBase *mainWindow, QWidget *menuBar, QWidget *parent)
    : QWidget(parent)
    , m_mainWindow(mainWindow)
    , m_scrollArea(new QScrollArea())
    , m_frame(makeWidget(QSize(), "project-view"))
    , m_projectName(makeLabel(QString(), QSize(0, 24), "project-name"))
    , m_editIcon(makeIconButton(QStringLiteral(":/icons/ic_create.svg"), QSize(12, 12)))
    , m_bodyStack(new QStackedWidget())
    , m_deviceList(new QovProjectViewDeviceList(808, 4))
    , m_closeIcon(makeIconButton(QStringLiteral(":/icons/ic_close.svg"), QSize(24, 24)))
    , m_bigSettingButton(makeButton(tr("Device Setting"), QSize(256, 48), "device-setting"))
    , m_smallSettingButton(makeButton(tr("Device Setting"), QSize(114, 32), "device-setting"))
    , m_deviceSortLabel(makeSortLabel(tr("Device"), QSize(240, 24), "device-list-header"))
    , m_ipSortLabel(makeSortLabel(tr("IP Address"), QSize(144, 24), "device-list-header"))
    , m_idSortLabel(makeSortLabel(tr("Device ID"), QSize(114, 24), "device-list-header"))
{
    m_bodyStack->setObjectName(QStringLiteral("body-stack"));
    m_bodyStack->setFixedWidth(808);
    m_bodyStack->resize(808, 544);
    m_bodyStack->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);

    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // No Tab stop of its own, where nothing would show the focus: Tab to a control inside
    // scrolls it into view all the same.
    m_scrollArea->setFocusPolicy(Qt::NoFocus);
    m_frame->setParent(this);
    m_frame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // The frame paints the page background that the style sheet gives it.
    m_frame->setAttribute(Qt::WA_StyledBackground);

    auto *layout = makeVBoxLayout(0, 0, Qt::AlignHCenter | Qt::AlignTop);
    if (menuBar) {
        menuBar->setObjectName(QStringLiteral("menubar"));
        menuBar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        menuBar->setAttribute(Qt::WA_StyledBackground);
        layout->addWidget(menuBar);
    }
    layout->addSpacing(1);
    layout->addWidget(makeHeader());
    m_bodyStack->addWidget(makeEmptyBody());
    m_bodyStack->addWidget(makeListBody());
    // Only the device list scrolls sideways in a narrow window: the menu and the header with
    // its close button stay in view at any width.
    auto *body = new QWidget();
    auto *bodyLayout = makeVBoxLayout(0, 0, Qt::AlignHCenter | Qt::AlignTop);
    bodyLayout->addWidget(m_bodyStack, 1, Qt::AlignHCenter);
    body->setLayout(bodyLayout);
    m_scrollArea->setWidget(body);
    m_scrollArea->viewport()->setAutoFillBackground(false);
    body->setAutoFillBackground(false);
    layout->addWidget(m_scrollArea, 1);
    m_frame->setLayout(layout);

    connect(m_editIcon, &QPushButton::clicked, m_mainWindow,
            &QovMainWindowBase::projectMetaDataEdit);
    connect(m_closeIcon, &QPushButton::clicked, m_mainWindow,
            [this] { m_mainWindow->closeProject(false); });
    connect(m_bigSettingButton, &QPushButton::clicked, m_mainWindow,
            &QovMainWindowBase::deviceSetting);
    connect(m_smallSettingButton, &QPushButton::clicked, m_mainWindow,
            &QovMainWindowBase::deviceSetting);
    QAbstractItemModel *rows = m_deviceList->model();
    connect(rows, &QAbstractItemModel::rowsInserted, this, &QovProjectView::onDeviceListChanged);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &QovProjectView::onDeviceListChanged);
    connect(rows, &QAbstractItemModel::rowsMoved, this, &QovProjectView::onDeviceListChanged);
    for (QovSortLabel *label : sortLabels()) {
        connect(label, &QPushButton::clicked, this, [this, label] { onSortLabelClicked(label); });
    }
    const auto openRow = [this](QListWidgetItem *item) {
        if (auto *row =
                qobject_cast<QovProjectDeviceListItemView *>(m_deviceList->itemWidget(item))) {
            row->onDeviceSelected();
        }
    };
    connect(m_deviceList, &QListWidget::itemClicked, this, openRow);
    // Enter on the current row opens its page as a click does; the arrow keys choose the row.
    connect(m_deviceList, &QListWidget::itemActivated, this, openRow);
    connect(this, &QovProjectView::rowsListed, this, &QovProjectView::focusFirstRow);
    qovEnableRowKeys(m_deviceList);
    // F2 edits, as it renames elsewhere on the desktop.
    auto *editShortcut = new QShortcut(QKeySequence(Qt::Key_F2), this);
    editShortcut->setContext(Qt::WindowShortcut);
    connect(editShortcut, &QShortcut::activated, m_mainWindow,
            &QovMainWindowBase::projectMetaDataEdit);
    m_editIcon->setToolTip(tr("Edit project information (F2)"));
    m_editIcon->setAccessibleName(tr("Edit project information"));
    m_closeIcon->setToolTip(tr("Close project"));
    m_closeIcon->setAccessibleName(tr("Close project"));
    m_deviceList->setAccessibleName(tr("Device List"));
    onDeviceListChanged();
    qDebug() << QThread::currentThreadId() << this << "created";
}

QWidget *QovProjectView::makeHeader()
{
    QWidget *header = makeWidget(QSize(0, 48), "header");
    header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    header->setAttribute(Qt::WA_StyledBackground);
    auto *row = makeHBoxLayout(0, 8, Qt::AlignLeft | Qt::AlignVCenter);
    row->addSpacing(24);
    row->addWidget(m_projectName);
    row->addWidget(m_editIcon);
    row->addStretch();
    row->addWidget(m_closeIcon);
    row->addSpacing(24);
    header->setLayout(row);
    return header;
}

QWidget *QovProjectView::makeEmptyBody()
{
    QWidget *body = makeWidget(QSize(), "body-empty");
    auto *layout = makeVBoxLayout(0, 0, Qt::AlignCenter);
    layout->addWidget(makeLabel(tr("no devices."), QSize(0, 24), "title", Qt::AlignCenter), 0,
                      Qt::AlignHCenter);
    layout->addSpacing(24);
    layout->addWidget(m_bigSettingButton, 0, Qt::AlignHCenter);
    body->setLayout(layout);
    return body;
}

QWidget *QovProjectView::makeListBody()
{
    QWidget *body = makeWidget(QSize(), "body-listview");
    auto *layout = makeVBoxLayout(0, 0, Qt::AlignHCenter | Qt::AlignTop);
    layout->addSpacing(24);
    auto *titleRow = makeRow();
    titleRow->addSpacing(4);
    titleRow->addWidget(makeLabel(tr("Device List"), QSize(), "title"));
    titleRow->addStretch();
    titleRow->addWidget(m_smallSettingButton);
    titleRow->addSpacing(4);
    layout->addLayout(titleRow);
    layout->addSpacing(16);
    auto *headerRow = makeRow();
    headerRow->addSpacing(16);
    headerRow->addWidget(makeLabel(tr("No."), QSize(36, 24), "device-list-header"));
    headerRow->addWidget(m_deviceSortLabel);
    headerRow->addWidget(m_ipSortLabel);
    headerRow->addWidget(m_idSortLabel);
    headerRow->addWidget(makeLabel(tr("Status/Connection"), QSize(128, 24), "device-list-header"));
    layout->addLayout(headerRow);
    m_deviceList->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    layout->addWidget(m_deviceList, 1);
    body->setLayout(layout);
    return body;
}

QList<QovSortLabel *> QovProjectView::sortLabels() const
{
    return {m_deviceSortLabel, m_ipSortLabel, m_idSortLabel};
}

void QovProjectView::onDeviceListChanged()
{
    qDebug() << "deviceListChanged()" << m_deviceList->count();
    m_bodyStack->setCurrentIndex(m_deviceList->count() > 0 ? 1 : 0);
}

void QovProjectView::focusFirstRow()
{
    if (m_deviceList->count() == 0) {
        return;
    }
    if (m_deviceList->currentRow() < 0) {
        m_deviceList->setCurrentRow(0);
    }
    // A new project's rows are the page's content: the keyboard starts there, unless the user
    // is typing somewhere. Rows sorted again leave it on the header, to sort once more.
    const QWidget *focused = window()->focusWidget();
    if (m_rowsTakeFocus && (!focused || !focused->testAttribute(Qt::WA_InputMethodEnabled))) {
        m_deviceList->setFocus(Qt::OtherFocusReason);
    }
}

void QovProjectView::showRows(const QVector<QovAppDeviceModel> &devices, bool takeFocus)
{
    ++m_listing;
    m_rowsTakeFocus = takeFocus;
    m_nextRow = 0;
    m_deviceList->clear();
    // Rows in place of rows keep the list's page: showing "no devices." in between hid the
    // header that has the keyboard, and the focus wandered off through the page.
    if (devices.isEmpty()) {
        onDeviceListChanged();
    }
    m_pendingRows = devices;
    addPendingRows();
}

void QovProjectView::addPendingRows()
{
    QElapsedTimer spent;
    spent.start();
    const int firstRow = m_nextRow;
    const int atLeast = firstRow == 0 ? kRowsAtOnce : 1;
    m_deviceList->holdRowPlacement(true);
    while (m_nextRow < m_pendingRows.size() &&
           (m_nextRow - firstRow < atLeast || spent.elapsed() < kRowTimeBudgetMs)) {
        addRow(static_cast<quint32>(m_nextRow + 1), m_pendingRows.at(m_nextRow));
        ++m_nextRow;
    }
    m_deviceList->holdRowPlacement(false);
    // Tab goes from the list to the rows' status buttons, in row order; Space opens the menu.
    // Batch by batch: ordering all rows at the end stalled the window for 100 ms and more.
    qovOrderRowFocus(m_deviceList, firstRow);
    if (m_nextRow < m_pendingRows.size()) {
        const quint64 listing = m_listing;
        QTimer::singleShot(0, this, [this, listing] {
            if (listing == m_listing) {
                addPendingRows();
            }
        });
        return;
    }
    m_pendingRows.clear();
    m_nextRow = 0;
    Q_EMIT rowsListed();
}

void QovProjectView::setProjectData(QovProjectDataModel *data)
{
    m_projectName->setText(data ? data->projectName() : QString());
    showRows(data ? data->appDevices() : QVector<QovAppDeviceModel>(), true);
    for (QovSortLabel *label : sortLabels()) {
        label->setOrder(QovSortLabel::NONE);
    }
}

void QovProjectView::addRow(quint32 number, const QovAppDeviceModel &device)
{
    qDebug() << "add" << device->deviceName();
    int position = -1;
    if (QovProjectDataModel *project = m_mainWindow->projectData()) {
        position = project->appDevices().indexOf(device);
    }
    auto *item = new QListWidgetItem(m_deviceList);
    item->setSizeHint(QSize(800, 128));
    // Made in the list's viewport, where the list puts it anyway: moving a styled widget with
    // its children to another parent styles them all again.
    auto *rowView = new QovProjectDeviceListItemView(number, static_cast<quint32>(position), device,
                                                     m_mainWindow, m_deviceList->viewport());
    // The list shows a new row widget where it stands and places it with its next layout, a
    // turn later. Standing over the rows already shown until then, it would be drawn for
    // nothing.
    rowView->move(0, -2 * rowView->height());
    qovSetRowWidget(m_deviceList, item, rowView);
}

void QovProjectView::sortDevices(QVector<QovAppDeviceModel> &devices, SortColumn column,
                                 bool ascending)
{
    std::sort(devices.begin(), devices.end(),
              [column, ascending](const QovAppDeviceModel &a, const QovAppDeviceModel &b) {
                  switch (column) {
                  case BY_NAME:
                      return keyedBefore(a->deviceName(), b->deviceName(),
                                         !a->deviceName().isEmpty(), !b->deviceName().isEmpty(),
                                         ascending);
                  case BY_IP_ADDRESS:
                      return keyedBefore(a->ipSortKey(), b->ipSortKey(), !a->ipAddress().isEmpty(),
                                         !b->ipAddress().isEmpty(), ascending);
                  case BY_DEVICE_ID:
                      return keyedBefore(a->deviceId(), b->deviceId(), a->deviceId() != -1,
                                         b->deviceId() != -1, ascending);
                  }
                  return false;
              });
}

void QovProjectView::onSortLabelClicked(QovSortLabel *target)
{
    const QList<QovSortLabel *> labels = sortLabels();
    if (labels.contains(target)) {
        target->setOrder(target->order() == QovSortLabel::ASCENDING ? QovSortLabel::DESCENDING
                                                                    : QovSortLabel::ASCENDING);
    }
    for (QovSortLabel *label : labels) {
        if (label != target) {
            label->setOrder(QovSortLabel::NONE);
        }
    }
    if (!labels.contains(target)) {
        return;
    }
    QovProjectDataModel *project = m_mainWindow->projectData();
    QVector<QovAppDeviceModel> devices =
        project ? project->appDevices() : QVector<QovAppDeviceModel>();
    const SortColumn column = target == m_deviceSortLabel ? BY_NAME
                              : target == m_ipSortLabel   ? BY_IP_ADDRESS
                                                          : BY_DEVICE_ID;
    sortDevices(devices, column, target->order() == QovSortLabel::ASCENDING);
    showRows(devices, false);
}

void QovProjectView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    qDebug() << "QovProjectView::resizeEvent" << event->oldSize() << event->size();
    m_frame->resize(event->size());
}
