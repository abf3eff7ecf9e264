#include "cli/qovclireport.h"

#include <QJsonDocument>

#include <cstdio>
#include <unistd.h>

namespace {

void print(FILE *stream, const QString &text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

// Names come from mixers and project files and may hold any character. On a terminal an escape
// code in one could clear the screen or retitle the window, a carriage return overwrite what
// was printed: every control character but the tabs and line ends of the layout is replaced.
QString readable(QString text)
{
    for (QChar &c : text) {
        const char16_t code = c.unicode();
        if ((code < 0x20 && code != u'\t' && code != u'\n') || (code >= 0x7F && code < 0xA0)) {
            c = QChar::ReplacementCharacter;
        }
    }
    return text;
}

} // namespace

QovCliReport::QovCliReport(bool json)
    : m_json(json)
    , m_terminal(isatty(STDERR_FILENO) == 1)
{
}

void QovCliReport::line(const QString &text)
{
    if (m_json) {
        return;
    }
    progress(QString());
    print(stdout, readable(text) + QLatin1Char('\n'));
}

void QovCliReport::record(const QJsonObject &object)
{
    m_records.append(object);
}

void QovCliReport::failure(const QString &what, const QString &reason)
{
    ++m_failures;
    m_failureRecords.append(
        QJsonObject{{QStringLiteral("mixer"), what}, {QStringLiteral("reason"), reason}});
    progress(QString());
    print(stderr, readable(QStringLiteral("failed: %1: %2\n").arg(what, reason)));
}

void QovCliReport::warning(const QString &what, const QString &text)
{
    progress(QString());
    print(stderr, readable(QStringLiteral("warning: %1: %2\n").arg(what, text)));
}

void QovCliReport::progress(const QString &text)
{
    if (!m_terminal) {
        return;
    }
    // Clears the line first, so a shorter text leaves nothing of the longer one behind.
    print(stderr, QStringLiteral("\r\x1b[K") + readable(text));
    m_progressShown = !text.isEmpty();
}

int QovCliReport::finish(int exitCode, const QString &error)
{
    if (m_progressShown) {
        progress(QString());
    }
    if (!error.isEmpty()) {
        print(stderr, readable(QStringLiteral("velmora-cli: %1\n").arg(error)));
    }
    if (m_json) {
        QJsonObject document{{QStringLiteral("ok"), exitCode == 0},
                             {QStringLiteral("results"), m_records},
                             {QStringLiteral("failures"), m_failureRecords}};
        if (!error.isEmpty()) {
            document.insert(QStringLiteral("error"), error);
        }
        print(stdout, QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented)));
    }
    return exitCode;
}
