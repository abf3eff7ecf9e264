#include "cgiroutes.h"

#include "simmixer.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

namespace velmora::sim {

namespace {

const char *const kJson = "application/json";
const std::string kCgi = "/cgi-bin/appcmd/";
// What a confused mixer might send: binary noise with a stray brace, no JSON.
const std::string kGarbage = std::string("\x00\xff{rc\x01"
                                         "ode\xfe:]]",
                                         12);

std::string rcodeReply(int rcode)
{
    return "{\"rcode\":" + std::to_string(rcode) + '}';
}

std::string compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

long long number(const httplib::Request &request, const char *name, long long missing = -1)
{
    if (!request.has_param(name)) {
        return missing;
    }
    const std::string text = request.get_param_value(name);
    char *end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    return (text.empty() || *end != '\0') ? missing : value;
}

std::string deviceInfo(const MixerProfile &profile)
{
    QJsonArray units;
    for (const LinkedUnit &unit : profile.linkedUnits) {
        units.append(QJsonObject{{QStringLiteral("serial"), unit.serial},
                                 {QStringLiteral("unitno"), unit.unitNo}});
    }
    return compact(
        {{QStringLiteral("rcode"), 1},
         {QStringLiteral("devicename"), QString::fromStdString(profile.name)},
         {QStringLiteral("modelname"), QString::fromStdString(profile.model)},
         {QStringLiteral("deviceid"), profile.deviceId},
         {QStringLiteral("headercolor"), profile.headerColor},
         {QStringLiteral("admin_passwd"), profile.passwordSet},
         {QStringLiteral("macaddress"), QString::fromStdString(profile.mac)},
         {QStringLiteral("serial"), profile.serial},
         {QStringLiteral("linked_unit_list"), units},
         {QStringLiteral("ovlink"), QJsonObject{{QStringLiteral("mode"), profile.ovlinkMode}}}});
}

using Produce = std::function<std::string(const httplib::Request &)>;

// Logs the request, applies the reply faults and otherwise answers what `produce` makes.
httplib::Server::Handler cgi(SimMixer &mixer, Produce produce)
{
    return [&mixer, produce](const httplib::Request &request, httplib::Response &response) {
        mixer.logRequest(request);
        if (!mixer.holdReply()) {
            return;
        }
        const MixerFaults faults = mixer.faults();
        if (faults.garbage) {
            response.set_content(kGarbage, "application/octet-stream");
        } else if (faults.body) {
            response.set_content(*faults.body, kJson);
        } else if (faults.rcode != 0) {
            response.set_content(rcodeReply(faults.rcode), kJson);
        } else {
            response.set_content(produce(request), kJson);
        }
    };
}

std::string fileDownload(SimMixer &mixer, const httplib::Request &request)
{
    const int target = static_cast<int>(number(request, "target"));
    const int bank = static_cast<int>(number(request, "bank"));
    const std::optional<DataSlot> failing = mixer.faults().failDownload;
    if (!isValidSlot(target, bank) || (failing && *failing == DataSlot{target, bank})) {
        return rcodeReply(0);
    }
    return compact(
        {{QStringLiteral("rcode"), 1},
         {QStringLiteral("fileurl"), QStringLiteral("zephdata/%1-%2.json").arg(target).arg(bank)}});
}

std::string beginUpload(SimMixer &mixer, const httplib::Request &request)
{
    std::lock_guard<std::mutex> lock(mixer.uploadMutex());
    return rcodeReply(mixer.upload().begin(static_cast<int>(number(request, "target")),
                                           static_cast<int>(number(request, "bank"))));
}

std::string fileUpload(SimMixer &mixer, const httplib::Request &request)
{
    std::lock_guard<std::mutex> lock(mixer.uploadMutex());
    const std::optional<DataSlot> failing = mixer.faults().failUpload;
    if (failing && mixer.upload().slot() == failing) {
        return rcodeReply(0);
    }
    // Exactly one part, named and typed as the mixer's upload form sends it.
    if (request.files.size() != 1 || !request.has_file("files[]")) {
        return rcodeReply(UploadSession::BadSize);
    }
    const httplib::MultipartFormData part = request.get_file_value("files[]");
    if (part.filename != "blob" || part.content_type != "application/octet-stream") {
        return rcodeReply(UploadSession::BadSize);
    }
    return rcodeReply(
        mixer.upload().append(number(request, "offset"), number(request, "size"), part.content));
}

std::string endUpload(SimMixer &mixer)
{
    std::lock_guard<std::mutex> lock(mixer.uploadMutex());
    DataSlot slot;
    std::string text;
    const int rcode = mixer.upload().end(slot, text);
    if (rcode == UploadSession::Ok) {
        mixer.data().setText(slot.target, slot.bank, std::move(text));
    }
    return rcodeReply(rcode);
}

void serveFile(SimMixer &mixer, const httplib::Request &request, httplib::Response &response)
{
    mixer.logRequest(request);
    if (!mixer.holdReply()) {
        return;
    }
    if (mixer.faults().garbage) {
        response.set_content(kGarbage, "application/octet-stream");
        return;
    }
    int target = -1, bank = -1;
    char tail = 0;
    const std::string name = request.matches[1];
    std::optional<std::string> text;
    if (std::sscanf(name.c_str(), "zephdata/%d-%d.jso%c", &target, &bank, &tail) == 3 &&
        tail == 'n') {
        text = mixer.data().text(target, bank);
    }
    if (!text) {
        response.status = 404;
        return;
    }
    response.set_content(*text, kJson);
}

} // namespace

void addCgiRoutes(httplib::Server &server, SimMixer &mixer)
{
    const auto ok = [](const httplib::Request &) { return rcodeReply(1); };
    server.Get(kCgi + "zephidentify.cgi", cgi(mixer, ok));
    server.Get(kCgi + "keepalive.cgi", cgi(mixer, ok));
    server.Get(kCgi + "gdeviceinfo.cgi", cgi(mixer, [&mixer](const httplib::Request &) {
                   return deviceInfo(mixer.profile());
               }));
    server.Get(kCgi + "filedownload.cgi", cgi(mixer, [&mixer](const httplib::Request &request) {
                   return fileDownload(mixer, request);
               }));
    server.Get(kCgi + "beginupload.cgi", cgi(mixer, [&mixer](const httplib::Request &request) {
                   return beginUpload(mixer, request);
               }));
    server.Post(kCgi + "fileupload.cgi", cgi(mixer, [&mixer](const httplib::Request &request) {
                    return fileUpload(mixer, request);
                }));
    server.Get(kCgi + "endupload.cgi",
               cgi(mixer, [&mixer](const httplib::Request &) { return endUpload(mixer); }));
    server.Get(R"(/file/(.+))",
               [&mixer](const httplib::Request &request, httplib::Response &response) {
                   serveFile(mixer, request, response);
               });
}

} // namespace velmora::sim
