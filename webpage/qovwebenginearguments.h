#pragma once

#include <QByteArray>
#include <QList>

#include <vector>

// The arguments for the application object: the program's own, then the flags the web engine
// reads once, when it starts. Make it before the application object, give that argc() and
// argv(), and keep it alive as long as the application object.
//
// The engine takes its flags from the application's arguments, or, when the variable
// QTWEBENGINE_CHROMIUM_FLAGS is set, from the variable alone, split at every blank. A flag with a
// blank in its value survives only as an argument, so the variable's flags are moved to the
// arguments too, and the variable is cleared. Qt 6's engine reads only the arguments after
// "--webEngineArgs" and silently drops the rest, so there the marker goes before the flags.
//
// The flags:
// - one renderer process per site: all settings pages are local files of one site, so they
//   share a single renderer; a page opens without starting a process and costs a few MB;
// - no host resolves, IP literals included: the pages never use the network, and WebSockets,
//   which no request interceptor sees, cannot open a connection;
// - WebRTC sends no UDP without a proxy (there is none).
class QovWebEngineArguments
{
public:
    QovWebEngineArguments(int argc, char **argv);

    int &argc() { return m_argc; }
    char **argv() { return m_pointers.data(); }

    // The flags added, for diagnostics and tests.
    static QList<QByteArray> engineFlags();

private:
    std::vector<QByteArray> m_arguments;
    std::vector<char *> m_pointers;
    int m_argc = 0;
};
