#include "models/qovprogramsettingsmodel.h"

#include "models/qovdeviceselector.h"
#include "models/qovsettingsstore.h"

#include <QDebug>

namespace {
const QString kConfigGroup = QStringLiteral("Config");
const QString kDebugGroup = QStringLiteral("Debug");
} // namespace

QovProgramSettingsModel::QovProgramSettingsModel(QObject *parent)
    : QObject(parent)
    , m_settings(QSettings::IniFormat, QSettings::UserScope, QovSettingsStore::kOrganisation,
                 QovSettingsStore::kProgramSettingsApp)
{
    load();
}

void QovProgramSettingsModel::load()
{
    m_settings.beginGroup(kConfigGroup);
    m_topPageVisible = m_settings.value(QStringLiteral("show_top_page"), true).toBool();
    // A hand-edited value outside the known modes means no automatic reconnection rather than
    // a mode no dialog can show.
    const int reconnect = m_settings.value(QStringLiteral("auto_reconnect"), 0).toInt();
    m_autoReconnect = (reconnect >= NONE && reconnect <= DEVICE2APP)
                          ? static_cast<AutoReconnectType>(reconnect)
                          : NONE;
    m_settings.endGroup();

    m_settings.beginGroup(kDebugGroup);
    m_compatibleModels.clear();
    for (QovDeviceSelector::DeviceType type : QovDeviceSelector::supportedTypes()) {
        m_compatibleModels << QovDeviceSelector::modelName(type);
    }
    m_compatibleModels << m_settings.value(QStringLiteral("compatible_models")).toStringList();
    m_maxNumberOfProjectDevices =
        m_settings.value(QStringLiteral("max_of_project_devices"), 256u).toUInt();
    m_maxNumberOfRecentFiles = m_settings.value(QStringLiteral("max_of_recent_files"), 5u).toUInt();
    m_keepAliveInterval = m_settings.value(QStringLiteral("keepalive_interval"), 30u).toUInt();
    m_httpTimeoutMs = m_settings.value(QStringLiteral("http_timeout_ms"), 10000).toInt();
    m_settings.endGroup();

    m_compatibleModels.removeDuplicates();

    qDebug().nospace() << "program settings " << m_settings.fileName()
                       << " show_top_page=" << m_topPageVisible
                       << " auto_reconnect=" << m_autoReconnect << " compatible_models=("
                       << m_compatibleModels.join(QStringLiteral(", ")).toUtf8().constData()
                       << ") max_of_project_devices=" << m_maxNumberOfProjectDevices
                       << " max_of_recent_files=" << m_maxNumberOfRecentFiles;
}

bool QovProgramSettingsModel::save()
{
    m_settings.setValue(QStringLiteral("version"), 1);
    m_settings.beginGroup(kConfigGroup);
    m_settings.setValue(QStringLiteral("show_top_page"), m_topPageVisible);
    m_settings.setValue(QStringLiteral("auto_reconnect"), static_cast<int>(m_autoReconnect));
    m_settings.endGroup();
    return QovSettingsStore::syncAndCheck(m_settings);
}

void QovProgramSettingsModel::setTopPageVisible(bool visible)
{
    if (m_topPageVisible == visible) {
        return;
    }
    m_topPageVisible = visible;
    Q_EMIT topPageVisibleChanged(visible);
}

void QovProgramSettingsModel::setAutoReconnect(AutoReconnectType type)
{
    if (m_autoReconnect == type) {
        return;
    }
    m_autoReconnect = type;
    Q_EMIT autoReconnectChanged(type);
}
