#include "cli/qovcliarguments.h"

#include "models/qovtextrules.h"

#include <QHostAddress>

#include <algorithm>
#include <iterator>

namespace {

using Args = QovCliArguments;

bool isIpv4(const QString &text)
{
    QHostAddress address;
    return address.setAddress(text) && address.protocol() == QAbstractSocket::IPv4Protocol &&
           address.toString() == text;
}

constexpr int bit(Args::Command command)
{
    return 1 << command;
}
constexpr int kEveryCommand =
    bit(Args::List) | bit(Args::Backup) | bit(Args::Restore) | bit(Args::Diff);

// The line being read: an option takes its value from here, and a --device waits here for
// its --to.
struct Cursor
{
    const QStringList &arguments;
    int at = 0;
    int pendingDevice = 0;

    const QString &option() const { return arguments.at(at); }
    bool hasValue() const { return at + 1 < arguments.size(); }
    // The next argument, whatever it looks like: "--wait --json" is a bad number of seconds.
    QString value() { return arguments.at(++at); }
};

// An empty text, or the usage error.
using OptionHandler = QString (*)(Args &args, Cursor &cursor);

struct Option
{
    const char *name;
    const char *shortName;
    // Bits of the commands that take it; for any other command it is an unknown option.
    int commands;
    // Either the option alone sets a flag, or its handler reads what follows it.
    bool Args::*flag;
    OptionHandler handle = nullptr;
};

QString setAddresses(Args &args, Cursor &cursor)
{
    // Repeatable, and each value may be a comma list; an address given twice counts once.
    const QStringList given =
        cursor.hasValue() ? cursor.value().split(QLatin1Char(',')) : QStringList();
    if (given.isEmpty()) {
        return QStringLiteral("--address needs an address or host name");
    }
    for (const QString &address : given) {
        if (!QovTextRules::isHostAddress(address.trimmed())) {
            return QStringLiteral("--address: \"%1\" is not an IPv4 address or host name")
                .arg(address);
        }
        if (!args.askAddresses.contains(address.trimmed())) {
            args.askAddresses.append(address.trimmed());
        }
    }
    return QString();
}

QString setWait(Args &args, Cursor &cursor)
{
    bool ok = false;
    const int seconds = cursor.hasValue() ? cursor.value().toInt(&ok) : 0;
    if (!ok || seconds < 1 || seconds > 600) {
        return QStringLiteral("--wait needs a number of seconds, 1 to 600");
    }
    args.waitSeconds = seconds;
    return QString();
}

QString setOutput(Args &args, Cursor &cursor)
{
    if (!cursor.hasValue()) {
        return QStringLiteral("%1 needs a file name").arg(cursor.option());
    }
    args.output = cursor.value();
    return QString();
}

// --device N --to ADDRESS come in pairs, in this order.
QString setDevice(Args &, Cursor &cursor)
{
    bool ok = false;
    const int device = cursor.hasValue() ? cursor.value().toInt(&ok) : 0;
    if (!ok || device < 1) {
        return QStringLiteral("--device needs a device number from 1");
    }
    if (cursor.pendingDevice) {
        return QStringLiteral("--device %1 has no --to").arg(cursor.pendingDevice);
    }
    cursor.pendingDevice = device;
    return QString();
}

QString setTo(Args &args, Cursor &cursor)
{
    if (!cursor.pendingDevice) {
        return QStringLiteral("--to must follow --device N");
    }
    const QString address = cursor.hasValue() ? cursor.value() : QString();
    if (!isIpv4(address)) {
        return QStringLiteral("--to needs an IPv4 address");
    }
    args.pairs.append({cursor.pendingDevice, address});
    cursor.pendingDevice = 0;
    return QString();
}

const Option kOptions[] = {
    {"--json", nullptr, kEveryCommand, &Args::json},
    {"--yes", nullptr, bit(Args::Restore), &Args::yes},
    {"--allow-partial-copy", nullptr, bit(Args::Restore), &Args::allowPartialCopy},
    {"--all", nullptr, bit(Args::Backup), &Args::all},
    {"--address", nullptr, kEveryCommand, nullptr, setAddresses},
    {"--wait", nullptr, kEveryCommand, nullptr, setWait},
    {"--output", "-o", bit(Args::Backup), nullptr, setOutput},
    {"--device", nullptr, bit(Args::Restore) | bit(Args::Diff), nullptr, setDevice},
    {"--to", nullptr, bit(Args::Restore) | bit(Args::Diff), nullptr, setTo},
};

const Option *optionFor(const QString &arg, Args::Command command)
{
    for (const Option &option : kOptions) {
        if ((option.commands & bit(command)) &&
            (arg == QLatin1String(option.name) ||
             (option.shortName && arg == QLatin1String(option.shortName)))) {
            return &option;
        }
    }
    return nullptr;
}

// What a command needs once every option is read: an empty text, or the usage error.
using CommandCheck = QString (*)(Args &args, const QString &command, const QStringList &positional);

QString checkList(Args &, const QString &, const QStringList &positional)
{
    return positional.isEmpty() ? QString() : QStringLiteral("list takes no addresses");
}

QString checkBackup(Args &args, const QString &, const QStringList &positional)
{
    for (const QString &address : positional) {
        if (!isIpv4(address)) {
            return QStringLiteral("\"%1\" is not an IPv4 address").arg(address);
        }
    }
    if (args.all == !positional.isEmpty()) {
        return QStringLiteral("backup needs either --all or mixer addresses");
    }
    if (args.output.isEmpty()) {
        return QStringLiteral("backup needs -o FILE.vlmproj");
    }
    args.addresses = positional;
    return QString();
}

QString checkProjectCommand(Args &args, const QString &command, const QStringList &positional)
{
    if (positional.size() != 1) {
        return QStringLiteral("%1 needs exactly one project file").arg(command);
    }
    args.projectFile = positional.first();
    if (args.command == Args::Restore && !args.yes) {
        return QStringLiteral("restore overwrites mixers: confirm with --yes");
    }
    return QString();
}

struct CommandWord
{
    const char *word;
    Args::Command command;
    // None for a command that stands alone: the rest of the line is not read.
    CommandCheck check;
};

const CommandWord kCommands[] = {
    {"--help", Args::Help, nullptr},
    {"-h", Args::Help, nullptr},
    {"help", Args::Help, nullptr},
    {"--version", Args::Version, nullptr},
    {"list", Args::List, checkList},
    {"backup", Args::Backup, checkBackup},
    {"restore", Args::Restore, checkProjectCommand},
    {"diff", Args::Diff, checkProjectCommand},
};

QovCliArguments failed(QovCliArguments args, const QString &error)
{
    args.error = error;
    return args;
}

} // namespace

QovCliArguments QovCliArguments::parse(const QStringList &arguments)
{
    QovCliArguments args = parseLine(arguments);
    // A script that asked for JSON reads its error from the document too, even when the line
    // was refused before --json was reached.
    if (!args.error.isEmpty() && arguments.contains(QLatin1String("--json"))) {
        args.json = true;
    }
    return args;
}

QovCliArguments QovCliArguments::parseLine(const QStringList &arguments)
{
    QovCliArguments args;
    if (arguments.isEmpty()) {
        return failed(args, QStringLiteral("no command given"));
    }
    const QString command = arguments.first();
    const auto word =
        std::find_if(std::begin(kCommands), std::end(kCommands), [&](const CommandWord &known) {
            return command == QLatin1String(known.word);
        });
    if (word == std::end(kCommands)) {
        return failed(args, QStringLiteral("unknown command \"%1\"").arg(command));
    }
    args.command = word->command;
    if (!word->check) {
        return args;
    }

    QStringList positional;
    Cursor cursor{arguments};
    for (cursor.at = 1; cursor.at < arguments.size(); ++cursor.at) {
        const QString &arg = cursor.option();
        // Help wins over everything after the command, so that it is always reachable.
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            args.command = Help;
            return args;
        }
        if (const Option *option = optionFor(arg, args.command)) {
            const QString error = option->flag ? (args.*option->flag = true, QString())
                                               : option->handle(args, cursor);
            if (!error.isEmpty()) {
                return failed(args, error);
            }
        } else if (arg.startsWith(QLatin1Char('-'))) {
            return failed(args, QStringLiteral("unknown option \"%1\" for %2").arg(arg, command));
        } else {
            positional.append(arg);
        }
    }
    if (cursor.pendingDevice) {
        return failed(args, QStringLiteral("--device %1 has no --to").arg(cursor.pendingDevice));
    }
    const QString error = word->check(args, command, positional);
    return error.isEmpty() ? args : failed(args, error);
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
        "      mixer refuses, holds empty or holds in bytes that are not UTF-8 are named, and\n"
        "      listed in the file as \"unreadable\" (\"{}\" stands in for each); the rest of\n"
        "      that mixer is still backed up. A mixer that answers but is not admitted\n"
        "      (a firmware update, no description) is named too, with --all as well.\n"
        "  restore FILE.vlmproj [--device N --to ADDRESS]... --yes [--allow-partial-copy]\n"
        "          [--address A]... [--wait S] [--json]\n"
        "      Uploads the project's settings into the mixers: device N (numbered from 1) into\n"
        "      the mixer at ADDRESS, or, without pairs, every device into the mixer with its MAC\n"
        "      address. Refuses without --yes and refuses a model mismatch. Before each upload\n"
        "      the mixer's current settings are saved as a safety copy under\n"
        "      DATA/backups/MAC/DATE-TIME.vlmproj (the last 20 per mixer are kept); when that\n"
        "      copy fails, nothing is uploaded to that mixer. A mixer with data sets that\n"
        "      cannot be read is left as it is, with the sets named, unless\n"
        "      --allow-partial-copy is given: then its copy holds the rest and lists the sets\n"
        "      it lacks, and the mixer is overwritten. Of two mixers that answer with one\n"
        "      MAC address neither is chosen (restore, diff) or backed up together.\n"
        "  diff FILE.vlmproj [--device N --to ADDRESS]... [--address A]... [--wait S] [--json]\n"
        "      Compares the project with the mixers, per data set and bank: \"same\",\n"
        "      \"differs\" (with the preset names on both sides), \"only in file\" or\n"
        "      \"only on mixer\"; \"unreadable on mixer\" for a data set the mixer refuses,\n"
        "      holds empty or holds in bytes that are not UTF-8.\n"
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
