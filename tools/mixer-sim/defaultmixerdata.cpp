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
    int eq; // entry of kChannelEqs the channel starts from
};

// A small band's stage plot: the names an engineer would write on the console strip.
const InputSetup kInputSetups[kInputs] = {
    {"Vocal 1", 38, false, 0, 0},  {"Vocal 2", 36, false, -20, 1}, {"Acoustic", 24, true, 30, 4},
    {"Keys L", 8, false, -100, 4}, {"Keys R", 8, false, 100, 4},   {"Bass DI", 12, true, 0, 5},
    {"Kick", 28, false, 0, 2},     {"Snare", 30, false, 15, 3}};

QJsonObject band(const char *type, int freq, double gain, double q)
{
    return {{QStringLiteral("type"), QLatin1String(type)},
            {QStringLiteral("freq_hz"), freq},
            {QStringLiteral("gain_db"), gain},
            {QStringLiteral("q"), q},
            {QStringLiteral("on"), true}};
}

// Room curves as an engineer stores them: flat, then corrections for speech, live vocals, a
// warm and a bright room, and two feedback notches.
const double kGeqCurves[6][12] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},         {-6, -3, -1.5, 0, 0, 0, 1, 2, 2, 1, 0, -1},
    {-3, -1.5, 0, -2, -3, 0, 0, 1, 2, 1.5, 0, 0}, {2, 2, 1, 0, 0, 0, 0, 0, -1, -2, -3, -4},
    {-1, 0, 0, 0, 0, 0, 0, 1, 2, 3, 3, 2},        {0, 0, 0, 0, 0, 0, 0, -6, -9, 0, 0, 0}};
const char *const kGeqNames[6] = {"Flat",      "Speech",      "Live Vocal",
                                  "Warm Room", "Bright Room", "Feedback 2k/3k"};

QJsonArray geqBands(int curve)
{
    QJsonArray bands;
    for (int i = 0; i < 12; ++i) {
        bands.append(QJsonObject{{QStringLiteral("freq_hz"), kGeqFrequencies[i]},
                                 {QStringLiteral("gain_db"), kGeqCurves[curve % 6][i]}});
    }
    return bands;
}

struct ChannelEq
{
    const char *name;
    double low, lowMid, highMid, high;
    int lowMidHz, highMidHz;
};

// Channel starting points from the 4-band library, by source.
const ChannelEq kChannelEqs[6] = {{"Male Vocal", -2, -3, 2, 1.5, 350, 3000},
                                  {"Female Vocal", -4, -2, 1.5, 2.5, 500, 4000},
                                  {"Kick", 3, -6, 4, 0, 400, 3500},
                                  {"Snare", -2, 2, 3, 1, 250, 5000},
                                  {"Acoustic Guitar", -3, -2, 1, 2, 250, 3000},
                                  {"Bass DI", 2, -3, 1.5, -2, 300, 2000}};

const ChannelEq kFlatEq = {"", 0, 0, 0, 0, 350, 3000};

QJsonArray eq4Bands(const ChannelEq &eq)
{
    return {band("low_shelf", 100, eq.low, 0.7), band("peak", eq.lowMidHz, eq.lowMid, 1.4),
            band("peak", eq.highMidHz, eq.highMid, 1.0), band("high_shelf", 9000, eq.high, 0.7)};
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
            {QStringLiteral("eq"),
             QJsonObject{{QStringLiteral("on"), true},
                         {QStringLiteral("bands"), eq4Bands(kChannelEqs[setup.eq])}}},
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
    QJsonArray entries;
    for (int slot = 0; slot < kLibrarySlots; ++slot) {
        const bool used = slot < 6;
        const char *name = !used ? "" : (twelveBand ? kGeqNames[slot] : kChannelEqs[slot].name);
        entries.append(QJsonObject{
            {QStringLiteral("slot"), slot},
            {QStringLiteral("name"), QLatin1String(name)},
            {QStringLiteral("bands"), twelveBand ? geqBands(used ? slot : 0)
                                                 : eq4Bands(used ? kChannelEqs[slot] : kFlatEq)}});
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
