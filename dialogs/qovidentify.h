#pragma once

#include "models/qovonlinedevicemodel.h"

#include <QPointer>

#include <functional>

class QObject;

// Asks the mixer to signal itself, on a detached thread of its own so that neither the GUI nor
// the thread pool waits for it. `done` runs later on the GUI thread with the outcome, unless
// `context` is gone by then.
void qovIdentifyDevice(const QovOnlineDeviceModel &device, QObject *context,
                       std::function<void(bool identified)> done);

// Shows "Identify Failed" with the mixer's name, address and MAC.
void qovShowIdentifyFailed(const QovOnlineDeviceModelInternal &device);
