#include "mixerfaults.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace velmora::sim {

namespace {

const QStringList kKnownKeys = {QStringLiteral("failDownload"), QStringLiteral("failUpload"),
                                QStringLiteral("rcode"),        QStringLiteral("delayMs"),
                                QStringLiteral("silent"),       QStringLiteral("refuse"),
                                QStringLiteral("body"),         QStringLiteral("garbage")};

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
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

} // namespace velmora::sim
