// SPDX-License-Identifier: GPL-3.0-or-later
#include "relaybus.h"
#include "relayconsole.h"

#include <QtTest>

#include <memory>

namespace {

constexpr int CrashCountRegister = 0x4000;
constexpr int NewestCrashRegister = 0x4010;
constexpr int CrashRecordSize = 8;
constexpr int OldestCrashRegister = NewestCrashRegister + 59 * CrashRecordSize;
constexpr int LedMtz = 0x1008;
constexpr int LedApvReady = 0x100F;

QList<quint16> registers(const RelayBus &bus, int id, int address, int count)
{
    QList<quint16> values;
    for (int i = 0; i < count; ++i)
        values.append(bus.holdingRegister(id, address + i));
    return values;
}

double faultValue(const FaultSettings &faults, const QString &name)
{
    for (const RelayConsole::ProbabilityFault &fault : RelayConsole::probabilityFaults()) {
        if (fault.name == name)
            return faults.*fault.probability;
    }
    return -1;
}

} // namespace

// The console over an engine that is not started: what a command changes is read back from the
// relays' state, what it answers is compared word for word, since scripts read it.
class TestRelayConsole : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void probabilityFaults_data();
    void probabilityFaults();
    void delayAndNoFaults();
    void offAndOn();
    void tripRecordsANewestCrash_data();
    void tripRecordsANewestCrash();
    void tripDropsTheOldestKeptRecord();
    void setWritesARegister_data();
    void setWritesARegister();
    void status();
    void registerRulesAndWrites();
    void helpListsEveryCommand();
    void badInputAnswersOneErrorAndChangesNothing_data();
    void badInputAnswersOneErrorAndChangesNothing();
    void blankLinesAndCommentsAnswerNothing();
    void quit();

private:
    QStringList snapshot() const;

    std::unique_ptr<RelayBus> m_bus;
    std::unique_ptr<RelayConsole> m_console;
};

void TestRelayConsole::init()
{
    m_bus = std::make_unique<RelayBus>(QList<int> { 1, 2, 5 });
    m_console = std::make_unique<RelayConsole>(m_bus.get());
}

void TestRelayConsole::cleanup()
{
    m_console.reset();
    m_bus.reset();
}

// Everything a command may change, apart from the running clock and measurements.
QStringList TestRelayConsole::snapshot() const
{
    QStringList state = m_console->execute(QStringLiteral("status"));
    for (int id : m_bus->ids()) {
        QStringList words;
        for (int address = 0; address <= 51; ++address) {
            if ((address < 12 || address > 14) && (address < 16 || address > 21))
                words.append(QString::number(m_bus->holdingRegister(id, address)));
        }
        for (quint16 value : registers(*m_bus, id, NewestCrashRegister, 60 * CrashRecordSize))
            words.append(QString::number(value));
        state.append(words.join(QLatin1Char(' ')));
    }
    return state;
}

void TestRelayConsole::probabilityFaults_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<double>("probability");

    QTest::newRow("drop") << "drop 0.25"
                          << "drop 0.25 (was 0)"
                          << "drop" << 0.25;
    QTest::newRow("bad CRC") << "bad-crc 1"
                             << "bad-crc 1 (was 0)"
                             << "bad-crc" << 1.0;
    QTest::newRow("exception") << "exception 0.1"
                               << "exception 0.1 (was 0)"
                               << "exception" << 0.1;
    QTest::newRow("short frame") << "short-frame .5"
                                 << "short-frame 0.5 (was 0)"
                                 << "short-frame" << 0.5;
    QTest::newRow("long frame") << "long-frame 0.2"
                                << "long-frame 0.2 (was 0)"
                                << "long-frame" << 0.2;
    QTest::newRow("wrong byte count") << "wrong-count 0.3"
                                      << "wrong-count 0.3 (was 0)"
                                      << "wrong-count" << 0.3;
    QTest::newRow("foreign slave") << "FOREIGN-SLAVE 0.05"
                                   << "foreign-slave 0.05 (was 0)"
                                   << "foreign-slave" << 0.05;
}

void TestRelayConsole::probabilityFaults()
{
    QFETCH(QString, command);
    QFETCH(QString, answer);
    QFETCH(QString, fault);
    QFETCH(double, probability);

    QCOMPARE(m_console->execute(command), QStringList { answer });
    QCOMPARE(faultValue(m_bus->faults(), fault), probability);
    // The others stay off, and the same command again tells what it was.
    for (const RelayConsole::ProbabilityFault &other : RelayConsole::probabilityFaults()) {
        if (other.name != fault)
            QCOMPARE(m_bus->faults().*other.probability, 0.0);
    }
    QCOMPARE(m_console->execute(fault + QStringLiteral(" 0")),
        QStringList { QStringLiteral("%1 0 (was %2)").arg(fault).arg(probability) });
    QCOMPARE(faultValue(m_bus->faults(), fault), 0.0);
}

void TestRelayConsole::delayAndNoFaults()
{
    QCOMPARE(m_console->execute(QStringLiteral("delay 50")),
        QStringList { QStringLiteral("delay 50 ms (was 0 ms)") });
    QCOMPARE(m_bus->faults().minDelayMs, 50);
    QCOMPARE(m_bus->faults().maxDelayMs, 50);
    QCOMPARE(m_console->execute(QStringLiteral("delay 10-80")),
        QStringList { QStringLiteral("delay 10-80 ms (was 50 ms)") });
    QCOMPARE(m_bus->faults().minDelayMs, 10);
    QCOMPARE(m_bus->faults().maxDelayMs, 80);

    m_console->execute(QStringLiteral("drop 0.5"));
    m_console->execute(QStringLiteral("wrong-count 0.1"));
    QCOMPARE(m_console->execute(QStringLiteral("no-faults")),
        QStringList {
            QStringLiteral("faults: none (was drop 0.5, wrong-count 0.1, delay 10-80 ms)") });
    const FaultSettings faults = m_bus->faults();
    QCOMPARE(faults.dropProbability, 0.0);
    QCOMPARE(faults.wrongByteCountProbability, 0.0);
    QCOMPARE(faults.maxDelayMs, 0);
}

void TestRelayConsole::offAndOn()
{
    QCOMPARE(m_console->execute(QStringLiteral("off 2")),
        QStringList { QStringLiteral("relay 2: off (was on)") });
    QVERIFY(!m_bus->isRelayOnline(2));
    QVERIFY(m_bus->isRelayOnline(1));
    QVERIFY(m_bus->isRelayOnline(5));
    QCOMPARE(m_console->execute(QStringLiteral("off 2")),
        QStringList { QStringLiteral("relay 2: off (was off)") });
    QCOMPARE(m_console->execute(QStringLiteral("on 2")),
        QStringList { QStringLiteral("relay 2: on (was off)") });
    QVERIFY(m_bus->isRelayOnline(2));
}

void TestRelayConsole::tripRecordsANewestCrash_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("currentRaw");
    QTest::addColumn<int>("currentScale");
    QTest::addColumn<int>("led");

    // Relay 1 as it comes: range code 2, Kt 60, Kt0 30. A phase current in amperes is
    // raw x Kt x 2 x 0.01, a zero-sequence one raw x Kt0 x 0.001.
    QTest::newRow("MTZ by code")
        << "trip 1 1 1500"
        << "relay 1: tripped MTZ at 1500.00 A, crash count 6 (was 5), LED MTZ on" << 1 << 1250 << 60
        << 0x1008;
    QTest::newRow("TO by name, rounded to what the relay can hold")
        << "trip 1 to 2000.5"
        << "relay 1: tripped TO at 2000.40 A, crash count 6 (was 5), LED TO on" << 2 << 1667 << 60
        << 0x1009;
    QTest::newRow("ZNZ") << "trip 1 ZNZ 1.2"
                         << "relay 1: tripped ZNZ at 1.200 A, crash count 6 (was 5), LED ZNZ on"
                         << 3 << 40 << 30 << 0x100A;
    QTest::newRow("APV 1 carries no current")
        << "trip 1 4 300"
        << "relay 1: tripped APV 1, crash count 6 (was 5), LED APV on" << 4 << 0 << 0 << 0x100B;
    QTest::newRow("APV 2 without a current")
        << "trip 1 apv2"
        << "relay 1: tripped APV 2, crash count 6 (was 5), LED APV on" << 5 << 0 << 0 << 0x100B;
    QTest::newRow("AChR") << "trip 1 achr 0"
                          << "relay 1: tripped AChR, crash count 6 (was 5), LED AChR on" << 6 << 0
                          << 0 << 0x100C;
}

void TestRelayConsole::tripRecordsANewestCrash()
{
    QFETCH(QString, command);
    QFETCH(QString, answer);
    QFETCH(int, type);
    QFETCH(int, currentRaw);
    QFETCH(int, currentScale);
    QFETCH(int, led);

    const QList<quint16> before = registers(*m_bus, 1, NewestCrashRegister, 59 * CrashRecordSize);
    const QList<quint16> otherRelay = registers(*m_bus, 2, CrashCountRegister, 0x200);
    m_bus->setCoil(1, led, false);
    const QDateTime clock = m_bus->clock(1);

    QCOMPARE(m_console->execute(command), QStringList { answer });
    QCOMPARE(m_bus->holdingRegister(1, CrashCountRegister), quint16(6));
    const QList<quint16> newest = registers(*m_bus, 1, NewestCrashRegister, CrashRecordSize);
    QCOMPARE(newest.at(0), quint16(6));
    const QDateTime stamp(QDate(2000 + (newest.at(1) >> 8), newest.at(1) & 0xFF, newest.at(2) >> 8),
        QTime(newest.at(2) & 0xFF, newest.at(3) >> 8, newest.at(3) & 0xFF));
    QVERIFY2(stamp.isValid() && clock.secsTo(stamp) >= 0 && clock.secsTo(stamp) <= 2,
        qPrintable(stamp.toString(Qt::ISODate)));
    QCOMPARE(newest.mid(4),
        (QList<quint16> { quint16(type), quint16(currentRaw), quint16(currentScale), 2 }));
    QVERIFY(m_bus->coil(1, led));
    // The older records move down one place, and no other relay trips.
    QCOMPARE(
        registers(*m_bus, 1, NewestCrashRegister + CrashRecordSize, 59 * CrashRecordSize), before);
    QCOMPARE(registers(*m_bus, 2, CrashCountRegister, 0x200), otherRelay);
}

void TestRelayConsole::tripDropsTheOldestKeptRecord()
{
    m_bus->setCrashCount(5, 65535);
    const QList<quint16> secondOldest
        = registers(*m_bus, 5, OldestCrashRegister - CrashRecordSize, CrashRecordSize);
    QCOMPARE(m_console->execute(QStringLiteral("trip 5 mtz 500")),
        QStringList {
            QStringLiteral("relay 5: tripped MTZ at 500.40 A, crash count 65535 (was 65535), LED "
                           "MTZ on") });
    // The count saturates like the relay's own register; 60 records stay, the newest first.
    QCOMPARE(m_bus->holdingRegister(5, CrashCountRegister), quint16(65535));
    QCOMPARE(m_bus->holdingRegister(5, NewestCrashRegister), quint16(65535));
    QCOMPARE(registers(*m_bus, 5, OldestCrashRegister, CrashRecordSize), secondOldest);
}

void TestRelayConsole::setWritesARegister_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("value");

    QTest::newRow("setpoint") << "set 1 49 95"
                              << "relay 1: register 49 = 95 (was 60)" << 49 << 95;
    QTest::newRow("hexadecimal device type")
        << "set 2 0x0 0x8d91"
        << "relay 2: register 0 = 36241 (was 36240)" << 0 << 0x8D91;
    QTest::newRow("leading zero is decimal") << "set 1 49 010"
                                             << "relay 1: register 49 = 10 (was 60)" << 49 << 10;
    QTest::newRow("negative as a signed word")
        << "set 1 29 -2"
        << "relay 1: register 29 = 65534 (was 0)" << 29 << 65534;
    QTest::newRow("crash count alone") << "set 5 16384 3"
                                       << "relay 5: register 16384 = 3 (was 5)" << 0x4000 << 3;
}

void TestRelayConsole::setWritesARegister()
{
    QFETCH(QString, command);
    QFETCH(QString, answer);
    QFETCH(int, address);
    QFETCH(int, value);

    const int id = command.section(QLatin1Char(' '), 1, 1).toInt();
    QCOMPARE(m_console->execute(command), QStringList { answer });
    QCOMPARE(int(m_bus->holdingRegister(id, address)), value);
}

void TestRelayConsole::registerRulesAndWrites()
{
    QCOMPARE(m_console->execute(QStringLiteral("refuse 2 35 3")),
        QStringList { QStringLiteral("relay 2 register 35: refuse 3") });
    QCOMPARE(m_console->execute(QStringLiteral("clamp 5 0x22 10-200")),
        QStringList { QStringLiteral("relay 5 register 34: clamp 10-200") });
    QCOMPARE(m_console->execute(QStringLiteral("take-refuse 5 35 4")),
        QStringList { QStringLiteral("relay 5 register 35: take-refuse 4") });
    QCOMPARE(m_console->execute(QStringLiteral("rules")),
        (QStringList { QStringLiteral("rules: 3"), QStringLiteral("relay 2 register 35: refuse 3"),
            QStringLiteral("relay 5 register 34: clamp 10-200"),
            QStringLiteral("relay 5 register 35: take-refuse 4") }));
    QCOMPARE(m_console->execute(QStringLiteral("accept 5 35")),
        QStringList { QStringLiteral("relay 5 register 35: accepted") });
    QCOMPARE(m_console->execute(QStringLiteral("accept 2 35")),
        QStringList { QStringLiteral("relay 2 register 35: accepted") });
    QCOMPARE(m_console->execute(QStringLiteral("accept 2 35")),
        QStringList { QStringLiteral("error: relay 2 register 35 has no rule") });
    QCOMPARE(m_bus->registerRules().size(), 1);

    for (const QString &bad : { QStringLiteral("refuse 2 35 0"), QStringLiteral("refuse 2 35 12"),
             QStringLiteral("clamp 2 34 200-10"), QStringLiteral("clamp 2 34 5"),
             QStringLiteral("refuse 7 35 3"), QStringLiteral("refuse 2 0x5000 3"),
             QStringLiteral("take-refuse 2 35 0"), QStringLiteral("take-refuse 2 35 10-20") }) {
        const QStringList answer = m_console->execute(bad);
        QCOMPARE(answer.size(), 1);
        QVERIFY2(answer.first().startsWith(QLatin1String("error: ")), qPrintable(bad));
    }
    QCOMPARE(m_bus->registerRules().size(), 1);

    // The engine is not started: the writes list is empty and says so.
    QCOMPARE(
        m_console->execute(QStringLiteral("writes")), QStringList { QStringLiteral("writes: 0") });
    QCOMPARE(m_console->execute(QStringLiteral("writes clear")),
        QStringList { QStringLiteral("writes: 0 (was 0)") });
}

void TestRelayConsole::status()
{
    m_bus->setDeviceTypeCode(2, 0x8D91);
    m_bus->setModules(5, 0x0008);
    m_bus->setCrashCount(2, 70);
    m_bus->setRelayOnline(5, false);
    const auto light = [this](int id, const QList<int> &lit) {
        for (int led = LedMtz; led < LedApvReady; ++led)
            m_bus->setCoil(id, led, lit.contains(led - LedMtz));
    };
    light(1, { 0, 1, 4 });
    light(2, {});
    light(5, { 2 });
    m_bus->setLinePacing(19200, 11);
    m_console->execute(QStringLiteral("bad-crc 0.1"));
    m_console->execute(QStringLiteral("delay 20"));
    QCOMPARE(m_console->execute(QStringLiteral("slow 2 120")),
        QStringList { QStringLiteral("relay 2: answers after 120 ms (was 0 ms)") });

    QCOMPARE(m_console->execute(QStringLiteral("status")),
        (QStringList {
            QStringLiteral("relay 1: on, type 0x8D90, modules 0x000F, crashes 5, LEDs [MTZ, TO, "
                           "AChR, APV ready]"),
            QStringLiteral(
                "relay 2: on, type 0x8D91, modules 0x000F, crashes 70, LEDs [APV ready], answers "
                "after 120 ms"),
            QStringLiteral("relay 5: off, type 0x8D90, modules 0x0008, crashes 5, LEDs [ZNZ]"),
            QStringLiteral("faults: bad-crc 0.1, delay 20 ms"),
            QStringLiteral("line: 0 requests, 0 answers, paced at 19200 baud"),
        }));
    m_bus->setCoil(5, LedMtz + 2, false);
    QVERIFY(m_console->execute(QStringLiteral("status"))
                .contains(QStringLiteral(
                    "relay 5: off, type 0x8D90, modules 0x0008, crashes 5, LEDs []")));
}

void TestRelayConsole::helpListsEveryCommand()
{
    const QStringList help = m_console->execute(QStringLiteral("help"));
    QCOMPARE(help.first(), QStringLiteral("commands:"));
    QVERIFY(help.last().startsWith(QLatin1String("  quit ")));
    QStringList names;
    for (const QString &line : help.mid(1)) {
        QVERIFY2(line.startsWith(QLatin1String("  ")), qPrintable(line));
        names.append(line.simplified().section(QLatin1Char(' '), 0, 0));
    }
    QStringList expected = { QStringLiteral("help"), QStringLiteral("status"),
        QStringLiteral("delay"), QStringLiteral("slow"), QStringLiteral("no-faults"),
        QStringLiteral("off"), QStringLiteral("on"), QStringLiteral("trip"), QStringLiteral("set"),
        QStringLiteral("refuse"), QStringLiteral("clamp"), QStringLiteral("take-refuse"),
        QStringLiteral("accept"), QStringLiteral("rules"), QStringLiteral("writes"),
        QStringLiteral("quit") };
    for (const RelayConsole::ProbabilityFault &fault : RelayConsole::probabilityFaults())
        expected.append(fault.name);
    names.sort();
    expected.sort();
    QCOMPARE(names, expected);
    // The arguments line up in a column before the description.
    QVERIFY(help.contains(QStringLiteral("  off ID                   the relay falls silent")));
    QVERIFY(help.contains(QStringLiteral(
        "  drop P                   an answer is lost, with probability P (0 to 1)")));
    QVERIFY(help.contains(
        QStringLiteral("  writes [clear]           lists the writes the relays took, in order, or "
                       "forgets them")));
}

void TestRelayConsole::badInputAnswersOneErrorAndChangesNothing_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("answer"); // its start

    QTest::newRow("unknown command")
        << "reboot 1"
        << "error: unknown command \"reboot\" (help lists the commands)";
    QTest::newRow("probability above 1") << "drop 1.5"
                                         << "error: usage: drop P, an answer is lost";
    QTest::newRow("probability in percent") << "bad-crc 20%"
                                            << "error: usage: bad-crc P,";
    QTest::newRow("probability missing") << "exception"
                                         << "error: usage: exception P,";
    QTest::newRow("two probabilities") << "drop 0.1 0.2"
                                       << "error: usage: drop P,";
    QTest::newRow("negative delay") << "delay -5"
                                    << "error: usage: delay MS|MIN-MAX,";
    QTest::newRow("delay range upside down") << "delay 80-10"
                                             << "error: usage: delay MS|MIN-MAX,";
    QTest::newRow("delay with three parts") << "delay 1-2-3"
                                            << "error: usage: delay MS|MIN-MAX,";
    QTest::newRow("no-faults with an argument") << "no-faults now"
                                                << "error: usage: no-faults,";
    QTest::newRow("relay not on the line") << "off 3"
                                           << "error: no relay 3 on the line";
    QTest::newRow("relay ID not a number") << "on two"
                                           << "error: no relay two on the line";
    QTest::newRow("relay missing") << "off"
                                   << "error: usage: off ID,";
    QTest::newRow("trip of an absent relay") << "trip 9 1 100"
                                             << "error: no relay 9 on the line";
    QTest::newRow("trip of an unknown type") << "trip 1 7 100"
                                             << "error: usage: trip ID TYPE CURRENT,";
    QTest::newRow("trip of an unknown name") << "trip 1 apv 100"
                                             << "error: usage: trip ID TYPE CURRENT,";
    QTest::newRow("MTZ trip without a current") << "trip 1 mtz"
                                                << "error: usage: trip ID TYPE CURRENT,";
    QTest::newRow("current not a number") << "trip 1 1 much"
                                          << "error: usage: trip ID TYPE CURRENT,";
    QTest::newRow("current beyond the record")
        << "trip 1 1 80000"
        << "error: relay 1 cannot record 80000 A with its current range and transformer factor";
    QTest::newRow("negative current") << "trip 1 znz -1"
                                      << "error: relay 1 cannot record -1 A";
    QTest::newRow("register beyond the map") << "set 1 52 1"
                                             << "error: relay 1 has no register 52";
    QTest::newRow("register between the crash count and the log")
        << "set 1 0x4001 1"
        << "error: relay 1 has no register 16385";
    QTest::newRow("live measurement") << "set 1 16 500"
                                      << "error: register 16 follows the live measurements";
    QTest::newRow("impossible hour")
        << "set 1 13 0x0119"
        << "error: relay 1 refuses 0x0119 in register 13 (not a valid time)";
    QTest::newRow("value beyond a word") << "set 1 49 65536"
                                         << "error: usage: set ID REGISTER VALUE,";
    QTest::newRow("value missing") << "set 1 49"
                                   << "error: usage: set ID REGISTER VALUE,";
    QTest::newRow("status with an argument") << "status 1"
                                             << "error: usage: status,";
    QTest::newRow("quit with an argument") << "quit now"
                                           << "error: usage: quit,";
    // Every command's argument count, checked before the relay its ID names.
    QTest::newRow("help with an argument") << "help me"
                                           << "error: usage: help, lists the commands";
    QTest::newRow("slow without a time") << "slow 2"
                                         << "error: usage: slow ID MS,";
    QTest::newRow("slow, a negative time") << "slow 2 -5"
                                           << "error: usage: slow ID MS,";
    QTest::newRow("delay missing") << "delay"
                                   << "error: usage: delay MS|MIN-MAX,";
    QTest::newRow("two relays at once") << "off 3 4"
                                        << "error: usage: off ID, the relay falls silent";
    QTest::newRow("on with two relays") << "on 1 2"
                                        << "error: usage: on ID, the relay answers again";
    QTest::newRow("trip without a type") << "trip 9"
                                         << "error: usage: trip ID TYPE CURRENT,";
    QTest::newRow("trip with a word too many") << "trip 1 1 100 5"
                                               << "error: usage: trip ID TYPE CURRENT,";
    QTest::newRow("set of an absent relay") << "set 9 49 1"
                                            << "error: no relay 9 on the line";
    QTest::newRow("set with a hexadecimal relay ID") << "set 0x1 49 1"
                                                     << "error: no relay 0x1 on the line";
    QTest::newRow("refusal without a code") << "refuse 2 35"
                                            << "error: usage: refuse ID REGISTER CODE,";
    QTest::newRow("clamp with a word too many") << "clamp 2 34 10-200 5"
                                                << "error: usage: clamp ID REGISTER MIN-MAX,";
    QTest::newRow("clamp of an absent relay") << "clamp 4 34 10-200"
                                              << "error: no relay 4 on the line";
    QTest::newRow("accept without a register") << "accept 2"
                                               << "error: usage: accept ID REGISTER,";
    QTest::newRow("accept of a register not a number") << "accept 2 x"
                                                       << "error: usage: accept ID REGISTER,";
    QTest::newRow("accept of an absent relay") << "accept 9 35"
                                               << "error: no relay 9 on the line";
    QTest::newRow("rules with an argument") << "rules 2"
                                            << "error: usage: rules,";
    QTest::newRow("writes with another word")
        << "writes all"
        << "error: usage: writes [clear], lists the writes the relays took, in order, or forgets "
           "them";
    QTest::newRow("writes clear with a word more") << "writes clear now"
                                                   << "error: usage: writes [clear],";
}

void TestRelayConsole::badInputAnswersOneErrorAndChangesNothing()
{
    QFETCH(QString, command);
    QFETCH(QString, answer);

    m_bus->setCrashCount(1, 70);
    const QStringList before = snapshot();
    const QDateTime clock = m_bus->clock(1);
    const QStringList lines = m_console->execute(command);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith(answer), qPrintable(lines.first()));
    QCOMPARE(snapshot(), before);
    QVERIFY(qAbs(clock.secsTo(m_bus->clock(1))) <= 2);
    QVERIFY(!m_console->quitRequested());
}

void TestRelayConsole::blankLinesAndCommentsAnswerNothing()
{
    const QStringList before = snapshot();
    QVERIFY(m_console->execute(QString()).isEmpty());
    QVERIFY(m_console->execute(QStringLiteral("   \t ")).isEmpty());
    QVERIFY(m_console->execute(QStringLiteral("# off 1")).isEmpty());
    QCOMPARE(snapshot(), before);
    // Spacing and case do not matter.
    QCOMPARE(m_console->execute(QStringLiteral("  OFF\t 1 \r")),
        QStringList { QStringLiteral("relay 1: off (was on)") });
}

void TestRelayConsole::quit()
{
    QVERIFY(!m_console->quitRequested());
    QCOMPARE(
        m_console->execute(QStringLiteral("quit")), QStringList { QStringLiteral("stopping") });
    QVERIFY(m_console->quitRequested());
}

QTEST_GUILESS_MAIN(TestRelayConsole)
#include "tst_relayconsole.moc"
