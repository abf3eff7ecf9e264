#pragma once

#include <QByteArray>
#include <QJsonObject>

// Project files shaped like real ones: per device 8 presets of about 8 KB, 40 partial presets
// of about 1 KB, two EQ libraries of about 4 KB and a current state of about 8 KB, so about
// 120 KB of JSON per device. Deterministic for a given seed.
namespace projectgenerator {

// A mixer settings object of roughly `bytes` bytes of compact JSON.
QJsonObject mixerObject(int bytes, quint32 seed);
QJsonObject deviceData(quint32 seed);
QByteArray projectFile(int deviceCount);

} // namespace projectgenerator
