#pragma once

#include "device/qovcgiapi.h"

// A new API object for a device the program can serve, owned by the caller; null otherwise.
// By device type for a project device, by the exact (case-sensitive) model name for a mixer
// found on the network.
QovCgiApi *createCgiApi(const QovAppDeviceModel &device);
QovCgiApi *createCgiApi(const QovOnlineDeviceModel &device);
