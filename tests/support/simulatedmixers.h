#pragma once

#include "mixersimprocess.h"
#include "tempprofile.h"

#include <QByteArray>
#include <QString>

#include <memory>

// What a network test starts from: the private network checked (the process ends outside it),
// the program's settings (INI text) in a fresh temporary profile, then the simulator playing
// `config`. Returns an empty text, or why the simulator did not start.
QString startSimulatedMixers(const QByteArray &settings, const QByteArray &config,
                             std::unique_ptr<TempProfile> *profile,
                             std::unique_ptr<MixerSimProcess> *sim);
