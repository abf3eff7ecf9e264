#pragma once

#include <QDir>
#include <QString>
#include <QtTest>

namespace velmora::test {

// Makes a folder refuse writes, also for root (who ignores permission bits): as root the
// folder is bind-mounted read-only in a mount namespace private to this process.
// Returns an empty string on success, otherwise why it could not be done.
QString makeFolderReadOnly(const QString &folder);

// Undoes makeFolderReadOnly so the temporary folder can be removed.
void makeFolderWritable(const QString &folder);

} // namespace velmora::test

// In a test function: creates `folder` and makes it refuse writes, or skips the test, saying
// why, where this machine cannot.
#define VELMORA_READ_ONLY_OR_SKIP(folder)                                                          \
    do {                                                                                           \
        QVERIFY(QDir().mkpath(folder));                                                            \
        const QString readOnlyProblem = velmora::test::makeFolderReadOnly(folder);                 \
        if (!readOnlyProblem.isEmpty()) {                                                          \
            QSKIP(qPrintable(readOnlyProblem));                                                    \
        }                                                                                          \
    } while (false)
