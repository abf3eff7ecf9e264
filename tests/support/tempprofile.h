#pragma once

#include <QString>
#include <QTemporaryDir>

// A throw-away user profile: program settings, recent files and the runtime folder all point
// into a temporary folder, so tests never read or write the real user's files.
class TempProfile
{
public:
    TempProfile();
    ~TempProfile();

    QString path() const { return m_dir.path(); }
    QString configDir() const { return m_dir.path() + QStringLiteral("/config"); }
    QString runtimeDir() const { return m_dir.path() + QStringLiteral("/runtime"); }
    QString programSettingsFile() const { return configDir() + QStringLiteral("/korvath/vlm.ini"); }
    QString persistentDataFile() const
    {
        return configDir() + QStringLiteral("/korvath/vlm-cache.ini");
    }

    // Replaces the program settings file with the given INI text.
    void writeProgramSettings(const QByteArray &ini) const;
    void writePersistentData(const QByteArray &ini) const;

private:
    QTemporaryDir m_dir;
};
