#include "projectgenerator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>

namespace projectgenerator {

namespace {
QJsonObject channel(QRandomGenerator &random, int index)
{
    QJsonArray bands;
    for (int b = 0; b < 4; ++b) {
        bands.append(QJsonObject{{"freq", 20 + random.bounded(20000)},
                                 {"gain", random.bounded(480) / 10.0 - 24.0},
                                 {"q", random.bounded(100) / 10.0},
                                 {"type", b % 2 ? "peak" : "shelf"}});
    }
    return QJsonObject{{"ch", index},
                       {"name", QStringLiteral("Input %1").arg(index + 1)},
                       {"level", random.bounded(1000) / 10.0 - 90.0},
                       {"pan", random.bounded(200) / 100.0 - 1.0},
                       {"mute", random.bounded(2) == 1},
                       {"eq", bands}};
}

int compactSize(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).size();
}
} // namespace

QJsonObject mixerObject(int bytes, quint32 seed)
{
    QRandomGenerator random(seed);
    QJsonArray channels;
    QJsonObject object{{"version", 3}, {"label", QStringLiteral("Set %1").arg(seed)}};
    const int perChannel = compactSize(channel(random, 0)) + 1;
    const int count = qMax(1, (bytes - compactSize(object)) / perChannel);
    for (int i = 0; i < count; ++i) {
        channels.append(channel(random, i));
    }
    object.insert("channels", channels);
    return object;
}

QJsonObject deviceData(quint32 seed)
{
    QJsonObject data = mixerObject(8000, seed);
    QJsonArray presets;
    for (int i = 0; i < 8; ++i) {
        presets.append(mixerObject(8000, seed * 101 + i));
    }
    QJsonArray partials;
    for (int i = 0; i < 40; ++i) {
        QJsonObject partial = mixerObject(1000, seed * 211 + i);
        partial.insert("index", i);
        partials.append(partial);
    }
    data.insert("preset_list", presets);
    data.insert("partial_list", partials);
    data.insert("eq4_lib", mixerObject(4000, seed * 307));
    data.insert("eq12_lib", mixerObject(4000, seed * 401));
    return data;
}

QByteArray projectFile(int deviceCount)
{
    QJsonArray devices;
    for (int i = 0; i < deviceCount; ++i) {
        const QString mac = QStringLiteral("00:1B:%1:%2:00:%3")
                                .arg(i / 256, 2, 16, QLatin1Char('0'))
                                .arg(i % 256, 2, 16, QLatin1Char('0'))
                                .arg(i % 7, 2, 16, QLatin1Char('0'))
                                .toUpper();
        devices.append(QJsonObject{{"name", QStringLiteral("Mixer %1").arg(i)},
                                   {"model", i % 2 ? "ZEPH-2208NET" : "ZEPH-2208"},
                                   {"mac", mac},
                                   {"color", i % 7},
                                   {"id", i % 256},
                                   {"data", deviceData(quint32(i + 1))}});
    }
    const QJsonObject root{{"version", 1}, {"title", "Generated"},    {"author", "Bench"},
                           {"dealer", ""}, {"comment", "256 mixers"}, {"devices", devices}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

} // namespace projectgenerator
