#include "cgiroutes.h"

#include "requestframe.h"
#include "simmixer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <iostream>

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

// The query of a checked request: its numbers in the order the page expects them.
using Numbers = std::vector<long long>;

long long number(const Numbers &numbers, size_t at)
{
    return at < numbers.size() ? numbers[at] : -1;
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

using Produce = std::function<std::string(const HttpRequest &, const Numbers &)>;

HttpReply reply(std::string body, const char *type = kJson)
{
    HttpReply made;
    made.contentType = type;
    made.body = std::move(body);
    return made;
}

// Applies the reply faults, checks the query frame and otherwise answers what `produce` makes.
SimHttpServer::Handler cgi(SimMixer &mixer, std::vector<std::string> names, Produce produce)
{
    return [&mixer, names, produce](const HttpRequest &request) {
        if (!mixer.holdReply()) {
            HttpReply dropped;
            dropped.drop = true;
            return dropped;
        }
        const MixerFaults faults = mixer.faults();
        if (faults.garbage) {
            return reply(kGarbage, "application/octet-stream");
        }
        if (faults.body) {
            return reply(*faults.body);
        }
        if (faults.rcode != 0) {
            return reply(rcodeReply(faults.rcode));
        }
        Numbers numbers;
        const std::string problem = checkQuery(request.query, names, numbers);
        if (!problem.empty()) {
            // Loud, so that whoever reads a failing test's output sees the wrong frame.
            std::cerr << "mixer " << mixer.address() << ": bad request frame " << request.method
                      << ' ' << request.target << ": " << problem << std::endl;
            return reply(rcodeReply(kBadFrame));
        }
        return reply(produce(request, numbers));
    };
}

std::string fileDownload(SimMixer &mixer, const Numbers &query)
{
    const int target = static_cast<int>(number(query, 0));
    const int bank = static_cast<int>(number(query, 1));
    const std::optional<DataSlot> failing = mixer.faults().failDownload;
    if (!isValidSlot(target, bank) || (failing && *failing == DataSlot{target, bank})) {
        return rcodeReply(0);
    }
    return compact(
        {{QStringLiteral("rcode"), 1},
         {QStringLiteral("fileurl"), QStringLiteral("zephdata/%1-%2.json").arg(target).arg(bank)}});
}

std::string beginUpload(SimMixer &mixer, const Numbers &query)
{
    std::lock_guard<std::mutex> lock(mixer.uploadMutex());
    return rcodeReply(mixer.upload().begin(static_cast<int>(number(query, 0)),
                                           static_cast<int>(number(query, 1))));
}

std::string fileUpload(SimMixer &mixer, const HttpRequest &request, const Numbers &query)
{
    std::lock_guard<std::mutex> lock(mixer.uploadMutex());
    const std::optional<DataSlot> failing = mixer.faults().failUpload;
    if (failing && mixer.upload().slot() == failing) {
        return rcodeReply(0);
    }
    // Exactly one part, named and typed as the mixer's upload form sends it.
    std::vector<FormPart> parts;
    if (!parseForm(request.header("content-type"), request.body, parts) || parts.size() != 1 ||
        parts[0].name != "files[]" || parts[0].fileName != "blob" ||
        parts[0].contentType != "application/octet-stream") {
        return rcodeReply(UploadSession::BadSize);
    }
    return rcodeReply(mixer.upload().append(number(query, 0), number(query, 1), parts[0].data));
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

HttpReply serveFile(SimMixer &mixer, const HttpRequest &request)
{
    if (!mixer.holdReply()) {
        HttpReply dropped;
        dropped.drop = true;
        return dropped;
    }
    if (mixer.faults().garbage) {
        return reply(kGarbage, "application/octet-stream");
    }
    int target = -1, bank = -1;
    char tail = 0;
    const std::string name = request.path.substr(6);
    std::optional<std::string> text;
    if (std::sscanf(name.c_str(), "zephdata/%d-%d.jso%c", &target, &bank, &tail) == 3 &&
        tail == 'n') {
        text = mixer.data().text(target, bank);
    }
    if (!text) {
        HttpReply missing = reply("not found", "text/plain");
        missing.status = 404;
        return missing;
    }
    return reply(*text);
}

} // namespace

void addCgiRoutes(SimHttpServer &server, SimMixer &mixer)
{
    server.setAdmission([&mixer](const HttpRequest &request) { return mixer.admit(request); });
    const auto ok = [](const HttpRequest &, const Numbers &) { return rcodeReply(1); };
    server.get(kCgi + "zephidentify.cgi", cgi(mixer, {}, ok));
    server.get(kCgi + "keepalive.cgi", cgi(mixer, {}, ok));
    server.get(kCgi + "gdeviceinfo.cgi",
               cgi(mixer, {}, [&mixer](const HttpRequest &, const Numbers &) {
                   return deviceInfo(mixer.profile());
               }));
    server.get(kCgi + "filedownload.cgi",
               cgi(mixer, {"target", "bank"}, [&mixer](const HttpRequest &, const Numbers &query) {
                   return fileDownload(mixer, query);
               }));
    server.get(kCgi + "beginupload.cgi",
               cgi(mixer, {"target", "bank"}, [&mixer](const HttpRequest &, const Numbers &query) {
                   return beginUpload(mixer, query);
               }));
    server.post(
        kCgi + "fileupload.cgi",
        cgi(mixer, {"offset", "size"}, [&mixer](const HttpRequest &request, const Numbers &query) {
            return fileUpload(mixer, request, query);
        }));
    server.get(kCgi + "endupload.cgi",
               cgi(mixer, {},
                   [&mixer](const HttpRequest &, const Numbers &) { return endUpload(mixer); }));
    server.getPrefix("/file/",
                     [&mixer](const HttpRequest &request) { return serveFile(mixer, request); });
}

} // namespace velmora::sim
