#include "models/qovmixerobject.h"

#include "models/qovjsonscan.h"

#include <QJsonDocument>

QovMixerObject::Ptr QovMixerObject::fromText(const QString &text)
{
    auto value = std::shared_ptr<QovMixerObject>(new QovMixerObject);
    value->m_text = text;
    value->m_hasText = true;
    return value;
}

QovMixerObject::Ptr QovMixerObject::fromObject(const QJsonObject &object)
{
    auto value = std::shared_ptr<QovMixerObject>(new QovMixerObject);
    value->m_bytes = QJsonDocument(object).toJson(QJsonDocument::Compact);
    value->m_hasBytes = value->m_textIsBytes = true;
    return value;
}

QovMixerObject::Ptr QovMixerObject::fromJsonText(const QByteArray &json)
{
    auto value = std::shared_ptr<QovMixerObject>(new QovMixerObject);
    // A copy of its own: `json` is often a slice of a whole file's text.
    value->m_bytes = QByteArray(json.constData(), json.size());
    value->m_hasBytes = value->m_textIsBytes = true;
    return value;
}

QovMixerObject::Ptr QovMixerObject::emptyObject()
{
    // All three forms known up front: new devices share it and never parse or write it.
    static const Ptr empty = [] {
        auto value = std::shared_ptr<QovMixerObject>(new QovMixerObject);
        value->m_text = QStringLiteral("{}");
        value->m_bytes = QByteArrayLiteral("{}");
        value->m_hasText = value->m_hasObject = value->m_hasBytes = value->m_textIsBytes = true;
        return value;
    }();
    return empty;
}

QString QovMixerObject::text() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_hasText) {
        m_text = QString::fromUtf8(bytesLocked());
        m_hasText = true;
    }
    return m_text;
}

QJsonObject QovMixerObject::object() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return objectLocked();
}

QByteArray QovMixerObject::jsonBytes() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return bytesLocked();
}

bool QovMixerObject::hasMember(const QString &key) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_hasBytes && !m_hasObject) {
        const auto found = QovJsonScan::hasMember(m_bytes, key.toUtf8());
        if (found != QovJsonScan::Found::Unknown) {
            return found == QovJsonScan::Found::Yes;
        }
    }
    // Compared key by key: Qt 5's lookup mismatches keys that hold U+0000.
    const QJsonObject &object = objectLocked();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (it.key() == key) {
            return true;
        }
    }
    return false;
}

const QJsonObject &QovMixerObject::objectLocked() const
{
    if (!m_hasObject) {
        m_object = QJsonDocument::fromJson(m_hasBytes ? m_bytes : m_text.toUtf8()).object();
        m_hasObject = true;
    }
    return m_object;
}

const QByteArray &QovMixerObject::bytesLocked() const
{
    if (!m_hasBytes) {
        m_bytes = QJsonDocument(objectLocked()).toJson(QJsonDocument::Compact);
        m_hasBytes = true;
    }
    return m_bytes;
}

bool QovMixerObject::textDiffersFrom(const QovMixerObject &next) const
{
    if (this == &next) {
        return false;
    }
    {
        std::scoped_lock lock(m_lock, next.m_lock);
        if (m_textIsBytes && next.m_textIsBytes) {
            return m_bytes != next.m_bytes;
        }
        if (m_hasObject && next.m_hasObject && m_object != next.m_object) {
            return true;
        }
        if (m_hasText && next.m_hasText) {
            return m_text != next.m_text;
        }
    }
    return text() != next.text();
}
