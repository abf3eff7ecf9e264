#pragma once

#include "mixeridentity.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace velmora::sim {

// A mixer's SSDP face: answers M-SEARCH for its device type and for ssdp:all from its own
// address after a random delay within MX, announces itself on start and says goodbye on stop.
// It lives on the interface that holds its address: it joins the group and announces there
// only, as a mixer on that network segment would.
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
    // A lossy link: every other search the mixer hears is lost.
    void setDropEveryOther(bool drop) { m_dropEveryOther = drop; }
    // A hostile host: every search is also answered with this many made-up devices, each
    // with its own USN and a LOCATION on this host that serves nothing.
    void setForgedAnswers(int count) { m_forgedAnswers = count; }
    // Sends ssdp:alive now, as a mixer does when it comes up or renews its announcement.
    bool announce();
    // Searches heard (answered or not) since start.
    int searchesHeard() const { return m_searchesHeard; }

private:
    void run();
    std::string notify(const char *nts) const;
    std::string searchResponse() const;
    std::string forgedResponse(int n) const;
    bool sendToGroup(const std::string &datagram);

    MixerIdentity m_identity;
    int m_groupSocket = -1;
    int m_sendSocket = -1;
    std::mutex m_sendMutex;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_muted{false};
    std::atomic<bool> m_dropEveryOther{false};
    std::atomic<int> m_forgedAnswers{0};
    std::atomic<int> m_searchesHeard{0};
    std::thread m_thread;
};

} // namespace velmora::sim
