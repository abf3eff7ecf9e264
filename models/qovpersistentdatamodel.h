#pragma once

#include <QObject>
#include <QSettings>
#include <QStringList>

// The recently used project files, kept in the "vlm-cache" INI file. One object per process.
class QovPersistentDataModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(
        QStringList recentFiles READ recentFiles WRITE setRecentFiles NOTIFY recentFilesChanged)

public:
    // Created on first use and never destroyed, so late users during shutdown stay safe.
    static QovPersistentDataModel *instance();

    explicit QovPersistentDataModel(QObject *parent = nullptr);

    QStringList recentFiles() const { return m_recentFiles; }
    quint32 maxCount() const { return m_maxCount; }

    // Moves or inserts the path at the front, trims the list to its limit and writes the file.
    void addRecent(const QString &path);
    // Drops a file from the list, as when it is found missing.
    void removeRecent(const QString &path);

public Q_SLOTS:
    void setRecentFiles(const QStringList &files);

Q_SIGNALS:
    void recentFilesChanged(const QStringList &files);

private:
    void storeRecents();

    quint32 m_maxCount;
    QSettings m_settings;
    QStringList m_recentFiles;
};
