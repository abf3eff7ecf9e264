#pragma once

#include <QString>

class QDateTime;

enum class QovTimeText {
    Precise, // "2026-12-09T07-30-05.123Z": sorts by name, to the millisecond
    Compact, // "20261209T073005"
};

// A time in UTC, spelled for a file name: no character that some file systems refuse. Safe to
// call from any thread at any time, which QDateTime::toString is not under Qt 5.
QString qovUtcTimeText(const QDateTime &time, QovTimeText style);
