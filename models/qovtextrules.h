#pragma once

#include <QString>

// What a stored text may hold: the rules the project reader enforces, and so the rules every
// writer of a project file (the window, the bridge, backups and safety copies) must meet, or
// the file it writes cannot be opened again.
namespace QovTextRules {

// Lengths in UTF-16 units, as the editors' maxLength counts them.
constexpr int titleLength = 30;
constexpr int authorLength = 20;
constexpr int dealerLength = 30;
constexpr int commentLength = 200;
constexpr int deviceNameLength = 30;
constexpr int hostAddressLength = 253;

// Double quote, backslash, percent, ampersand, slash, less-than and greater-than.
bool isReserved(QChar c);
// Title, author, dealer and comment: anything but the reserved characters.
bool isPlainText(const QString &text);
// One or more printable ASCII characters, none reserved.
bool isDeviceName(const QString &text);
// Where a mixer is asked by its address: a dotted IPv4 address or a host name (labels of
// letters, digits and '-', 1 to 63 characters each, none starting or ending with '-', joined by
// '.'), at most hostAddressLength characters.
bool isHostAddress(const QString &text);

// `text` made to fit a plain-text field of `maxLength`: reserved characters dropped, trimmed,
// and cut with "…" where it is too long, never inside a surrogate pair.
QString fitPlainText(const QString &text, int maxLength);
// `name` made to fit a device name: what a mixer calls itself need not be a valid project name
// (accents, symbols, more than 30 characters). Characters a name cannot hold become '_', and it
// is trimmed and cut to its length; `fallback` stands in when nothing is left.
QString fitDeviceName(const QString &name, const QString &fallback);

} // namespace QovTextRules
