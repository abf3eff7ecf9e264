#include "mixerchecks.h"

#include "discovery/qovonlinedevicefinder.h"
#include "mixersimprocess.h"
#include "models/qovdatasettable.h"

#include <QRegularExpression>

namespace {
template<typename Devices>
QStringList names(const Devices &devices)
{
    QStringList out;
    for (const auto &device : devices) {
        out << device->deviceName();
    }
    return out;
}
} // namespace

QStringList namesOf(const QVector<QovAppDeviceModel> &devices)
{
    return names(devices);
}

QStringList namesOf(const QList<QovOnlineDeviceModel> &devices)
{
    return names(devices);
}

QovOnlineDeviceModel listed(const QString &name)
{
    for (const auto &device : QovOnlineDeviceFinder::instance()->getAll()) {
        if (device->deviceName() == name) {
            return device;
        }
    }
    return nullptr;
}

QList<QPair<int, int>> allDataSetFiles()
{
    QList<QPair<int, int>> files;
    for (const QovDataSetInfo &set : qovDataSets()) {
        for (int bank = 0; bank < set.banks; ++bank) {
            files.append({set.code, bank});
        }
    }
    return files;
}

QStringList deviceData(const QovAppDeviceModel &device)
{
    return device->zephDataPreset() + QStringList{device->zephData12BandEq()} +
           QStringList{device->zephData4BandEq()} + device->zephDataPartialPreset() +
           QStringList{device->zephDataCurrent()};
}

QStringList mixerData(MixerSimProcess &sim, const QString &address)
{
    QStringList texts;
    for (const auto &[code, bank] : allDataSetFiles()) {
        texts << QString::fromUtf8(sim.dataSet(address, code, bank));
    }
    return texts;
}

bool anyUpload(const QStringList &requests)
{
    return !requests.filter(QRegularExpression("(begin|file|end)upload")).isEmpty();
}

int requestsWith(const QStringList &requests, const QString &text)
{
    return int(requests.filter(text).size());
}
