#include "models/qovpersistentdatamodel.h"

#include "models/qovprogramsettingsmodel.h"
#include "models/qovsettingsstore.h"

#include <QDebug>

namespace {
const QString kRecentFilesKey = QStringLiteral("recent_files");

quint32 configuredMaxCount()
{
    return QovProgramSettingsModel().maxNumberOfRecentFiles();
}

void truncate(QStringList &list, quint32 maxCount)
{
    while (static_cast<quint32>(list.size()) > maxCount) {
        list.removeLast();
    }
}
} // namespace

QovPersistentDataModel *QovPersistentDataModel::instance()
{
    // A function-local static is initialised once, even under concurrent first use.
    static QovPersistentDataModel *const model = new QovPersistentDataModel();
    return model;
}

QovPersistentDataModel::QovPersistentDataModel(QObject *parent)
    : QObject(parent)
    , m_maxCount(configuredMaxCount())
    , m_settings(QSettings::IniFormat, QSettings::UserScope, QovSettingsStore::kOrganisation,
                 QovSettingsStore::kPersistentDataApp)
{
    m_recentFiles = m_settings.value(kRecentFilesKey).toStringList();
    truncate(m_recentFiles, m_maxCount);
    qDebug() << "persistent data" << m_settings.fileName() << m_recentFiles;
}

void QovPersistentDataModel::setRecentFiles(const QStringList &files)
{
    if (m_recentFiles == files) {
        return;
    }
    m_recentFiles = files;
    Q_EMIT recentFilesChanged(m_recentFiles);
}

void QovPersistentDataModel::addRecent(const QString &path)
{
    m_recentFiles.removeAll(path);
    m_recentFiles.prepend(path);
    truncate(m_recentFiles, m_maxCount);
    qDebug() << "addRecent" << path << m_recentFiles;
    storeRecents();
}

void QovPersistentDataModel::removeRecent(const QString &path)
{
    if (m_recentFiles.removeAll(path) == 0) {
        return;
    }
    qDebug() << "removeRecent" << path << m_recentFiles;
    storeRecents();
}

void QovPersistentDataModel::storeRecents()
{
    m_settings.setValue(QStringLiteral("version"), 1);
    m_settings.setValue(kRecentFilesKey, m_recentFiles);
    QovSettingsStore::syncAndCheck(m_settings);
    Q_EMIT recentFilesChanged(m_recentFiles);
}
