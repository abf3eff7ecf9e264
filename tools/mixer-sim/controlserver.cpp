#include "controlserver.h"

#include "simconfig.h"
#include "simmixer.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace velmora::sim {

namespace {

const char *const kJson = "application/json";
const std::string kMixer = R"(/mixers/([0-9.]+))";

// {"ok":true}, or {"ok":false,"error":...} with the failure status.
void answer(httplib::Response &response, bool ok, const std::string &error = {},
            int failStatus = 500)
{
    response.status = ok ? 200 : failStatus;
    QJsonObject reply{{QStringLiteral("ok"), ok}};
    if (!ok) {
        reply.insert(QStringLiteral("error"), QString::fromStdString(error));
    }
    response.set_content(QJsonDocument(reply).toJson(QJsonDocument::Compact).toStdString(), kJson);
}

std::string mixerList(const std::vector<std::unique_ptr<SimMixer>> &mixers)
{
    QJsonArray list;
    for (const auto &mixer : mixers) {
        const MixerProfile &profile = mixer->profile();
        list.append(
            QJsonObject{{QStringLiteral("address"), QString::fromStdString(mixer->address())},
                        {QStringLiteral("model"), QString::fromStdString(profile.model)},
                        {QStringLiteral("name"), QString::fromStdString(profile.name)},
                        {QStringLiteral("running"), mixer->isRunning()}});
    }
    return QJsonDocument(list).toJson(QJsonDocument::Compact).toStdString();
}

std::string stringList(const std::vector<std::string> &lines)
{
    QJsonArray list;
    for (const std::string &line : lines) {
        list.append(QString::fromStdString(line));
    }
    return QJsonDocument(list).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace

ControlServer::ControlServer(std::vector<std::unique_ptr<SimMixer>> &mixers)
    : m_mixers(mixers)
{
}

ControlServer::~ControlServer()
{
    stop();
}

SimMixer *ControlServer::find(const std::string &address) const
{
    for (const auto &mixer : m_mixers) {
        if (mixer->address() == address) {
            return mixer.get();
        }
    }
    return nullptr;
}

int ControlServer::start(const std::string &address, int port)
{
    m_server = std::make_unique<httplib::Server>();
    m_server->new_task_queue = [] { return new httplib::ThreadPool(2); };
    addRoutes();
    const int bound = port == 0 ? m_server->bind_to_any_port(address)
                                : (m_server->bind_to_port(address, port) ? port : -1);
    if (bound < 0) {
        m_server.reset();
        return -1;
    }
    m_thread = std::thread([server = m_server.get()] { server->listen_after_bind(); });
    return bound;
}

void ControlServer::stop()
{
    if (m_server) {
        m_server->stop();
        m_thread.join();
        m_server.reset();
    }
}

void ControlServer::addRoutes()
{
    httplib::Server &server = *m_server;
    server.Get("/mixers", [this](const httplib::Request &, httplib::Response &response) {
        response.set_content(mixerList(m_mixers), kJson);
    });
    // Every other route names one mixer by its address; an unknown one is a 404.
    const auto withMixer = [this](auto action) {
        return [this, action](const httplib::Request &request, httplib::Response &response) {
            SimMixer *mixer = find(request.matches[1]);
            if (!mixer) {
                answer(response, false, "no mixer at " + std::string(request.matches[1]), 404);
                return;
            }
            action(*mixer, request, response);
        };
    };
    server.Post(kMixer + "/start", withMixer([](SimMixer &mixer, const httplib::Request &,
                                                httplib::Response &response) {
                    answer(response, mixer.start(), "cannot listen on the mixer's address");
                }));
    // Body {"address": "127.0.0.9"}: the mixer's new address, which no other mixer may hold.
    server.Post(
        kMixer + "/move", withMixer([this](SimMixer &mixer, const httplib::Request &request,
                                           httplib::Response &response) {
            const std::string to = QJsonDocument::fromJson(QByteArray::fromStdString(request.body))
                                       .object()
                                       .value(QStringLiteral("address"))
                                       .toString()
                                       .toStdString();
            if (!isLoopbackAddress(to)) {
                answer(response, false, "address must be an IPv4 address in 127.0.0.0/8", 400);
                return;
            }
            // One move at a time, so that two cannot take the same address.
            std::lock_guard<std::mutex> lock(m_moveMutex);
            if (find(to) != nullptr) {
                answer(response, false, "address " + to + " is taken", 409);
                return;
            }
            answer(response, mixer.moveTo(to), "cannot listen on " + to);
        }));
    server.Post(kMixer + "/stop", withMixer([](SimMixer &mixer, const httplib::Request &,
                                               httplib::Response &response) {
                    mixer.stop();
                    answer(response, true);
                }));
    server.Get(kMixer + "/faults", withMixer([](SimMixer &mixer, const httplib::Request &,
                                                httplib::Response &response) {
                   response.set_content(faultsToJson(mixer.faults()), kJson);
               }));
    server.Put(kMixer + "/faults", withMixer([](SimMixer &mixer, const httplib::Request &request,
                                                httplib::Response &response) {
                   MixerFaults faults;
                   const std::string error = faultsFromJson(request.body, faults);
                   if (!error.empty()) {
                       answer(response, false, error, 400);
                       return;
                   }
                   answer(response, mixer.setFaults(faults),
                          "cannot listen on the mixer's address");
               }));
    server.Get(kMixer + "/requests", withMixer([](SimMixer &mixer, const httplib::Request &,
                                                  httplib::Response &response) {
                   response.set_content(stringList(mixer.requests()), kJson);
               }));
    server.Delete(kMixer + "/requests", withMixer([](SimMixer &mixer, const httplib::Request &,
                                                     httplib::Response &response) {
                      mixer.clearRequests();
                      answer(response, true);
                  }));
    server.Get(kMixer + R"(/data/(\d+)/(\d+))",
               withMixer([](SimMixer &mixer, const httplib::Request &request,
                            httplib::Response &response) {
                   const auto text = mixer.data().text(std::stoi(request.matches[2]),
                                                       std::stoi(request.matches[3]));
                   if (!text) {
                       answer(response, false, "no such data set or bank", 404);
                       return;
                   }
                   response.set_content(*text, kJson);
               }));
    // Stores the body as it stands, even text a real mixer would refuse, so that tests can
    // set up what a download then meets.
    server.Put(kMixer + R"(/data/(\d+)/(\d+))",
               withMixer([](SimMixer &mixer, const httplib::Request &request,
                            httplib::Response &response) {
                   const bool stored = mixer.data().setText(
                       std::stoi(request.matches[2]), std::stoi(request.matches[3]), request.body);
                   answer(response, stored, "no such data set or bank", 404);
               }));
    server.Post(kMixer + "/reset", withMixer([](SimMixer &mixer, const httplib::Request &,
                                                httplib::Response &response) {
                    mixer.data().reset();
                    mixer.clearRequests();
                    answer(response, mixer.setFaults(MixerFaults()),
                           "cannot listen on the mixer's address");
                }));
}

} // namespace velmora::sim
