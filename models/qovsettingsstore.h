#pragma once

#include <QSettings>
#include <QString>

// The two INI files the program keeps in the user's profile share their location and how a
// write is checked: a failed write must show in the log, never vanish silently.
namespace QovSettingsStore {

inline const QString kOrganisation = QStringLiteral("korvath");
inline const QString kProgramSettingsApp = QStringLiteral("vlm");
inline const QString kPersistentDataApp = QStringLiteral("vlm-cache");

// Flushes the store (QSettings writes a temporary file and renames it over the old one) and
// logs a failure. Returns true when the file was written.
bool syncAndCheck(QSettings &settings);

} // namespace QovSettingsStore
