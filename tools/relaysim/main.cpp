// SPDX-License-Identifier: GPL-3.0-or-later
#include "linereader.h"
#include "relaybus.h"
#include "relayconsole.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

constexpr quint16 ForeignTypeCode = 0x8D91;

void note(const QString &message)
{
    std::fprintf(stderr, "korvel-relaysim: %s\n", qPrintable(message));
}

int fail(const QString &message)
{
    note(message);
    return 2;
}

bool parseIds(const QString &text, QList<int> *ids)
{
    const QStringList parts = text.split(QLatin1Char(','));
    for (const QString &part : parts) {
        bool ok = false;
        const int id = part.trimmed().toInt(&ok);
        if (!ok || id < 1 || id > 247 || ids->contains(id))
            return false;
        ids->append(id);
    }
    return !ids->isEmpty();
}

// "BAUD" for 8N1, or "BAUD:FORMAT" with a character format such as 8E1 or 7O2.
bool parsePacing(const QString &text, int *baudRate, int *bitsPerCharacter)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    bool baudOk = false;
    *baudRate = parts.first().toInt(&baudOk);
    *bitsPerCharacter = LinePacing::bitsFor(8, 'N', 1);
    if (parts.size() == 2) {
        const QString format = parts.last().toUpper();
        const int dataBits = format.size() == 3 ? format.at(0).digitValue() : 0;
        const QChar parity = format.size() == 3 ? format.at(1) : QChar();
        const int stopBits = format.size() == 3 ? format.at(2).digitValue() : 0;
        if (format.size() != 3 || dataBits < 5 || dataBits > 8
            || !QStringLiteral("NEO").contains(parity) || stopBits < 1 || stopBits > 2)
            return false;
        *bitsPerCharacter = LinePacing::bitsFor(dataBits, parity.toLatin1(), stopBits);
    }
    return parts.size() <= 2 && baudOk && *baudRate >= 0;
}

// "57600:E": a baud rate and a parity, N, E or O.
bool parseRelayLine(const QString &text, int *baudRate, char *parity)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    bool baudOk = false;
    *baudRate = parts.first().toInt(&baudOk);
    const QString parityText = parts.last().toUpper();
    if (parts.size() != 2 || !baudOk || *baudRate <= 0 || parityText.size() != 1
        || !QStringLiteral("NEO").contains(parityText))
        return false;
    *parity = parityText.at(0).toLatin1();
    return true;
}

// "ID=VALUE" for each text (VALUE decimal or 0x hex), or just "ID" where there is a fallback
// value, set on a relay on the line.
template<typename Setter>
bool setEach(const QStringList &texts, std::optional<quint16> fallback, Setter set, RelayBus *bus)
{
    for (const QString &text : texts) {
        const QStringList parts = text.split(QLatin1Char('='));
        bool idOk = false;
        bool valueOk = parts.size() == 2 || fallback.has_value();
        const int id = parts.first().toInt(&idOk);
        const quint16 value
            = parts.size() == 2 ? parts.last().toUShort(&valueOk, 0) : fallback.value_or(0);
        if (parts.size() > 2 || !idOk || !valueOk || !bus->ids().contains(id))
            return false;
        (bus->*set)(id, value);
    }
    return true;
}

// "ID:REGISTER=RULE" for --refuse and --take-refuse (RULE an exception code) and --clamp (RULE
// min-max).
bool addRegisterRules(const QString &kind, const QStringList &texts, RelayBus *bus)
{
    for (const QString &text : texts) {
        const QStringList parts = text.split(QLatin1Char('='));
        const QStringList target = parts.first().split(QLatin1Char(':'));
        bool idOk = false;
        bool addressOk = false;
        const int id = target.first().toInt(&idOk);
        const int address = target.last().toInt(&addressOk, 0);
        const std::optional<RegisterRule> rule
            = parts.size() == 2 ? RegisterRule::parse(kind, parts.last()) : std::nullopt;
        if (parts.size() != 2 || target.size() != 2 || !idOk || !addressOk || !rule
            || !bus->ids().contains(id) || !RelayBus::hasHoldingRegister(address))
            return false;
        bus->setRegisterRule(id, address, *rule);
    }
    return true;
}

// Standard descriptors the caller left closed are opened on /dev/null before anything else is
// opened: otherwise the pseudo-terminal would take their numbers, and the console would read the
// line, or printf() write onto it. Returns whether standard input was open.
bool openStandardDescriptors()
{
    bool inputOpen = true;
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1)
            continue;
        inputOpen = inputOpen && fd != STDIN_FILENO;
        ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY); // takes the lowest, fd
    }
    return inputOpen;
}

// Reading a terminal from the background would stop the whole process, bus and all (SIGTTIN).
bool isBackgroundOfTerminal()
{
    return ::isatty(STDIN_FILENO) && ::tcgetpgrp(STDIN_FILENO) != ::getpgrp();
}

void print(const QStringList &lines)
{
    for (const QString &line : lines)
        std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    const bool inputOpen = openStandardDescriptors();
    // Blocked before any thread starts, so that they arrive only through the signalfd below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP); // the terminal of the console closed
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    // A reader of the output that went away, or a terminal taken away, must not stop the bus.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGTTIN, SIG_IGN);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvel-relaysim"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulates an RS-485 line with protection relays behind a pseudo-terminal.\n"
        "Prints the device to connect to as the first line, then serves until SIGINT, SIGTERM, "
        "SIGHUP or the console's quit.\n"
        "While it runs, it takes commands on standard input, one a line, and answers each on "
        "standard output; \"help\" lists them. The end of the input ends the console, not the "
        "simulator."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption idsOption(QStringLiteral("ids"),
        QStringLiteral("Slave IDs of the relays on the line."), QStringLiteral("list"),
        QStringLiteral("1,2,3"));
    const QCommandLineOption linkOption(QStringLiteral("link"),
        QStringLiteral("Symbolic link to the device, removed on exit."), QStringLiteral("path"));
    const QCommandLineOption crashesOption(QStringLiteral("crashes"),
        QStringLiteral("Crashes each relay has counted (60 records at most are kept)."),
        QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption foreignOption(QStringLiteral("foreign-type"),
        QStringLiteral("Relay that reports another device type (default 0x8D91)."),
        QStringLiteral("id[=code]"));
    const QCommandLineOption modulesOption(QStringLiteral("modules"),
        QStringLiteral("Modules register (24) of a relay; all four modules by default."),
        QStringLiteral("id=value"));
    const QCommandLineOption offOption(QStringLiteral("off"),
        QStringLiteral("Relays that start switched off: on the line, but silent."),
        QStringLiteral("list"));
    std::vector<QCommandLineOption> faultOptions;
    for (const RelayConsole::ProbabilityFault &fault : RelayConsole::probabilityFaults())
        faultOptions.emplace_back(fault.name,
            QStringLiteral("Probability that %1.").arg(fault.description), QStringLiteral("p"),
            QStringLiteral("0"));
    const QCommandLineOption delayOption(QStringLiteral("delay"),
        QStringLiteral("Delay of every answer in milliseconds, fixed or drawn from min-max."),
        QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption slowOption(QStringLiteral("slow"),
        QStringLiteral("A slow relay: its answers come this many milliseconds after each request, "
                       "e.g. 5=120 (0.8 x the default response timeout of 150 ms)."),
        QStringLiteral("id=ms"));
    const QCommandLineOption paceOption(QStringLiteral("pace"),
        QStringLiteral("Answer as a line at this baud rate would: request, 3.5-character gap and "
                       "answer on the wire (format 8N1 unless given, e.g. 19200:8E1; 0 is off)."),
        QStringLiteral("baud[:format]"), QStringLiteral("0"));
    const QCommandLineOption modbusTcpOption(QStringLiteral("modbus-tcp"),
        QStringLiteral("Also serve the relays as a Modbus TCP gateway on this port of 127.0.0.1 "
                       "(0 picks a free one)."),
        QStringLiteral("port"));
    const QCommandLineOption rtuTcpOption(QStringLiteral("rtu-tcp"),
        QStringLiteral("Also serve the relays as a serial device server passing RTU frames, on "
                       "this port of 127.0.0.1 (0 picks a free one)."),
        QStringLiteral("port"));
    const QCommandLineOption relayLineOption(QStringLiteral("relay-line"),
        QStringLiteral("The relays' baud rate and parity (N, E or O): they hear only requests "
                       "sent at these, e.g. 57600:E; any line settings by default."),
        QStringLiteral("baud:parity"));
    const QCommandLineOption stillOption(
        QStringLiteral("still"), QStringLiteral("Hold the measurements still."));
    const QCommandLineOption refuseOption(QStringLiteral("refuse"),
        QStringLiteral("A relay answers writes to a holding register with this Modbus exception "
                       "(1-11), e.g. 2:35=3."),
        QStringLiteral("id:register=code"));
    const QCommandLineOption clampOption(QStringLiteral("clamp"),
        QStringLiteral("A relay keeps values written to a holding register within bounds, "
                       "e.g. 2:34=10-200."),
        QStringLiteral("id:register=min-max"));
    const QCommandLineOption takeRefuseOption(QStringLiteral("take-refuse"),
        QStringLiteral("A relay takes writes to a holding register, yet answers them with this "
                       "Modbus exception (1-11), e.g. 2:35=4."),
        QStringLiteral("id:register=code"));
    const QCommandLineOption writeLogOption(QStringLiteral("write-log"),
        QStringLiteral("Append every write the relays take to this file, in order, one a line."),
        QStringLiteral("file"));
    parser.addOptions(
        { idsOption, linkOption, crashesOption, foreignOption, modulesOption, offOption });
    for (const QCommandLineOption &option : faultOptions)
        parser.addOption(option);
    parser.addOptions({ delayOption, slowOption, paceOption, relayLineOption, modbusTcpOption,
        rtuTcpOption, stillOption, refuseOption, clampOption, takeRefuseOption, writeLogOption });
    parser.process(app);

    QList<int> ids;
    if (!parseIds(parser.value(idsOption), &ids))
        return fail(QStringLiteral("--ids takes distinct slave IDs 1-247, separated by commas"));
    bool crashesOk = false;
    const int crashes = parser.value(crashesOption).toInt(&crashesOk);
    if (!crashesOk || crashes < 0)
        return fail(QStringLiteral("--crashes takes a count of 0 or more"));
    FaultSettings faults;
    for (size_t i = 0; i < faultOptions.size(); ++i) {
        const RelayConsole::ProbabilityFault &fault = RelayConsole::probabilityFaults().at(i);
        if (!RelayConsole::parseProbability(
                parser.value(faultOptions.at(i)), &(faults.*fault.probability)))
            return fail(QStringLiteral("--%1 takes a probability from 0 to 1").arg(fault.name));
    }
    if (!RelayConsole::parseDelay(
            parser.value(delayOption), &faults.minDelayMs, &faults.maxDelayMs))
        return fail(QStringLiteral("--delay takes milliseconds, or min-max"));
    int paceBaudRate = 0;
    int paceBits = 0;
    if (!parsePacing(parser.value(paceOption), &paceBaudRate, &paceBits))
        return fail(
            QStringLiteral("--pace takes a baud rate, optionally with a format: 19200:8E1"));

    int relayBaudRate = 0;
    char relayParity = 'N';
    if (parser.isSet(relayLineOption)
        && !parseRelayLine(parser.value(relayLineOption), &relayBaudRate, &relayParity))
        return fail(QStringLiteral("--relay-line takes a baud rate and a parity: 57600:E"));

    RelayBus bus(ids);
    bus.setRelayLineSettings(relayBaudRate, relayParity);
    const std::pair<const QCommandLineOption *, TcpProtocol> tcpOptions[]
        = { { &modbusTcpOption, TcpProtocol::ModbusTcp },
              { &rtuTcpOption, TcpProtocol::RtuOverTcp } };
    for (const auto &tcp : tcpOptions) {
        if (!parser.isSet(*tcp.first))
            continue;
        bool portOk = false;
        const quint16 port = parser.value(*tcp.first).toUShort(&portOk);
        if (!portOk)
            return fail(QStringLiteral("--%1 takes a TCP port, 0 to 65535")
                            .arg(tcp.first->names().constFirst()));
        bus.serveTcp(tcp.second, port);
    }
    for (int id : std::as_const(ids))
        bus.setCrashCount(id, crashes);
    if (!setEach(parser.values(foreignOption), ForeignTypeCode, &RelayBus::setDeviceTypeCode, &bus))
        return fail(QStringLiteral("--foreign-type takes the ID of a relay on the line"));
    if (!setEach(parser.values(modulesOption), std::nullopt, &RelayBus::setModules, &bus))
        return fail(QStringLiteral("--modules takes ID=VALUE for a relay on the line"));
    if (!setEach(parser.values(slowOption), std::nullopt, &RelayBus::setAnswerTime, &bus))
        return fail(QStringLiteral("--slow takes ID=MS for a relay on the line"));
    if (parser.isSet(offOption)) {
        QList<int> offIds;
        if (!parseIds(parser.value(offOption), &offIds)
            || std::any_of(
                offIds.cbegin(), offIds.cend(), [&ids](int id) { return !ids.contains(id); }))
            return fail(QStringLiteral("--off takes IDs of relays on the line"));
        for (int id : qAsConst(offIds))
            bus.setRelayOnline(id, false);
    }
    if (!addRegisterRules(QStringLiteral("refuse"), parser.values(refuseOption), &bus))
        return fail(QStringLiteral("--refuse takes ID:REGISTER=CODE, a relay on the line, one of "
                                   "its holding registers and an exception code 1-11"));
    if (!addRegisterRules(QStringLiteral("clamp"), parser.values(clampOption), &bus))
        return fail(QStringLiteral("--clamp takes ID:REGISTER=MIN-MAX, a relay on the line and "
                                   "one of its holding registers"));
    if (!addRegisterRules(QStringLiteral("take-refuse"), parser.values(takeRefuseOption), &bus))
        return fail(QStringLiteral("--take-refuse takes ID:REGISTER=CODE, a relay on the line, "
                                   "one of its holding registers and an exception code 1-11"));
    if (parser.isSet(writeLogOption) && !bus.setWriteLogFile(parser.value(writeLogOption)))
        return fail(
            QStringLiteral("cannot write the write log %1").arg(parser.value(writeLogOption)));
    bus.setFaults(faults);
    bus.setLinePacing(paceBaudRate, paceBits);
    bus.setMeasurementsLive(!parser.isSet(stillOption));

    QString error;
    if (!bus.start(&error))
        return fail(error);
    const QString link = parser.value(linkOption);
    if (!link.isEmpty() && !bus.setLink(link))
        return fail(QStringLiteral("cannot create the link %1").arg(link));
    // Before the device line: a script that has it finds the ports noted.
    if (const quint16 port = bus.tcpPort(TcpProtocol::ModbusTcp))
        note(QStringLiteral("Modbus TCP on 127.0.0.1:%1").arg(port));
    if (const quint16 port = bus.tcpPort(TcpProtocol::RtuOverTcp))
        note(QStringLiteral("RTU over TCP on 127.0.0.1:%1").arg(port));
    // Scripts wait for this line before they connect.
    std::printf("%s\n", qPrintable(bus.portPath()));
    std::fflush(stdout);
    QStringList idTexts;
    for (int id : std::as_const(ids))
        idTexts.append(QString::number(id));
    note(QStringLiteral("relays %1 on %2, Ctrl+C stops")
             .arg(idTexts.join(QLatin1String(", ")), bus.portPath()));

    const int signalFd = ::signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signalFd < 0)
        return fail(QStringLiteral("cannot wait for signals"));
    QSocketNotifier signalNotifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    RelayConsole console(&bus);
    std::unique_ptr<LineReader> input;
    if (!inputOpen) {
        note(QStringLiteral("no standard input, no console"));
    } else if (isBackgroundOfTerminal()) {
        note(
            QStringLiteral("no console in the background; run in the foreground to type commands"));
    } else {
        input = std::make_unique<LineReader>(STDIN_FILENO);
        QObject::connect(input.get(), &LineReader::lineRead, &app, [&](const QString &line) {
            print(console.execute(line));
            if (console.quitRequested()) {
                input->stop();
                QCoreApplication::quit();
            }
        });
        QObject::connect(input.get(), &LineReader::finished, &app, [](const QString &reason) {
            note(QStringLiteral("console closed (%1), still serving").arg(reason));
        });
    }
    app.exec();
    ::close(signalFd);
    bus.stop();
    return 0;
}
