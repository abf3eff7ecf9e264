#include "models/qovtextrules.h"

#include <QStringList>

#include <algorithm>

namespace QovTextRules {

bool isReserved(QChar c)
{
    switch (c.unicode()) {
    case '"':
    case '\\':
    case '%':
    case '&':
    case '/':
    case '<':
    case '>':
        return true;
    default:
        return false;
    }
}

bool isPlainText(const QString &text)
{
    return std::none_of(text.begin(), text.end(), isReserved);
}

namespace {

bool isNameCharacter(QChar c)
{
    return c.unicode() >= 0x20 && c.unicode() <= 0x7e && !isReserved(c);
}

// The first `length` units of `text`, one fewer where that would split a surrogate pair.
QString head(const QString &text, int length)
{
    if (length > 0 && length < text.size() && text.at(length - 1).isHighSurrogate()) {
        --length;
    }
    return text.left(length);
}

} // namespace

bool isDeviceName(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), isNameCharacter);
}

bool isHostAddress(const QString &text)
{
    if (text.isEmpty() || text.size() > hostAddressLength) {
        return false;
    }
    // Dotted IPv4 text is a host name by these rules too; numbers past 255 are caught by the
    // resolver, which refuses them.
    const QStringList labels = text.split(QLatin1Char('.'));
    return std::all_of(labels.cbegin(), labels.cend(), [](const QString &label) {
        const auto isLabelChar = [](QChar c) {
            return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                   (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                   (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
        };
        return !label.isEmpty() && label.size() <= 63 && !label.startsWith(QLatin1Char('-')) &&
               !label.endsWith(QLatin1Char('-')) &&
               std::all_of(label.begin(), label.end(), isLabelChar);
    });
}

QString fitPlainText(const QString &text, int maxLength)
{
    QString fitted;
    for (const QChar c : text) {
        if (!isReserved(c)) {
            fitted.append(c);
        }
    }
    fitted = fitted.trimmed();
    if (fitted.size() <= maxLength) {
        return fitted;
    }
    return head(fitted, maxLength - 1).trimmed() + QChar(0x2026);
}

QString fitDeviceName(const QString &name, const QString &fallback)
{
    QString fitted;
    for (int i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        if (c.isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()) {
            ++i;
        }
        fitted.append(isNameCharacter(c) ? c : QLatin1Char('_'));
    }
    fitted = head(fitted.trimmed(), deviceNameLength).trimmed();
    // A name of placeholders alone tells the user nothing.
    const bool placeholders = std::all_of(fitted.begin(), fitted.end(), [](QChar c) {
        return c == QLatin1Char('_') || c == QLatin1Char(' ');
    });
    return placeholders ? fallback : fitted;
}

} // namespace QovTextRules
