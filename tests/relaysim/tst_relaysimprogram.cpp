// SPDX-License-Identifier: GPL-3.0-or-later
#include "relaybus.h"

#include <QtTest>

#include <modbus.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString MbpollPath = QStringLiteral("/usr/bin/mbpoll");

struct PollResult
{
    bool finished = false;
    QMap<int, quint16> values;
    QString output;
};

} // namespace

// Runs the program as scripts and engineers do, and reads it with mbpoll, a master that shares
// nothing with this code base but libmodbus. The expected values come from an engine set up
// with the same options.
class TestRelaysimProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void answersLikeTheEngine_data();
    void answersLikeTheEngine();
    void absentSlaveTimesOut();
    void writesReadBack();
    void consoleDrivesTheLine();
    void relayAndFaultOptionsReachTheEngine();
    void registerRuleOptionsAndWriteLog();
    void answerFaultOptionsSpoilTheAnswers_data();
    void answerFaultOptionsSpoilTheAnswers();
    void servesOnWhenTheConsoleInputEnds_data();
    void servesOnWhenTheConsoleInputEnds();
    void quitStops();
    void refusesBadOptions_data();
    void refusesBadOptions();
    void stopsCleanlyOnSigterm();
    void servesOnLoopbackTcp();

private:
    PollResult poll(const QStringList &arguments, const QStringList &values = {},
        const QString &link = QString());
    bool start(QProcess *program, const QStringList &arguments, const QString &link);
    // Sends one line to the console and returns its answer's first line.
    QString command(QProcess *program, const QString &line);

    QTemporaryDir m_directory;
    QString m_link;
    QProcess m_program;
};

void TestRelaysimProgram::initTestCase()
{
    // scripts/test installs mbpoll: without it these checks would pass unseen.
    QVERIFY2(QFileInfo::exists(MbpollPath), "mbpoll is not installed");
    QVERIFY(m_directory.isValid());
    m_link = m_directory.filePath(QStringLiteral("relays"));
    m_program.start(QStringLiteral(RELAYSIM_PROGRAM),
        { QStringLiteral("--ids"), QStringLiteral("1,2,5"), QStringLiteral("--link"), m_link,
            QStringLiteral("--crashes"), QStringLiteral("70"), QStringLiteral("--foreign-type"),
            QStringLiteral("2"), QStringLiteral("--modules"), QStringLiteral("5=0x0008"),
            QStringLiteral("--still") });
    QVERIFY(m_program.waitForStarted());
    QVERIFY(m_program.waitForReadyRead(5000));
    const QString device = QString::fromLocal8Bit(m_program.readLine()).trimmed();
    QVERIFY2(device.startsWith(QStringLiteral("/dev/pts/")), qPrintable(device));
    QCOMPARE(QFileInfo(m_link).symLinkTarget(), device);
}

void TestRelaysimProgram::cleanupTestCase()
{
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished();
    }
}

PollResult TestRelaysimProgram::poll(
    const QStringList &arguments, const QStringList &values, const QString &link)
{
    QProcess mbpoll;
    mbpoll.setProcessChannelMode(QProcess::MergedChannels);
    mbpoll.start(MbpollPath,
        QStringList { QStringLiteral("-m"), QStringLiteral("rtu"), QStringLiteral("-b"),
            QStringLiteral("19200"), QStringLiteral("-P"), QStringLiteral("none"),
            QStringLiteral("-0"), QStringLiteral("-1"), QStringLiteral("-o"),
            QStringLiteral("0.3") }
            + arguments + QStringList { link.isEmpty() ? m_link : link } + values);
    PollResult result;
    result.finished = mbpoll.waitForFinished(5000);
    result.output = QString::fromLocal8Bit(mbpoll.readAll());
    // Values come as "[address]: <tab>value", one a line.
    static const QRegularExpression line(
        QStringLiteral("^\\[(\\d+)\\]:\\s+(\\S+)$"), QRegularExpression::MultilineOption);
    auto matches = line.globalMatch(result.output);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        result.values.insert(match.captured(1).toInt(), match.captured(2).toUShort(nullptr, 0));
    }
    return result;
}

void TestRelaysimProgram::answersLikeTheEngine_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("count");

    QTest::newRow("identity of the foreign relay") << 2 << "4:hex" << 0 << 10;
    QTest::newRow("modules and configuration") << 5 << "4:hex" << 24 << 28;
    QTest::newRow("crash count") << 1 << "4:hex" << 0x4000 << 1;
    QTest::newRow("number of the oldest kept crash") << 1 << "4:hex" << 0x41E8 << 1;
    QTest::newRow("type and current of the oldest kept crash") << 1 << "4:hex" << 0x41EC << 4;
    QTest::newRow("LEDs") << 1 << "0" << 0x1008 << 8;
    QTest::newRow("LEDs without auto-reclose") << 5 << "0" << 0x1008 << 8;
    QTest::newRow("discrete inputs") << 2 << "1" << 0x1000 << 4;
}

void TestRelaysimProgram::answersLikeTheEngine()
{
    QFETCH(int, id);
    QFETCH(QString, type);
    QFETCH(int, address);
    QFETCH(int, count);

    RelayBus reference({ 1, 2, 5 });
    for (int relay : { 1, 2, 5 })
        reference.setCrashCount(relay, 70);
    reference.setDeviceTypeCode(2, 0x8D91);
    reference.setModules(5, 0x0008);

    const PollResult result = poll({ QStringLiteral("-a"), QString::number(id),
        QStringLiteral("-t"), type, QStringLiteral("-r"), QString::number(address),
        QStringLiteral("-c"), QString::number(count) });
    QVERIFY(result.finished);
    QCOMPARE(result.values.size(), count);
    for (int i = address; i < address + count; ++i) {
        const quint16 expected = type == QLatin1String("0") ? reference.coil(id, i)
            : type == QLatin1String("1")                    ? reference.discreteInput(id, i)
                                                            : reference.holdingRegister(id, i);
        QVERIFY2(result.values.value(i, 0xDEAD) == expected, qPrintable(result.output));
    }
}

void TestRelaysimProgram::absentSlaveTimesOut()
{
    const PollResult absent = poll({ QStringLiteral("-a"), QStringLiteral("3"),
        QStringLiteral("-r"), QStringLiteral("0"), QStringLiteral("-c"), QStringLiteral("10") });
    QVERIFY(absent.finished);
    QVERIFY(absent.values.isEmpty());
    QVERIFY2(absent.output.contains(QLatin1String("timed out")), qPrintable(absent.output));

    const PollResult present = poll({ QStringLiteral("-a"), QStringLiteral("5"),
        QStringLiteral("-r"), QStringLiteral("8"), QStringLiteral("-c"), QStringLiteral("1") });
    QCOMPARE(present.values.value(8), quint16(5));
}

void TestRelaysimProgram::writesReadBack()
{
    const QStringList where
        = { QStringLiteral("-a"), QStringLiteral("1"), QStringLiteral("-r"), QStringLiteral("49") };
    QVERIFY(poll(where, { QStringLiteral("95") }).finished);
    QCOMPARE(poll(where).values.value(49), quint16(95));

    const PollResult refused = poll(
        { QStringLiteral("-a"), QStringLiteral("1"), QStringLiteral("-r"), QStringLiteral("24") },
        { QStringLiteral("0") });
    QVERIFY2(
        refused.output.contains(QLatin1String("Illegal data address")), qPrintable(refused.output));
}

bool TestRelaysimProgram::start(
    QProcess *program, const QStringList &arguments, const QString &link)
{
    if (program->program().isEmpty())
        program->setProgram(QStringLiteral(RELAYSIM_PROGRAM));
    program->setArguments(program->arguments() + arguments
        + QStringList { QStringLiteral("--link"), link, QStringLiteral("--still") });
    program->start();
    return program->waitForStarted() && program->waitForReadyRead(5000)
        && program->readLine().startsWith("/dev/pts/");
}

QString TestRelaysimProgram::command(QProcess *program, const QString &line)
{
    program->write(line.toLocal8Bit() + '\n');
    while (!program->canReadLine()) {
        if (!program->waitForReadyRead(5000))
            return QString();
    }
    return QString::fromLocal8Bit(program->readLine()).trimmed();
}

// What the other end of the line sees while a trainer types.
void TestRelaysimProgram::consoleDrivesTheLine()
{
    const auto read
        = [this](int id, int address, int count, const QString &type = QStringLiteral("4:hex")) {
              return poll({ QStringLiteral("-a"), QString::number(id), QStringLiteral("-t"), type,
                  QStringLiteral("-r"), QString::number(address), QStringLiteral("-c"),
                  QString::number(count) });
          };

    QCOMPARE(command(&m_program, QStringLiteral("off 2")), QStringLiteral("relay 2: off (was on)"));
    const PollResult silent = read(2, 8, 1);
    QVERIFY(silent.values.isEmpty());
    QVERIFY2(silent.output.contains(QLatin1String("timed out")), qPrintable(silent.output));
    QCOMPARE(read(1, 8, 1).values.value(8), quint16(1));
    QCOMPARE(command(&m_program, QStringLiteral("on 2")), QStringLiteral("relay 2: on (was off)"));
    QCOMPARE(read(2, 8, 1).values.value(8), quint16(2));

    QCOMPARE(command(&m_program, QStringLiteral("trip 1 1 1500")),
        QStringLiteral("relay 1: tripped MTZ at 1500.00 A, crash count 71 (was 70), LED MTZ on"));
    QCOMPARE(read(1, 0x4000, 1).values.value(0x4000), quint16(71));
    // Number, time, type MTZ, 1250 x Kt 60 x range 2 x 0.01 = 1500 A.
    const PollResult newest = read(1, 0x4010, 8);
    QCOMPARE(newest.values.size(), 8);
    QCOMPARE(newest.values.value(0x4010), quint16(71));
    QCOMPARE(newest.values.value(0x4014), quint16(1));
    QCOMPARE(newest.values.value(0x4015), quint16(1250));
    QCOMPARE(newest.values.value(0x4016), quint16(60));
    QCOMPARE(newest.values.value(0x4017), quint16(2));
    QCOMPARE(read(1, 0x1008, 1, QStringLiteral("0")).values.value(0x1008), quint16(1));

    QCOMPARE(command(&m_program, QStringLiteral("drop 1")), QStringLiteral("drop 1 (was 0)"));
    QVERIFY(read(5, 8, 1).values.isEmpty());
    QCOMPARE(command(&m_program, QStringLiteral("no-faults")),
        QStringLiteral("faults: none (was drop 1)"));
    QCOMPARE(read(5, 8, 1).values.value(8), quint16(5));

    QCOMPARE(command(&m_program, QStringLiteral("set 5 49 0x77")),
        QStringLiteral("relay 5: register 49 = 119 (was 60)"));
    QCOMPARE(read(5, 49, 1).values.value(49), quint16(0x77));
    QCOMPARE(command(&m_program, QStringLiteral("off 7")),
        QStringLiteral("error: no relay 7 on the line"));

    // The status ends with the line's counters.
    QCOMPARE(command(&m_program, QStringLiteral("status")),
        QStringLiteral(
            "relay 1: on, type 0x8D90, modules 0x000F, crashes 71, LEDs [MTZ, APV ready]"));
    QStringList rest;
    while (rest.isEmpty() || !rest.last().startsWith(QLatin1String("line: "))) {
        QVERIFY(m_program.canReadLine() || m_program.waitForReadyRead(5000));
        rest.append(QString::fromLocal8Bit(m_program.readLine()).trimmed());
    }
    QCOMPARE(rest.size(), 4);
    QCOMPARE(rest.at(2), QStringLiteral("faults: none"));
}

void TestRelaysimProgram::relayAndFaultOptionsReachTheEngine()
{
    QProcess program;
    const auto stop = qScopeGuard([&program] {
        program.kill();
        program.waitForFinished();
    });
    QVERIFY(start(&program,
        { QStringLiteral("--ids"), QStringLiteral("1,2"), QStringLiteral("--off"),
            QStringLiteral("2"), QStringLiteral("--drop"), QStringLiteral("0.1"),
            QStringLiteral("--bad-crc"), QStringLiteral("0.2"), QStringLiteral("--exception"),
            QStringLiteral("0.3"), QStringLiteral("--short-frame"), QStringLiteral("0.4"),
            QStringLiteral("--long-frame"), QStringLiteral("0.5"), QStringLiteral("--wrong-count"),
            QStringLiteral("0.6"), QStringLiteral("--foreign-slave"), QStringLiteral("0.7"),
            QStringLiteral("--delay"), QStringLiteral("5-9"), QStringLiteral("--foreign-type"),
            QStringLiteral("2=0x1234"), QStringLiteral("--modules"), QStringLiteral("2=3"),
            QStringLiteral("--slow"), QStringLiteral("2=120") },
        m_directory.filePath(QStringLiteral("options"))));
    QCOMPARE(command(&program, QStringLiteral("status")).section(QLatin1Char(','), 0, 0),
        QStringLiteral("relay 1: on"));
    QStringList rest;
    for (int i = 0; i < 3; ++i) {
        QVERIFY(program.canReadLine() || program.waitForReadyRead(5000));
        rest.append(QString::fromLocal8Bit(program.readLine()).trimmed());
    }
    QVERIFY2(rest.at(0).startsWith(QLatin1String("relay 2: off, type 0x1234, modules 0x0003,")),
        qPrintable(rest.at(0)));
    QVERIFY2(rest.at(0).endsWith(QLatin1String(", answers after 120 ms")), qPrintable(rest.at(0)));
    QCOMPARE(rest.at(1),
        QStringLiteral("faults: drop 0.1, bad-crc 0.2, exception 0.3, short-frame 0.4, "
                       "long-frame 0.5, wrong-count 0.6, foreign-slave 0.7, delay 5-9 ms"));
    program.terminate();
    QVERIFY(program.waitForFinished(5000));
}

// What a trainee practising a send sees: the refused register answers an exception, the clamped
// one holds its bound, the take-refuse one holds the value despite its exception, and the log
// file and the console list the writes in order.
void TestRelaysimProgram::registerRuleOptionsAndWriteLog()
{
    QProcess program;
    const auto stop = qScopeGuard([&program] {
        program.kill();
        program.waitForFinished();
    });
    const QString link = m_directory.filePath(QStringLiteral("rules"));
    const QString log = m_directory.filePath(QStringLiteral("writes.log"));
    QVERIFY(start(&program,
        { QStringLiteral("--ids"), QStringLiteral("1"), QStringLiteral("--refuse"),
            QStringLiteral("1:35=3"), QStringLiteral("--clamp"), QStringLiteral("1:34=10-200"),
            QStringLiteral("--take-refuse"), QStringLiteral("1:38=4"),
            QStringLiteral("--write-log"), log },
        link));
    const auto at = [](int address) {
        return QStringList { QStringLiteral("-a"), QStringLiteral("1"), QStringLiteral("-r"),
            QString::number(address) };
    };
    const PollResult refused = poll(at(35), { QStringLiteral("90") }, link);
    QVERIFY2(
        refused.output.contains(QLatin1String("Illegal data value")), qPrintable(refused.output));
    QVERIFY(poll(at(34), { QStringLiteral("450") }, link).finished);
    QCOMPARE(poll(at(34), {}, link).values.value(34), quint16(200));
    QVERIFY(poll(at(49), { QStringLiteral("95") }, link).finished);
    const PollResult taken = poll(at(38), { QStringLiteral("12") }, link);
    QVERIFY2(taken.output.contains(QLatin1String("Slave device or server failure")),
        qPrintable(taken.output));
    QCOMPARE(poll(at(38), {}, link).values.value(38), quint16(12));

    const QStringList expected
        = { QStringLiteral("relay 1 register 34 = 450, kept 200 (function 6)"),
              QStringLiteral("relay 1 register 49 = 95 (function 6)"),
              QStringLiteral("relay 1 register 38 = 12, answered exception 4 (function 6)") };
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QCOMPARE(
        QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
    QCOMPARE(command(&program, QStringLiteral("writes")), QStringLiteral("writes: 3"));
    for (const QString &line : expected) {
        QVERIFY(program.canReadLine() || program.waitForReadyRead(5000));
        QCOMPARE(QString::fromLocal8Bit(program.readLine()).trimmed(), line);
    }
    program.terminate();
    QVERIFY(program.waitForFinished(5000));
}

void TestRelaysimProgram::answerFaultOptionsSpoilTheAnswers_data()
{
    QTest::addColumn<QString>("option");

    QTest::newRow("exception") << "--exception";
    QTest::newRow("short frame") << "--short-frame";
    QTest::newRow("wrong byte count") << "--wrong-count";
    QTest::newRow("foreign slave") << "--foreign-slave";
}

// Every answer spoiled: the master gets no values, where it gets them without the option.
void TestRelaysimProgram::answerFaultOptionsSpoilTheAnswers()
{
    QFETCH(QString, option);

    const QString link = m_directory.filePath(option.mid(2));
    QProcess program;
    const auto stop = qScopeGuard([&program] {
        program.kill();
        program.waitForFinished();
    });
    QVERIFY(start(&program,
        { QStringLiteral("--ids"), QStringLiteral("1"), option, QStringLiteral("1") }, link));
    const QStringList read = { QStringLiteral("-a"), QStringLiteral("1"), QStringLiteral("-t"),
        QStringLiteral("4:hex"), QStringLiteral("-r"), QStringLiteral("0"), QStringLiteral("-c"),
        QStringLiteral("10") };
    const PollResult spoiled = poll(read, {}, link);
    QVERIFY(spoiled.finished);
    QVERIFY2(spoiled.values.isEmpty(), qPrintable(spoiled.output));
    QCOMPARE(command(&program, option.mid(2) + QStringLiteral(" 0")),
        option.mid(2) + QStringLiteral(" 0 (was 1)"));
    QCOMPARE(poll(read, {}, link).values.size(), 10);
    program.terminate();
    QVERIFY(program.waitForFinished(5000));
}

void TestRelaysimProgram::servesOnWhenTheConsoleInputEnds_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("note");
    QTest::addColumn<int>("register49");

    QTest::newRow("commands, then the end of the pipe")
        << "pipe"
        << "console closed (end of input), still serving" << 77;
    QTest::newRow("/dev/null") << "null"
                               << "console closed (end of input), still serving" << 60;
    QTest::newRow("closed") << "closed"
                            << "no standard input, no console" << 60;
}

void TestRelaysimProgram::servesOnWhenTheConsoleInputEnds()
{
    QFETCH(QString, input);
    QFETCH(QString, note);
    QFETCH(int, register49);

    QProcess program;
    const auto stop = qScopeGuard([&program] {
        program.kill();
        program.waitForFinished();
    });
    if (input == QLatin1String("null")) {
        program.setStandardInputFile(QProcess::nullDevice());
    } else if (input == QLatin1String("closed")) {
        program.setProgram(QStringLiteral("/bin/sh"));
        program.setArguments({ QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$@\" <&-"),
            QStringLiteral(RELAYSIM_PROGRAM) });
    }
    const QString link = m_directory.filePath(QStringLiteral("input-") + input);
    QVERIFY(start(&program, { QStringLiteral("--ids"), QStringLiteral("1") }, link));
    if (input == QLatin1String("pipe")) {
        QCOMPARE(command(&program, QStringLiteral("set 1 49 77")),
            QStringLiteral("relay 1: register 49 = 77 (was 60)"));
        program.closeWriteChannel();
    }
    QByteArray errors;
    QTRY_VERIFY2((errors += program.readAllStandardError()).contains(note.toLocal8Bit()),
        errors.constData());

    const PollResult result = poll(
        { QStringLiteral("-a"), QStringLiteral("1"), QStringLiteral("-r"), QStringLiteral("49") },
        {}, link);
    QVERIFY2(result.values.value(49, 0xDEAD) == register49, qPrintable(result.output));
    QCOMPARE(program.state(), QProcess::Running);
    program.terminate();
    QVERIFY(program.waitForFinished(5000));
    QCOMPARE(program.exitCode(), 0);
}

void TestRelaysimProgram::quitStops()
{
    const QString link = m_directory.filePath(QStringLiteral("quit"));
    QProcess program;
    const auto stop = qScopeGuard([&program] {
        program.kill();
        program.waitForFinished();
    });
    QVERIFY(start(&program, {}, link));
    QCOMPARE(command(&program, QStringLiteral("quit")), QStringLiteral("stopping"));
    QVERIFY(program.waitForFinished(5000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestRelaysimProgram::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("slave ID 0") << QStringList { QStringLiteral("--ids"), QStringLiteral("0,1") };
    QTest::newRow("slave ID twice")
        << QStringList { QStringLiteral("--ids"), QStringLiteral("1,1") };
    QTest::newRow("probability above 1")
        << QStringList { QStringLiteral("--drop"), QStringLiteral("1.5") };
    QTest::newRow("delay range upside down")
        << QStringList { QStringLiteral("--delay"), QStringLiteral("50-10") };
    QTest::newRow("slow relay not on the line")
        << QStringList { QStringLiteral("--slow"), QStringLiteral("9=120") };
    QTest::newRow("slow relay without a time")
        << QStringList { QStringLiteral("--slow"), QStringLiteral("2") };
    QTest::newRow("modules of a relay not on the line")
        << QStringList { QStringLiteral("--modules"), QStringLiteral("9=1") };
    QTest::newRow("modules without a value")
        << QStringList { QStringLiteral("--modules"), QStringLiteral("2") };
    QTest::newRow("foreign type of a relay not on the line")
        << QStringList { QStringLiteral("--foreign-type"), QStringLiteral("9") };
    QTest::newRow("foreign type code beyond a word")
        << QStringList { QStringLiteral("--foreign-type"), QStringLiteral("1=0x10000") };
    QTest::newRow("answer fault probability above 1")
        << QStringList { QStringLiteral("--wrong-count"), QStringLiteral("2") };
    QTest::newRow("switching off a relay not on the line")
        << QStringList { QStringLiteral("--off"), QStringLiteral("4") };
    QTest::newRow("refusal without a code")
        << QStringList { QStringLiteral("--refuse"), QStringLiteral("1:35") };
    QTest::newRow("refusal of a register the relay lacks")
        << QStringList { QStringLiteral("--refuse"), QStringLiteral("1:0x5000=3") };
    QTest::newRow("take-refuse with exception 12")
        << QStringList { QStringLiteral("--take-refuse"), QStringLiteral("1:38=12") };
    QTest::newRow("clamp upside down")
        << QStringList { QStringLiteral("--clamp"), QStringLiteral("1:34=200-10") };
    QTest::newRow("write log in a missing folder")
        << QStringList { QStringLiteral("--write-log"), QStringLiteral("/nonexistent/w.log") };
    QTest::newRow("negative crash count")
        << QStringList { QStringLiteral("--crashes"), QStringLiteral("-1") };
    QTest::newRow("TCP port out of range")
        << QStringList { QStringLiteral("--modbus-tcp"), QStringLiteral("65536") };
    QTest::newRow("TCP port not a number")
        << QStringList { QStringLiteral("--rtu-tcp"), QStringLiteral("any") };
    QTest::newRow("relay line without a parity")
        << QStringList { QStringLiteral("--relay-line"), QStringLiteral("57600") };
    QTest::newRow("relay line with an unknown parity")
        << QStringList { QStringLiteral("--relay-line"), QStringLiteral("57600:X") };
}

void TestRelaysimProgram::refusesBadOptions()
{
    QFETCH(QStringList, arguments);

    QProcess program;
    const auto stop = qScopeGuard([&program] {
        program.kill();
        program.waitForFinished();
    });
    program.start(QStringLiteral(RELAYSIM_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(5000));
    QCOMPARE(program.exitCode(), 2);
    QVERIFY(program.readAllStandardOutput().isEmpty());
    QVERIFY(!program.readAllStandardError().isEmpty());
}

void TestRelaysimProgram::stopsCleanlyOnSigterm()
{
    m_program.terminate();
    QVERIFY(m_program.waitForFinished(5000));
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 0);
    QVERIFY(!QFileInfo(m_link).isSymLink());
}

QTEST_GUILESS_MAIN(TestRelaysimProgram)
// Both TCP ports answer libmodbus's own frames: MBAP on the one, RTU frames
// written to a plain TCP connection on the other.
void TestRelaysimProgram::servesOnLoopbackTcp()
{
    QProcess program;
    program.start(QStringLiteral(RELAYSIM_PROGRAM),
        { QStringLiteral("--ids"), QStringLiteral("4"), QStringLiteral("--modbus-tcp"),
            QStringLiteral("0"), QStringLiteral("--rtu-tcp"), QStringLiteral("0") });
    QVERIFY(program.waitForStarted());
    QString notes;
    static const QRegularExpression noted(
        QStringLiteral("Modbus TCP on 127\\.0\\.0\\.1:(\\d+)\\n.*"
                       "RTU over TCP on 127\\.0\\.0\\.1:(\\d+)\\n"),
        QRegularExpression::DotMatchesEverythingOption);
    QTRY_VERIFY_WITH_TIMEOUT(
        noted.match(notes += QString::fromLocal8Bit(program.readAllStandardError())).hasMatch(),
        5000);
    const QRegularExpressionMatch ports = noted.match(notes);

    uint16_t registers[10] = {};
    modbus_t *tcp = modbus_new_tcp("127.0.0.1", ports.captured(1).toInt());
    QVERIFY(tcp);
    modbus_set_slave(tcp, 4);
    const int tcpRead
        = modbus_connect(tcp) == 0 ? modbus_read_registers(tcp, 0, 10, registers) : -1;
    modbus_close(tcp);
    modbus_free(tcp);
    QCOMPARE(tcpRead, 10);
    QCOMPARE(registers[0], uint16_t(0x8D90)); // the relay's type code

    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(ports.captured(2).toUShort());
    QCOMPARE(::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    modbus_t *rtu = modbus_new_rtu("/dev/null", 19200, 'N', 8, 1);
    modbus_set_socket(rtu, fd);
    modbus_set_slave(rtu, 4);
    registers[0] = 0;
    const int rtuRead = modbus_read_registers(rtu, 0, 10, registers);
    modbus_free(rtu);
    ::close(fd);
    QCOMPARE(rtuRead, 10);
    QCOMPARE(registers[0], uint16_t(0x8D90));

    program.kill();
    program.waitForFinished();
}

#include "tst_relaysimprogram.moc"
