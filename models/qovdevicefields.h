#pragma once

#include <QJsonValue>
#include <QString>

// The rules a device's identity and mixer data must meet to be stored: the project reader
// applies them to a file, and the page bridge to what a settings page hands over, so that
// nothing a page stores can make the project unreadable.
namespace QovDeviceFields {

constexpr int minDeviceId = -1; // not set
constexpr int maxDeviceId = 255;
constexpr int minHeaderColor = 0;
constexpr int maxHeaderColor = 6;

// A JSON number holding an integer in [low, high]; 2.5 is not a colour.
bool integerIn(const QJsonValue &value, int low, int high, int *out);
// A JSON string, trimmed, of at most maxLength UTF-16 units (as the editors count them).
bool trimmedText(const QJsonValue &value, int maxLength, QString *out);

// Each reads one field and gives its stored form; false leaves `out` unspecified.
bool readName(const QJsonValue &value, QString *out);
bool readDeviceId(const QJsonValue &value, int *out);
bool readHeaderColor(const QJsonValue &value, int *out);
// Upper case with ':' separators; empty for a device never bound to hardware.
bool readMacAddress(const QJsonValue &value, QString *out);
// Six upper-case hexadecimal pairs separated by ':'.
bool isMacAddress(const QString &mac);

// One data set as a page or a mixer hands it over: one object in standard JSON, no member of
// which, at any depth, is named with U+0000 (no mixer takes such a name, and the project reader
// refuses it). Anything else would be stored as an empty object, and so lose the data set.
bool isDataSetText(const QString &text);
// Whether a member of `value`, at any depth, has a name that holds U+0000.
bool holdsNulName(const QJsonValue &value);

} // namespace QovDeviceFields
