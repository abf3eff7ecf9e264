#include "cli/qovclicommands.h"

#include "cli/qovclimixers.h"
#include "cli/qovclireport.h"
#include "cli/qovclitransfers.h"
#include "models/qovdatasettable.h"
#include "models/qovdeviceselector.h"
#include "models/qovlockpaths.h"
#include "models/qovprogramsettingsmodel.h"
#include "models/qovprojectdatamodel.h"
#include "models/qovprojectfiles.h"
#include "models/qovprojectsnapshot.h"
#include "models/qovrecovery.h"
#include "models/qovzephdatadiff.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QLockFile>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace QovCliCommands {

namespace {

using Transfers = QList<QPair<QovOnlineDeviceModel, QovAppDeviceModel>>;

// Every usage error ends here, so that with --json it is a document like any other result.
int usageError(QovCliReport &report, const QString &message)
{
    report.finish(UsageError, message);
    std::fputs("Try 'velmora-cli --help'.\n", stderr);
    return UsageError;
}

QString linkText(QovOnlineDeviceModelInternal::OvLink link)
{
    switch (link) {
    case QovOnlineDeviceModelInternal::PRIMARY:
        return QStringLiteral("primary");
    case QovOnlineDeviceModelInternal::EXTENSION:
        return QStringLiteral("extension");
    default:
        return QStringLiteral("none");
    }
}

QJsonObject mixerJson(const QovOnlineDeviceModel &mixer)
{
    return {{QStringLiteral("name"), mixer->deviceName()},
            {QStringLiteral("model"), mixer->modelName()},
            {QStringLiteral("ip"), mixer->ipAddress()},
            {QStringLiteral("mac"), mixer->macAddress()},
            {QStringLiteral("id"), mixer->deviceId()},
            {QStringLiteral("link"), linkText(mixer->ovLink())}};
}

// The pages are looked up exactly as the desktop program does, beside the executable, so an
// installation can be checked without a display.
int version()
{
    std::printf("velmora-cli %s\n", qPrintable(QCoreApplication::applicationVersion()));
    bool allFound = true;
    for (const QovDeviceSelector::DeviceType type : QovDeviceSelector::supportedTypes()) {
        const QString page = QovDeviceSelector::settingsPageUrl(type).toLocalFile();
        const bool found = QFileInfo(page).isFile();
        allFound = allFound && found;
        std::printf("settings page for %s: %s (%s)\n",
                    qPrintable(QovDeviceSelector::modelName(type)), qPrintable(page),
                    found ? "found" : "missing");
    }
    return allFound ? Success : SomeFailed;
}

int list(const QovCliArguments &args)
{
    QovCliReport report(args.json);
    QovCliMixers mixers;
    report.progress(QStringLiteral("looking for mixers for %1 s").arg(args.waitSeconds));
    mixers.discover(args.waitSeconds, {}, {}, args.askAddresses);
    const QList<QovOnlineDeviceModel> admitted = mixers.admitted();
    const QList<QovCliMixers::Seen> others = mixers.notAdmitted();
    report.line(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7")
                    .arg(QStringLiteral("NAME"), QStringLiteral("MODEL"), QStringLiteral("IP"),
                         QStringLiteral("MAC"), QStringLiteral("ID"), QStringLiteral("LINK"),
                         QStringLiteral("STATUS")));
    for (const QovOnlineDeviceModel &mixer : admitted) {
        QJsonObject json = mixerJson(mixer);
        json.insert(QStringLiteral("admitted"), true);
        if (!mixer->addedAddress().isEmpty()) {
            json.insert(QStringLiteral("address"), mixer->addedAddress());
        }
        report.record(json);
        report.line(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\tadmitted")
                        .arg(mixer->deviceName(), mixer->modelName(), mixer->ipAddress(),
                             mixer->macAddress(), QString::number(mixer->deviceId()),
                             linkText(mixer->ovLink())));
    }
    const auto orDash = [](const QString &text) {
        return text.isEmpty() ? QStringLiteral("-") : text;
    };
    for (const QovCliMixers::Seen &seen : others) {
        QJsonObject json{{QStringLiteral("ip"), seen.ipAddress},
                         {QStringLiteral("admitted"), false},
                         {QStringLiteral("reason"), seen.reason}};
        if (!seen.name.isEmpty() || !seen.model.isEmpty()) {
            json.insert(QStringLiteral("name"), seen.name);
            json.insert(QStringLiteral("model"), seen.model);
        }
        report.record(json);
        report.line(QStringLiteral("%1\t%2\t%3\t-\t-\t-\tnot admitted: %4")
                        .arg(orDash(seen.name), orDash(seen.model), seen.ipAddress, seen.reason));
    }
    for (const QString &address : args.askAddresses) {
        const QString problem = mixers.askProblem(address);
        if (!problem.isEmpty()) {
            report.record({{QStringLiteral("ip"), address},
                           {QStringLiteral("admitted"), false},
                           {QStringLiteral("reason"), problem}});
            report.line(
                QStringLiteral("-\t-\t%1\t-\t-\t-\tnot admitted: %2").arg(address, problem));
        }
    }
    // The table's header alone would not say that the search found nothing.
    return admitted.isEmpty() && others.isEmpty()
               ? report.finish(NothingFound, QStringLiteral("no mixer was found"))
               : report.finish(Success);
}

// Why a mixer counts as failed although the rest of its data was handled.
QString unreadableReason(const QVector<QovDataSlot> &sets, const char *consequence)
{
    return QStringLiteral("%1 data set(s) could not be read, so they were %2: %3")
        .arg(sets.size())
        .arg(QLatin1String(consequence), QovCliTransfers::setsText(sets));
}

int backup(const QovCliArguments &args)
{
    QovCliReport report(args.json);
    // Said before the network is searched, not after every mixer has been read.
    if (QFileInfo(args.output).isDir()) {
        return usageError(
            report, QStringLiteral("-o %1 is a folder; name the file to write").arg(args.output));
    }
    // Two backups into one file would both report success while the later one silently
    // replaced the other's mixers: the file is this run's until it is written.
    QLockFile outputLock(qovUserFileLockPath(args.output));
    outputLock.setStaleLockTime(0);
    if (!outputLock.tryLock(0) && outputLock.error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host;
        QString program;
        outputLock.getLockInfo(&pid, &host, &program);
        report.failure(QFileInfo(args.output).absoluteFilePath(),
                       QStringLiteral("the file is being written by another Velmora program "
                                      "(%1, process %2); nothing was written")
                           .arg(program.isEmpty() ? QStringLiteral("unnamed") : program)
                           .arg(pid));
        return report.finish(SomeFailed);
    }
    QovCliMixers mixers;
    report.progress(QStringLiteral("looking for mixers"));
    mixers.discover(args.waitSeconds, args.addresses, {}, args.askAddresses);
    QList<QovOnlineDeviceModel> targets;
    // A mixer that answered but could not be admitted is one this backup misses: a failure,
    // never a silent gap in a file that claims to hold them all.
    bool missedOne = false;
    if (args.all) {
        targets = mixers.admitted();
        for (const QovCliMixers::Seen &seen : mixers.notAdmitted()) {
            if (seen.supported) {
                report.failure(seen.describe(), QStringLiteral("not admitted: ") + seen.reason);
                missedOne = true;
            }
        }
    } else {
        const QList<QovOnlineDeviceModel> ordered = mixers.admitted();
        for (const QString &address : args.addresses) {
            if (!mixers.byAddress(address)) {
                const QString why = mixers.notAdmittedReason(address);
                missedOne = missedOne || !why.isEmpty();
                // Nothing answered there: it may be a mixer that discovery cannot see.
                report.failure(address, why.isEmpty()
                                            ? QStringLiteral("no admitted mixer at this address "
                                                             "(to reach a mixer that discovery "
                                                             "cannot see, add --address %1)")
                                                  .arg(address)
                                            : QStringLiteral("not admitted: ") + why);
            }
        }
        // The file lists the chosen mixers in link-group order, like the desktop program.
        for (const QovOnlineDeviceModel &mixer : ordered) {
            if (args.addresses.contains(mixer->ipAddress()) && !targets.contains(mixer)) {
                targets.append(mixer);
            }
        }
    }
    // Mixers that share a MAC address would be one device twice in the file, and their copies
    // could not be told apart when restored.
    QList<QovOnlineDeviceModel> twinned;
    for (const QovOnlineDeviceModel &mixer : targets) {
        const QList<QovOnlineDeviceModel> twins = mixers.byMacAddress(mixer->macAddress());
        if (std::count_if(twins.begin(), twins.end(),
                          [&](const auto &twin) { return targets.contains(twin); }) > 1) {
            report.failure(QovCliTransfers::describe(mixer),
                           QovCliMixers::sameMacText(twins) +
                               QStringLiteral("; back each up on its own, by its address"));
            twinned.append(mixer);
        }
    }
    for (const QovOnlineDeviceModel &mixer : twinned) {
        targets.removeOne(mixer);
    }
    if (targets.isEmpty()) {
        return !twinned.isEmpty() || missedOne
                   ? report.finish(SomeFailed)
                   : report.finish(NothingFound, QStringLiteral("no mixer to back up was found"));
    }

    const int limit = int(QovProgramSettingsModel().maxNumberOfProjectDevices());
    if (targets.size() > limit) {
        report.failure(args.output, QStringLiteral("%1 mixers to back up, but a project holds at "
                                                   "most %2; back them up in parts, by address")
                                        .arg(targets.size())
                                        .arg(limit));
        return report.finish(SomeFailed);
    }
    const QList<QovZephData> data = QovCliTransfers::download(targets, report);
    QList<QovAppDeviceModel> devices;
    QList<QVector<QovDataSlot>> unreadable;
    for (int i = 0; i < targets.size(); ++i) {
        QJsonObject json = mixerJson(targets.at(i));
        const QVector<QovDataSlot> &missing = data.at(i).unreadable;
        json.insert(QStringLiteral("ok"), data.at(i).error.isEmpty() && missing.isEmpty());
        if (data.at(i).error.isEmpty()) {
            // What could be read is kept; the file and the report name what could not.
            devices.append(QovProjectFiles::projectDevice(targets.at(i), data.at(i)));
            unreadable.append(missing);
            const QString mixer = QovCliTransfers::describe(targets.at(i));
            if (missing.isEmpty()) {
                report.line(QStringLiteral("backed up %1").arg(mixer));
            } else {
                json.insert(QStringLiteral("unreadable"),
                            QovProjectSnapshot::unreadableJson(missing));
                report.line(QStringLiteral("backed up %1 in part").arg(mixer));
                report.failure(mixer, unreadableReason(missing, "not backed up"));
            }
        } else {
            json.insert(QStringLiteral("reason"), data.at(i).error);
            report.failure(QovCliTransfers::describe(targets.at(i)), data.at(i).error);
        }
        report.record(json);
    }
    if (QovCliTransfers::interrupted()) {
        return report.finish(Interrupted, QStringLiteral("interrupted; %1 was not written")
                                              .arg(QFileInfo(args.output).absoluteFilePath()));
    }
    if (!devices.isEmpty()) {
        const QString title = QStringLiteral("Backup %1")
                                  .arg(QDateTime::currentDateTimeUtc().toString(
                                      QStringLiteral("yyyy-MM-dd HH:mm 'UTC'")));
        const QString error = QovProjectFiles::saveProject(args.output, title, devices, unreadable);
        if (!error.isEmpty()) {
            report.failure(args.output, error);
        } else {
            report.line(QStringLiteral("wrote %1 device(s) to %2")
                            .arg(devices.size())
                            .arg(QFileInfo(args.output).absoluteFilePath()));
        }
    }
    return report.finish(report.failures() ? SomeFailed : Success);
}

// The project devices of a file paired with the mixers they go to, for restore and diff.
struct Pairing
{
    std::unique_ptr<QovProjectDataModel> project;
    // The sets the file lacks ("{}" stands in for each), by device index.
    QList<QVector<QovDataSlot>> unreadable;
    Transfers pairs;
    int exitCode = Success; // a usage error or NothingFound stops the command

    QList<QovOnlineDeviceModel> mixers() const
    {
        QList<QovOnlineDeviceModel> result;
        for (const auto &pair : pairs) {
            result.append(pair.first);
        }
        return result;
    }
};

Pairing pairUp(const QovCliArguments &args, QovCliMixers &mixers, QovCliReport &report)
{
    Pairing result;
    const QString path = QFileInfo(args.projectFile).absoluteFilePath();
    // Edits that were never saved go to a mixer only through the program, which shows them
    // and asks first.
    if (QovRecovery::isWorkingCopy(path)) {
        result.exitCode = usageError(
            report,
            QStringLiteral("%1 is an autosave copy, not a project file; open its project in "
                           "Velmora to restore unsaved changes")
                .arg(path));
        return result;
    }
    // Read as the program reads project files (any text encoding), without writing an autosave
    // copy beside a file that the command only reads.
    QString problem;
    const QByteArray bytes = readProjectFile(path, &problem);
    if (bytes.isNull()) {
        result.exitCode =
            usageError(report, QStringLiteral("cannot open %1: %2").arg(path, problem));
        return result;
    }
    auto [model, error] = parseProjectBytes(bytes);
    result.project.reset(model);
    if (!model) {
        result.exitCode = usageError(
            report, error.isEmpty()
                        ? QStringLiteral("%1 is not a project file").arg(path)
                        : QStringLiteral("%1 has an invalid field: %2").arg(path, error));
        return result;
    }
    result.unreadable = readUnreadableSets(bytes);
    const QVector<QovAppDeviceModel> devices = model->appDevices();
    for (const auto &pair : args.pairs) {
        if (pair.first > devices.size()) {
            result.exitCode =
                usageError(report, QStringLiteral("--device %1: the project has %2 device(s)")
                                       .arg(pair.first)
                                       .arg(devices.size()));
            return result;
        }
    }

    QStringList addresses;
    QStringList macs;
    for (const auto &pair : args.pairs) {
        addresses.append(pair.second);
    }
    if (args.pairs.isEmpty()) {
        for (const QovAppDeviceModel &device : devices) {
            if (!device->macAddress().isEmpty()) {
                macs.append(device->macAddress());
            }
        }
    }
    // The addresses the project remembers reach mixers that discovery cannot see.
    QStringList ask = args.askAddresses;
    for (const QovAppDeviceModel &device : devices) {
        if (!device->addedAddress().isEmpty() && !ask.contains(device->addedAddress())) {
            ask.append(device->addedAddress());
        }
    }
    report.progress(QStringLiteral("looking for mixers"));
    mixers.discover(args.waitSeconds, addresses, macs, ask);

    // The mixer wanted may be one that answered but was not admitted, and only its reason
    // tells the user what to mend (a firmware update, a broken web server).
    QStringList notAdmitted;
    for (const QovCliMixers::Seen &seen : mixers.notAdmitted()) {
        if (seen.supported) {
            notAdmitted.append(seen.describe() + QStringLiteral(": ") + seen.reason);
        }
    }
    const QString missed = notAdmitted.isEmpty() ? QString()
                                                 : QStringLiteral("; not admitted: ") +
                                                       notAdmitted.join(QStringLiteral("; "));
    int found = 0;
    auto pairWith = [&](const QovAppDeviceModel &device, const QovOnlineDeviceModel &mixer,
                        const QString &where) {
        const QString what = QStringLiteral("device \"%1\"").arg(device->deviceName());
        found += mixer ? 1 : 0;
        if (!mixer) {
            report.failure(what, QStringLiteral("no admitted mixer %1%2").arg(where, missed));
        } else if (const auto other =
                       std::find_if(result.pairs.cbegin(), result.pairs.cend(),
                                    [&](const auto &pair) { return pair.first == mixer; });
                   other != result.pairs.cend()) {
            // Two devices written into one mixer would leave it holding a mix of both.
            report.failure(what, QStringLiteral("the mixer at %1 is paired with device \"%2\" "
                                                "already")
                                     .arg(mixer->ipAddress(), other->second->deviceName()));
        } else if (mixer->modelName() != device->modelName()) {
            report.failure(what,
                           QStringLiteral("model mismatch: the project device is a %1, "
                                          "the mixer at %2 a %3")
                               .arg(device->modelName(), mixer->ipAddress(), mixer->modelName()));
        } else {
            result.pairs.append({mixer, device});
        }
    };
    if (!args.pairs.isEmpty()) {
        for (const auto &pair : args.pairs) {
            pairWith(devices.at(pair.first - 1), mixers.byAddress(pair.second),
                     QStringLiteral("at %1").arg(pair.second));
        }
    } else {
        for (const QovAppDeviceModel &device : devices) {
            if (device->macAddress().isEmpty()) {
                report.failure(QStringLiteral("device \"%1\"").arg(device->deviceName()),
                               QStringLiteral("it was never bound to a mixer; name one with "
                                              "--device N --to ADDRESS"));
                continue;
            }
            // A mixer with the MAC address but of another model is a mismatch, not an absence.
            const QList<QovOnlineDeviceModel> claimants = mixers.byMacAddress(device->macAddress());
            if (claimants.size() > 1) {
                // Either could be the wrong one, and the wrong one would be overwritten.
                ++found;
                report.failure(QStringLiteral("device \"%1\"").arg(device->deviceName()),
                               QovCliMixers::sameMacText(claimants) +
                                   QStringLiteral("; name one with --device N --to ADDRESS"));
                continue;
            }
            pairWith(device, claimants.value(0),
                     QStringLiteral("with MAC address %1").arg(device->macAddress()));
        }
    }
    if (result.pairs.isEmpty()) {
        // A mixer that was found but refused (another model) is a failure, not an absence.
        result.exitCode =
            found == 0 ? report.finish(NothingFound,
                                       QStringLiteral("none of the project's mixers was found"))
                       : report.finish(SomeFailed);
    }
    return result;
}

QString safetyCopyProblem(const QovCgiApi::ConnectOutcome &outcome)
{
    switch (outcome.safetyCopyFailure) {
    case QovCgiApi::READ_FAILED:
        return QStringLiteral("its current data could not be read (%1)")
            .arg(outcome.safetyCopyDetail);
    case QovCgiApi::WRITE_FAILED:
        return outcome.safetyCopyDetail;
    case QovCgiApi::PARTIAL_READ:
        return QStringLiteral("%1 data set(s) could not be read: %2; --allow-partial-copy "
                              "keeps a copy without them and overwrites the mixer")
            .arg(outcome.unreadable.size())
            .arg(QovCliTransfers::setsText(outcome.unreadable));
    case QovCgiApi::NO_FAILURE:
        break;
    }
    return QString();
}

int restore(const QovCliArguments &args)
{
    QovCliReport report(args.json);
    QovCliMixers mixers;
    Pairing pairing = pairUp(args, mixers, report);
    if (pairing.exitCode != Success) {
        return pairing.exitCode;
    }
    // Named before the upload, which gives each mixer its project device's name.
    QStringList described;
    QList<QJsonObject> mixerRecords;
    for (const auto &pair : pairing.pairs) {
        described.append(QovCliTransfers::describe(pair.first));
        mixerRecords.append(mixerJson(pair.first));
    }
    // Each mixer is read and kept as a safety copy before anything is written into it.
    const QList<QovCgiApi::ConnectOutcome> outcomes =
        QovCliTransfers::restore(pairing.pairs, report, args.allowPartialCopy);
    for (int i = 0; i < pairing.pairs.size(); ++i) {
        const QovCgiApi::ConnectOutcome &outcome = outcomes.at(i);
        const QString device = pairing.pairs.at(i).second->deviceName();
        QJsonObject json{{QStringLiteral("mixer"), mixerRecords.at(i)},
                         {QStringLiteral("device"), device},
                         {QStringLiteral("ok"), outcome.connected}};
        if (!outcome.safetyCopy.isEmpty()) {
            json.insert(QStringLiteral("safetyCopy"), outcome.safetyCopy);
        }
        if (!outcome.unreadable.isEmpty()) {
            json.insert(QStringLiteral("unreadable"),
                        QovProjectSnapshot::unreadableJson(outcome.unreadable));
        }
        // A backup or safety copy with gaps gives those sets back empty.
        const QVector<QovDataSlot> lacking = pairing.unreadable.value(
            pairing.project->appDevices().indexOf(pairing.pairs.at(i).second));
        if (outcome.connected && !lacking.isEmpty()) {
            report.warning(described.at(i),
                           QStringLiteral("the file lacks %1 data set(s), so they were written "
                                          "empty (\"{}\"): %2")
                               .arg(lacking.size())
                               .arg(QovCliTransfers::setsText(lacking)));
        }
        if (outcome.connected && !outcome.unreadable.isEmpty()) {
            report.line(QStringLiteral("restored \"%1\" into %2 (partial safety copy: %3, "
                                       "without %4)")
                            .arg(device, described.at(i), outcome.safetyCopy,
                                 QovCliTransfers::setsText(outcome.unreadable)));
        } else if (outcome.connected) {
            report.line(QStringLiteral("restored \"%1\" into %2 (safety copy: %3)")
                            .arg(device, described.at(i), outcome.safetyCopy));
        } else if (!outcome.inUse.isEmpty()) {
            json.insert(QStringLiteral("reason"), outcome.inUse);
            json.insert(QStringLiteral("partlyWritten"), false);
            report.failure(described.at(i),
                           outcome.inUse + QStringLiteral("; nothing was written"));
        } else if (outcome.safetyCopyFailure != QovCgiApi::NO_FAILURE) {
            const QString problem = safetyCopyProblem(outcome);
            json.insert(QStringLiteral("reason"),
                        QString(QStringLiteral("safety copy failed: ") + problem));
            report.failure(
                described.at(i),
                QStringLiteral("no safety copy, so nothing was uploaded: %1").arg(problem));
        } else {
            QString reason = QStringLiteral("upload failed");
            if (!outcome.problem.isEmpty()) {
                reason += QStringLiteral(": ") + outcome.problem;
            }
            json.insert(QStringLiteral("reason"), reason);
            json.insert(QStringLiteral("partlyWritten"), outcome.partlyWritten);
            if (outcome.partlyWritten) {
                reason += QStringLiteral("; the mixer now holds part of the new data");
            } else if (!outcome.problem.isEmpty()) {
                reason += QStringLiteral("; the mixer was not written");
            }
            if (!outcome.safetyCopy.isEmpty()) {
                reason += QStringLiteral(" (safety copy: %1)").arg(outcome.safetyCopy);
            }
            report.failure(described.at(i), reason);
        }
        report.record(json);
    }
    if (QovCliTransfers::interrupted()) {
        return report.finish(Interrupted,
                             QStringLiteral("interrupted; each mixer above says what it holds"));
    }
    return report.finish(report.failures() ? SomeFailed : Success);
}

int diff(const QovCliArguments &args)
{
    QovCliReport report(args.json);
    QovCliMixers mixers;
    Pairing pairing = pairUp(args, mixers, report);
    if (pairing.exitCode != Success) {
        return pairing.exitCode;
    }
    const QList<QovOnlineDeviceModel> targets = pairing.mixers();
    const QList<QovZephData> onMixer = QovCliTransfers::download(targets, report);
    for (int i = 0; i < pairing.pairs.size(); ++i) {
        const QovAppDeviceModel &device = pairing.pairs.at(i).second;
        const QString mixerText = QovCliTransfers::describe(targets.at(i));
        if (!onMixer.at(i).error.isEmpty()) {
            report.failure(mixerText, onMixer.at(i).error);
            continue;
        }
        const QVector<QovDataSlot> &unreadable = onMixer.at(i).unreadable;
        if (!unreadable.isEmpty()) {
            report.failure(mixerText, unreadableReason(unreadable, "not compared"));
        }
        report.line(
            QStringLiteral("device \"%1\" against %2").arg(device->deviceName(), mixerText));
        QJsonArray entries;
        for (const QovZephDataDiffEntry &entry :
             qovDiffZephData(device->zephData(), onMixer.at(i))) {
            // The "{}" standing in for a set the mixer would not give is no content to compare.
            const bool compared = !unreadable.contains({entry.type, entry.bank});
            const QString state = compared ? QovZephDataDiffEntry::stateText(entry.state)
                                           : QStringLiteral("unreadable on mixer");
            entries.append(QJsonObject{{QStringLiteral("type"), entry.type},
                                       {QStringLiteral("bank"), entry.bank},
                                       {QStringLiteral("state"), state},
                                       {QStringLiteral("fileName"), entry.fileName},
                                       {QStringLiteral("mixerName"), entry.mixerName}});
            QString text =
                QStringLiteral("  %1: %2").arg(qovDataSetSlot(entry.type, entry.bank), state);
            if (compared && entry.state != QovZephDataDiffEntry::Same &&
                !(entry.fileName.isEmpty() && entry.mixerName.isEmpty())) {
                text += QStringLiteral(" (file: \"%1\", mixer: \"%2\")")
                            .arg(entry.fileName, entry.mixerName);
            }
            report.line(text);
        }
        report.record({{QStringLiteral("device"), device->deviceName()},
                       {QStringLiteral("mixer"), mixerJson(targets.at(i))},
                       {QStringLiteral("entries"), entries}});
    }
    if (QovCliTransfers::interrupted()) {
        return report.finish(Interrupted, QStringLiteral("interrupted"));
    }
    return report.finish(report.failures() ? SomeFailed : Success);
}

} // namespace

int run(const QovCliArguments &args)
{
    if (!args.error.isEmpty()) {
        QovCliReport report(args.json);
        return usageError(report, args.error);
    }
    switch (args.command) {
    case QovCliArguments::Help:
        std::fputs(qPrintable(QovCliArguments::usage()), stdout);
        return Success;
    case QovCliArguments::Version:
        return version();
    case QovCliArguments::List:
        return list(args);
    case QovCliArguments::Backup:
        return backup(args);
    case QovCliArguments::Restore:
        return restore(args);
    case QovCliArguments::Diff:
        return diff(args);
    case QovCliArguments::None:
        break;
    }
    QovCliReport report(args.json);
    return usageError(report, QStringLiteral("no command given"));
}

} // namespace QovCliCommands
