#include "models/qovprojectfiles.h"

#include "models/qovprogramsettingsmodel.h"
#include "models/qovprojectdatamodel.h"

#include <QDir>
#include <QFileInfo>

namespace QovProjectFiles {

QovAppDeviceModel projectDevice(const QovOnlineDeviceModel &mixer, const QovZephData &data)
{
    auto device = std::make_shared<QovAppDeviceModelInternal>(mixer);
    device->setZephDataPreset(data.preset);
    device->setZephData12BandEq(data.eq12Band);
    device->setZephData4BandEq(data.eq4Band);
    device->setZephDataPartialPreset(data.partialPreset);
    device->setZephDataCurrent(data.current);
    // The program reconnects it when the file is opened.
    device->setStatus(QovAppDeviceModelInternal::DISCONNECTED);
    return device;
}

QString saveProject(const QString &path, const QString &title,
                    const QList<QovAppDeviceModel> &devices)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!QDir().mkpath(QFileInfo(absolute).absolutePath())) {
        return QStringLiteral("cannot create the folder of %1").arg(absolute);
    }
    QovProjectDataModel project;
    // Set first, so that the copies written while the project is filled lie beside the target
    // and never over the desktop program's own unsaved project.
    project.setSavePath(absolute);
    project.setProjectName(title);
    // One list, one autosave: adding devices one by one would write the growing file each time.
    if (static_cast<quint32>(devices.size()) >
        QovProgramSettingsModel().maxNumberOfProjectDevices()) {
        return QStringLiteral("too many devices for one project");
    }
    project.setAppDevices(QVector<QovAppDeviceModel>(devices.begin(), devices.end()));
    if (!project.saveTo(absolute)) {
        return QStringLiteral("cannot write %1").arg(absolute);
    }
    return QString();
}

} // namespace QovProjectFiles
