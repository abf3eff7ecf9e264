#pragma once

#include <QStringList>

// Debug lines of every thread, kept from install() on, so that a test can wait for work that
// ends without a signal. The lines still go on to the handler installed before.
class LogCollector
{
public:
    static void install();
    // Forgets the lines kept so far.
    static void clear();
    // The lines kept so far, which are then forgotten.
    static QStringList take();
    // How many kept lines contain `text`.
    static int count(const QString &text);
    static bool contains(const QString &text) { return count(text) > 0; }
};
