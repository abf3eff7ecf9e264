#include "models/qovtimetext.h"

#include <QDateTime>

QString qovUtcTimeText(const QDateTime &time, QovTimeText style)
{
    // Not QDateTime::toString: under Qt 5 it formats through the system locale, whose first use
    // is not thread-safe. Restores of several mixers name their safety copies on workers at
    // the same moment, and such a name once came out empty: a hidden ".vlmproj" that no list
    // of copies showed and the next copy would have overwritten.
    const QDateTime utc = time.toUTC();
    const QDate date = utc.date();
    const QTime clock = utc.time();
    if (style == QovTimeText::Compact) {
        return QString::asprintf("%04d%02d%02dT%02d%02d%02d", date.year(), date.month(), date.day(),
                                 clock.hour(), clock.minute(), clock.second());
    }
    return QString::asprintf("%04d-%02d-%02dT%02d-%02d-%02d.%03dZ", date.year(), date.month(),
                             date.day(), clock.hour(), clock.minute(), clock.second(),
                             clock.msec());
}
