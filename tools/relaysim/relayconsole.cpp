// SPDX-License-Identifier: GPL-3.0-or-later
#include "relayconsole.h"

#include "relaybus.h"
#include "relaymap.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>

namespace {

struct Led
{
    int coil;
    const char *name;
};
// In the order of the coils.
const Led Leds[] = { { LedMtz, "MTZ" }, { LedTo, "TO" }, { LedZnz, "ZNZ" }, { LedApv, "APV" },
    { LedAChR, "AChR" }, { LedApvReady, "APV ready" } };

const char *ledName(int coil)
{
    const auto led = std::find_if(
        std::begin(Leds), std::end(Leds), [coil](const Led &led) { return led.coil == coil; });
    return led == std::end(Leds) ? "" : led->name;
}

// By crash type code, from CrashMtz on: the name a trainer types, the name the client shows.
struct CrashTypeName
{
    const char *token;
    const char *name;
};
const CrashTypeName CrashTypeNames[] = { { "MTZ", "MTZ" }, { "TO", "TO" }, { "ZNZ", "ZNZ" },
    { "APV1", "APV 1" }, { "APV2", "APV 2" }, { "AChR", "AChR" } };

int parseCrashType(const QString &text)
{
    bool ok = false;
    const int code = text.toInt(&ok);
    if (ok)
        return code >= CrashMtz && code <= CrashAChR ? code : 0;
    for (int type = CrashMtz; type <= CrashAChR; ++type) {
        if (text.compare(QLatin1String(CrashTypeNames[type - CrashMtz].token), Qt::CaseInsensitive)
            == 0)
            return type;
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

QString onOff(bool online)
{
    return online ? QStringLiteral("on") : QStringLiteral("off");
}

QStringList noRegister(int id, int address)
{
    return errorLine(QStringLiteral("relay %1 has no register %2").arg(id).arg(address));
}

// How many arguments a command takes, the relay ID included.
struct Arity
{
    int min;
    int max;
};

constexpr Arity exactly(int count)
{
    return { count, count };
}

constexpr Arity between(int min, int max)
{
    return { min, max };
}

struct Command;

// What a command is handed: the arguments after its name, with the relay ID taken off the front
// and checked for a command that names a relay.
struct Call
{
    RelayBus &bus;
    const Command &command;
    QStringList arguments;
    int relay;
    bool quit; // the command stops the simulator
};

struct Command
{
    QString name;
    QString usage; // the arguments, as help shows them; an "ID" first names a relay on the line
    QString description;
    Arity arity;
    // The answer; an empty one means the arguments were wrong, and the usage is answered instead.
    std::function<QStringList(Call &)> run;

    bool takesRelay() const { return usage.section(QLatin1Char(' '), 0, 0) == QLatin1String("ID"); }
    QString synopsis() const { return (name + QLatin1Char(' ') + usage).trimmed(); }
};

const std::vector<Command> &commands();

QString faultsText(const FaultSettings &faults)
{
    QStringList active;
    for (const RelayConsole::ProbabilityFault &fault : RelayConsole::probabilityFaults()) {
        if (faults.*fault.probability > 0)
            active.append(QStringLiteral("%1 %2").arg(fault.name).arg(faults.*fault.probability));
    }
    if (faults.maxDelayMs > 0)
        active.append(
            QStringLiteral("delay %1").arg(delayText(faults.minDelayMs, faults.maxDelayMs)));
    return QStringLiteral("faults: %1")
        .arg(active.isEmpty() ? QStringLiteral("none") : active.join(QLatin1String(", ")));
}

QString relayStatus(const RelayBus &bus, int id)
{
    QStringList lit;
    for (const Led &led : Leds) {
        if (bus.coil(id, led.coil))
            lit.append(QLatin1String(led.name));
    }
    const QString status
        = QStringLiteral("relay %1: %2, type %3, modules %4, crashes %5, LEDs [%6]")
              .arg(QString::number(id), onOff(bus.isRelayOnline(id)),
                  hex(bus.holdingRegister(id, DeviceTypeRegister)),
                  hex(bus.holdingRegister(id, ModulesRegister)),
                  QString::number(bus.holdingRegister(id, CrashCountRegister)),
                  lit.join(QLatin1String(", ")));
    const int answerTime = bus.answerTime(id);
    return answerTime > 0 ? status + QStringLiteral(", answers after %1 ms").arg(answerTime)
                          : status;
}

QStringList help(Call &)
{
    QStringList lines = { QStringLiteral("commands:") };
    for (const Command &command : commands())
        lines.append(
            QStringLiteral("  %1 %2").arg(command.synopsis(), -24).arg(command.description));
    return lines;
}

QStringList status(Call &call)
{
    QStringList lines;
    const QList<int> ids = call.bus.ids();
    for (int id : ids)
        lines.append(relayStatus(call.bus, id));
    lines.append(faultsText(call.bus.faults()));
    const LinePacing pacing = call.bus.linePacing();
    lines.append(QStringLiteral("line: %1 requests, %2 answers, %3")
                     .arg(call.bus.framesReceived())
                     .arg(call.bus.answersSent())
                     .arg(pacing.isOn() ? QStringLiteral("paced at %1 baud").arg(pacing.baudRate)
                                        : QStringLiteral("not paced")));
    return lines;
}

QStringList setProbability(Call &call, double FaultSettings::*probability)
{
    FaultSettings faults = call.bus.faults();
    double &value = faults.*probability;
    const double before = value;
    if (!RelayConsole::parseProbability(call.arguments.first(), &value))
        return {};
    call.bus.setFaults(faults);
    return { QStringLiteral("%1 %2").arg(call.command.name).arg(value)
        + was(QString::number(before)) };
}

QStringList setDelay(Call &call)
{
    FaultSettings faults = call.bus.faults();
    const QString before = delayText(faults.minDelayMs, faults.maxDelayMs);
    if (!RelayConsole::parseDelay(call.arguments.first(), &faults.minDelayMs, &faults.maxDelayMs))
        return {};
    call.bus.setFaults(faults);
    return { QStringLiteral("%1 %2").arg(
                 call.command.name, delayText(faults.minDelayMs, faults.maxDelayMs))
        + was(before) };
}

// ID MS
QStringList setAnswerTime(Call &call)
{
    bool ok = false;
    const int ms = call.arguments.first().toInt(&ok);
    if (!ok || ms < 0)
        return {};
    const int before = call.bus.answerTime(call.relay);
    call.bus.setAnswerTime(call.relay, ms);
    return { QStringLiteral("relay %1: answers after %2 ms").arg(call.relay).arg(ms)
        + was(QStringLiteral("%1 ms").arg(before)) };
}

QStringList clearFaults(Call &call)
{
    const QString before = faultsText(call.bus.faults()).mid(QStringLiteral("faults: ").size());
    call.bus.setFaults(FaultSettings());
    return { faultsText(FaultSettings()) + was(before) };
}

QStringList switchRelay(Call &call, bool online)
{
    const bool before = call.bus.isRelayOnline(call.relay);
    call.bus.setRelayOnline(call.relay, online);
    return { QStringLiteral("relay %1: %2").arg(call.relay).arg(onOff(online))
        + was(onOff(before)) };
}

// TYPE [CURRENT]
QStringList trip(Call &call)
{
    const int id = call.relay;
    const int type = parseCrashType(call.arguments.at(0));
    // Auto-reclose trips carry no current: one given for them is not recorded.
    const bool hasCurrent = type >= CrashMtz && type <= CrashZnz;
    bool ok = true;
    const double amperes = call.arguments.size() == 2 ? call.arguments.at(1).toDouble(&ok) : 0;
    if (type == 0 || !ok || (hasCurrent && call.arguments.size() != 2))
        return {};

    const quint16 before = call.bus.holdingRegister(id, CrashCountRegister);
    if (!call.bus.recordCrash(id, type, amperes))
        return errorLine(QStringLiteral("relay %1 cannot record %2 A with its current range and "
                                        "transformer factor")
                             .arg(id)
                             .arg(call.arguments.value(1)));
    QString current;
    if (hasCurrent) {
        // As the client shows it: the recorded secondary current times the transformer factor,
        // phase currents in units of the range.
        const double raw = call.bus.holdingRegister(id, FirstCrashRegister + 5);
        const double scale = call.bus.holdingRegister(id, FirstCrashRegister + 6);
        const int range = call.bus.holdingRegister(id, FirstCrashRegister + 7);
        const int multiplier = range >= 1 && range <= 4 ? 1 << (range - 1) : 0;
        current = type == CrashZnz
            ? QStringLiteral(" at %1 A").arg(raw * scale * 0.001, 0, 'f', 3)
            : QStringLiteral(" at %1 A").arg(raw * scale * multiplier * 0.01, 0, 'f', 2);
    }
    return { QStringLiteral("relay %1: tripped %2%3, crash count %4 (was %5), LED %6 on")
                 .arg(id)
                 .arg(QLatin1String(CrashTypeNames[type - CrashMtz].name), current)
                 .arg(call.bus.holdingRegister(id, CrashCountRegister))
                 .arg(before)
                 .arg(QLatin1String(ledName(ledFor(type)))) };
}

// REGISTER VALUE
QStringList setRegister(Call &call)
{
    const int id = call.relay;
    int address = 0;
    int value = 0;
    if (!parseNumber(call.arguments.at(0), &address) || !parseNumber(call.arguments.at(1), &value)
        || value < -32768 || value > 65535)
        return {};
    if (!RelayBus::hasHoldingRegister(address))
        return noRegister(id, address);
    if (address >= PhaseARegister && address <= LastMeasurementRegister
        && call.bus.measurementsLive())
        return errorLine(QStringLiteral("register %1 follows the live measurements (start the "
                                        "simulator with --still to set it)")
                             .arg(address));
    const quint16 word = static_cast<quint16>(value);
    const quint16 before = call.bus.holdingRegister(id, address);
    if (address == ModulesRegister)
        call.bus.setModules(id, word); // the APV ready LED follows the modules
    else if (!call.bus.setHoldingRegister(id, address, word))
        return errorLine(QStringLiteral("relay %1 refuses %2 in register %3 (not a valid time)")
                             .arg(id)
                             .arg(call.arguments.at(1))
                             .arg(address));
    return { QStringLiteral("relay %1: register %2 = %3 (was %4)")
                 .arg(id)
                 .arg(address)
                 .arg(call.bus.holdingRegister(id, address))
                 .arg(before) };
}

// REGISTER RULE, the rule of the command's kind: refuse, clamp or take-refuse.
QStringList setRegisterRule(Call &call)
{
    int address = 0;
    const std::optional<RegisterRule> rule
        = RegisterRule::parse(call.command.name, call.arguments.at(1));
    if (!parseNumber(call.arguments.at(0), &address) || !rule)
        return {};
    if (!RelayBus::hasHoldingRegister(address))
        return noRegister(call.relay, address);
    call.bus.setRegisterRule(call.relay, address, *rule);
    return {
        QStringLiteral("relay %1 register %2: %3").arg(call.relay).arg(address).arg(rule->text())
    };
}

// REGISTER
QStringList acceptRegister(Call &call)
{
    int address = 0;
    if (!parseNumber(call.arguments.at(0), &address))
        return {};
    if (!call.bus.removeRegisterRule(call.relay, address))
        return errorLine(
            QStringLiteral("relay %1 register %2 has no rule").arg(call.relay).arg(address));
    return { QStringLiteral("relay %1 register %2: accepted").arg(call.relay).arg(address) };
}

QStringList listRules(Call &call)
{
    const QStringList rules = call.bus.registerRules();
    return QStringList { QStringLiteral("rules: %1").arg(rules.size()) } + rules;
}

// [clear]
QStringList listWrites(Call &call)
{
    if (!call.arguments.isEmpty()) {
        if (call.arguments.first() != QLatin1String("clear"))
            return {};
        const int count = call.bus.receivedWrites().size();
        call.bus.clearReceivedWrites();
        return { QStringLiteral("writes: 0 (was %1)").arg(count) };
    }
    const QList<ReceivedWrite> writes = call.bus.receivedWrites();
    QStringList lines = { QStringLiteral("writes: %1").arg(writes.size()) };
    for (const ReceivedWrite &write : writes)
        lines.append(QStringLiteral("  ") + writeLogLine(write));
    return lines;
}

QStringList quit(Call &call)
{
    call.quit = true;
    return { QStringLiteral("stopping") };
}

// In the order help lists them.
const std::vector<Command> &commands()
{
    static const std::vector<Command> Commands = [] {
        std::vector<Command> commands = {
            { QStringLiteral("help"), QString(), QStringLiteral("lists the commands"), exactly(0),
                help },
            { QStringLiteral("status"), QString(),
                QStringLiteral("shows the relays, their state and the faults"), exactly(0),
                status },
        };
        for (const RelayConsole::ProbabilityFault &fault : RelayConsole::probabilityFaults()) {
            double FaultSettings::*probability = fault.probability;
            commands.push_back({ fault.name, QStringLiteral("P"),
                QStringLiteral("%1, with probability P (0 to 1)").arg(fault.description),
                exactly(1),
                [probability](Call &call) { return setProbability(call, probability); } });
        }
        const std::vector<Command> rest = {
            { QStringLiteral("delay"), QStringLiteral("MS|MIN-MAX"),
                QStringLiteral("delays every answer, by MS or by a time drawn from MIN-MAX"),
                exactly(1), setDelay },
            { QStringLiteral("slow"), QStringLiteral("ID MS"),
                QStringLiteral("the relay answers MS milliseconds after each request (0: at once)"),
                exactly(2), setAnswerTime },
            { QStringLiteral("no-faults"), QString(), QStringLiteral("switches every fault off"),
                exactly(0), clearFaults },
            { QStringLiteral("off"), QStringLiteral("ID"), QStringLiteral("the relay falls silent"),
                exactly(1), [](Call &call) { return switchRelay(call, false); } },
            { QStringLiteral("on"), QStringLiteral("ID"), QStringLiteral("the relay answers again"),
                exactly(1), [](Call &call) { return switchRelay(call, true); } },
            { QStringLiteral("trip"), QStringLiteral("ID TYPE CURRENT"),
                QStringLiteral("the relay records a crash: TYPE 1-6 or MTZ, TO, ZNZ, APV1, APV2, "
                               "AChR, CURRENT in A"),
                between(2, 3), trip },
            { QStringLiteral("set"), QStringLiteral("ID REGISTER VALUE"),
                QStringLiteral("writes a holding register (numbers decimal or 0x hex)"), exactly(3),
                setRegister },
            { QStringLiteral("refuse"), QStringLiteral("ID REGISTER CODE"),
                QStringLiteral("the relay answers writes to the register with exception CODE "
                               "(1-11)"),
                exactly(3), setRegisterRule },
            { QStringLiteral("clamp"), QStringLiteral("ID REGISTER MIN-MAX"),
                QStringLiteral("the relay keeps values written to the register within MIN-MAX"),
                exactly(3), setRegisterRule },
            { QStringLiteral("take-refuse"), QStringLiteral("ID REGISTER CODE"),
                QStringLiteral("the relay takes writes to the register, yet answers them with "
                               "exception CODE (1-11)"),
                exactly(3), setRegisterRule },
            { QStringLiteral("accept"), QStringLiteral("ID REGISTER"),
                QStringLiteral("the relay takes writes to the register as they come again"),
                exactly(2), acceptRegister },
            { QStringLiteral("rules"), QString(), QStringLiteral("lists the register rules"),
                exactly(0), listRules },
            { QStringLiteral("writes"), QStringLiteral("[clear]"),
                QStringLiteral("lists the writes the relays took, in order, or forgets them"),
                between(0, 1), listWrites },
            { QStringLiteral("quit"), QString(), QStringLiteral("stops the simulator"), exactly(0),
                quit },
        };
        commands.insert(commands.end(), rest.begin(), rest.end());
        return commands;
    }();
    return Commands;
}

QStringList usageError(const Command &command)
{
    return errorLine(QStringLiteral("usage: %1, %2").arg(command.synopsis(), command.description));
}

} // namespace

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
    const std::vector<Command> &all = commands();
    const auto command = std::find_if(
        all.begin(), all.end(), [&name](const Command &command) { return command.name == name; });
    if (command == all.end())
        return errorLine(
            QStringLiteral("unknown command \"%1\" (help lists the commands)").arg(words.first()));

    Call call { *m_bus, *command, words.mid(1), 0, false };
    if (call.arguments.size() < command->arity.min || call.arguments.size() > command->arity.max)
        return usageError(*command);
    if (command->takesRelay()) {
        const QString id = call.arguments.takeFirst();
        bool ok = false;
        call.relay = id.toInt(&ok);
        if (!ok || !m_bus->ids().contains(call.relay))
            return errorLine(QStringLiteral("no relay %1 on the line").arg(id));
    }
    const QStringList answer = command->run(call);
    m_quit = m_quit || call.quit;
    return answer.isEmpty() ? usageError(*command) : answer;
}
