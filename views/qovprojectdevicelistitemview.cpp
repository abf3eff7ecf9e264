#include "views/qovprojectdevicelistitemview.h"

#include "models/qovdeviceselector.h"
#include "models/qovmodelmetatypes.h"
#include "views/qmenuright.h"
#include "views/qovmainwindowbase.h"
#include "views/qovrowsummary.h"
#include "views/qovwidgetfactory.h"

#include <QAction>
#include <QDebug>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace {
const int kNameWidth = 140;

// Rows come by the hundred and all show the same few pictures: render each once, and look the
// picture up before making its icon, since adding a file to an icon already decodes it. GUI
// thread only, like every widget.
template<typename MakeIcon>
QPixmap cachedPixmap(const QString &key, const QSize &size, MakeIcon makeIconFor)
{
    static QHash<QString, QPixmap> cache;
    const QString fullKey = key + QLatin1Char('@') + QString::number(size.width()) +
                            QLatin1Char('x') + QString::number(size.height());
    auto found = cache.constFind(fullKey);
    if (found == cache.constEnd()) {
        found = cache.insert(fullKey, makeIconFor().pixmap(size, QIcon::Normal, QIcon::Off));
    }
    return *found;
}

QPixmap cachedPixmap(const QString &path, const QSize &size)
{
    return cachedPixmap(path, size, [&path] { return makeIcon(path); });
}

QLabel *makeCachedPixmapLabel(const QPixmap &pixmap, const QSize &size)
{
    auto *label = new QLabel();
    label->setPixmap(pixmap);
    label->setFixedSize(size);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

const QIcon &statusButtonIcon()
{
    static const QIcon icon = makeIcon(QStringLiteral(":/icons/ic_arrow_drop_down.svg"));
    return icon;
}
} // namespace

QovProjectDeviceListItemView::QovProjectDeviceListItemView(quint32 number, quint32 index,
                                                           QovAppDeviceModel device,
                                                           QovMainWindowBase *mainWindow,
                                                           QWidget *parent)
    : QWidget(parent)
    , m_number(number)
    , m_index(index)
    , m_device(std::move(device))
    , m_mainWindow(mainWindow)
    , m_nameLabel(makeLabel(QString(), QSize(0, 24), "device-name"))
    , m_addressLabel(makeLabel(QString(), QSize(144, 0), "ip-addr"))
    , m_idLabel(makeLabel(QString(), QSize(54, 0), "device-id"))
    , m_statusText(makeLabel(QString(), QSize()))
    , m_statusIcon(new QLabel())
    , m_connectAction(new QAction(tr("Connect"), this))
    , m_reconnectAction(new QAction(tr("Reconnect"), this))
    , m_disconnectAction(new QAction(tr("Disconnect"), this))
{
    qovRegisterModelMetaTypes();
    setObjectName(QStringLiteral("project-device-list-item"));
    setFixedSize(800, 128);
    // Without it the style sheet's item background would not reach the row's own area.
    setAttribute(Qt::WA_StyledBackground);
    m_statusIcon->setFixedSize(24, 24);

    auto *layout = makeHBoxLayout(0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    layout->addSpacing(12);
    layout->addWidget(
        makeLabel(QString::number(m_number), QSize(24, 24), "device-number", Qt::AlignCenter));
    layout->addSpacing(12);
    layout->addWidget(makeIdentityBlock());
    layout->addSpacing(48);
    layout->addWidget(m_addressLabel);
    layout->addWidget(m_idLabel);
    layout->addSpacing(60);
    layout->addWidget(m_statusIcon);
    layout->addSpacing(4);
    layout->addWidget(m_statusText);
    layout->addSpacing(4);

    m_statusButton = makeButton(QString(), QSize(36, 36), "status-button");
    m_statusButton->setIcon(statusButtonIcon());
    m_statusButton->setIconSize(QSize(24, 24));
    auto *menu = new QMenuRight(m_statusButton, m_statusButton);
    menu->setObjectName(QStringLiteral("popup"));
    menu->setFixedWidth(155);
    menu->addAction(m_connectAction);
    menu->addAction(m_reconnectAction);
    menu->addAction(m_disconnectAction);
    m_statusButton->setMenu(menu);
    layout->addWidget(m_statusButton);
    layout->addStretch();
    layout->addWidget(makeCachedPixmapLabel(
        cachedPixmap(QStringLiteral(":/icons/ic_chevron_right.svg"), QSize(32, 32)),
        QSize(32, 32)));
    layout->addSpacing(16);
    setLayout(layout);

    updateDeviceName();
    updateIpAddress();
    updateDeviceId();
    updateStatus(m_device->status());
    fixStatusWidth();
    setCursor(Qt::PointingHandCursor);

    QovAppDeviceModelInternal *model = m_device.get();
    connect(model, &QovAppDeviceModelInternal::deviceNameChanged, this,
            &QovProjectDeviceListItemView::updateDeviceName);
    connect(model, &QovAppDeviceModelInternal::ipAddressChanged, this,
            &QovProjectDeviceListItemView::updateIpAddress);
    connect(model, &QovAppDeviceModelInternal::macAddressChanged, this,
            &QovProjectDeviceListItemView::updateIpAddress);
    connect(model, &QovAppDeviceModelInternal::deviceIdChanged, this,
            &QovProjectDeviceListItemView::updateDeviceId);
    // Queued even from this thread: the keep-alive and connection workers set the status.
    connect(model, &QovAppDeviceModelInternal::statusChanged, this,
            &QovProjectDeviceListItemView::updateStatus, Qt::QueuedConnection);
    connect(
        model, &QovAppDeviceModelInternal::statusNoteChanged, this,
        [this] { updateStatus(m_device->status()); }, Qt::QueuedConnection);

    connect(m_connectAction, &QAction::triggered, this,
            [this] { m_mainWindow->connectDevice(m_device); });
    connect(m_disconnectAction, &QAction::triggered, this,
            [this] { m_mainWindow->disconnectDevice(m_device); });
    connect(m_reconnectAction, &QAction::triggered, this,
            [this] { m_mainWindow->reconnectDevice(m_device); });
    connect(m_statusText, &QLabel::linkActivated, this,
            [this] { m_mainWindow->reconnectDevice(m_device); });
}

QWidget *QovProjectDeviceListItemView::makeIdentityBlock()
{
    QWidget *block = makeWidget(QSize(192, 128));
    auto *layout = makeVBoxLayout(0, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addSpacing(27);
    const QovDeviceSelector::DeviceType type = m_device->deviceType();
    const QStringList pictures = QovDeviceSelector::iconFiles(type);
    const QPixmap picture = cachedPixmap(pictures.value(0), QSize(136, 14), [&] {
        return pictures.size() >= 2 ? makeIcon(pictures.at(0), pictures.at(1))
                                    : QovDeviceSelector::icon(type);
    });
    layout->addWidget(makeCachedPixmapLabel(picture, QSize(136, 14)));
    layout->addSpacing(11);
    layout->addWidget(m_nameLabel);
    layout->addSpacing(8);
    layout->addWidget(makeLabel(m_device->modelName(), QSize(0, 24), "model-name"));
    block->setLayout(layout);
    return block;
}

QList<QAction *> QovProjectDeviceListItemView::statusActions() const
{
    return {m_connectAction, m_reconnectAction, m_disconnectAction};
}

void QovProjectDeviceListItemView::onDeviceSelected()
{
    qDebug() << QThread::currentThreadId() << "next!" << m_index + 1;
    m_mainWindow->setCurrentPage(static_cast<int>(m_index) + 1);
}

void QovProjectDeviceListItemView::updateDeviceName()
{
    const QString name = m_device->deviceName();
    const QString shown =
        QFontMetrics(m_nameLabel->font()).elidedText(name, Qt::ElideRight, kNameWidth);
    m_nameLabel->setText(shown);
    m_nameLabel->setToolTip(shown == name ? QString() : name);
    updateAccessibleTexts();
}

void QovProjectDeviceListItemView::updateIpAddress()
{
    QString text = m_device->ipAddress().isEmpty() ? tr("---.---.---.---") : m_device->ipAddress();
    if (!m_device->macAddress().isEmpty()) {
        text += tr("\n(%1)").arg(m_device->macAddress());
    }
    m_addressLabel->setText(text);
    updateAccessibleTexts();
}

void QovProjectDeviceListItemView::updateDeviceId()
{
    const int id = m_device->deviceId();
    m_idLabel->setText(id == -1 ? tr("-") : tr("[%1]").arg(id));
    updateAccessibleTexts();
}

void QovProjectDeviceListItemView::fixStatusWidth()
{
    // As wide as the widest status word, and room for a note under it: the menu button beside
    // it stays where it is whatever the status, and a longer note wraps.
    m_statusText->ensurePolished();
    QFont bold = m_statusText->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    int widest = 0;
    for (const QString &word : {tr("Connected"), tr("Disconnected"), tr("Missing")}) {
        widest = qMax(widest, metrics.horizontalAdvance(word));
    }
    m_statusText->setFixedWidth(widest * 13 / 10 + 4);
    m_statusText->setWordWrap(true);
}

void QovProjectDeviceListItemView::updateStatus(QovAppDeviceModelInternal::Status status)
{
    struct Look
    {
        const char *icon;
        QString text;
        const char *style;
        bool connect, reconnect, disconnect;
    };
    Look look;
    switch (status) {
    case QovAppDeviceModelInternal::CONNECTED:
        look = {":/icons/ic_sync.svg", tr("Connected"), "color:#2ecc71;", false, false, true};
        break;
    case QovAppDeviceModelInternal::DISCONNECTED:
        look = {
            ":/icons/ic_sync-alart.svg", tr("Disconnected"), "color:#ffffff;", true, false, false};
        break;
    case QovAppDeviceModelInternal::MISSING:
        look = {":/icons/ic_sync-missing.svg", tr("Missing"), "color:#ff6b5b;", false, true, true};
        break;
    default:
        return;
    }
    m_statusIcon->setPixmap(cachedPixmap(QString::fromLatin1(look.icon), QSize(24, 24)));
    // A note, such as that a missing mixer is online again, goes under the status word; a
    // missing device with news of its mixer is one click from its reconnection, unless it is
    // being reconnected already.
    const QString note = m_device->statusNote();
    QString text = look.text.toHtmlEscaped();
    if (!note.isEmpty()) {
        text += QStringLiteral("<br><span style=\"color:#ecf0f1; font-weight:normal;\">%1</span>")
                    .arg(note.toHtmlEscaped());
        if (look.reconnect && !m_mainWindow->isReconnecting(m_device)) {
            text += QStringLiteral("<br><a href=\"reconnect\" style=\"color:#ecf0f1;\">%1</a>")
                        .arg(tr("Reconnect"));
        }
    }
    m_statusText->setText(text);
    m_statusText->setObjectName(QStringLiteral("device-status"));
    m_statusText->setStyleSheet(QString::fromLatin1(look.style));
    m_connectAction->setVisible(look.connect);
    m_reconnectAction->setVisible(look.reconnect);
    m_disconnectAction->setVisible(look.disconnect);
    m_statusWord = look.text;
    updateAccessibleTexts();
}

void QovProjectDeviceListItemView::updateAccessibleTexts()
{
    const QString name = m_device->deviceName();
    m_statusButton->setAccessibleName(
        tr("Actions for %1").arg(name.isEmpty() ? tr("device %1").arg(m_number) : name));
    const int id = m_device->deviceId();
    qovSetRowSummary(
        this, qovJoinSummary({name, m_device->modelName(),
                              qovAddressSummary(m_device->ipAddress(), m_device->macAddress()),
                              id == -1 ? QString() : tr("ID %1").arg(id), m_statusWord,
                              m_device->statusNote()}));
}
