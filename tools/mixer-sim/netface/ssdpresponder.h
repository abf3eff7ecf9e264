#pragma once

#include "mixeridentity.h"

#include <atomic>
#include <thread>

namespace velmora::sim {

// A mixer's SSDP face: answers M-SEARCH for its device type and for ssdp:all from its own
// address after a random delay within MX, announces itself on start and says goodbye on stop.
class SsdpResponder
{
public:
    explicit SsdpResponder(MixerIdentity identity)
        : m_identity(std::move(identity))
    {
    }
    ~SsdpResponder();

    bool start();
    // byebye false: the mixer just falls silent, as one that lost power.
    void stop(bool byebye = true);
    // While muted the mixer ignores searches (its HTTP and command ports stay up).
    void setMuted(bool muted) { m_muted = muted; }

private:
    void run();
    std::string notify(const char *nts) const;
    std::string searchResponse() const;

    MixerIdentity m_identity;
    int m_groupSocket = -1;
    int m_sendSocket = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_muted{false};
    std::thread m_thread;
};

} // namespace velmora::sim
