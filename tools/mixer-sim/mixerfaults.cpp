#include "mixerfaults.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace velmora::sim {

namespace {

const QStringList kKnownKeys = {
    QStringLiteral("failDownload"), QStringLiteral("failUpload"), QStringLiteral("rcode"),
    QStringLiteral("delayMs"),      QStringLiteral("silent"),     QStringLiteral("refuse"),
    QStringLiteral("body"),         QStringLiteral("garbage"),    QStringLiteral("requests")};

struct KindName
{
    WireFault::Kind kind;
    const char *name;
};
const KindName kKinds[] = {
    {WireFault::ShortBody, "shortBody"},     {WireFault::Reset, "reset"},
    {WireFault::NoLength, "noLength"},       {WireFault::NoLengthReset, "noLengthReset"},
    {WireFault::NoLengthCut, "noLengthCut"}, {WireFault::ChunkedCut, "chunkedCut"},
    {WireFault::Trickle, "trickle"},         {WireFault::Stall, "stall"},
    {WireFault::Status, "status"},           {WireFault::Fail, "fail"},
    {WireFault::BareLf, "bareLf"},           {WireFault::Continue, "continue"},
    {WireFault::Endless, "endless"},
};

std::string requestFaultFromJson(const QJsonValue &value, RequestFault &fault)
{
    const QJsonObject object = value.toObject();
    const QString kind = object.value(QStringLiteral("fault")).toString();
    fault.endpoint = object.value(QStringLiteral("endpoint")).toString().toStdString();
    fault.nth = object.value(QStringLiteral("nth")).toInt(0);
    fault.wire.bytesPerSecond = object.value(QStringLiteral("bytesPerSecond")).toInt(0);
    fault.wire.status = object.value(QStringLiteral("status")).toInt(0);
    for (const KindName &known : kKinds) {
        if (kind == QLatin1String(known.name)) {
            fault.wire.kind = known.kind;
        }
    }
    if (!value.isObject() || fault.endpoint.empty() || fault.nth < 0) {
        return "a request fault needs an endpoint and an nth of 0 or more";
    }
    if (fault.wire.kind == WireFault::None) {
        return "unknown request fault \"" + kind.toStdString() + '"';
    }
    if (fault.wire.kind == WireFault::Trickle && fault.wire.bytesPerSecond <= 0) {
        return "trickle needs bytesPerSecond";
    }
    if (fault.wire.kind == WireFault::Status &&
        (fault.wire.status < 200 || fault.wire.status > 599)) {
        return "status needs a status from 200 to 599";
    }
    return {};
}

QJsonObject requestFaultToJson(const RequestFault &fault)
{
    QJsonObject object{{QStringLiteral("endpoint"), QString::fromStdString(fault.endpoint)},
                       {QStringLiteral("nth"), fault.nth}};
    for (const KindName &known : kKinds) {
        if (known.kind == fault.wire.kind) {
            object.insert(QStringLiteral("fault"), QLatin1String(known.name));
        }
    }
    if (fault.wire.kind == WireFault::Trickle) {
        object.insert(QStringLiteral("bytesPerSecond"), fault.wire.bytesPerSecond);
    }
    if (fault.wire.kind == WireFault::Status) {
        object.insert(QStringLiteral("status"), fault.wire.status);
    }
    return object;
}

std::optional<DataSlot> slotFromJson(const QJsonValue &value)
{
    if (!value.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    return DataSlot{object.value(QStringLiteral("target")).toInt(),
                    object.value(QStringLiteral("bank")).toInt()};
}

QJsonValue slotToJson(const std::optional<DataSlot> &slot)
{
    if (!slot) {
        return QJsonValue::Null;
    }
    return QJsonObject{{QStringLiteral("target"), slot->target},
                       {QStringLiteral("bank"), slot->bank}};
}

} // namespace

std::string faultsFromJson(const std::string &json, MixerFaults &faults)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    if (!document.isObject()) {
        return "faults must be a JSON object";
    }
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        // A misspelt fault that silently does nothing would make a test pass for the wrong
        // reason.
        if (!kKnownKeys.contains(it.key())) {
            return "unknown fault \"" + it.key().toStdString() + '"';
        }
    }
    MixerFaults read;
    read.failDownload = slotFromJson(object.value(QStringLiteral("failDownload")));
    read.failUpload = slotFromJson(object.value(QStringLiteral("failUpload")));
    read.rcode = object.value(QStringLiteral("rcode")).toInt();
    read.delayMs = object.value(QStringLiteral("delayMs")).toInt();
    read.silent = object.value(QStringLiteral("silent")).toBool();
    read.refuse = object.value(QStringLiteral("refuse")).toBool();
    const QJsonValue body = object.value(QStringLiteral("body"));
    if (body.isString()) {
        read.body = body.toString().toStdString();
    }
    read.garbage = object.value(QStringLiteral("garbage")).toBool();
    for (const QJsonValue &entry : object.value(QStringLiteral("requests")).toArray()) {
        RequestFault fault;
        const std::string error = requestFaultFromJson(entry, fault);
        if (!error.empty()) {
            return error;
        }
        read.requests.push_back(fault);
    }
    faults = read;
    return {};
}

std::string faultsToJson(const MixerFaults &faults)
{
    QJsonObject object{{QStringLiteral("failDownload"), slotToJson(faults.failDownload)},
                       {QStringLiteral("failUpload"), slotToJson(faults.failUpload)},
                       {QStringLiteral("rcode"), faults.rcode},
                       {QStringLiteral("delayMs"), faults.delayMs},
                       {QStringLiteral("silent"), faults.silent},
                       {QStringLiteral("refuse"), faults.refuse},
                       {QStringLiteral("garbage"), faults.garbage}};
    object.insert(QStringLiteral("body"), faults.body
                                              ? QJsonValue(QString::fromStdString(*faults.body))
                                              : QJsonValue(QJsonValue::Null));
    QJsonArray requests;
    for (const RequestFault &fault : faults.requests) {
        requests.append(requestFaultToJson(fault));
    }
    object.insert(QStringLiteral("requests"), requests);
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

std::string endpointOf(const std::string &path)
{
    if (path.compare(0, 6, "/file/") == 0) {
        return "file";
    }
    return path.substr(path.rfind('/') + 1);
}

} // namespace velmora::sim
