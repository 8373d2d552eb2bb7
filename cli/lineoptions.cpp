// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/lineoptions.h"

#include "app/settings.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

struct CommandName
{
    LineOptions::Command command;
    const char *name;
    int arguments; // after the command's name
};

constexpr CommandName Commands[] = {
    { LineOptions::Scan, "scan", 0 },
    { LineOptions::Backup, "backup", 1 },
    { LineOptions::Compare, "compare", 1 },
    { LineOptions::Send, "send", 1 },
    { LineOptions::Report, "report", 2 },
    { LineOptions::JournalExport, "journal-export", 1 },
};

std::optional<int> numberIn(const QString &text, int minimum, int maximum)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < minimum || number > maximum)
        return std::nullopt;
    return number;
}

} // namespace

QString LineOptions::commandName() const
{
    for (const CommandName &each : Commands) {
        if (each.command == command)
            return QLatin1String(each.name);
    }
    return {};
}

QString LineArguments::usage()
{
    return tr("Usage: korvel-line [CONNECTION] COMMAND [ARGS]\n"
              "\n"
              "CONNECTION (what is left out comes from settings.ini in the working folder):\n"
              "  --port PATH [--baud N] [--parity none|even|odd]\n"
              "  --host HOST [--tcp-port N] [--protocol tcp|rtu-over-tcp]\n"
              "\n"
              "Commands:\n"
              "  scan                      list the relays that answer\n"
              "  backup DIR [--overwrite]  save every relay's settings into the line folder DIR\n"
              "  compare DIR               compare every relay with its file in DIR\n"
              "  send DIR [--only ID,ID,...] [--yes]\n"
              "                            send each relay that differs (or those given) its file\n"
              "                            in DIR; without --yes print the plans, write nothing\n"
              "  report DIR FILE.pdf       write the line's commissioning report\n"
              "  journal-export FILE.csv   export the journal of writes\n"
              "\n"
              "Options:\n"
              "  --ids FIRST-LAST          the slave IDs to scan (1-63)\n"
              "  --json                    print the result for a program to read\n"
              "\n"
              "Exit status: 0 done (compare: every relay at its file; send --yes: every value "
              "verified; send: nothing to write), 1 compare found a relay that is not (send --yes: "
              "a value was refused, changed by the relay or not sent; send: something to write), "
              "2 error.\n");
}

std::optional<LineOptions> LineArguments::parse(
    const QStringList &arguments, const ConnectionSettings &saved, QString *error, QString *help)
{
    QCommandLineParser parser;
    const QCommandLineOption portOption(QStringLiteral("port"), QString(), QStringLiteral("PATH"));
    const QCommandLineOption baudOption(QStringLiteral("baud"), QString(), QStringLiteral("N"));
    const QCommandLineOption parityOption(
        QStringLiteral("parity"), QString(), QStringLiteral("PARITY"));
    const QCommandLineOption hostOption(QStringLiteral("host"), QString(), QStringLiteral("HOST"));
    const QCommandLineOption tcpPortOption(
        QStringLiteral("tcp-port"), QString(), QStringLiteral("N"));
    const QCommandLineOption protocolOption(
        QStringLiteral("protocol"), QString(), QStringLiteral("PROTOCOL"));
    const QCommandLineOption idsOption(QStringLiteral("ids"), QString(), QStringLiteral("RANGE"));
    const QCommandLineOption jsonOption(QStringLiteral("json"));
    const QCommandLineOption overwriteOption(QStringLiteral("overwrite"));
    const QCommandLineOption yesOption(QStringLiteral("yes"));
    const QCommandLineOption onlyOption(QStringLiteral("only"), QString(), QStringLiteral("IDS"));
    const QCommandLineOption helpOption(
        QStringList { QStringLiteral("h"), QStringLiteral("help") });
    parser.addOptions(
        { portOption, baudOption, parityOption, hostOption, tcpPortOption, protocolOption,
            idsOption, jsonOption, overwriteOption, yesOption, onlyOption, helpOption });
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(helpOption)) {
        if (help)
            *help = usage();
        return std::nullopt;
    }

    LineOptions options;
    options.connection = saved;
    options.json = parser.isSet(jsonOption);
    options.overwrite = parser.isSet(overwriteOption);
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        *error = tr("No command given.");
        return std::nullopt;
    }
    const CommandName *command = nullptr;
    for (const CommandName &each : Commands) {
        if (positional.constFirst() == QLatin1String(each.name))
            command = &each;
    }
    if (!command) {
        *error = tr("Unknown command \"%1\".").arg(positional.constFirst());
        return std::nullopt;
    }
    options.command = command->command;
    if (positional.size() - 1 != command->arguments) {
        *error = tr("\"%1\" takes %2 argument(s).")
                     .arg(QLatin1String(command->name))
                     .arg(command->arguments);
        return std::nullopt;
    }
    if (options.command == LineOptions::JournalExport)
        options.output = positional.at(1);
    else if (command->arguments > 0)
        options.folder = positional.at(1);
    if (options.command == LineOptions::Report)
        options.output = positional.at(2);
    if (options.overwrite && options.command != LineOptions::Backup) {
        *error = tr("--overwrite is for backup only.");
        return std::nullopt;
    }
    options.yes = parser.isSet(yesOption);
    if ((options.yes || parser.isSet(onlyOption)) && options.command != LineOptions::Send) {
        *error = tr("--yes and --only are for send only.");
        return std::nullopt;
    }
    if (parser.isSet(onlyOption)) {
        const QStringList ids = parser.value(onlyOption).split(QLatin1Char(','));
        for (const QString &id : ids) {
            const std::optional<int> slaveId = numberIn(id.trimmed(), 1, 247);
            if (!slaveId) {
                *error = tr("--only takes slave IDs separated by commas, such as 2,5,17.");
                return std::nullopt;
            }
            options.only.append(*slaveId);
        }
    }

    if (parser.isSet(idsOption)) {
        const QRegularExpression range(
            QRegularExpression::anchoredPattern(scanRangeExpression().pattern()));
        const QStringList ids = parser.value(idsOption).split(QLatin1Char('-'));
        if (!range.match(parser.value(idsOption)).hasMatch()
            || ids.constFirst().toInt() > ids.constLast().toInt()) {
            *error = tr("--ids takes FIRST-LAST within 1-63, such as 1-10.");
            return std::nullopt;
        }
        options.firstId = ids.constFirst().toInt();
        options.lastId = ids.constLast().toInt();
    }

    ConnectionSettings &connection = options.connection;
    if (parser.isSet(portOption) && parser.isSet(hostOption)) {
        *error = tr("Give either --port or --host, not both.");
        return std::nullopt;
    }
    if (parser.isSet(portOption)) {
        connection.link = ConnectionSettings::SerialLink;
        connection.portName = parser.value(portOption);
    }
    if (parser.isSet(hostOption)) {
        connection.link = ConnectionSettings::NetworkLink;
        connection.host = parser.value(hostOption);
    }
    if (parser.isSet(baudOption)) {
        const std::optional<int> baud = numberIn(parser.value(baudOption), 1, 4000000);
        if (!baud) {
            *error = tr("--baud takes a baud rate such as 19200.");
            return std::nullopt;
        }
        connection.serialPortSettings.setBaudRate(*baud);
    }
    if (parser.isSet(parityOption)) {
        const QString parity = parser.value(parityOption);
        if (parity == QLatin1String("none"))
            connection.serialPortSettings.setParity(SerialPortSettings::NoParity);
        else if (parity == QLatin1String("even"))
            connection.serialPortSettings.setParity(SerialPortSettings::EvenParity);
        else if (parity == QLatin1String("odd"))
            connection.serialPortSettings.setParity(SerialPortSettings::OddParity);
        else {
            *error = tr("--parity takes none, even or odd.");
            return std::nullopt;
        }
    }
    if (parser.isSet(tcpPortOption)) {
        const std::optional<int> port = numberIn(parser.value(tcpPortOption), 1, 65535);
        if (!port) {
            *error = tr("--tcp-port takes a port from 1 to 65535.");
            return std::nullopt;
        }
        connection.tcpPort = *port;
    }
    if (parser.isSet(protocolOption)) {
        const QString protocol = parser.value(protocolOption);
        if (protocol == QLatin1String("tcp"))
            connection.protocol = ConnectionSettings::ModbusTcp;
        else if (protocol == QLatin1String("rtu-over-tcp"))
            connection.protocol = ConnectionSettings::RtuOverTcp;
        else {
            *error = tr("--protocol takes tcp or rtu-over-tcp.");
            return std::nullopt;
        }
    }
    if (connection.isNetwork() && connection.host.isEmpty()) {
        *error = tr("No gateway address: give --host.");
        return std::nullopt;
    }
    return options;
}
