// What each fast path of project reading and writing earns over the plain path beside it, on
// projects of 32 to 256 mixers: the file split at its devices and their data kept as text,
// against the file parsed whole and its data read from objects; the UTF-8 check against a
// text stream's decoding; and a device's data spliced from cached bytes, against the same
// data serialised from its object. The plain paths stay in the program for what the fast
// ones refuse, so each pair is measured here through the program's own functions.
#include "benchlog.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovqtcompat.h"
#include "models/qovtextdecoding.h"
#include "models/qovzephdatasets.h"
#include "projectgenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {
constexpr int runs = 7;
// Results go here, so that no measured work is left out as unused.
volatile qint64 sink = 0;

// Median of a few runs, in milliseconds.
double medianOf(const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void figure(int devices, const char *name, double ms)
{
    std::printf("%d mixers, %s: %.1f ms\n", devices, name, ms);
}

void ratio(int devices, const char *name, double fast, double plain)
{
    std::printf("%d mixers, %s ratio: %.2f\n", devices, name, fast / plain);
}

void measure(int devices)
{
    const QByteArray bytes = projectgenerator::projectFile(devices);
    // "devices" named through an escape: the reader cannot split the file and parses it whole.
    QByteArray whole = bytes;
    whole.replace("\"devices\":[", "\"\\u0064evices\":[");
    std::unique_ptr<QovProjectDataModel> model;
    const double split = medianOf([&] { model.reset(std::get<0>(parseProjectBytes(bytes))); });
    const double parsedWhole =
        medianOf([&] { model.reset(std::get<0>(parseProjectBytes(whole))); });
    model.reset(std::get<0>(parseProjectBytes(bytes)));
    if (!model) {
        std::fprintf(stderr, "the generated project did not load\n");
        return;
    }

    const double utf8 = medianOf([&] { sink = sink + QovTextDecoding::utf8Text(bytes).size(); });
    const double stream = medianOf([&] {
        QTextStream text(bytes);
        QovQtCompat::setUtf8(text);
        sink = sink + text.readAll().toUtf8().size();
    });

    // Each device's data sets read from its parsed "data" object, with and without its text.
    std::vector<QJsonObject> objects;
    std::vector<QByteArray> texts;
    const QJsonArray list =
        QJsonDocument::fromJson(bytes).object().value(QStringLiteral("devices")).toArray();
    for (const QJsonValue &device : list) {
        objects.push_back(device.toObject().value(QStringLiteral("data")).toObject());
        texts.push_back(QJsonDocument(objects.back()).toJson(QJsonDocument::Compact));
    }
    const auto readAll = [&](bool withText) {
        for (size_t i = 0; i < objects.size(); ++i) {
            QovZephDataSets out;
            QovZephDataSets::read(objects[i], withText ? texts[i] : QByteArray(), &out);
        }
    };
    const double fromText = medianOf([&] { readAll(true); });
    const double fromObjects = medianOf([&] { readAll(false); });

    std::vector<QovZephDataSets> sets;
    for (const QovAppDeviceModel &device : model->appDevices()) {
        sets.push_back(device->zephDataSets());
    }
    const double spliced = medianOf([&] {
        for (const QovZephDataSets &set : sets) {
            sink = sink + set.toDataBytes().size();
        }
    });
    const double serialised = medianOf([&] {
        for (const QovZephDataSets &set : sets) {
            sink = sink + QJsonDocument(set.toDataObject()).toJson(QJsonDocument::Compact).size();
        }
    });
    QTemporaryDir folder;
    int copy = 0;
    const double save = medianOf(
        [&] { model->saveTo(folder.filePath(QStringLiteral("saved-%1.vlmproj").arg(++copy))); });

    std::printf("%d mixers, project size: %.1f MB\n", devices, bytes.size() / 1e6);
    figure(devices, "load split, data as text", split);
    figure(devices, "load whole, data from objects", parsedWhole);
    ratio(devices, "load split", split, parsedWhole);
    figure(devices, "data sets read from text", fromText);
    figure(devices, "data sets read from objects", fromObjects);
    figure(devices, "UTF-8 check", utf8);
    figure(devices, "text stream decoding", stream);
    figure(devices, "load with text stream decoding", split - utf8 + stream);
    ratio(devices, "load UTF-8 check", split, split - utf8 + stream);
    figure(devices, "data spliced", spliced);
    figure(devices, "data serialised from objects", serialised);
    figure(devices, "save", save);
    ratio(devices, "save spliced", save, save - spliced + serialised);
}
} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir folder;
    // Keep the default project and the settings of the real user out of reach.
    qputenv("XDG_DATA_HOME", folder.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", folder.path().toLocal8Bit());
    quietBenchLog();
    QCoreApplication app(argc, argv);
    for (int devices : {32, 128, 256}) {
        measure(devices);
    }
    return 0;
}
