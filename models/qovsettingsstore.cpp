#include "models/qovsettingsstore.h"

#include <QDebug>

namespace QovSettingsStore {

bool syncAndCheck(QSettings &settings)
{
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        qWarning() << "cannot write settings file" << settings.fileName() << "status"
                   << settings.status();
        return false;
    }
    return true;
}

} // namespace QovSettingsStore
