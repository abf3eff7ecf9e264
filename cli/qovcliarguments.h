#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// What velmora-cli was asked to do, read from its arguments. Parsing never prompts and never
// exits: a bad command line comes back with `error` set, for the usage exit code.
struct QovCliArguments
{
    enum Command { None, Help, Version, List, Backup, Restore, Diff };

    Command command = None;
    QString error;

    int waitSeconds = 5;
    bool json = false;
    bool all = false;
    bool yes = false;
    // restore: a mixer that would not give every data set may be overwritten after a safety
    // copy of the rest.
    bool allowPartialCopy = false;
    QStringList addresses; // backup: the mixers to back up
    // list, backup, restore, diff: addresses or host names asked directly, for mixers that
    // discovery cannot see (multicast does not reach them).
    QStringList askAddresses;
    QString output;      // backup: the project file to write
    QString projectFile; // restore, diff: the project file to read
    // restore, diff: explicit pairs of a project device (numbered from 1) and a mixer address.
    QList<QPair<int, QString>> pairs;

    static QovCliArguments parse(const QStringList &arguments);
    static QString usage();

private:
    static QovCliArguments parseLine(const QStringList &arguments);
};
