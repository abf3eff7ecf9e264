#include "simdevices.h"

#include <QStringList>

QovOnlineDeviceModel onlineDevice(const QString &address, const QString &model)
{
    QovDiscoveredDevice found;
    found.serialNumber = "22080001";
    found.udn = "uuid:" + address;
    found.friendlyName = "Mixer at " + address;
    found.modelName = model;
    found.ipAddress = address;
    auto device = std::make_shared<QovOnlineDeviceModelInternal>(found);
    device->setMacAddress("00:1D:C1:00:00:" + address.section('.', 3).rightJustified(2, '0'));
    device->setDeviceId(9);
    return device;
}

QovAppDeviceModel projectDeviceWithData(const QString &tag)
{
    auto device = std::make_shared<QovAppDeviceModelInternal>();
    device->setDeviceName("Project " + tag);
    device->setDeviceId(42);
    QStringList presets, partials;
    for (int bank = 0; bank < 8; ++bank) {
        presets << QString(R"({"name":"%1 preset %2","fader_db":-%2.5})").arg(tag).arg(bank);
    }
    for (int bank = 0; bank < 40; ++bank) {
        partials << QString(R"({"name":"%1 partial %2 – Bühne","stored":true})").arg(tag).arg(bank);
    }
    device->setZephDataPreset(presets);
    device->setZephDataPartialPreset(partials);
    device->setZephData12BandEq(QString(R"({"entries":[{"name":"%1 12"}]})").arg(tag));
    device->setZephData4BandEq(QString(R"({"entries":[{"name":"%1 4"}]})").arg(tag));
    device->setZephDataCurrent(QString(R"({"inputs":[],"tag":"%1"})").arg(tag));
    return device;
}

QString jsonTextOfSize(int size, int at)
{
    // {"pad":"xxx...x"} is 10 bytes plus the filler.
    QByteArray text = "{\"pad\":\"" + QByteArray(size - 10, 'x') + "\"}";
    if (at >= 0) {
        text.replace(at, 3, "\xe2\x82\xac");
    }
    return QString::fromUtf8(text);
}
