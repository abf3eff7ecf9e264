#include "cli/qovclitransfers.h"

#include "device/qovcgiapifactory.h"
#include "models/qovprogramsettingsmodel.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovsafetycopies.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <future>
#include <memory>
#include <vector>

namespace QovCliTransfers {

namespace {

// One operation per mixer, all started before the first is waited for.
template<typename Result, typename Start>
QList<Result> runAll(int count, Start start, const std::function<QString(int)> &label,
                     QovCliReport &report)
{
    std::vector<std::unique_ptr<QovCgiApi>> apis;
    std::vector<std::future<Result>> futures;
    for (int i = 0; i < count; ++i) {
        apis.emplace_back();
        futures.push_back(start(i, apis.back()));
    }
    QList<Result> results;
    for (int i = 0; i < count; ++i) {
        report.progress(QStringLiteral("%1 (%2 of %3)").arg(label(i)).arg(i + 1).arg(count));
        results.append(futures[i].valid() ? futures[i].get() : Result());
    }
    return results;
}

} // namespace

QString describe(const QovOnlineDeviceModel &mixer)
{
    return QStringLiteral("%1 (%2, %3)")
        .arg(mixer->deviceName(), mixer->modelName(), mixer->ipAddress());
}

QList<QovZephData> download(const QList<QovOnlineDeviceModel> &mixers, QovCliReport &report)
{
    auto start = [&](int i, std::unique_ptr<QovCgiApi> &api) {
        api.reset(createCgiApi(mixers.at(i)));
        if (!api) {
            std::promise<QovZephData> none;
            QovZephData data;
            data.error =
                QStringLiteral("model \"%1\" is not supported").arg(mixers.at(i)->modelName());
            none.set_value(data);
            return none.get_future();
        }
        return api->downloadZephData(mixers.at(i));
    };
    return runAll<QovZephData>(
        mixers.size(), start,
        [&](int i) { return QStringLiteral("reading %1").arg(mixers.at(i)->deviceName()); },
        report);
}

QList<bool> upload(const QList<QPair<QovOnlineDeviceModel, QovAppDeviceModel>> &pairs,
                   QovCliReport &report)
{
    auto start = [&](int i, std::unique_ptr<QovCgiApi> &api) {
        api.reset(createCgiApi(pairs.at(i).first));
        if (!api) {
            std::promise<bool> none;
            none.set_value(false);
            return none.get_future();
        }
        return api->uploadZephData(pairs.at(i).first, pairs.at(i).second);
    };
    return runAll<bool>(
        pairs.size(), start,
        [&](int i) { return QStringLiteral("writing %1").arg(pairs.at(i).first->deviceName()); },
        report);
}

QovAppDeviceModel projectDevice(const QovOnlineDeviceModel &mixer, const QovZephData &data)
{
    auto device = std::make_shared<QovAppDeviceModelInternal>(mixer);
    device->setZephDataPreset(data.preset);
    device->setZephData12BandEq(data.eq12Band);
    device->setZephData4BandEq(data.eq4Band);
    device->setZephDataPartialPreset(data.partialPreset);
    device->setZephDataCurrent(data.current);
    // A file holds no connection: the program reconnects it when the project is opened.
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

QString keepSafetyCopy(const QovOnlineDeviceModel &mixer, const QovZephData &data, QString *error)
{
    const QovSafetyCopies copies;
    const QString path = copies.newCopyPath(mixer->macAddress(), QDateTime::currentDateTimeUtc());
    *error = saveProject(path, QStringLiteral("Safety copy of %1").arg(mixer->deviceName()),
                         {projectDevice(mixer, data)});
    if (!error->isEmpty()) {
        return QString();
    }
    copies.prune(mixer->macAddress());
    return path;
}

} // namespace QovCliTransfers
