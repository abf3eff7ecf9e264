#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// What a command tells its user: text lines, or one JSON document with --json, on standard
// output; failures named on standard error as well; and a progress line on standard error while
// it is a terminal (never in a log or a pipe, where it would only be noise).
class QovCliReport
{
public:
    explicit QovCliReport(bool json);

    bool json() const { return m_json; }

    void line(const QString &text);
    // One record of the JSON result's "results" array; in text mode nothing is printed.
    void record(const QJsonObject &object);
    // Names a failed mixer with its reason; it counts towards exit code 1.
    void failure(const QString &what, const QString &reason);
    // Names on standard error what the user should know of a mixer that did not fail; it does
    // not count towards the exit code.
    void warning(const QString &what, const QString &text);
    void progress(const QString &text);

    int failures() const { return m_failures; }
    // Ends the progress line and prints the JSON document; returns `exitCode`. "ok" is true
    // exactly for exit code 0, so a script never reads success from a run that found nothing.
    // An `error` that is no single mixer's (a usage error, no mixer found) goes to standard
    // error as "velmora-cli: ..." and into the document as "error".
    int finish(int exitCode, const QString &error = QString());

private:
    bool m_json;
    bool m_terminal;
    bool m_progressShown = false;
    int m_failures = 0;
    QJsonArray m_records;
    QJsonArray m_failureRecords;
};
