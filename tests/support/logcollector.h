#pragma once

#include <QString>

// Debug lines of every thread, kept from install() on, so that a test can wait for work that
// ends without a signal. The lines still go on to the handler installed before.
class LogCollector
{
public:
    static void install();
    // How many kept lines contain `text`.
    static int count(const QString &text);
    static bool contains(const QString &text);
};
