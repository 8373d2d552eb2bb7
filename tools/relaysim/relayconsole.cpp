// SPDX-License-Identifier: GPL-3.0-or-later
#include "relayconsole.h"

#include "relaybus.h"

#include <cmath>

namespace {

constexpr int ModulesRegister = 24;
constexpr int CrashCountRegister = 0x4000;
constexpr int NewestCrashRegister = 0x4010;
constexpr int FirstLed = 0x1008;

struct Led
{
    int coil;
    const char *name;
};
// In the order of the coils.
const Led Leds[] = { { FirstLed, "MTZ" }, { FirstLed + 1, "TO" }, { FirstLed + 2, "ZNZ" },
    { FirstLed + 3, "APV" }, { FirstLed + 4, "AChR" }, { FirstLed + 7, "APV ready" } };

// By crash type code 1 to 6: the name a trainer types, the name the client shows, the LED.
struct CrashType
{
    const char *token;
    const char *name;
    int led;
};
const CrashType CrashTypes[] = { { "MTZ", "MTZ", FirstLed }, { "TO", "TO", FirstLed + 1 },
    { "ZNZ", "ZNZ", FirstLed + 2 }, { "APV1", "APV 1", FirstLed + 3 },
    { "APV2", "APV 2", FirstLed + 3 }, { "AChR", "AChR", FirstLed + 4 } };

int parseCrashType(const QString &text)
{
    bool ok = false;
    const int code = text.toInt(&ok);
    if (ok)
        return code >= 1 && code <= 6 ? code : 0;
    for (int i = 0; i < 6; ++i) {
        if (text.compare(QLatin1String(CrashTypes[i].token), Qt::CaseInsensitive) == 0)
            return i + 1;
    }
    return 0;
}

// Decimal, or hexadecimal with 0x; never octal, so that 010 is ten as a trainer means it.
bool parseNumber(const QString &text, int *value)
{
    bool ok = false;
    *value = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
        ? QStringView(text).mid(2).toInt(&ok, 16)
        : text.toInt(&ok, 10);
    return ok;
}

QString delayText(int minMs, int maxMs)
{
    return minMs == maxMs ? QStringLiteral("%1 ms").arg(minMs)
                          : QStringLiteral("%1-%2 ms").arg(minMs).arg(maxMs);
}

QString hex(quint16 value)
{
    return QStringLiteral("0x")
        + QString::number(value, 16).toUpper().rightJustified(4, QLatin1Char('0'));
}

QString was(const QString &text)
{
    return QStringLiteral(" (was %1)").arg(text);
}

QStringList errorLine(const QString &text)
{
    return { QStringLiteral("error: ") + text };
}

} // namespace

struct RelayConsole::Command
{
    QString name;
    QString usage; // the arguments, as help shows them
    QString description;
    QStringList (RelayConsole::*run)(const Command &, const QStringList &);
    double FaultSettings::*probability = nullptr;
};

const std::vector<RelayConsole::ProbabilityFault> &RelayConsole::probabilityFaults()
{
    static const std::vector<ProbabilityFault> Faults = {
        { QStringLiteral("drop"), QStringLiteral("an answer is lost"),
            &FaultSettings::dropProbability },
        { QStringLiteral("bad-crc"), QStringLiteral("an answer arrives with a corrupted CRC"),
            &FaultSettings::badCrcProbability },
        { QStringLiteral("exception"),
            QStringLiteral("an exception (codes 1-4, 6) comes instead of the answer"),
            &FaultSettings::exceptionProbability },
        { QStringLiteral("short-frame"), QStringLiteral("an answer loses its last bytes"),
            &FaultSettings::shortFrameProbability },
        { QStringLiteral("long-frame"),
            QStringLiteral("bytes follow an answer: noise, or the answer again"),
            &FaultSettings::longFrameProbability },
        { QStringLiteral("wrong-count"),
            QStringLiteral("a read answer carries one or two values more or fewer"),
            &FaultSettings::wrongByteCountProbability },
        { QStringLiteral("foreign-slave"),
            QStringLiteral("an answer comes with another slave's ID"),
            &FaultSettings::foreignSlaveProbability },
    };
    return Faults;
}

const std::vector<RelayConsole::Command> &RelayConsole::commands()
{
    static const std::vector<Command> Commands = [] {
        std::vector<Command> commands = {
            { QStringLiteral("help"), QString(), QStringLiteral("lists the commands"),
                &RelayConsole::help },
            { QStringLiteral("status"), QString(),
                QStringLiteral("shows the relays, their state and the faults"),
                &RelayConsole::status },
        };
        for (const ProbabilityFault &fault : probabilityFaults())
            commands.push_back({ fault.name, QStringLiteral("P"),
                QStringLiteral("%1, with probability P (0 to 1)").arg(fault.description),
                &RelayConsole::setProbability, fault.probability });
        const std::vector<Command> rest = {
            { QStringLiteral("delay"), QStringLiteral("MS|MIN-MAX"),
                QStringLiteral("delays every answer, by MS or by a time drawn from MIN-MAX"),
                &RelayConsole::setDelay },
            { QStringLiteral("no-faults"), QString(), QStringLiteral("switches every fault off"),
                &RelayConsole::clearFaults },
            { QStringLiteral("off"), QStringLiteral("ID"), QStringLiteral("the relay falls silent"),
                &RelayConsole::switchRelay },
            { QStringLiteral("on"), QStringLiteral("ID"), QStringLiteral("the relay answers again"),
                &RelayConsole::switchRelay },
            { QStringLiteral("trip"), QStringLiteral("ID TYPE CURRENT"),
                QStringLiteral("the relay records a crash: TYPE 1-6 or MTZ, TO, ZNZ, APV1, APV2, "
                               "AChR, CURRENT in A"),
                &RelayConsole::trip },
            { QStringLiteral("set"), QStringLiteral("ID REGISTER VALUE"),
                QStringLiteral("writes a holding register (numbers decimal or 0x hex)"),
                &RelayConsole::setRegister },
            { QStringLiteral("refuse"), QStringLiteral("ID REGISTER CODE"),
                QStringLiteral("the relay answers writes to the register with exception CODE "
                               "(1-11)"),
                &RelayConsole::setRegisterRule },
            { QStringLiteral("clamp"), QStringLiteral("ID REGISTER MIN-MAX"),
                QStringLiteral("the relay keeps values written to the register within MIN-MAX"),
                &RelayConsole::setRegisterRule },
            { QStringLiteral("accept"), QStringLiteral("ID REGISTER"),
                QStringLiteral("the relay takes writes to the register as they come again"),
                &RelayConsole::acceptRegister },
            { QStringLiteral("rules"), QString(),
                QStringLiteral("lists the registers refused or clamped"),
                &RelayConsole::listRules },
            { QStringLiteral("writes"), QStringLiteral("[clear]"),
                QStringLiteral("lists the writes the relays took, in order, or forgets them"),
                &RelayConsole::listWrites },
            { QStringLiteral("quit"), QString(), QStringLiteral("stops the simulator"),
                &RelayConsole::quit },
        };
        commands.insert(commands.end(), rest.begin(), rest.end());
        return commands;
    }();
    return Commands;
}

bool RelayConsole::parseProbability(const QString &text, double *probability)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !(value >= 0 && value <= 1))
        return false;
    *probability = value;
    return true;
}

bool RelayConsole::parseDelay(const QString &text, int *minMs, int *maxMs)
{
    const QStringList parts = text.split(QLatin1Char('-'));
    bool minOk = false;
    bool maxOk = false;
    const int low = parts.first().toInt(&minOk);
    const int high = parts.last().toInt(&maxOk);
    if (parts.size() > 2 || !minOk || !maxOk || low < 0 || high < low)
        return false;
    *minMs = low;
    *maxMs = high;
    return true;
}

RelayConsole::RelayConsole(RelayBus *bus) : m_bus(bus)
{
}

QStringList RelayConsole::execute(const QString &line)
{
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty() || words.first().startsWith(QLatin1Char('#')))
        return {};
    const QString name = words.first().toLower();
    for (const Command &command : commands()) {
        if (command.name != name)
            continue;
        QStringList answer = (this->*command.run)(command, words.mid(1));
        if (!answer.isEmpty())
            return answer;
        return errorLine(QStringLiteral("usage: %1, %2")
                             .arg((command.name + QLatin1Char(' ') + command.usage).trimmed(),
                                 command.description));
    }
    return errorLine(
        QStringLiteral("unknown command \"%1\" (help lists the commands)").arg(words.first()));
}

QStringList RelayConsole::help(const Command &, const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return {};
    QStringList lines = { QStringLiteral("commands:") };
    for (const Command &command : commands())
        lines.append(QStringLiteral("  %1 %2")
                         .arg((command.name + QLatin1Char(' ') + command.usage).trimmed(), -24)
                         .arg(command.description));
    return lines;
}

QStringList RelayConsole::status(const Command &, const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return {};
    QStringList lines;
    const QList<int> ids = m_bus->ids();
    for (int id : ids)
        lines.append(relayStatus(id));
    lines.append(faultsText(m_bus->faults()));
    const LinePacing pacing = m_bus->linePacing();
    lines.append(QStringLiteral("line: %1 requests, %2 answers, %3")
                     .arg(m_bus->framesReceived())
                     .arg(m_bus->answersSent())
                     .arg(pacing.isOn() ? QStringLiteral("paced at %1 baud").arg(pacing.baudRate)
                                        : QStringLiteral("not paced")));
    return lines;
}

QString RelayConsole::relayStatus(int id) const
{
    QStringList lit;
    for (const Led &led : Leds) {
        if (m_bus->coil(id, led.coil))
            lit.append(QLatin1String(led.name));
    }
    return QStringLiteral("relay %1: %2, type %3, modules %4, crashes %5, LEDs [%6]")
        .arg(QString::number(id),
            m_bus->isRelayOnline(id) ? QStringLiteral("on") : QStringLiteral("off"),
            hex(m_bus->holdingRegister(id, 0)), hex(m_bus->holdingRegister(id, ModulesRegister)),
            QString::number(m_bus->holdingRegister(id, CrashCountRegister)),
            lit.join(QLatin1String(", ")));
}

QString RelayConsole::faultsText(const FaultSettings &faults)
{
    QStringList active;
    for (const ProbabilityFault &fault : probabilityFaults()) {
        if (faults.*fault.probability > 0)
            active.append(QStringLiteral("%1 %2").arg(fault.name).arg(faults.*fault.probability));
    }
    if (faults.maxDelayMs > 0)
        active.append(
            QStringLiteral("delay %1").arg(delayText(faults.minDelayMs, faults.maxDelayMs)));
    return QStringLiteral("faults: %1")
        .arg(active.isEmpty() ? QStringLiteral("none") : active.join(QLatin1String(", ")));
}

QStringList RelayConsole::setProbability(const Command &command, const QStringList &arguments)
{
    FaultSettings faults = m_bus->faults();
    double &probability = faults.*command.probability;
    const double before = probability;
    if (arguments.size() != 1 || !parseProbability(arguments.first(), &probability))
        return {};
    m_bus->setFaults(faults);
    return { QStringLiteral("%1 %2").arg(command.name).arg(probability)
        + was(QString::number(before)) };
}

QStringList RelayConsole::setDelay(const Command &command, const QStringList &arguments)
{
    FaultSettings faults = m_bus->faults();
    const QString before = delayText(faults.minDelayMs, faults.maxDelayMs);
    if (arguments.size() != 1
        || !parseDelay(arguments.first(), &faults.minDelayMs, &faults.maxDelayMs))
        return {};
    m_bus->setFaults(faults);
    return { QStringLiteral("%1 %2").arg(
                 command.name, delayText(faults.minDelayMs, faults.maxDelayMs))
        + was(before) };
}

QStringList RelayConsole::clearFaults(const Command &, const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return {};
    const QString before = faultsText(m_bus->faults()).mid(QStringLiteral("faults: ").size());
    m_bus->setFaults(FaultSettings());
    return { faultsText(FaultSettings()) + was(before) };
}

bool RelayConsole::parseRelay(const QString &text, int *id, QStringList *error) const
{
    bool ok = false;
    *id = text.toInt(&ok);
    if (ok && m_bus->ids().contains(*id))
        return true;
    *error = errorLine(QStringLiteral("no relay %1 on the line").arg(text));
    return false;
}

QStringList RelayConsole::switchRelay(const Command &command, const QStringList &arguments)
{
    if (arguments.size() != 1)
        return {};
    int id = 0;
    QStringList error;
    if (!parseRelay(arguments.first(), &id, &error))
        return error;
    const auto onOff
        = [](bool online) { return online ? QStringLiteral("on") : QStringLiteral("off"); };
    const bool before = m_bus->isRelayOnline(id);
    const bool online = command.name == QLatin1String("on");
    m_bus->setRelayOnline(id, online);
    return { QStringLiteral("relay %1: %2").arg(id).arg(onOff(online)) + was(onOff(before)) };
}

QStringList RelayConsole::trip(const Command &, const QStringList &arguments)
{
    if (arguments.size() < 2 || arguments.size() > 3)
        return {};
    int id = 0;
    QStringList error;
    if (!parseRelay(arguments.at(0), &id, &error))
        return error;
    const int type = parseCrashType(arguments.at(1));
    // Auto-reclose trips carry no current: one given for them is not recorded.
    const bool hasCurrent = type >= 1 && type <= 3;
    bool ok = true;
    const double amperes = arguments.size() == 3 ? arguments.at(2).toDouble(&ok) : 0;
    if (type == 0 || !ok || (hasCurrent && arguments.size() != 3))
        return {};

    const quint16 before = m_bus->holdingRegister(id, CrashCountRegister);
    if (!m_bus->recordCrash(id, type, amperes))
        return errorLine(QStringLiteral("relay %1 cannot record %2 A with its current range and "
                                        "transformer factor")
                             .arg(id)
                             .arg(arguments.at(2)));
    const CrashType &crash = CrashTypes[type - 1];
    QString current;
    if (hasCurrent) {
        // As the client shows it: the recorded secondary current times the transformer factor,
        // phase currents in units of the range.
        const double raw = m_bus->holdingRegister(id, NewestCrashRegister + 5);
        const double scale = m_bus->holdingRegister(id, NewestCrashRegister + 6);
        const int range = m_bus->holdingRegister(id, NewestCrashRegister + 7);
        const int multiplier = range >= 1 && range <= 4 ? 1 << (range - 1) : 0;
        current = type == 3
            ? QStringLiteral(" at %1 A").arg(raw * scale * 0.001, 0, 'f', 3)
            : QStringLiteral(" at %1 A").arg(raw * scale * multiplier * 0.01, 0, 'f', 2);
    }
    const int ledIndex = crash.led - FirstLed;
    return { QStringLiteral("relay %1: tripped %2%3, crash count %4 (was %5), LED %6 on")
                 .arg(id)
                 .arg(QLatin1String(crash.name), current)
                 .arg(m_bus->holdingRegister(id, CrashCountRegister))
                 .arg(before)
                 .arg(QLatin1String(Leds[ledIndex].name)) };
}

QStringList RelayConsole::setRegister(const Command &, const QStringList &arguments)
{
    if (arguments.size() != 3)
        return {};
    int id = 0;
    QStringList error;
    if (!parseRelay(arguments.at(0), &id, &error))
        return error;
    int address = 0;
    int value = 0;
    if (!parseNumber(arguments.at(1), &address) || !parseNumber(arguments.at(2), &value)
        || value < -32768 || value > 65535)
        return {};
    if (!RelayBus::hasHoldingRegister(address))
        return errorLine(QStringLiteral("relay %1 has no register %2").arg(id).arg(address));
    if (address >= 16 && address <= 21 && m_bus->measurementsLive())
        return errorLine(QStringLiteral("register %1 follows the live measurements (start the "
                                        "simulator with --still to set it)")
                             .arg(address));
    const quint16 word = static_cast<quint16>(value);
    const quint16 before = m_bus->holdingRegister(id, address);
    if (address == ModulesRegister)
        m_bus->setModules(id, word); // the APV ready LED follows the modules
    else if (!m_bus->setHoldingRegister(id, address, word))
        return errorLine(QStringLiteral("relay %1 refuses %2 in register %3 (not a valid time)")
                             .arg(id)
                             .arg(arguments.at(2))
                             .arg(address));
    return { QStringLiteral("relay %1: register %2 = %3 (was %4)")
                 .arg(id)
                 .arg(address)
                 .arg(m_bus->holdingRegister(id, address))
                 .arg(before) };
}

QStringList RelayConsole::setRegisterRule(const Command &command, const QStringList &arguments)
{
    if (arguments.size() != 3)
        return {};
    int id = 0;
    QStringList error;
    if (!parseRelay(arguments.at(0), &id, &error))
        return error;
    int address = 0;
    const std::optional<RegisterRule> rule = RegisterRule::parse(command.name, arguments.at(2));
    if (!parseNumber(arguments.at(1), &address) || !rule)
        return {};
    if (!RelayBus::hasHoldingRegister(address))
        return errorLine(QStringLiteral("relay %1 has no register %2").arg(id).arg(address));
    m_bus->setRegisterRule(id, address, *rule);
    return { QStringLiteral("relay %1 register %2: %3").arg(id).arg(address).arg(rule->text()) };
}

QStringList RelayConsole::acceptRegister(const Command &, const QStringList &arguments)
{
    if (arguments.size() != 2)
        return {};
    int id = 0;
    QStringList error;
    if (!parseRelay(arguments.at(0), &id, &error))
        return error;
    int address = 0;
    if (!parseNumber(arguments.at(1), &address))
        return {};
    if (!m_bus->removeRegisterRule(id, address))
        return errorLine(QStringLiteral("relay %1 register %2 has no rule").arg(id).arg(address));
    return { QStringLiteral("relay %1 register %2: accepted").arg(id).arg(address) };
}

QStringList RelayConsole::listRules(const Command &, const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return {};
    const QStringList rules = m_bus->registerRules();
    return QStringList { QStringLiteral("rules: %1").arg(rules.size()) } + rules;
}

QStringList RelayConsole::listWrites(const Command &, const QStringList &arguments)
{
    if (arguments.size() == 1 && arguments.first() == QLatin1String("clear")) {
        const int count = m_bus->receivedWrites().size();
        m_bus->clearReceivedWrites();
        return { QStringLiteral("writes: 0 (was %1)").arg(count) };
    }
    if (!arguments.isEmpty())
        return {};
    const QList<ReceivedWrite> writes = m_bus->receivedWrites();
    QStringList lines = { QStringLiteral("writes: %1").arg(writes.size()) };
    for (const ReceivedWrite &write : writes)
        lines.append(QStringLiteral("  ") + writeLogLine(write));
    return lines;
}

QStringList RelayConsole::quit(const Command &, const QStringList &arguments)
{
    if (!arguments.isEmpty())
        return {};
    m_quit = true;
    return { QStringLiteral("stopping") };
}
