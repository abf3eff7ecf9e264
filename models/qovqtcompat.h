#pragma once

#include <QByteArray>

class QTextStream;

// The few places where Qt 5.15 and Qt 6 cannot be written the same way. Everything else is
// one spelling for both; what differs is decided here, once, and callers stay one path.
namespace QovQtCompat {

// Qt 6 always scales by the screen and has deprecated the switches Qt 5 needs for it. Call
// before the application object exists.
void enableHighDpiScaling();

// The stream reads and writes UTF-8 (and detects a UTF-16 or UTF-32 byte-order mark).
void setUtf8(QTextStream &stream);

// True when BYTES begin with a UTF-16 or UTF-32 byte-order mark: text a UTF-8 stream decodes
// in that encoding instead.
bool hasWideByteOrderMark(const QByteArray &bytes);

} // namespace QovQtCompat
