#pragma once

#include <functional>

// Runs the GUI thread's event loop until `done` holds; false after timeoutMs. Unlike
// QTest::qWaitFor, which sleeps 10 ms between rounds of events, it never blocks the thread, so
// a benchmark's own waiting does not count as the program's stall.
bool benchWaitUntil(const std::function<bool()> &done, int timeoutMs);
