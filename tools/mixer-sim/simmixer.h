#pragma once

#include "mixerdata.h"
#include "mixerextension.h"
#include "mixerfaults.h"
#include "mixerprofile.h"
#include "uploadsession.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmora::sim {

// One simulated mixer: its HTTP server on address:80 with the CGI pages, its data, its faults
// and its extensions. Started and stopped as a whole, any number of times.
class SimMixer
{
public:
    explicit SimMixer(MixerProfile profile);
    ~SimMixer();
    SimMixer(const SimMixer &) = delete;
    SimMixer &operator=(const SimMixer &) = delete;

    // Brings up the HTTP server (unless the refuse fault is on) and the extensions.
    bool start();
    // Closes everything; replies held by the silent or slow faults are dropped.
    void stop();
    bool isRunning() const { return m_running; }
    // Takes the mixer off its address and puts it on another, as a DHCP server that hands it a
    // new lease: a running mixer says goodbye, goes and comes up again there. False when it
    // cannot listen on the new address (it then stays off).
    bool moveTo(const std::string &address);
    // The address it listens on now; safe while another thread moves it.
    std::string address() const;

    const MixerProfile &profile() const { return m_profile; }
    MixerData &data() { return m_data; }

    MixerFaults faults() const;
    // Takes effect at once; switching refuse opens or closes the HTTP port.
    bool setFaults(const MixerFaults &faults);

    // Every request received, as "METHOD target" in arrival order.
    std::vector<std::string> requests() const;
    void clearRequests();

    void addExtension(std::unique_ptr<MixerExtension> extension);

    // For the request handlers: logs the request, counts it for its endpoint and gives the
    // wire fault that its reply must show.
    WireFault admit(const HttpRequest &request);
    // Waits as the slow and silent faults ask; false when the mixer stops meanwhile.
    bool holdReply();
    std::mutex &uploadMutex() { return m_uploadMutex; }
    UploadSession &upload() { return m_upload; }

private:
    bool startHttp();
    void stopHttp();

    // The address changes only while the mixer is off, under both the life and address locks.
    mutable std::mutex m_addressMutex;
    MixerProfile m_profile;
    MixerData m_data;
    std::vector<std::unique_ptr<MixerExtension>> m_extensions;

    mutable std::mutex m_faultMutex;
    MixerFaults m_faults;
    // Counts replacements of the faults, so that a reply held under old faults notices the
    // change even if the faults are back to the same values before it looks again.
    unsigned m_faultGeneration = 0;
    // Requests per endpoint since the faults were set.
    std::map<std::string, int> m_endpointCounts;

    mutable std::mutex m_logMutex;
    std::vector<std::string> m_requests;

    std::mutex m_uploadMutex;
    UploadSession m_upload;

    // Start, stop and the refuse switch come from the control thread and main; one at a time.
    std::recursive_mutex m_lifeMutex;
    std::unique_ptr<SimHttpServer> m_server;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stopping{false};
};

} // namespace velmora::sim
