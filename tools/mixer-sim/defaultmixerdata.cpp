#include "defaultmixerdata.h"

#include "mixerdata.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace velmora::sim {

namespace {

constexpr int kInputs = 8;
constexpr int kOutputs = 8;
constexpr int kAuxOutputs = 6;
constexpr int kLibrarySlots = 16;
const int kGeqFrequencies[12] = {80, 125, 200, 315, 500, 800, 1250, 2000, 3150, 5000, 8000, 12500};

struct InputSetup
{
    const char *name;
    double gain;
    bool phantom;
    int pan;
};

// A small band's stage plot: the names an engineer would write on the console strip.
const InputSetup kInputSetups[kInputs] = {{"Vocal 1", 38, false, 0},  {"Vocal 2", 36, false, -20},
                                          {"Acoustic", 24, true, 30}, {"Keys L", 8, false, -100},
                                          {"Keys R", 8, false, 100},  {"Bass DI", 12, true, 0},
                                          {"Kick", 28, false, 0},     {"Overhead", 30, true, 15}};

QJsonObject band(const char *type, int freq, double gain, double q)
{
    return {{QStringLiteral("type"), QLatin1String(type)},
            {QStringLiteral("freq_hz"), freq},
            {QStringLiteral("gain_db"), gain},
            {QStringLiteral("q"), q},
            {QStringLiteral("on"), true}};
}

// Four parametric bands: low shelf, two peaks, high shelf; `tilt` varies them per use.
QJsonArray eq4Bands(double tilt)
{
    return {band("low_shelf", 100, -2.0 + tilt, 0.7), band("peak", 350, -3.0, 1.4),
            band("peak", 2800, 2.0 + tilt / 2, 1.0), band("high_shelf", 9000, 1.5, 0.7)};
}

QJsonArray geqBands(int shape)
{
    QJsonArray bands;
    for (int i = 0; i < 12; ++i) {
        // Shape 0 is flat; others cut a little low-mid and lift presence, as rooms want.
        const double gain =
            shape == 0 ? 0.0 : (i == 3 || i == 4 ? -1.5 * shape : (i == 8 ? shape : 0.0));
        bands.append(QJsonObject{{QStringLiteral("freq_hz"), kGeqFrequencies[i]},
                                 {QStringLiteral("gain_db"), gain}});
    }
    return bands;
}

QJsonObject input(int ch, int variant)
{
    const InputSetup &setup = kInputSetups[ch];
    QJsonArray sends;
    for (int aux = 0; aux < kAuxOutputs; ++aux) {
        sends.append((aux + ch + variant) % 4 == 0 ? -6.0 : -100.0);
    }
    return {{QStringLiteral("ch"), ch + 1},
            {QStringLiteral("name"), QLatin1String(setup.name)},
            {QStringLiteral("gain_db"), setup.gain + variant},
            {QStringLiteral("phantom"), setup.phantom},
            {QStringLiteral("polarity_invert"), false},
            {QStringLiteral("hpf"), QJsonObject{{QStringLiteral("on"), ch != 5 && ch != 6},
                                                {QStringLiteral("freq_hz"), 80 + 20 * variant}}},
            {QStringLiteral("eq"), QJsonObject{{QStringLiteral("on"), true},
                                               {QStringLiteral("bands"), eq4Bands(variant)}}},
            {QStringLiteral("fader_db"), variant == 0 ? 0.0 : -5.0},
            {QStringLiteral("mute"), false},
            {QStringLiteral("pan"), setup.pan},
            {QStringLiteral("aux_sends_db"), sends}};
}

QJsonObject output(int out, int variant)
{
    const QString name = out < 2 ? (out == 0 ? QStringLiteral("Main L") : QStringLiteral("Main R"))
                                 : QStringLiteral("Monitor %1").arg(out - 1);
    return {{QStringLiteral("out"), out + 1},
            {QStringLiteral("name"), name},
            {QStringLiteral("level_db"), out < 2 ? 0.0 : -3.0 - variant},
            {QStringLiteral("mute"), false},
            {QStringLiteral("delay_ms"), out < 2 ? 0.0 : 2.5},
            {QStringLiteral("geq"), QJsonObject{{QStringLiteral("on"), out < 2 || variant > 0},
                                                {QStringLiteral("bands"), geqBands(variant)}}}};
}

// The whole console as one object: the current state, and what a preset stores.
QJsonObject snapshot(const std::string &model, int variant)
{
    QJsonArray inputs, outputs;
    for (int ch = 0; ch < kInputs; ++ch) {
        inputs.append(input(ch, variant));
    }
    for (int out = 0; out < kOutputs; ++out) {
        outputs.append(output(out, variant));
    }
    QJsonObject state{{QStringLiteral("inputs"), inputs}, {QStringLiteral("outputs"), outputs}};
    if (model == "ZEPH-2208NET") {
        QJsonArray tx;
        for (int ch = 0; ch < kInputs; ++ch) {
            tx.append(
                QJsonObject{{QStringLiteral("ch"), ch + 1},
                            {QStringLiteral("source"), QStringLiteral("input %1").arg(ch + 1)}});
        }
        state.insert(QStringLiteral("network_audio"),
                     QJsonObject{{QStringLiteral("sample_rate"), 48000},
                                 {QStringLiteral("latency_ms"), 1.0},
                                 {QStringLiteral("tx"), tx}});
    }
    return state;
}

QJsonObject library(bool twelveBand)
{
    const char *names[] = {"Flat", "Speech", "Live Vocal", "Warm", "Bright", "Feedback Cut"};
    QJsonArray entries;
    for (int slot = 0; slot < kLibrarySlots; ++slot) {
        const bool used = slot < 6;
        QJsonObject entry{
            {QStringLiteral("slot"), slot},
            {QStringLiteral("name"), used ? QLatin1String(names[slot]) : QLatin1String("")}};
        entry.insert(QStringLiteral("bands"),
                     twelveBand ? geqBands(used ? slot % 3 : 0) : eq4Bands(used ? slot - 2 : 0));
        entries.append(entry);
    }
    return {{QStringLiteral("entries"), entries}};
}

QJsonObject preset(const std::string &model, int bank)
{
    const char *names[] = {"Sunday Service", "Band Rehearsal", "Conference"};
    QJsonObject object = snapshot(model, bank < 3 ? bank : 0);
    object.insert(QStringLiteral("name"),
                  bank < 3 ? QLatin1String(names[bank]) : QLatin1String(""));
    object.insert(QStringLiteral("stored"), bank < 3);
    return object;
}

// A partial preset recalls only some channels or parameters: vocal mics, the monitors' EQ.
QJsonObject partialPreset(int bank)
{
    if (bank == 0) {
        return {{QStringLiteral("name"), QStringLiteral("Vocal mics")},
                {QStringLiteral("stored"), true},
                {QStringLiteral("inputs"), QJsonArray{input(0, 1), input(1, 1)}}};
    }
    if (bank == 1) {
        QJsonArray outputs;
        for (int out = 2; out < kOutputs; ++out) {
            outputs.append(
                QJsonObject{{QStringLiteral("out"), out + 1},
                            {QStringLiteral("geq"), output(out, 2).value(QStringLiteral("geq"))}});
        }
        return {{QStringLiteral("name"), QStringLiteral("Monitor EQ")},
                {QStringLiteral("stored"), true},
                {QStringLiteral("outputs"), outputs}};
    }
    return {{QStringLiteral("name"), QLatin1String("")}, {QStringLiteral("stored"), false}};
}

QJsonObject dataSet(const std::string &model, int target, int bank)
{
    switch (target) {
    case PresetSet:
        return preset(model, bank);
    case Eq12Set:
        return library(true);
    case Eq4Set:
        return library(false);
    case PartialPresetSet:
        return partialPreset(bank);
    default: {
        QJsonObject current = snapshot(model, 0);
        current.insert(QStringLiteral("model"), QString::fromStdString(model));
        return current;
    }
    }
}

} // namespace

std::string defaultDataSet(const std::string &model, int target, int bank)
{
    return QJsonDocument(dataSet(model, target, bank)).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace velmora::sim
