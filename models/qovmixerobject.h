#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <memory>
#include <mutex>

// One data set of the mixer data (a preset bank, an EQ library, the current state): one JSON
// object that the program meets in three forms. A mixer or a settings page hands over text, a
// project file holds the parsed object, and the file is written from compact UTF-8 bytes.
// A value is made from one form and never changes; each other form is derived once, on first
// use, under the value's own lock, so that shared values may be read from any thread. Values
// are shared through QovMixerObject::Ptr; replacing a data set means storing another value.
class QovMixerObject
{
public:
    using Ptr = std::shared_ptr<const QovMixerObject>;

    static Ptr fromText(const QString &text);
    static Ptr fromObject(const QJsonObject &object);
    // "{}", the content of every data set of a new device.
    static Ptr emptyObject();

    // As handed in; for a value made from an object, its compact JSON text.
    QString text() const;
    // A text that is not a JSON object reads as an empty object.
    QJsonObject object() const;
    QByteArray compactBytes() const;

    // Whether storing `next` in place of this value changes the text. Objects that differ
    // decide without making text; equal objects may still differ in the form of their text.
    bool textDiffersFrom(const QovMixerObject &next) const;

private:
    QovMixerObject() = default;
    const QJsonObject &objectLocked() const;
    const QByteArray &bytesLocked() const;

    mutable std::mutex m_lock;
    mutable QString m_text;
    mutable QJsonObject m_object;
    mutable QByteArray m_bytes;
    mutable bool m_hasText = false;
    mutable bool m_hasObject = false;
    mutable bool m_hasBytes = false;
};
