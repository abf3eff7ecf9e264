#include "models/qovprojectfiles.h"

#include "models/qovautosaver.h"
#include "models/qovprogramsettingsmodel.h"
#include "models/qovprojectsnapshot.h"
#include "models/qovtextrules.h"

#include <QDir>
#include <QFileInfo>

namespace QovProjectFiles {

QovAppDeviceModel projectDevice(const QovOnlineDeviceModel &mixer, const QovZephData &data)
{
    auto device = std::make_shared<QovAppDeviceModelInternal>(mixer);
    device->setDeviceName(QovTextRules::fitDeviceName(mixer->deviceName(), mixer->modelName()));
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
                    const QList<QovAppDeviceModel> &devices,
                    const QList<QVector<QovDataSlot>> &unreadable)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (static_cast<quint32>(devices.size()) >
        QovProgramSettingsModel().maxNumberOfProjectDevices()) {
        return QStringLiteral("too many devices for one project");
    }
    if (!QDir().mkpath(QFileInfo(absolute).absolutePath())) {
        return QStringLiteral("cannot create the folder of %1").arg(absolute);
    }
    // Written from the devices' records, not through a project object: that would keep an
    // autosave copy beside the file and needs a thread with an event loop, and safety copies
    // are written on the transfer's own thread.
    QovProjectSnapshot project{QovTextRules::fitPlainText(title, QovTextRules::titleLength),
                               QString(),
                               QString(),
                               QString(),
                               {}};
    for (const QovAppDeviceModel &device : devices) {
        project.devices.append(device->record());
        project.devices.last().unreadable = unreadable.value(project.devices.size() - 1);
    }
    QString problem;
    if (!QovAutosaver::writeComplete(absolute, project.toJsonBytes(), false, &problem)) {
        return problem.isEmpty() ? QStringLiteral("cannot write %1").arg(absolute) : problem;
    }
    return QString();
}

} // namespace QovProjectFiles
