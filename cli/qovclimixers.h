#pragma once

#include "models/qovappdevicemodel.h"
#include "models/qovonlinedevicemodel.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The mixers on the network as the program sees them: discovery and admission run exactly as in
// the desktop window (the process-wide online device finder); this adds waiting for them from a
// program without windows, and the mixers discovery saw but the finder did not admit.
class QovCliMixers
{
public:
    struct Seen
    {
        // Empty when no description told them.
        QString name;
        QString model;
        QString ipAddress;
        QString reason; // why it was not admitted
        // False for another model; a mixer that could not tell its model counts as one of ours.
        bool supported = true;

        // How a failure names it: by name and address when it told its name.
        QString describe() const;
    };

    // Looks for mixers until every wanted address and MAC address is admitted (a MAC address
    // not before one search has had all its answers), or `seconds` have passed. With nothing
    // wanted, it looks for the whole time. The mixers at `askAddresses` (addresses or host names)
    // are asked directly as well, and the search does not end before each has answered or failed.
    void discover(int seconds, const QStringList &wantedAddresses = {},
                  const QStringList &wantedMacs = {}, const QStringList &askAddresses = {});
    // Why an address asked directly gave no mixer; empty for one that did.
    QString askProblem(const QString &address) const { return m_askProblems.value(address); }

    // Admitted mixers, extension units after their primary unit.
    QList<QovOnlineDeviceModel> admitted() const;
    QovOnlineDeviceModel byAddress(const QString &ipAddress) const;
    // The admitted mixers with this MAC address, of any model. More than one is a cloned
    // configuration or a fake: the command line never chooses between them.
    QList<QovOnlineDeviceModel> byMacAddress(const QString &macAddress) const;
    // "mixers at A, B all answer with MAC address M".
    static QString sameMacText(const QList<QovOnlineDeviceModel> &mixers);
    // Mixers discovery found that were not admitted, with the reason.
    QList<Seen> notAdmitted() const;
    // Why the mixer at `address` was seen, or asked, and not admitted; empty when nothing was
    // seen there.
    QString notAdmittedReason(const QString &address) const;

private:
    QHash<QString, QString> m_askProblems;
};
