#include "simmixer.h"

#include "cgiroutes.h"

#include <chrono>

namespace velmora::sim {

namespace {
constexpr size_t kMaxLoggedRequests = 20000;
} // namespace

SimMixer::SimMixer(MixerProfile profile)
    : m_profile(std::move(profile))
    , m_data(m_profile.model)
{
}

SimMixer::~SimMixer()
{
    stop();
}

void SimMixer::addExtension(std::unique_ptr<MixerExtension> extension)
{
    m_extensions.push_back(std::move(extension));
}

bool SimMixer::start()
{
    std::lock_guard<std::recursive_mutex> lock(m_lifeMutex);
    if (m_running) {
        return true;
    }
    if (!faults().refuse && !startHttp()) {
        return false;
    }
    for (auto &extension : m_extensions) {
        if (!extension->start()) {
            stopHttp();
            return false;
        }
    }
    m_running = true;
    return true;
}

void SimMixer::stop()
{
    std::lock_guard<std::recursive_mutex> lock(m_lifeMutex);
    if (!m_running) {
        return;
    }
    for (auto &extension : m_extensions) {
        extension->stop();
    }
    stopHttp();
    m_running = false;
}

bool SimMixer::moveTo(const std::string &address)
{
    std::lock_guard<std::recursive_mutex> lock(m_lifeMutex);
    const bool wasRunning = m_running;
    stop();
    {
        std::lock_guard<std::mutex> addressLock(m_addressMutex);
        m_profile.address = address;
    }
    // The network face shows the address it was made with; a mixer without one stays without.
    if (!m_extensions.empty()) {
        m_extensions = makeMixerExtensions(m_profile);
    }
    return !wasRunning || start();
}

std::string SimMixer::address() const
{
    std::lock_guard<std::mutex> lock(m_addressMutex);
    return m_profile.address;
}

bool SimMixer::startHttp()
{
    auto server = std::make_unique<SimHttpServer>();
    addCgiRoutes(*server, *this);
    for (auto &extension : m_extensions) {
        extension->addRoutes(*server);
    }
    m_stopping = false;
    if (!server->start(m_profile.address, m_profile.httpPort)) {
        return false;
    }
    m_server = std::move(server);
    return true;
}

void SimMixer::stopHttp()
{
    if (!m_server) {
        return;
    }
    // Held replies notice this and give up, so that the workers can be joined.
    m_stopping = true;
    m_server->stop();
    m_server.reset();
    std::lock_guard<std::mutex> lock(m_uploadMutex);
    m_upload = UploadSession();
}

MixerFaults SimMixer::faults() const
{
    std::lock_guard<std::mutex> lock(m_faultMutex);
    return m_faults;
}

bool SimMixer::setFaults(const MixerFaults &faults)
{
    std::lock_guard<std::recursive_mutex> lock(m_lifeMutex);
    bool wasRefusing = false;
    {
        std::lock_guard<std::mutex> faultLock(m_faultMutex);
        wasRefusing = m_faults.refuse;
        m_faults = faults;
        ++m_faultGeneration;
        m_endpointCounts.clear();
    }
    if (!m_running || wasRefusing == faults.refuse) {
        return true;
    }
    if (faults.refuse) {
        stopHttp();
        return true;
    }
    return startHttp();
}

std::vector<std::string> SimMixer::requests() const
{
    std::lock_guard<std::mutex> lock(m_logMutex);
    return m_requests;
}

void SimMixer::clearRequests()
{
    std::lock_guard<std::mutex> lock(m_logMutex);
    m_requests.clear();
}

WireFault SimMixer::admit(const HttpRequest &request)
{
    {
        std::lock_guard<std::mutex> lock(m_logMutex);
        if (m_requests.size() < kMaxLoggedRequests) {
            m_requests.push_back(request.method + ' ' + request.target);
        }
    }
    const std::string endpoint = endpointOf(request.path);
    std::lock_guard<std::mutex> lock(m_faultMutex);
    const int count = ++m_endpointCounts[endpoint];
    for (const RequestFault &fault : m_faults.requests) {
        if (fault.endpoint == endpoint && (fault.nth == 0 || fault.nth == count)) {
            return fault.wire;
        }
    }
    return {};
}

bool SimMixer::holdReply()
{
    using namespace std::chrono;
    MixerFaults held;
    unsigned generation = 0;
    {
        std::lock_guard<std::mutex> lock(m_faultMutex);
        held = m_faults;
        generation = m_faultGeneration;
    }
    const auto until = steady_clock::now() + milliseconds(held.delayMs);
    while (!m_stopping) {
        bool replaced = false;
        {
            std::lock_guard<std::mutex> lock(m_faultMutex);
            replaced = m_faultGeneration != generation;
        }
        if (replaced) {
            // A silent reply is dropped, so that the workers it held serve the requests that
            // come under the new faults; a slow one goes out at once.
            return !held.silent;
        }
        if (!held.silent && steady_clock::now() >= until) {
            return true;
        }
        std::this_thread::sleep_for(milliseconds(10));
    }
    return false;
}

} // namespace velmora::sim
