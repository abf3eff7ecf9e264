#include "models/qovparsedzephdata.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
const QString presetKey = QStringLiteral("preset_list");
const QString partialKey = QStringLiteral("partial_list");
const QString eq4Key = QStringLiteral("eq4_lib");
const QString eq12Key = QStringLiteral("eq12_lib");
const QString indexKey = QStringLiteral("index");

// The compact text of an object is never empty ("{}" at least), so a list can only fail by
// being empty or missing.
QVector<QJsonObject> objectsOf(const QJsonValue &list, bool stripIndex)
{
    const QJsonArray array = list.toArray();
    QVector<QJsonObject> objects;
    objects.reserve(array.size());
    for (const QJsonValue &value : array) {
        QJsonObject object = value.toObject();
        if (stripIndex) {
            object.remove(indexKey);
        }
        objects.append(object);
    }
    return objects;
}

QJsonObject parsedObject(const QString &text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}
} // namespace

QString QovParsedZephData::read(const QJsonObject &data, QovParsedZephData *out)
{
    QVector<QJsonObject> presets = objectsOf(data.value(presetKey), false);
    if (presets.isEmpty()) {
        return presetKey;
    }
    QVector<QJsonObject> partials = objectsOf(data.value(partialKey), true);
    if (partials.isEmpty()) {
        return partialKey;
    }
    out->preset = std::move(presets);
    out->partialPreset = std::move(partials);
    out->eq4Band = data.value(eq4Key).toObject();
    out->eq12Band = data.value(eq12Key).toObject();
    // Everything else is the current state. Copied member by member rather than removed by
    // key: Qt 5's key lookup mismatches keys that hold U+0000 and removed the wrong member.
    QJsonObject current;
    for (auto it = data.constBegin(); it != data.constEnd(); ++it) {
        const QString key = it.key();
        if (key != presetKey && key != partialKey && key != eq4Key && key != eq12Key) {
            current.insert(key, it.value());
        }
    }
    out->current = current;
    return QString();
}

QJsonObject QovParsedZephData::toDataObject() const
{
    QJsonObject data = current;
    QJsonArray presets;
    for (const QJsonObject &object : preset) {
        presets.append(object);
    }
    QJsonArray partials;
    for (int i = 0; i < partialPreset.size(); ++i) {
        QJsonObject object = partialPreset.at(i);
        object.insert(indexKey, i);
        partials.append(object);
    }
    data.insert(presetKey, presets);
    data.insert(partialKey, partials);
    data.insert(eq4Key, eq4Band);
    data.insert(eq12Key, eq12Band);
    return data;
}

QovParsedZephData QovParsedZephData::fromTexts(const QovZephData &texts)
{
    QovParsedZephData parsed;
    for (const QString &text : texts.preset) {
        parsed.preset.append(parsedObject(text));
    }
    for (const QString &text : texts.partialPreset) {
        parsed.partialPreset.append(parsedObject(text));
    }
    parsed.eq12Band = parsedObject(texts.eq12Band);
    parsed.eq4Band = parsedObject(texts.eq4Band);
    parsed.current = parsedObject(texts.current);
    return parsed;
}

QovZephData QovParsedZephData::toTexts() const
{
    QovZephData texts;
    texts.preset.clear();
    for (const QJsonObject &object : preset) {
        texts.preset.append(compactText(object));
    }
    texts.partialPreset.clear();
    for (const QJsonObject &object : partialPreset) {
        texts.partialPreset.append(compactText(object));
    }
    texts.eq12Band = compactText(eq12Band);
    texts.eq4Band = compactText(eq4Band);
    texts.current = compactText(current);
    return texts;
}

QString QovParsedZephData::compactText(const QJsonObject &object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}
