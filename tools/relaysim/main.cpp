#include "relaybus.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <utility>

namespace {

constexpr quint16 ForeignTypeCode = 0x8D91;

int fail(const QString &message)
{
    std::fprintf(stderr, "korvel-relaysim: %s\n", qPrintable(message));
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

bool parseProbability(const QString &text, double *probability)
{
    bool ok = false;
    *probability = text.toDouble(&ok);
    return ok && *probability >= 0 && *probability <= 1;
}

// "MS" for a fixed delay, "MIN-MAX" for one drawn anew for every answer.
bool parseDelay(const QString &text, FaultSettings *faults)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    bool minOk = false;
    bool maxOk = false;
    faults->minDelayMs = parts.first().toInt(&minOk);
    faults->maxDelayMs = parts.last().toInt(&maxOk);
    return parts.size() <= 2 && minOk && maxOk && faults->minDelayMs >= 0
        && faults->maxDelayMs >= faults->minDelayMs;
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

// "ID=VALUE" (VALUE decimal or 0x hex), or just "ID" when the value has a default.
bool parseAssignment(const QString &text, const RelayBus &bus, int *id, quint16 *value)
{
    const QStringList parts = text.split(QLatin1Char('='));
    bool idOk = false;
    bool valueOk = true;
    *id = parts.first().toInt(&idOk);
    if (parts.size() == 2)
        *value = parts.last().toUShort(&valueOk, 0);
    return parts.size() <= 2 && idOk && valueOk && bus.ids().contains(*id);
}

} // namespace

int main(int argc, char *argv[])
{
    // Blocked before the bus thread starts, so that only the sigwait() below takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvel-relaysim"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulates an RS-485 line with protection relays behind a pseudo-terminal.\n"
        "Prints the device to connect to as the first line, then serves until SIGINT or "
        "SIGTERM."));
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
    const QCommandLineOption dropOption(QStringLiteral("drop"),
        QStringLiteral("Probability that an answer is lost."), QStringLiteral("p"),
        QStringLiteral("0"));
    const QCommandLineOption badCrcOption(QStringLiteral("bad-crc"),
        QStringLiteral("Probability that an answer arrives with a corrupted CRC."),
        QStringLiteral("p"), QStringLiteral("0"));
    const QCommandLineOption delayOption(QStringLiteral("delay"),
        QStringLiteral("Delay of every answer in milliseconds, fixed or drawn from min-max."),
        QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption paceOption(QStringLiteral("pace"),
        QStringLiteral("Answer as a line at this baud rate would: request, 3.5-character gap and "
                       "answer on the wire (format 8N1 unless given, e.g. 19200:8E1; 0 is off)."),
        QStringLiteral("baud[:format]"), QStringLiteral("0"));
    const QCommandLineOption stillOption(
        QStringLiteral("still"), QStringLiteral("Hold the measurements still."));
    parser.addOptions({ idsOption, linkOption, crashesOption, foreignOption, modulesOption,
        dropOption, badCrcOption, delayOption, paceOption, stillOption });
    parser.process(app);

    QList<int> ids;
    if (!parseIds(parser.value(idsOption), &ids))
        return fail(QStringLiteral("--ids takes distinct slave IDs 1-247, separated by commas"));
    bool crashesOk = false;
    const int crashes = parser.value(crashesOption).toInt(&crashesOk);
    if (!crashesOk || crashes < 0)
        return fail(QStringLiteral("--crashes takes a count of 0 or more"));
    FaultSettings faults;
    if (!parseProbability(parser.value(dropOption), &faults.dropProbability)
        || !parseProbability(parser.value(badCrcOption), &faults.badCrcProbability))
        return fail(QStringLiteral("--drop and --bad-crc take a probability from 0 to 1"));
    if (!parseDelay(parser.value(delayOption), &faults))
        return fail(QStringLiteral("--delay takes milliseconds, or min-max"));
    int paceBaudRate = 0;
    int paceBits = 0;
    if (!parsePacing(parser.value(paceOption), &paceBaudRate, &paceBits))
        return fail(
            QStringLiteral("--pace takes a baud rate, optionally with a format: 19200:8E1"));

    RelayBus bus(ids);
    for (int id : std::as_const(ids))
        bus.setCrashCount(id, crashes);
    const QStringList foreignTypes = parser.values(foreignOption);
    for (const QString &text : foreignTypes) {
        int id = 0;
        quint16 code = ForeignTypeCode;
        if (!parseAssignment(text, bus, &id, &code))
            return fail(QStringLiteral("--foreign-type takes the ID of a relay on the line"));
        bus.setDeviceTypeCode(id, code);
    }
    const QStringList modules = parser.values(modulesOption);
    for (const QString &text : modules) {
        int id = 0;
        quint16 modules = 0;
        if (!text.contains(QLatin1Char('=')) || !parseAssignment(text, bus, &id, &modules))
            return fail(QStringLiteral("--modules takes ID=VALUE for a relay on the line"));
        bus.setModules(id, modules);
    }
    bus.setFaults(faults);
    bus.setLinePacing(paceBaudRate, paceBits);
    bus.setMeasurementsLive(!parser.isSet(stillOption));

    QString error;
    if (!bus.start(&error))
        return fail(error);
    const QString link = parser.value(linkOption);
    if (!link.isEmpty() && !bus.setLink(link))
        return fail(QStringLiteral("cannot create the link %1").arg(link));
    // Scripts wait for this line before they connect.
    std::printf("%s\n", qPrintable(bus.portPath()));
    std::fflush(stdout);
    QStringList idTexts;
    for (int id : std::as_const(ids))
        idTexts.append(QString::number(id));
    std::fprintf(stderr, "korvel-relaysim: relays %s on %s, Ctrl+C stops\n",
        qPrintable(idTexts.join(QLatin1String(", "))), qPrintable(bus.portPath()));

    int signal = 0;
    sigwait(&stopSignals, &signal);
    bus.stop();
    return 0;
}
