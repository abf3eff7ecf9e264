#pragma once

#include <QObject>

// The program's view of the mixers on the network. One object per process.
// Stand-in until discovery lands: it starts nothing and lists nothing.
class QovOnlineDeviceFinder : public QObject
{
    Q_OBJECT

public:
    static QovOnlineDeviceFinder *instance();

    void start();
    void refresh();

private:
    QovOnlineDeviceFinder();

    bool m_started = false;
};
