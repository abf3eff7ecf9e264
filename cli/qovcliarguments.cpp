#include "cli/qovcliarguments.h"

#include "models/qovtextrules.h"

#include <QHostAddress>

namespace {

bool isIpv4(const QString &text)
{
    QHostAddress address;
    return address.setAddress(text) && address.protocol() == QAbstractSocket::IPv4Protocol &&
           address.toString() == text;
}

QovCliArguments failed(QovCliArguments args, const QString &error)
{
    args.error = error;
    return args;
}

} // namespace

QovCliArguments QovCliArguments::parse(const QStringList &arguments)
{
    QovCliArguments args;
    if (arguments.isEmpty()) {
        return failed(args, QStringLiteral("no command given"));
    }
    const QString command = arguments.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        args.command = Help;
        return args;
    }
    if (command == QLatin1String("--version")) {
        args.command = Version;
        return args;
    }
    if (command == QLatin1String("list")) {
        args.command = List;
    } else if (command == QLatin1String("backup")) {
        args.command = Backup;
    } else if (command == QLatin1String("restore")) {
        args.command = Restore;
    } else if (command == QLatin1String("diff")) {
        args.command = Diff;
    } else {
        return failed(args, QStringLiteral("unknown command \"%1\"").arg(command));
    }

    QStringList positional;
    int pendingDevice = 0; // a --device waiting for its --to
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        auto value = [&]() { return arguments.at(++i); };
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            args.command = Help;
            return args;
        } else if (arg == QLatin1String("--json")) {
            args.json = true;
        } else if (arg == QLatin1String("--yes") && args.command == Restore) {
            args.yes = true;
        } else if (arg == QLatin1String("--allow-partial-copy") && args.command == Restore) {
            args.allowPartialCopy = true;
        } else if (arg == QLatin1String("--all") && args.command == Backup) {
            args.all = true;
        } else if (arg == QLatin1String("--address")) {
            const QStringList given = hasValue ? value().split(QLatin1Char(',')) : QStringList();
            if (given.isEmpty()) {
                return failed(args, QStringLiteral("--address needs an address or host name"));
            }
            for (const QString &address : given) {
                if (!QovTextRules::isHostAddress(address.trimmed())) {
                    return failed(args,
                                  QStringLiteral("--address: \"%1\" is not an IPv4 address or "
                                                 "host name")
                                      .arg(address));
                }
                if (!args.askAddresses.contains(address.trimmed())) {
                    args.askAddresses.append(address.trimmed());
                }
            }
        } else if (arg == QLatin1String("--wait")) {
            bool ok = false;
            const int seconds = hasValue ? value().toInt(&ok) : 0;
            if (!ok || seconds < 1 || seconds > 600) {
                return failed(args, QStringLiteral("--wait needs a number of seconds, 1 to 600"));
            }
            args.waitSeconds = seconds;
        } else if ((arg == QLatin1String("-o") || arg == QLatin1String("--output")) &&
                   args.command == Backup) {
            if (!hasValue) {
                return failed(args, QStringLiteral("%1 needs a file name").arg(arg));
            }
            args.output = value();
        } else if (arg == QLatin1String("--device") &&
                   (args.command == Restore || args.command == Diff)) {
            bool ok = false;
            const int device = hasValue ? value().toInt(&ok) : 0;
            if (!ok || device < 1) {
                return failed(args, QStringLiteral("--device needs a device number from 1"));
            }
            if (pendingDevice) {
                return failed(args, QStringLiteral("--device %1 has no --to").arg(pendingDevice));
            }
            pendingDevice = device;
        } else if (arg == QLatin1String("--to") &&
                   (args.command == Restore || args.command == Diff)) {
            if (!pendingDevice) {
                return failed(args, QStringLiteral("--to must follow --device N"));
            }
            const QString address = hasValue ? value() : QString();
            if (!isIpv4(address)) {
                return failed(args, QStringLiteral("--to needs an IPv4 address"));
            }
            args.pairs.append({pendingDevice, address});
            pendingDevice = 0;
        } else if (arg.startsWith(QLatin1Char('-'))) {
            return failed(args, QStringLiteral("unknown option \"%1\" for %2").arg(arg, command));
        } else {
            positional.append(arg);
        }
    }
    if (pendingDevice) {
        return failed(args, QStringLiteral("--device %1 has no --to").arg(pendingDevice));
    }

    switch (args.command) {
    case List:
        if (!positional.isEmpty()) {
            return failed(args, QStringLiteral("list takes no addresses"));
        }
        break;
    case Backup:
        for (const QString &address : positional) {
            if (!isIpv4(address)) {
                return failed(args, QStringLiteral("\"%1\" is not an IPv4 address").arg(address));
            }
        }
        if (args.all == !positional.isEmpty()) {
            return failed(args, QStringLiteral("backup needs either --all or mixer addresses"));
        }
        if (args.output.isEmpty()) {
            return failed(args, QStringLiteral("backup needs -o FILE.vlmproj"));
        }
        args.addresses = positional;
        break;
    case Restore:
    case Diff:
        if (positional.size() != 1) {
            return failed(args, QStringLiteral("%1 needs exactly one project file").arg(command));
        }
        args.projectFile = positional.first();
        if (args.command == Restore && !args.yes) {
            return failed(args, QStringLiteral("restore overwrites mixers: confirm with --yes"));
        }
        break;
    default:
        break;
    }
    return args;
}

QString QovCliArguments::usage()
{
    return QStringLiteral(
        "Usage: velmora-cli COMMAND [OPTIONS]\n"
        "\n"
        "Backs up, restores and compares ZEPH-2208 and ZEPH-2208NET mixers on the local\n"
        "network without the desktop window. It never asks questions, so it can run from cron.\n"
        "\n"
        "Commands:\n"
        "  list [--address A]... [--wait S] [--json]\n"
        "      The mixers found: name, model, IP and MAC address, device id, link role, and\n"
        "      whether the program admits each one or why not.\n"
        "  backup (--all | ADDRESS...) -o FILE.vlmproj [--address A]... [--wait S]\n"
        "          [--json]\n"
        "      Downloads the settings of every admitted mixer (--all) or of the mixers at the\n"
        "      given IPv4 addresses into a new project file, one device per mixer, extension\n"
        "      units after their primary unit. Several mixers are read at a time. Data sets a\n"
        "      mixer refuses or holds empty are named, and listed in the file as \"unreadable\"\n"
        "      (\"{}\" stands in for each); the rest of that mixer is still backed up.\n"
        "  restore FILE.vlmproj [--device N --to ADDRESS]... --yes [--allow-partial-copy]\n"
        "      [--address A]...\n"
        "          [--wait S] [--json]\n"
        "      Uploads the project's settings into the mixers: device N (numbered from 1) into\n"
        "      the mixer at ADDRESS, or, without pairs, every device into the mixer with its MAC\n"
        "      address. Refuses without --yes and refuses a model mismatch. Before each upload\n"
        "      the mixer's current settings are saved as a safety copy under\n"
        "      DATA/backups/MAC/DATE-TIME.vlmproj (the last 20 per mixer are kept); when that\n"
        "      copy fails, nothing is uploaded to that mixer. A mixer with data sets that\n"
        "      cannot be read is left as it is, with the sets named, unless\n"
        "      --allow-partial-copy is given: then its copy holds the rest and lists the sets\n"
        "      it lacks, and the mixer is overwritten.\n"
        "  diff FILE.vlmproj [--device N --to ADDRESS]... [--address A]... [--wait S] [--json]\n"
        "      Compares the project with the mixers, per data set and bank: \"same\",\n"
        "      \"differs\" (with the preset names on both sides), \"only in file\" or\n"
        "      \"only on mixer\"; \"unreadable on mixer\" for a data set the mixer refuses\n"
        "      or holds empty.\n"
        "\n"
        "Options:\n"
        "  --address A  also ask the mixer at IPv4 address or host name A directly, for\n"
        "             mixers that discovery cannot see (another subnet, no multicast);\n"
        "             repeat it or give a comma list. restore and diff also ask the\n"
        "             addresses the project file remembers.\n"
        "  --wait S   how long to look for mixers on the network, in seconds (default 5)\n"
        "  --json     machine-readable results on standard output\n"
        "  --help     this text\n"
        "  --version  the version, and where the desktop program finds its settings pages\n"
        "\n"
        "Exit codes:\n"
        "  0  every mixer succeeded\n"
        "  1  some mixers failed; each is named with its reason\n"
        "  2  usage error\n"
        "  3  no mixer found\n"
        "\n"
        "A progress line goes to standard error when it is a terminal.\n");
}
