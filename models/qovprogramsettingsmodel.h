#pragma once

#include <QObject>
#include <QSettings>
#include <QStringList>

// User options and fixed program limits, read from the "vlm" INI file at construction.
// Not shared: every user builds a short-lived instance so that it sees the last saved values.
class QovProgramSettingsModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool topPageVisible READ topPageVisible WRITE setTopPageVisible NOTIFY
                   topPageVisibleChanged)
    Q_PROPERTY(AutoReconnectType autoReconnect READ autoReconnect WRITE setAutoReconnect NOTIFY
                   autoReconnectChanged)
    Q_PROPERTY(QStringList compatibleModels READ compatibleModels CONSTANT)
    Q_PROPERTY(quint32 maxNumberOfProjectDevices READ maxNumberOfProjectDevices CONSTANT)
    Q_PROPERTY(quint32 maxNumberOfRecentFiles READ maxNumberOfRecentFiles CONSTANT)
    Q_PROPERTY(quint32 keepAliveInterval READ keepAliveInterval CONSTANT)

public:
    enum AutoReconnectType { NONE = 0, APP2DEVICE = 1, DEVICE2APP = 2 };
    Q_ENUM(AutoReconnectType)

    explicit QovProgramSettingsModel(QObject *parent = nullptr);

    bool topPageVisible() const { return m_topPageVisible; }
    AutoReconnectType autoReconnect() const { return m_autoReconnect; }
    QStringList compatibleModels() const { return m_compatibleModels; }
    quint32 maxNumberOfProjectDevices() const { return m_maxNumberOfProjectDevices; }
    quint32 maxNumberOfRecentFiles() const { return m_maxNumberOfRecentFiles; }
    quint32 keepAliveInterval() const { return m_keepAliveInterval; }
    // Inactivity limit of every mixer request in milliseconds, as the file holds it; the
    // device layer takes 0 or less as its default.
    int httpTimeoutMs() const { return m_httpTimeoutMs; }

    // Writes the "Config" group; the "Debug" group is only ever edited by hand.
    bool save();

public Q_SLOTS:
    void setTopPageVisible(bool visible);
    void setAutoReconnect(QovProgramSettingsModel::AutoReconnectType type);

Q_SIGNALS:
    void topPageVisibleChanged(bool visible);
    void autoReconnectChanged(QovProgramSettingsModel::AutoReconnectType type);

private:
    void load();

    QSettings m_settings;
    bool m_topPageVisible = true;
    AutoReconnectType m_autoReconnect = NONE;
    QStringList m_compatibleModels;
    quint32 m_maxNumberOfProjectDevices = 256;
    quint32 m_maxNumberOfRecentFiles = 5;
    quint32 m_keepAliveInterval = 30;
    int m_httpTimeoutMs = 10000;
};

Q_DECLARE_METATYPE(QovProgramSettingsModel::AutoReconnectType)
