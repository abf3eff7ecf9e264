#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <memory>
#include <mutex>

// One data set of the mixer data (a preset bank, an EQ library, the current state): one JSON
// object that the program meets in three forms. A mixer or a settings page hands over text, a
// project file is read into objects or as the text it holds, and the file is written from
// UTF-8 bytes.
// A value is made from one form and never changes; each other form is derived once, on first
// use, under the value's own lock, so that shared values may be read from any thread. Values
// are shared through QovMixerObject::Ptr; replacing a data set means storing another value.
class QovMixerObject
{
public:
    using Ptr = std::shared_ptr<const QovMixerObject>;

    static Ptr fromText(const QString &text);
    // Kept as compact bytes only, parsed again if the object is ever asked for: the data sets
    // of a project are mostly passed on as text or written back, and their parsed form takes
    // seven times the memory, which a large project then spends the most time on.
    static Ptr fromObject(const QJsonObject &object);
    // The JSON text of one object as a project file holds it, kept as it stands (no blank
    // before or after it, "{}" when empty): its text and its bytes are these bytes.
    static Ptr fromJsonText(const QByteArray &json);
    // "{}", the content of every data set of a new device.
    static Ptr emptyObject();

    // As handed in; for a value made from an object, its compact JSON text.
    QString text() const;
    // A text that is not a JSON object reads as an empty object.
    QJsonObject object() const;
    // UTF-8 JSON text with no blank before or after it: compact, unless the value was made
    // from a file's text.
    QByteArray jsonBytes() const;
    // Whether the object has a member named `key`; from the bytes where they are at hand.
    bool hasMember(const QString &key) const;

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
    // Made from an object: its text is its bytes, so two such values compare by their bytes.
    bool m_textIsBytes = false;
};
