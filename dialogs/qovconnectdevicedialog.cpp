#include "dialogs/qovconnectdevicedialog.h"

#include "dialogs/qovappdeviceview.h"
#include "dialogs/qovcomparecontrol.h"
#include "dialogs/qovconnectdevicedialoglistitem.h"
#include "dialogs/qovidentify.h"
#include "dialogs/qovonlinelistsupport.h"
#include "discovery/qovonlinedevicefinder.h"
#include "models/qovlinkgrouporder.h"
#include "views/qovlistkeys.h"
#include "views/qovrowsummary.h"
#include "views/qovsortlabel.h"
#include "views/qovwidgetfactory.h"

#include <QButtonGroup>
#include <QDebug>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <utility>

namespace {
const int kListWidth = 452;
} // namespace

QovConnectDeviceDialog::QovConnectDeviceDialog(const QovAppDeviceModel &device,
                                               const QStringList &heldMacs, QWidget *parent)
    : QovAbstractDialog(parent)
    , m_device(device)
    , m_heldMacs(heldMacs)
    , m_directionSelector(new QovDirectionSelectorView())
    , m_compare(new QovCompareControl(device))
    , m_buttonGroup(new QButtonGroup(this))
{
    setWindowTitle(tr("Connect Device"));
    m_list = makeListWidget(QSize(kListWidth, 0), 0, true, "dialog-device-list");
    m_list->setAccessibleName(tr("Mixers"));
    qovEnableRowKeys(m_list);
    m_sortLabels = {makeSortLabel(tr("Device"), QSize(166, 24)),
                    makeSortLabel(tr("IP Address"), QSize(118, 24)),
                    makeSortLabel(tr("Device ID"), QSize(80, 24))};
    setup(QSize(800, 514));
    rebuildList();

    connect(m_buttonGroup, &QButtonGroup::idClicked, this, [this](int id) {
        m_chosen = m_shown.value(id - 1);
        m_compare->setMixer(m_chosen);
    });
    // The choice cannot be taken while the mixer is read for a comparison.
    connect(m_compare, &QovCompareControl::busyChanged, okButton(), &QWidget::setDisabled);
    for (QovSortLabel *label : std::as_const(m_sortLabels)) {
        connect(label, &QPushButton::clicked, this, [this, label] { onSortLabelClicked(label); });
    }
    connect(m_list->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex &, int start, int, const QModelIndex &, int row) {
                moveFinderDevice(m_shown, start, row);
            });
    connect(QovOnlineDeviceFinder::instance(), &QovOnlineDeviceFinder::deviceListChanged, this,
            &QovConnectDeviceDialog::scheduleRebuild);
}

void QovConnectDeviceDialog::buildContents(QWidget *contents)
{
    auto *layout = makeVBoxLayout(16, 10, Qt::AlignTop | Qt::AlignLeft);
    auto *top = makeHBoxLayout(0, 24, Qt::AlignLeft | Qt::AlignBottom);
    top->addWidget(m_directionSelector);
    top->addWidget(m_compare, 0, Qt::AlignBottom);
    layout->addLayout(top);
    QWidget *separator = makeWidget(QSize(744, 1), "dialog-contents-separator");
    separator->setAttribute(Qt::WA_StyledBackground);
    layout->addWidget(separator);

    auto *grid = new QGridLayout();
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(8);
    grid->addWidget(makeLabel(tr("App"), QSize(), "dialog-contents-label"), 0, 0);
    grid->addWidget(makeLabel(tr("Device"), QSize(), "dialog-contents-label"), 0, 2);
    auto *appView = new QovAppDeviceView(m_device);
    appView->setFixedWidth(228);
    grid->addWidget(appView, 1, 0, Qt::AlignTop);
    const QIcon forward = makeIcon(QStringLiteral(":/icons/ic_arrow_forward.svg"));
    QLabel *arrow = makePixmapLabel(forward, QSize(32, 32));
    arrow->setObjectName(QStringLiteral("dialog-direction-arrow"));
    // The arrow between the two sides shows which way the data will go.
    const QPixmap toDevice = forward.pixmap(QSize(32, 32), QIcon::Normal, QIcon::Off);
    const QPixmap toApp = QPixmap::fromImage(toDevice.toImage().mirrored(true, false));
    auto pointArrow = [arrow, toDevice, toApp](QovDirectionSelectorView::Direction direction) {
        arrow->setPixmap(direction == QovDirectionSelectorView::DEVICE_TO_APP ? toApp : toDevice);
    };
    pointArrow(m_directionSelector->direction());
    connect(m_directionSelector, &QovDirectionSelectorView::directionChanged, arrow, pointArrow);
    grid->addWidget(arrow, 1, 1, Qt::AlignCenter);
    grid->addWidget(makeOnlineBlock(), 1, 2);
    grid->setRowStretch(1, 1);
    layout->addLayout(grid, 1);
    contents->setLayout(layout);
}

QWidget *QovConnectDeviceDialog::makeOnlineBlock()
{
    auto *block = new QWidget();
    auto *layout = makeVBoxLayout(0, 0, Qt::AlignTop | Qt::AlignLeft);
    QWidget *header = makeWidget(QSize(kListWidth, 32), "dialog-device-list-header");
    header->setAttribute(Qt::WA_StyledBackground);
    auto *headerRow = makeHBoxLayout(0, 6, Qt::AlignLeft | Qt::AlignVCenter);
    headerRow->setContentsMargins(8, 0, 8, 0);
    for (QovSortLabel *label : std::as_const(m_sortLabels)) {
        headerRow->addWidget(label);
    }
    headerRow->addWidget(makeLabel(tr("Identity"), QSize(52, 24)));
    header->setLayout(headerRow);
    layout->addWidget(header);
    layout->addWidget(m_list, 1);
    block->setLayout(layout);
    return block;
}

QList<QovOnlineDeviceModel> QovConnectDeviceDialog::offeredDevices() const
{
    QList<QovOnlineDeviceModel> offered;
    for (const QovOnlineDeviceModel &device : qovLinkGroupOrder(
             QovOnlineDeviceFinder::instance()->getAllByDeviceType(m_device->deviceType()))) {
        if (!m_heldMacs.contains(device->macAddress(), Qt::CaseInsensitive)) {
            offered.append(device);
        }
    }
    return offered;
}

void QovConnectDeviceDialog::scheduleRebuild()
{
    if (!m_rebuildPending) {
        m_rebuildPending = true;
        QMetaObject::invokeMethod(this, &QovConnectDeviceDialog::rebuildList, Qt::QueuedConnection);
    }
}

void QovConnectDeviceDialog::rebuildList()
{
    m_rebuildPending = false;
    const int scroll = m_list->verticalScrollBar()->value();
    for (QAbstractButton *button : m_buttonGroup->buttons()) {
        m_buttonGroup->removeButton(button);
    }
    m_list->clear();
    m_shown = offeredDevices();
    QovOnlineDeviceModel chosenShown;
    for (int i = 0; i < m_shown.size(); ++i) {
        auto *item = new QListWidgetItem(m_list);
        item->setSizeHint(QSize(kListWidth, 48));
        auto *row = new QovConnectDeviceDialogListItem(m_shown.at(i), i + 1);
        m_buttonGroup->addButton(row->radioButton(), i + 1);
        if (m_chosen && *m_chosen == *m_shown.at(i)) {
            row->radioButton()->setChecked(true);
            chosenShown = m_shown.at(i);
        }
        connect(row, &QovConnectDeviceDialogListItem::identifyFailed, this,
                [](const QovOnlineDeviceModelInternal *device) { qovShowIdentifyFailed(*device); });
        qovSetRowWidget(m_list, item, row);
    }
    m_list->verticalScrollBar()->setValue(scroll);
    qovOrderRowFocus(m_list);
    // The mixer found anew is a new object; one that left cannot be compared with.
    m_compare->setMixer(chosenShown);
}

void QovConnectDeviceDialog::onSortLabelClicked(QovSortLabel *target)
{
    if (sortFinderBy(m_sortLabels, target)) {
        rebuildList();
    }
}

QovOnlineDeviceModel QovConnectDeviceDialog::selectedDevice() const
{
    const int id = m_buttonGroup->checkedId();
    if (id < 1) {
        return nullptr;
    }
    qDebug() << "idx" << id - 1;
    return m_shown.value(id - 1);
}

QovDirectionSelectorView::Direction QovConnectDeviceDialog::direction() const
{
    return m_directionSelector->direction();
}
