#include "simconfig.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <set>

namespace velmora::sim {

namespace {

std::string text(const QJsonObject &object, const char *key, const std::string &fallback)
{
    const QJsonValue value = object.value(QLatin1String(key));
    return value.isString() ? value.toString().toStdString() : fallback;
}

std::string readLink(const QJsonObject &object, MixerProfile &profile)
{
    const std::string link = text(object, "link", "none");
    if (link == "none") {
        profile.linkRole = LinkRole::None;
    } else if (link == "primary") {
        profile.linkRole = LinkRole::Primary;
    } else if (link == "extension") {
        profile.linkRole = LinkRole::Extension;
    } else {
        return "link must be none, primary or extension";
    }
    for (const QJsonValue &unit : object.value(QStringLiteral("linkedUnits")).toArray()) {
        profile.linkedUnits.push_back({unit.toObject().value(QStringLiteral("serial")).toInt(),
                                       unit.toObject().value(QStringLiteral("unitno")).toInt()});
    }
    profile.ovlinkMode = object.value(QStringLiteral("ovlinkMode"))
                             .toInt(profile.linkRole == LinkRole::Extension ? 0 : 1);
    return {};
}

} // namespace

bool isLoopbackAddress(const std::string &address)
{
    unsigned a, b, c, d;
    char extra;
    // Mixers live on the loopback network only.
    return std::sscanf(address.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &extra) == 4 && a == 127 &&
           b <= 255 && c <= 255 && d <= 255;
}

namespace {

std::string readMixer(const QJsonObject &object, MixerEntry &entry)
{
    MixerProfile &profile = entry.profile;
    profile.address = text(object, "address", "");
    if (!isLoopbackAddress(profile.address)) {
        return "address must be an IPv4 address in 127.0.0.0/8";
    }
    profile.model = text(object, "model", "ZEPH-2208");
    profile.name = text(object, "name", "");
    profile.mac = text(object, "mac", "");
    profile.deviceId = object.value(QStringLiteral("deviceId")).toInt(0);
    profile.headerColor = object.value(QStringLiteral("headerColor")).toInt(0);
    profile.serial = object.value(QStringLiteral("serial")).toInt(0);
    profile.udn = text(object, "udn", "");
    profile.passwordSet = object.value(QStringLiteral("password")).toBool(false);
    profile.httpPort = object.value(QStringLiteral("httpPort")).toInt(80);
    profile.ssdp = object.value(QStringLiteral("ssdp")).toBool(true);
    entry.startOn = object.value(QStringLiteral("running")).toBool(true);
    const std::string linkError = readLink(object, profile);
    if (!linkError.empty()) {
        return linkError;
    }
    profile.completeDefaults();
    const QJsonValue faults = object.value(QStringLiteral("faults"));
    if (faults.isObject()) {
        return faultsFromJson(QJsonDocument(faults.toObject()).toJson().toStdString(),
                              entry.faults);
    }
    return {};
}

} // namespace

std::string readConfig(const std::string &json, SimConfig &config)
{
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json));
    if (!document.isObject()) {
        return "the configuration must be a JSON object";
    }
    const QJsonObject root = document.object();
    SimConfig read;
    const QJsonObject control = root.value(QStringLiteral("control")).toObject();
    read.controlAddress = text(control, "address", read.controlAddress);
    read.controlPort = control.value(QStringLiteral("port")).toInt(read.controlPort);
    std::set<std::string> addresses;
    const QJsonArray mixers = root.value(QStringLiteral("mixers")).toArray();
    for (int i = 0; i < mixers.size(); ++i) {
        MixerEntry entry;
        const std::string error = readMixer(mixers.at(i).toObject(), entry);
        const std::string where = "mixers[" + std::to_string(i) + "]: ";
        if (!error.empty()) {
            return where + error;
        }
        if (!addresses.insert(entry.profile.address).second) {
            return where + "address " + entry.profile.address + " is used twice";
        }
        read.mixers.push_back(std::move(entry));
    }
    // "generate": N adds N more mixers on addresses not yet taken, for runs at scale.
    const int generate = root.value(QStringLiteral("generate")).toInt(0);
    for (int n = 0, made = 0; made < generate; ++n) {
        MixerEntry entry;
        entry.profile = generatedProfile(n);
        if (addresses.insert(entry.profile.address).second) {
            read.mixers.push_back(std::move(entry));
            ++made;
        }
    }
    config = std::move(read);
    return {};
}

} // namespace velmora::sim
