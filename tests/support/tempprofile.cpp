#include "tempprofile.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QtGlobal>

#include <stdexcept>

namespace {
void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0) {
        throw std::runtime_error("cannot write test file");
    }
}
} // namespace

TempProfile::TempProfile()
{
    if (!m_dir.isValid()) {
        throw std::runtime_error("cannot create temporary profile");
    }
    QDir().mkpath(configDir());
    QDir().mkpath(runtimeDir());
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Environment for child processes (the program itself), QSettings path for this one.
    qputenv("XDG_CONFIG_HOME", configDir().toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtimeDir().toLocal8Bit());
    // The default project and its autosave copy live in the user's data folder. The program
    // takes that folder once per process, so every profile of a test process shares one.
    static QTemporaryDir dataDir;
    qputenv("XDG_DATA_HOME", dataDir.path().toLocal8Bit());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configDir());
}

TempProfile::~TempProfile()
{
    // Make a read-only test folder removable again.
    QFile::setPermissions(configDir() + QStringLiteral("/korvath"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void TempProfile::writeProgramSettings(const QByteArray &ini) const
{
    writeFile(programSettingsFile(), ini);
}

void TempProfile::writePersistentData(const QByteArray &ini) const
{
    writeFile(persistentDataFile(), ini);
}
