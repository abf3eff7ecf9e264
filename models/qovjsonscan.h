#pragma once

#include <QByteArray>
#include <QVector>

// Finds the structure of JSON text without building it: where values end and which members an
// object has. It is exact for JSON and never judges its input; what it finds in text that is
// not JSON is a guess, so callers let Qt's parser judge every part they cut out. Every part
// it hands out is a slice that points into the text scanned, which must outlive it.
class QovJsonScan
{
public:
    // An object's text with the elements of one array member cut out, so that they can be
    // parsed one at a time, and on several threads, instead of as one tree.
    struct Split
    {
        // The text with every element of the array replaced by "{}". The text is JSON exactly
        // when the skeleton and every element are.
        QByteArray skeleton;
        QVector<QByteArray> elements;
    };

    // Splits `text`, one JSON object, at its member `key` when that is an array of objects.
    // False for any other shape (not an object, the member missing, repeated or named with an
    // escape, not an array, holding anything but objects): the caller then parses it whole.
    static bool splitArrayMember(const QByteArray &text, const QByteArray &key, Split *out);

    struct Member
    {
        QByteArray name;
        // From the opening quote of the name to the end of the value.
        QByteArray text;
        QByteArray value;
    };

    // The members of `object`, the JSON text of one object, in their order. False when the
    // text is not an object or a member's name holds an escape, which makes its text differ
    // from the name it stands for.
    static bool members(const QByteArray &object, QVector<Member> *out);
    // The elements of `array`, the JSON text of one array, in their order.
    static QVector<QByteArray> elements(const QByteArray &array);
    // An object's text made of members' texts.
    static QByteArray objectOf(const QVector<QByteArray> &memberTexts);

    // Whether `text` is one JSON value as the standard has it, with nothing else around it but
    // blanks. Qt's parser takes more (".5", "1.", "\\x", control characters in strings), which a
    // settings page's JSON.parse and a mixer refuse.
    static bool isStrict(const QByteArray &text);

    enum class Found { No, Yes, Unknown };
    // Whether `object`, the JSON text of one object, has a member named `key`: Unknown when a
    // member's name holds an escape.
    static Found hasMember(const QByteArray &object, const QByteArray &key);
};
