#include "models/qovzephdatasets.h"
#include "models/qovdevicefields.h"
#include "models/qovjsonscan.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
const QString presetKey = QStringLiteral("preset_list");
const QString partialKey = QStringLiteral("partial_list");
const QString eq4Key = QStringLiteral("eq4_lib");
const QString eq12Key = QStringLiteral("eq12_lib");
const QString indexKey = QStringLiteral("index");

QVector<QovMixerObject::Ptr> repeatedEmpty(int count)
{
    return QVector<QovMixerObject::Ptr>(count, QovMixerObject::emptyObject());
}

QVector<QovMixerObject::Ptr> objectsOf(const QJsonValue &list, bool stripIndex)
{
    const QJsonArray array = list.toArray();
    QVector<QovMixerObject::Ptr> objects;
    objects.reserve(array.size());
    for (const QJsonValue &value : array) {
        QJsonObject object = value.toObject();
        if (stripIndex) {
            object.remove(indexKey);
        }
        objects.append(QovMixerObject::fromObject(object));
    }
    return objects;
}

bool isReservedKey(const QString &key)
{
    return key == presetKey || key == partialKey || key == eq4Key || key == eq12Key;
}

QovMixerObject::Ptr setFromText(const QByteArray &text, const QJsonValue &value)
{
    return value.isObject() ? QovMixerObject::fromJsonText(text) : QovMixerObject::emptyObject();
}

// A partial preset without its "index", from its text where its members can be told apart.
QovMixerObject::Ptr partialFromText(const QByteArray &text, const QJsonValue &value)
{
    QJsonObject object = value.toObject();
    QVector<QovJsonScan::Member> members;
    if (!value.isObject() || !QovJsonScan::members(text, &members) ||
        members.size() != object.size()) {
        object.remove(indexKey);
        return QovMixerObject::fromObject(object);
    }
    QVector<QByteArray> kept;
    kept.reserve(members.size());
    for (const QovJsonScan::Member &member : members) {
        if (member.name != "index") {
            kept.append(member.text);
        }
    }
    return QovMixerObject::fromJsonText(QovJsonScan::objectOf(kept));
}

QVector<QovMixerObject::Ptr> setsFromText(const QByteArray &text, const QJsonValue &list,
                                          bool partials)
{
    const QJsonArray array = list.toArray();
    const QVector<QByteArray> elements = QovJsonScan::elements(text);
    if (elements.size() != array.size()) {
        return objectsOf(list, partials);
    }
    QVector<QovMixerObject::Ptr> sets;
    sets.reserve(array.size());
    for (int i = 0; i < array.size(); ++i) {
        sets.append(partials ? partialFromText(elements.at(i), array.at(i))
                             : setFromText(elements.at(i), array.at(i)));
    }
    return sets;
}

// The data sets cut out of the "data" object's own text, so that a large project is read
// without writing its data anew: only where the text's members are the object's members,
// none named with an escape and none repeated (the parsed object keeps one of a repeated
// member, and so has fewer). Partial presets that fall short of this are made from objects.
bool readFromText(const QJsonObject &data, const QByteArray &text, QovZephDataSets *out)
{
    QVector<QovJsonScan::Member> members;
    if (text.isEmpty() || !QovJsonScan::members(text, &members) || members.size() != data.size()) {
        return false;
    }
    QVector<QByteArray> current;
    current.reserve(members.size());
    out->eq4Band = out->eq12Band = QovMixerObject::emptyObject();
    for (const QovJsonScan::Member &member : members) {
        if (member.name == "preset_list") {
            out->preset = setsFromText(member.value, data.value(presetKey), false);
        } else if (member.name == "partial_list") {
            out->partialPreset = setsFromText(member.value, data.value(partialKey), true);
        } else if (member.name == "eq4_lib") {
            out->eq4Band = setFromText(member.value, data.value(eq4Key));
        } else if (member.name == "eq12_lib") {
            out->eq12Band = setFromText(member.value, data.value(eq12Key));
        } else {
            current.append(member.text);
        }
    }
    out->current = QovMixerObject::fromJsonText(QovJsonScan::objectOf(current));
    return true;
}

// The first set that names a member with U+0000, at any depth, as a bad set is named ("*" for
// the current state); empty when none does. No mixer or page takes such a name, so the reader
// refuses it as it refuses any other set it cannot hand on. `text`, when not empty, is the
// standard JSON `data` was parsed from: it names U+0000 only by its escape.
QString setWithNulName(const QJsonObject &data, const QByteArray &text)
{
    if (!text.isEmpty() && !text.contains("\\u0000")) {
        return QString();
    }
    for (const QString *key : {&presetKey, &partialKey}) {
        const QJsonArray sets = data.value(*key).toArray();
        for (int i = 0; i < sets.size(); ++i) {
            if (QovDeviceFields::holdsNulName(sets.at(i))) {
                return QStringLiteral("%1[%2]").arg(*key).arg(i);
            }
        }
    }
    for (const QString *key : {&eq4Key, &eq12Key}) {
        if (QovDeviceFields::holdsNulName(data.value(*key))) {
            return *key;
        }
    }
    for (auto it = data.constBegin(); it != data.constEnd(); ++it) {
        if (!isReservedKey(it.key()) &&
            (it.key().contains(QChar(0)) || QovDeviceFields::holdsNulName(it.value()))) {
            return QStringLiteral("*");
        }
    }
    return QString();
}

// Splicing bytes is only right when no member would be replaced: the current state holding
// one of the list keys, or a partial preset holding its own "index", take the object path.
// Asked of the bytes, so that saving a project read from a file does not parse its data again.
bool splicable(const QovZephDataSets &sets)
{
    for (const QString *key : {&presetKey, &partialKey, &eq4Key, &eq12Key}) {
        if (sets.current->hasMember(*key)) {
            return false;
        }
    }
    for (const QovMixerObject::Ptr &partial : sets.partialPreset) {
        if (partial->hasMember(indexKey)) {
            return false;
        }
    }
    return true;
}

// `object` is "{...}"; appends its members without the braces, after a comma when needed.
void appendMembers(QByteArray &out, const QByteArray &object)
{
    if (object.size() > 2) {
        if (!out.endsWith('{')) {
            out += ',';
        }
        out.append(object.constData() + 1, object.size() - 2);
    }
}
} // namespace

QovZephDataSets::QovZephDataSets()
    : preset(repeatedEmpty(QovZephData::presetBankCount))
    , eq12Band(QovMixerObject::emptyObject())
    , eq4Band(QovMixerObject::emptyObject())
    , partialPreset(repeatedEmpty(QovZephData::partialPresetBankCount))
    , current(QovMixerObject::emptyObject())
{
}

QString QovZephDataSets::read(const QJsonObject &data, QovZephDataSets *out)
{
    return read(data, QByteArray(), out);
}

QString QovZephDataSets::read(const QJsonObject &data, const QByteArray &text, QovZephDataSets *out)
{
    if (data.value(presetKey).toArray().isEmpty()) {
        return presetKey;
    }
    if (data.value(partialKey).toArray().isEmpty()) {
        return partialKey;
    }
    const QString nulName = setWithNulName(data, text);
    if (!nulName.isEmpty()) {
        return nulName;
    }
    if (readFromText(data, text, out)) {
        return QString();
    }
    out->preset = objectsOf(data.value(presetKey), false);
    out->partialPreset = objectsOf(data.value(partialKey), true);
    out->eq4Band = QovMixerObject::fromObject(data.value(eq4Key).toObject());
    out->eq12Band = QovMixerObject::fromObject(data.value(eq12Key).toObject());
    // Everything else is the current state. Copied member by member rather than removed by
    // key: Qt 5's key lookup mismatches keys that hold U+0000 and removed the wrong member.
    QJsonObject current;
    for (auto it = data.constBegin(); it != data.constEnd(); ++it) {
        if (!isReservedKey(it.key())) {
            current.insert(it.key(), it.value());
        }
    }
    out->current = QovMixerObject::fromObject(current);
    return QString();
}

QJsonObject QovZephDataSets::toDataObject() const
{
    QJsonObject data = current->object();
    QJsonArray presets;
    for (const Ptr &set : preset) {
        presets.append(set->object());
    }
    QJsonArray partials;
    for (int i = 0; i < partialPreset.size(); ++i) {
        QJsonObject object = partialPreset.at(i)->object();
        object.insert(indexKey, i);
        partials.append(object);
    }
    data.insert(presetKey, presets);
    data.insert(partialKey, partials);
    data.insert(eq4Key, eq4Band->object());
    data.insert(eq12Key, eq12Band->object());
    return data;
}

QByteArray QovZephDataSets::toDataBytes() const
{
    if (!splicable(*this)) {
        return QJsonDocument(toDataObject()).toJson(QJsonDocument::Compact);
    }
    QByteArray out;
    out.reserve(dataBytesSizeHint());
    out += '{';
    appendMembers(out, current->jsonBytes());
    out += out.size() > 1 ? ",\"eq12_lib\":" : "\"eq12_lib\":";
    out += eq12Band->jsonBytes();
    out += ",\"eq4_lib\":";
    out += eq4Band->jsonBytes();
    out += ",\"partial_list\":[";
    for (int i = 0; i < partialPreset.size(); ++i) {
        out += i ? ",{\"index\":" : "{\"index\":";
        out += QByteArray::number(i);
        appendMembers(out, partialPreset.at(i)->jsonBytes());
        out += '}';
    }
    out += "],\"preset_list\":[";
    for (int i = 0; i < preset.size(); ++i) {
        if (i) {
            out += ',';
        }
        out += preset.at(i)->jsonBytes();
    }
    out += "]}";
    return out;
}

int QovZephDataSets::dataBytesSizeHint() const
{
    int size = 128 + eq12Band->jsonBytes().size() + eq4Band->jsonBytes().size() +
               current->jsonBytes().size();
    for (const Ptr &set : preset) {
        size += set->jsonBytes().size() + 1;
    }
    for (const Ptr &set : partialPreset) {
        size += set->jsonBytes().size() + 16;
    }
    return size;
}

QVector<QovZephDataSets::Ptr> QovZephDataSets::fromTexts(const QStringList &texts)
{
    QVector<Ptr> sets;
    sets.reserve(texts.size());
    for (const QString &text : texts) {
        sets.append(QovMixerObject::fromText(text));
    }
    return sets;
}

QStringList QovZephDataSets::textsOf(const QVector<Ptr> &sets)
{
    QStringList texts;
    texts.reserve(sets.size());
    for (const Ptr &set : sets) {
        texts.append(set->text());
    }
    return texts;
}

QovZephData QovZephDataSets::texts() const
{
    QovZephData data;
    data.preset = textsOf(preset);
    data.eq12Band = eq12Band->text();
    data.eq4Band = eq4Band->text();
    data.partialPreset = textsOf(partialPreset);
    data.current = current->text();
    return data;
}
