#include "dialogs/qovaddonlinedevicedialog.h"

#include "device/qovcgiapi.h"
#include "device/qovcgiapifactory.h"
#include "dialogs/qovaddonlinedevicedialoglistitem.h"
#include "dialogs/qovidentify.h"
#include "dialogs/qovonlinelistsupport.h"
#include "dialogs/qovpopups.h"
#include "discovery/qovonlinedevicefinder.h"
#include "models/qovlinkgrouporder.h"
#include "models/qovtextrules.h"
#include "models/qovworkerpool.h"
#include "views/qovlistkeys.h"
#include "views/qovrowsummary.h"
#include "views/qovsortlabel.h"
#include "views/qovwidgetfactory.h"

#include <QCheckBox>
#include <QDebug>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>
#include <QVBoxLayout>
#include <QtConcurrent>

#include <future>
#include <utility>

QovAddOnlineDeviceDialog::QovAddOnlineDeviceDialog(int mode,
                                                   const QVector<QovAppDeviceModel> &devices,
                                                   QWidget *parent)
    : QovAbstractDialog(parent)
    , m_mode(mode)
{
    for (const QovAppDeviceModel &device : devices) {
        m_excluded.append(std::make_shared<QovOnlineDeviceModelInternal>(device));
    }
    QovOnlineDeviceFinder *finder = QovOnlineDeviceFinder::instance();
    // Ticks of an earlier dialog live on in the finder's models; a new dialog starts clear.
    for (const QovOnlineDeviceModel &device : finder->getAll()) {
        device->setSelected(false);
    }

    m_list = makeListWidget(QSize(608, 226), 0, true, "dialog-device-list");
    m_list->setAccessibleName(tr("Mixers found on the network"));
    qovEnableRowKeys(m_list);
    m_headerCheck = new QCheckBox();
    m_headerCheck->setFixedSize(20, 20);
    m_headerCheck->setAccessibleName(tr("Select all"));
    m_headerCheck->setCursor(Qt::PointingHandCursor);
    m_headerCheck->setToolTip(tr("Select all"));
    m_sortLabels = {makeSortLabel(tr("Device"), QSize(204, 24)),
                    makeSortLabel(tr("IP Address"), QSize(103, 24)),
                    makeSortLabel(tr("Device ID"), QSize(80, 24))};
    if (mode == CONNECT) {
        setWindowTitle(tr("Connect Online Device"));
        okButton()->setText(tr("Connect"));
    } else {
        setWindowTitle(tr("Add Online Device"));
        okButton()->setText(tr("Add"));
    }
    // "Connect" is longer than the frame's button width.
    okButton()->setFixedWidth(qMax(okButton()->width(), 88));
    m_addressEdit = makeLineEdit(QString(), tr("IP address or host name"), QSize(260, 32),
                                 "dialog-address-edit");
    m_addressEdit->setMaxLength(QovTextRules::hostAddressLength);
    // The hint inside the box goes once something is typed; a screen reader keeps the name.
    m_addressEdit->setAccessibleName(tr("Mixer address"));
    m_addressEdit->installEventFilter(this);
    m_addressButton = makeButton(tr("Add by Address"), QSize(144, 32), "address-button");
    m_addressNote = makeStatusNote(QSize(192, 32), "dialog-address-note");
    m_addressNote->setWordWrap(true);
    setup(QSize(664, 440));
    rebuildList();

    connect(this, &QDialog::accepted, this, &QovAddOnlineDeviceDialog::collectResults);
    for (QovSortLabel *label : std::as_const(m_sortLabels)) {
        connect(label, &QPushButton::clicked, this, [this, label] { onSortLabelClicked(label); });
    }
    connect(m_headerCheck, &QCheckBox::clicked, this,
            &QovAddOnlineDeviceDialog::onHeaderCheckClicked);
    connect(m_list->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex &, int start, int, const QModelIndex &, int row) {
                moveFinderDevice(m_shown, start, row);
            });
    connect(finder, &QovOnlineDeviceFinder::deviceListChanged, this,
            &QovAddOnlineDeviceDialog::scheduleRebuild);
    connect(m_addressButton, &QPushButton::clicked, this, &QovAddOnlineDeviceDialog::addByAddress);
    connect(finder, &QovOnlineDeviceFinder::addressProbed, this,
            &QovAddOnlineDeviceDialog::onAddressProbed);
}

QovAddOnlineDeviceDialog::~QovAddOnlineDeviceDialog() = default;

void QovAddOnlineDeviceDialog::buildContents(QWidget *contents)
{
    auto *layout = makeVBoxLayout(16, 8, Qt::AlignTop | Qt::AlignLeft);
    layout->addWidget(makeLabel(tr("Select online devices"), QSize(), "dialog-contents-label"));

    QWidget *header = makeWidget(QSize(608, 32), "dialog-device-list-header");
    header->setAttribute(Qt::WA_StyledBackground);
    // Columns as in the rows below.
    auto *headerRow = makeHBoxLayout(0, 6, Qt::AlignLeft | Qt::AlignVCenter);
    headerRow->setContentsMargins(8, 0, 8, 0);
    headerRow->addWidget(m_headerCheck);
    for (QovSortLabel *label : std::as_const(m_sortLabels)) {
        headerRow->addWidget(label);
    }
    headerRow->addWidget(makeLabel(tr("Korvath LINK"), QSize(84, 24)));
    headerRow->addWidget(makeLabel(tr("Identify"), QSize(60, 24)));
    header->setLayout(headerRow);

    auto *listBlock = makeVBoxLayout(0, 0, Qt::AlignTop | Qt::AlignLeft);
    listBlock->addWidget(header);
    listBlock->addWidget(m_list);
    layout->addLayout(listBlock);

    // For mixers discovery cannot see: another subnet, or a network without multicast.
    auto *addressRow = makeHBoxLayout(0, 8, Qt::AlignLeft | Qt::AlignVCenter);
    addressRow->addWidget(m_addressEdit);
    addressRow->addWidget(m_addressButton);
    addressRow->addWidget(m_addressNote);
    layout->addLayout(addressRow);
    contents->setLayout(layout);
}

bool QovAddOnlineDeviceDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_addressEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            addByAddress();
            return true;
        }
    }
    return QovAbstractDialog::eventFilter(watched, event);
}

void QovAddOnlineDeviceDialog::addByAddress()
{
    const QString address = m_addressEdit->text().trimmed();
    if (!m_pendingAddress.isEmpty()) {
        return;
    }
    if (!QovTextRules::isHostAddress(address)) {
        announceStatus(m_addressNote, tr("Enter an IPv4 address or a host name."));
        return;
    }
    m_pendingAddress = address;
    m_addressButton->setEnabled(false);
    announceStatus(m_addressNote, tr("Asking %1…").arg(address));
    QovOnlineDeviceFinder::instance()->addByAddress(address);
}

void QovAddOnlineDeviceDialog::onAddressProbed(const QString &address, const QString &error)
{
    if (address != m_pendingAddress) {
        return;
    }
    m_pendingAddress.clear();
    m_addressButton->setEnabled(true);
    if (!error.isEmpty()) {
        qDebug() << QThread::currentThreadId() << "add by address" << address << "failed:" << error;
        announceStatus(m_addressNote, tr("No mixer found at %1.").arg(address));
        m_addressNote->setToolTip(error);
        return;
    }
    m_addressNote->setToolTip(QString());
    for (const QovOnlineDeviceModel &device : QovOnlineDeviceFinder::instance()->getAll()) {
        if (device->addedAddress() != address) {
            continue;
        }
        if (isExcluded(device)) {
            announceStatus(m_addressNote,
                           tr("The mixer at %1 is already in the project.").arg(address));
        } else {
            rememberTick(device, true);
            device->setSelected(true);
            announceStatus(m_addressNote, tr("Found %1 and ticked it.").arg(device->deviceName()));
            m_addressEdit->clear();
        }
        return;
    }
}

bool QovAddOnlineDeviceDialog::isExcluded(const QovOnlineDeviceModel &device) const
{
    return std::any_of(m_excluded.cbegin(), m_excluded.cend(),
                       [&](const QovOnlineDeviceModel &taken) { return *taken == *device; });
}

QList<QovOnlineDeviceModel> QovAddOnlineDeviceDialog::offeredDevices() const
{
    QList<QovOnlineDeviceModel> offered;
    for (const QovOnlineDeviceModel &device :
         qovLinkGroupOrder(QovOnlineDeviceFinder::instance()->getAll())) {
        if (!isExcluded(device)) {
            offered.append(device);
        }
    }
    return offered;
}

void QovAddOnlineDeviceDialog::scheduleRebuild()
{
    // Coalesces bursts of finder changes, and keeps the list from being rebuilt inside its own
    // drop handling.
    if (!m_rebuildPending) {
        m_rebuildPending = true;
        QMetaObject::invokeMethod(this, &QovAddOnlineDeviceDialog::rebuildList,
                                  Qt::QueuedConnection);
    }
}

void QovAddOnlineDeviceDialog::rebuildList()
{
    m_rebuildPending = false;
    const int scroll = m_list->verticalScrollBar()->value();
    m_shown = offeredDevices();
    m_list->clear();
    for (int i = 0; i < m_shown.size(); ++i) {
        const QovOnlineDeviceModel &device = m_shown.at(i);
        // The finder may hand out a new object for a mixer it saw before.
        if (wasTicked(device)) {
            device->setSelected(true);
        }
        auto *item = new QListWidgetItem(m_list);
        item->setSizeHint(QSize(608, 48));
        auto *row = new QovAddOnlineDeviceDialogListItem(device, i + 1);
        connect(row, &QovAddOnlineDeviceDialogListItem::identifyFailed, this,
                &QovAddOnlineDeviceDialog::onIdentifyFailed);
        connect(device.get(), &QovOnlineDeviceModelInternal::selectedChanged, row,
                [this, device](bool selected) {
                    rememberTick(device, selected);
                    updateHeaderCheck();
                });
        qovSetRowWidget(m_list, item, row);
    }
    m_list->verticalScrollBar()->setValue(scroll);
    qovOrderRowFocus(m_list);
    updateHeaderCheck();
}

void QovAddOnlineDeviceDialog::rememberTick(const QovOnlineDeviceModel &device, bool ticked)
{
    const auto same = [&](const QovOnlineDeviceModel &t) { return *t == *device; };
    m_ticked.erase(std::remove_if(m_ticked.begin(), m_ticked.end(), same), m_ticked.end());
    if (ticked) {
        m_ticked.append(device);
    }
}

bool QovAddOnlineDeviceDialog::wasTicked(const QovOnlineDeviceModel &device) const
{
    return std::any_of(m_ticked.cbegin(), m_ticked.cend(),
                       [&](const QovOnlineDeviceModel &t) { return *t == *device; });
}

void QovAddOnlineDeviceDialog::onHeaderCheckClicked()
{
    const bool tickAll = std::any_of(m_shown.cbegin(), m_shown.cend(),
                                     [](const QovOnlineDeviceModel &d) { return !d->selected(); });
    for (const QovOnlineDeviceModel &device : std::as_const(m_shown)) {
        device->setSelected(tickAll);
    }
    updateHeaderCheck();
}

void QovAddOnlineDeviceDialog::updateHeaderCheck()
{
    const bool all = !m_shown.isEmpty() &&
                     std::all_of(m_shown.cbegin(), m_shown.cend(),
                                 [](const QovOnlineDeviceModel &d) { return d->selected(); });
    m_headerCheck->setChecked(all);
}

void QovAddOnlineDeviceDialog::onSortLabelClicked(QovSortLabel *target)
{
    if (sortFinderBy(m_sortLabels, target)) {
        rebuildList();
    }
}

void QovAddOnlineDeviceDialog::onIdentifyFailed(const QovOnlineDeviceModelInternal *device)
{
    qovShowIdentifyFailed(*device);
}

void QovAddOnlineDeviceDialog::collectResults()
{
    qDebug() << QThread::currentThreadId() << "QovAddOnlineDeviceDialog::getResult";
    struct Pending
    {
        QovAppDeviceModel device;
        QovOnlineDeviceModel online;
        std::shared_ptr<QovCgiApi> api;
    };
    QVector<Pending> pending;
    for (const QovOnlineDeviceModel &online : offeredDevices()) {
        if (!online->selected()) {
            continue;
        }
        auto device = std::make_shared<QovAppDeviceModelInternal>(online);
        std::shared_ptr<QovCgiApi> api(createCgiApi(online));
        if (!api) {
            qovShowError(tr("Error"),
                         tr("Device is unable to connect with Velmora.\nThe device cannot be "
                            "added.\n%1")
                             .arg(online->deviceName()));
            continue;
        }
        m_apis.push_back(api);
        pending.append({device, online, api});
    }

    auto *watcher = new QFutureWatcher<QovAppDeviceResultList>();
    connect(watcher, &QFutureWatcher<QovAppDeviceResultList>::finished, this, [this, watcher] {
        const QovAppDeviceResultList result = watcher->result();
        watcher->deleteLater();
        m_apis.clear();
        qDebug() << QThread::currentThreadId() << "collected!" << result.size();
        Q_EMIT resultCollected(result);
    });
    watcher->setFuture(QtConcurrent::run(qovWorkerPool(), [pending] {
        // Every connection starts at once and only the waiting goes in order. Starting them
        // here rather than on the GUI thread keeps the launch of dozens of tasks off it.
        std::vector<std::future<QovCgiApi::ConnectOutcome>> connections;
        connections.reserve(size_t(pending.size()));
        for (const Pending &entry : pending) {
            connections.push_back(
                entry.api->connectDeviceWithOutcome(false, entry.device, entry.online));
        }
        QovAppDeviceResultList result;
        for (int i = 0; i < pending.size(); ++i) {
            const QovCgiApi::ConnectOutcome outcome = connections[size_t(i)].get();
            result.push_back({outcome.connected, pending.at(i).device,
                              outcome.inUse.isEmpty() ? outcome.problem : outcome.inUse});
        }
        return result;
    }));
}
