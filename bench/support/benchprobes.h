#pragma once

class QWebEngineView;

namespace benchprobes {

// Resident memory of this process and every process below it (the web engine's zygote,
// renderers and GPU process), in MiB. Shared pages count in every process that maps them, so
// this is an upper bound; the proportional sum is given too.
struct TreeMemory
{
    double rssMiB = 0;
    double pssMiB = 0;
    int processes = 0;
};
TreeMemory processTreeMemory();

// Waits until the page in the view shows its data (the settings pages give their body the class
// "ready" once they have drawn the device's data), polling without blocking the event loop.
// False on time-out.
bool waitPageReady(QWebEngineView *view, int timeoutMs);

} // namespace benchprobes
