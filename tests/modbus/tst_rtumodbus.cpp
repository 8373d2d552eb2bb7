// SPDX-License-Identifier: GPL-3.0-or-later
#include "deniedport.h"
#include "modbus/rtumodbus.h"
#include "modbus/rtumodbusprivate.h"
#include "relaybus.h"
#include "testtimeouts.h"

#include <QElapsedTimer>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

const int AbsentSlave = 9;

} // namespace

// The endpoint against the relay bus simulator on a pseudo-terminal: every
// transaction below crosses a real serial line.
class RtuModbusTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void openAndCloseTwice();
    void openFailsOnMissingPort();
    void openTellsPermissionDenied();
    void requestOnClosedPortIsRefused();
    void refusedRequests();
    void readsDecodeWhatTheRelayHolds();
    void writesReachTheRelay();
    void absentSlaveTimesOut();
    void broadcastWriteSucceedsUnanswered();
    void exceptionAndCorruptAnswersFail();
    void unsupportedFunctionStillFinishes();
    void secondRequestWhilePendingIsRefused();
    void cancelSwallowsTheTransaction();
    void cancelWithoutTransactionChangesNothing();
    void manyCancelsLeaveTheEndpointUsable();
    void lateAnswerAfterCancelIsNotTaken();
    void lateAnswerCountsFromTheFrameOnTheLine();
    void destroyingDuringTransaction();
    void hungUpLineIsAPortFailure();
    void responseTimeoutUsesSecondsAndMicroseconds();
    void zeroResponseTimeoutBecomesOneMillisecond();
    void lineSettingsReachTheTerminal_data();
    void lineSettingsReachTheTerminal();
    void portNamesMapToDevicePaths_data();
    void portNamesMapToDevicePaths();
    void windowsPortNamesMapToDeviceNamespace_data();
    void windowsPortNamesMapToDeviceNamespace();

private:
    bool open(RtuModbus &modbus, int parity = 0);
    // Runs one request and waits for its requestFinished(); false if none came.
    bool execute(RtuModbus &modbus, uint slaveId, const ModbusRequest &request);
    static ModbusRequest readRegisters(
        quint16 start, quint16 count, ModbusRegisters *reply = nullptr, int *calls = nullptr);

    QScopedPointer<RelayBus> m_bus;
};

void RtuModbusTest::initTestCase()
{
    m_bus.reset(new RelayBus({ 1, 2, 3 }));
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
}

void RtuModbusTest::init()
{
    m_bus->setFaults(FaultSettings());
    m_bus->clearReceivedWrites();
}

void RtuModbusTest::cleanup()
{
    m_bus->setFaults(FaultSettings());
}

bool RtuModbusTest::open(RtuModbus &modbus, int parity)
{
    SerialPortSettings settings;
    settings.setParity(parity);
    return modbus.openPort(m_bus->portPath(), settings);
}

bool RtuModbusTest::execute(RtuModbus &modbus, uint slaveId, const ModbusRequest &request)
{
    QSignalSpy finished(&modbus, &RtuModbus::requestFinished);
    if (!modbus.request(slaveId, request))
        return false;
    if (!finished.wait(PassWaitMs))
        return false;
    QTest::qWait(20);
    return finished.count() == 1;
}

ModbusRequest RtuModbusTest::readRegisters(
    quint16 start, quint16 count, ModbusRegisters *reply, int *calls)
{
    return ModbusRequest(ModbusRequest::ReadHoldingRegisters, start, count,
        [reply, calls](ModbusRequest::Result, const ModbusRegisters &registers) {
            if (reply)
                *reply = registers;
            if (calls)
                ++*calls;
        });
}

void RtuModbusTest::openAndCloseTwice()
{
    RtuModbus modbus;
    QVERIFY(!modbus.isOpen());
    QVERIFY(open(modbus));
    QVERIFY(modbus.isOpen());

    QTest::ignoreMessage(QtDebugMsg, "Already opened");
    QVERIFY(!open(modbus));
    QVERIFY(modbus.isOpen());
    QVERIFY(execute(modbus, 1, readRegisters(0, 10)));

    QVERIFY(modbus.closePort());
    QVERIFY(!modbus.isOpen());
    QTest::ignoreMessage(QtDebugMsg, "Already closed");
    QVERIFY(!modbus.closePort());

    // The line survives the client closing and opening it again.
    QVERIFY(open(modbus));
    QVERIFY(execute(modbus, 1, readRegisters(0, 10)));
}

void RtuModbusTest::openFailsOnMissingPort()
{
    RtuModbus modbus;
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Connection failed .*No such file"));
    QVERIFY(!modbus.openPort(QStringLiteral("/dev/korvel-no-such-port"), SerialPortSettings()));
    QVERIFY(!modbus.isOpen());
    QCOMPARE(modbus.openError(), QString::fromLocal8Bit(strerror(ENOENT)));
    QVERIFY(!modbus.openPermissionDenied());

    QVERIFY(open(modbus));
    QVERIFY(modbus.openError().isEmpty());
}

void RtuModbusTest::openTellsPermissionDenied()
{
    DeniedPort port;
    RtuModbus modbus;
    {
        DeniedPort::Unprivileged unprivileged;
        if (!unprivileged.ok())
            QSKIP("Running as root without the right to act as another user");
        QTest::ignoreMessage(
            QtDebugMsg, QRegularExpression("^Connection failed .*Permission denied"));
        QVERIFY(!modbus.openPort(port.path(), SerialPortSettings()));
    }
    QVERIFY(!modbus.isOpen());
    QVERIFY(modbus.openPermissionDenied());
    QCOMPARE(modbus.openError(), QString::fromLocal8Bit(strerror(EACCES)));

    // The next attempt starts afresh.
    QVERIFY(open(modbus));
    QVERIFY(!modbus.openPermissionDenied());
}

void RtuModbusTest::requestOnClosedPortIsRefused()
{
    RtuModbus modbus;
    QSignalSpy finished(&modbus, &RtuModbus::requestFinished);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Could`t set slave ID: "));
    QVERIFY(!modbus.request(1, readRegisters(0, 10)));
    QVERIFY(!modbus.isRunning());
    QTest::qWait(20);
    QCOMPARE(finished.count(), 0);
}

void RtuModbusTest::refusedRequests()
{
    RtuModbus modbus;
    QVERIFY(open(modbus));

    int calls = 0;
    ModbusRequest disabled = readRegisters(0, 10, nullptr, &calls);
    disabled.setEnabled(false);
    QTest::ignoreMessage(QtDebugMsg, "ModbusRequest is disabled");
    QVERIFY(!modbus.request(1, disabled));

    QTest::ignoreMessage(QtDebugMsg, "Invalid ModbusRequest");
    QVERIFY(!modbus.request(1, ModbusRequest()));

    // The enabled check comes first.
    ModbusRequest disabledAndInvalid;
    disabledAndInvalid.setEnabled(false);
    QTest::ignoreMessage(QtDebugMsg, "ModbusRequest is disabled");
    QVERIFY(!modbus.request(1, disabledAndInvalid));

    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Could`t set slave ID: "));
    QVERIFY(!modbus.request(300, readRegisters(0, 10)));

    QCOMPARE(calls, 0);
    QCOMPARE(disabled.result(), ModbusRequest::NoResult);
    QVERIFY(!modbus.isRunning());
    QVERIFY(execute(modbus, 1, readRegisters(0, 10)));
}

void RtuModbusTest::readsDecodeWhatTheRelayHolds()
{
    m_bus->setHoldingRegister(2, 26, 1234);
    m_bus->setCoil(2, 0x100F, true);
    m_bus->setCoil(2, 0x1008, false);
    m_bus->setDiscreteInput(2, 0x1001, true);
    m_bus->setDiscreteInput(2, 0x1002, false);

    RtuModbus modbus;
    QVERIFY(open(modbus));

    ModbusRegisters identity;
    int calls = 0;
    const ModbusRequest read = readRegisters(0, 10, &identity, &calls);
    QVERIFY(execute(modbus, 2, read));
    QCOMPARE(calls, 1);
    QCOMPARE(read.result(), ModbusRequest::Success);
    QCOMPARE(identity.startAddress(), quint16(0));
    QCOMPARE(identity.count(), 10);
    for (quint16 address = 0; address < 10; ++address)
        QCOMPARE(identity.value(address), m_bus->holdingRegister(2, address));
    QCOMPARE(identity.value(8), quint16(2));

    ModbusRegisters configuration;
    QVERIFY(execute(modbus, 2, readRegisters(25, 3, &configuration)));
    QCOMPARE(configuration.value(26), quint16(1234));

    ModbusBits leds;
    const ModbusRequest readCoils(ModbusRequest::ReadCoils, 0x1008, 8,
        [&](ModbusRequest::Result, const ModbusBits &bits) { leds = bits; });
    QVERIFY(execute(modbus, 2, readCoils));
    QCOMPARE(leds.value(0x100F), true);
    QCOMPARE(leds.value(0x1008), false);

    ModbusBits inputs;
    const ModbusRequest readInputs(ModbusRequest::ReadDiscreteInputs, 0x1000, 4,
        [&](ModbusRequest::Result, const ModbusBits &bits) { inputs = bits; });
    QVERIFY(execute(modbus, 2, readInputs));
    QCOMPARE(inputs.value(0x1001), true);
    QCOMPARE(inputs.value(0x1002), false);
}

void RtuModbusTest::writesReachTheRelay()
{
    RtuModbus modbus;
    QVERIFY(open(modbus));

    const ModbusRequest writeRegister(ModbusRequest::WriteSingleRegister, 26, 1,
        [](ModbusRegisters &registers) { registers.setValue(26, 777); });
    QVERIFY(execute(modbus, 3, writeRegister));
    QCOMPARE(writeRegister.result(), ModbusRequest::Success);
    QCOMPARE(m_bus->holdingRegister(3, 26), quint16(777));

    const ModbusRequest writeRegisters(
        ModbusRequest::WriteMultipleRegisters, 25, 3, [](ModbusRegisters &registers) {
            registers.setValue(25, 2);
            registers.setValue(26, 300);
            registers.setValue(27, 40);
        });
    QVERIFY(execute(modbus, 3, writeRegisters));
    QCOMPARE(m_bus->holdingRegister(3, 25), quint16(2));
    QCOMPARE(m_bus->holdingRegister(3, 26), quint16(300));
    QCOMPARE(m_bus->holdingRegister(3, 27), quint16(40));

    const int checkbacks = m_bus->checkbackCount(3);
    const ModbusRequest checkback(ModbusRequest::WriteSingleCoil, 0x2000, 1,
        [](ModbusBits &bits) { bits.setValue(0x2000, false); });
    QVERIFY(execute(modbus, 3, checkback));
    QCOMPARE(checkback.result(), ModbusRequest::Success);
    QCOMPARE(m_bus->checkbackCount(3), checkbacks + 1);

    const QList<ReceivedWrite> writes = m_bus->receivedWrites();
    QCOMPARE(writes.size(), 5);
    QCOMPARE(writes.at(0).function, 6);
    QCOMPARE(writes.at(0).address, 26);
    QCOMPARE(writes.at(0).value, quint16(777));
    QCOMPARE(writes.at(3).function, 16);
    QCOMPARE(writes.at(3).address, 27);
    QCOMPARE(writes.at(4).function, 5);
    QCOMPARE(writes.at(4).address, 0x2000);
    QCOMPARE(writes.at(4).value, quint16(0));
    QCOMPARE(writes.at(4).slaveId, 3);
}

void RtuModbusTest::absentSlaveTimesOut()
{
    RtuModbus modbus;
    QVERIFY(open(modbus));
    modbus.setResponseTimeout(100);

    int calls = 0;
    ModbusRegisters reply(99, 1);
    const ModbusRequest read = readRegisters(0, 10, &reply, &calls);
    QElapsedTimer timer;
    timer.start();
    QVERIFY(execute(modbus, AbsentSlave, read));
    QVERIFY(timer.elapsed() >= 90);
    QCOMPARE(calls, 1);
    QVERIFY(reply.isEmpty());
    QCOMPARE(read.result(), ModbusRequest::Timeout);

    // A write to an absent slave only changes the result cell.
    const ModbusRequest write(ModbusRequest::WriteSingleRegister, 26, 1,
        [](ModbusRegisters &registers) { registers.setValue(26, 1); });
    QVERIFY(execute(modbus, AbsentSlave, write));
    QCOMPARE(write.result(), ModbusRequest::Timeout);

    // A relay switched off is as silent as an absent one; back on, it answers.
    m_bus->setRelayOnline(1, false);
    QVERIFY(execute(modbus, 1, read));
    QCOMPARE(read.result(), ModbusRequest::Timeout);
    m_bus->setRelayOnline(1, true);
    QVERIFY(execute(modbus, 1, read));
    QCOMPARE(read.result(), ModbusRequest::Success);
}

void RtuModbusTest::broadcastWriteSucceedsUnanswered()
{
    RtuModbus modbus;
    QVERIFY(open(modbus));
    modbus.setResponseTimeout(100);

    const ModbusRequest write(ModbusRequest::WriteSingleRegister, 27, 1,
        [](ModbusRegisters &registers) { registers.setValue(27, 1999); });
    QVERIFY(execute(modbus, 0, write));
    QCOMPARE(write.result(), ModbusRequest::Success);
    for (int id : { 1, 2, 3 })
        QCOMPARE(m_bus->holdingRegister(id, 27), quint16(1999));

    // Nobody answers a read addressed to everybody: that stays a failure.
    const ModbusRequest read = readRegisters(0, 10);
    execute(modbus, 0, read);
    QVERIFY(read.result() != ModbusRequest::Success);
}

void RtuModbusTest::exceptionAndCorruptAnswersFail()
{
    RtuModbus modbus;
    QVERIFY(open(modbus));
    modbus.setResponseTimeout(100);

    int calls = 0;
    ModbusRegisters reply(99, 1);
    const ModbusRequest outsideMap = readRegisters(100, 2, &reply, &calls);
    QVERIFY(execute(modbus, 1, outsideMap));
    QCOMPARE(outsideMap.result(), ModbusRequest::Error);
    QCOMPARE(calls, 1);
    QVERIFY(reply.isEmpty());

    FaultSettings corrupt;
    corrupt.badCrcProbability = 1.0;
    m_bus->setFaults(corrupt);
    const ModbusRequest read = readRegisters(0, 10);
    QVERIFY(execute(modbus, 1, read));
    QCOMPARE(read.result(), ModbusRequest::Error);

    m_bus->setFaults(FaultSettings());
    QVERIFY(execute(modbus, 1, read));
    QCOMPARE(read.result(), ModbusRequest::Success);
}

void RtuModbusTest::unsupportedFunctionStillFinishes()
{
    RtuModbus modbus;
    QVERIFY(open(modbus));

    int calls = 0;
    ModbusRequest::Result seen = ModbusRequest::NoResult;
    const ModbusRequest request(
        7, 0, 1, [&](ModbusRequest::Result result, const ModbusRegisters &) {
            ++calls;
            seen = result;
        });
    QTest::ignoreMessage(QtDebugMsg, "Modbus function 7 is not supported");
    QVERIFY(execute(modbus, 1, request));
    QCOMPARE(calls, 1);
    QVERIFY(seen == ModbusRequest::Error || seen == ModbusRequest::Timeout);
    QCOMPARE(request.result(), seen);
    QVERIFY(execute(modbus, 1, readRegisters(0, 10)));
}

void RtuModbusTest::secondRequestWhilePendingIsRefused()
{
    RtuModbus modbus;
    QVERIFY(open(modbus));
    modbus.setResponseTimeout(200);

    QSignalSpy finished(&modbus, &RtuModbus::requestFinished);
    int calls = 0;
    const ModbusRequest first = readRegisters(0, 10, nullptr, &calls);
    QVERIFY(modbus.request(AbsentSlave, first));
    QVERIFY(modbus.isRunning());
    QTest::ignoreMessage(QtDebugMsg, "Previous request pending");
    QVERIFY(!modbus.request(1, readRegisters(0, 10)));

    QVERIFY(finished.wait(StepWaitMs));
    QTest::qWait(20);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(calls, 1);
    QCOMPARE(first.result(), ModbusRequest::Timeout);
    QVERIFY(!modbus.isRunning());
}

void RtuModbusTest::cancelSwallowsTheTransaction()
{
    RtuModbus modbus;
    QVERIFY(open(modbus));
    modbus.setResponseTimeout(2000);

    QSignalSpy finished(&modbus, &RtuModbus::requestFinished);
    int calls = 0;
    const ModbusRequest read = readRegisters(0, 10, nullptr, &calls);
    QVERIFY(modbus.request(AbsentSlave, read));
    QTest::qWait(50);

    QElapsedTimer timer;
    timer.start();
    QTest::ignoreMessage(QtDebugMsg, "canceled");
    modbus.cancel();
    // Loose bound: the point is that cancel does not sit out the 2 s timeout.
    QVERIFY(timer.elapsed() < 1000);
    QVERIFY(!modbus.isRunning());
    QTest::qWait(100);
    QCOMPARE(finished.count(), 0);
    QCOMPARE(calls, 0);
    QCOMPARE(read.result(), ModbusRequest::NoResult);

    modbus.setResponseTimeout(150);
    QVERIFY(execute(modbus, 1, read));
    QCOMPARE(read.result(), ModbusRequest::Success);
    QCOMPARE(calls, 1);
}

void RtuModbusTest::cancelWithoutTransactionChangesNothing()
{
    RtuModbus modbus;
    modbus.cancel();
    QVERIFY(open(modbus));
    modbus.cancel();
    QVERIFY(execute(modbus, 1, readRegisters(0, 10)));
    modbus.cancel();
    QVERIFY(execute(modbus, 2, readRegisters(0, 10)));
}

void RtuModbusTest::manyCancelsLeaveTheEndpointUsable()
{
    RtuModbus modbus;
    QVERIFY(open(modbus));
    // Short enough that cancels land in every phase: waiting for the line,
    // inside the libmodbus call, and after run() ended but before delivery.
    modbus.setResponseTimeout(5);
    QSignalSpy finished(&modbus, &RtuModbus::requestFinished);

    for (int i = 0; i < 300; ++i) {
        const uint slave = i % 3 == 0 ? 1 : AbsentSlave;
        QVERIFY(modbus.request(slave, readRegisters(0, 10)));
        if (i % 4)
            QThread::usleep(uint(i % 7) * 1000);
        modbus.cancel();
        if (i % 5 == 0)
            QCoreApplication::processEvents();
    }
    QTest::qWait(50);
    QCOMPARE(finished.count(), 0);

    modbus.setResponseTimeout(150);
    const ModbusRequest read = readRegisters(0, 10);
    QVERIFY(execute(modbus, 2, read));
    QCOMPARE(read.result(), ModbusRequest::Success);
}

void RtuModbusTest::lateAnswerAfterCancelIsNotTaken()
{
    RtuModbus modbus;
    QVERIFY(open(modbus));
    modbus.setResponseTimeout(500);

    FaultSettings slow;
    slow.minDelayMs = slow.maxDelayMs = 250;
    m_bus->setFaults(slow);
    m_bus->setHoldingRegister(1, 26, 111);
    QVERIFY(modbus.request(1, readRegisters(26, 1)));
    QTest::qWait(30);
    modbus.cancel();

    // The relay still answers the canceled request with 111 after 250 ms; the
    // same request again must get the relay's new value.
    m_bus->setFaults(FaultSettings());
    m_bus->setHoldingRegister(1, 26, 222);
    ModbusRegisters reply;
    const ModbusRequest again = readRegisters(26, 1, &reply);
    QVERIFY(execute(modbus, 1, again));
    QCOMPARE(again.result(), ModbusRequest::Success);
    QCOMPARE(reply.value(26), quint16(222));
}

// A request held back by an earlier cancel goes out late; its own cancel
// must keep the line quiet for a response timeout from then, not from when
// it was handed over, or its late answer passes for the next request's.
void RtuModbusTest::lateAnswerCountsFromTheFrameOnTheLine()
{
    RtuModbus modbus;
    QVERIFY(open(modbus));
    modbus.setResponseTimeout(500);
    FaultSettings slow;
    slow.minDelayMs = slow.maxDelayMs = 300;
    m_bus->setFaults(slow);
    m_bus->setHoldingRegister(1, 26, 111);
    m_bus->setHoldingRegister(1, 27, 222);

    QVERIFY(modbus.request(1, readRegisters(26, 1)));
    modbus.cancel();
    // Waits for the first one's answer to be due, goes out after some
    // 500 ms and is canceled before its answer (300 ms later) is in.
    QVERIFY(modbus.request(1, readRegisters(26, 1)));
    QTest::qWait(650);
    modbus.cancel();

    // Same function and size: libmodbus would take the late answer (111).
    ModbusRegisters reply;
    const ModbusRequest next = readRegisters(27, 1, &reply);
    QVERIFY(execute(modbus, 1, next));
    QCOMPARE(next.result(), ModbusRequest::Success);
    QCOMPARE(reply.value(27), quint16(222));
}

void RtuModbusTest::destroyingDuringTransaction()
{
    auto *modbus = new RtuModbus;
    QVERIFY(open(*modbus));
    modbus->setResponseTimeout(5000);
    QVERIFY(modbus->request(AbsentSlave, readRegisters(0, 10)));
    QTest::qWait(20);
    delete modbus;

    RtuModbus next;
    QVERIFY(open(next));
    QVERIFY(execute(next, 1, readRegisters(0, 10)));
}

// A relay that stays silent is not the port failing; the line hung up under
// the endpoint (the other end of the pseudo-terminal closed, as when a USB
// adapter is pulled out) is, and so is every request on it until it reopens.
void RtuModbusTest::hungUpLineIsAPortFailure()
{
    RelayBus bus({ 1 });
    QVERIFY(bus.start());
    RtuModbus modbus;
    QVERIFY(modbus.openPort(bus.portPath(), SerialPortSettings()));
    QSignalSpy failed(&modbus, &RtuModbus::portFailed);
    QSignalSpy records(&modbus, &RtuModbus::transactionFinished);

    const ModbusRequest silent = readRegisters(0, 10);
    QVERIFY(execute(modbus, AbsentSlave, silent));
    QCOMPARE(silent.result(), ModbusRequest::Timeout);
    QCOMPARE(failed.count(), 0);

    bus.stop();
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const ModbusRequest read = readRegisters(0, 10);
        QVERIFY(execute(modbus, 1, read));
        QCOMPARE(read.result(), ModbusRequest::Error);
        QCOMPARE(failed.count(), attempt);
        const auto record = records.last().at(0).value<ModbusTransaction>();
        QCOMPARE(record.outcome, ModbusTransaction::OtherError);
        QVERIFY2(ModbusTransaction::isPortFailure(record.error),
            qPrintable(QString::number(record.error)));
    }

    QVERIFY(bus.start());
    QVERIFY(modbus.closePort());
    QVERIFY(modbus.openPort(bus.portPath(), SerialPortSettings()));
    QVERIFY(execute(modbus, 1, readRegisters(0, 10)));
    QCOMPARE(failed.count(), 2);
}

void RtuModbusTest::responseTimeoutUsesSecondsAndMicroseconds()
{
    // 1200 ms must go to libmodbus as 1 s + 200000 us; as 1200000 us it would
    // be refused and the old timeout kept.
    RtuModbus modbus;
    modbus.setResponseTimeout(1100);
    QCOMPARE(modbus.responseTimeout(), 1100);
    QVERIFY(open(modbus));

    QElapsedTimer timer;
    timer.start();
    QVERIFY(execute(modbus, AbsentSlave, readRegisters(0, 10)));
    QVERIFY2(timer.elapsed() >= 1050, qPrintable(QString::number(timer.elapsed())));

    modbus.setResponseTimeout(1200);
    timer.restart();
    QVERIFY(execute(modbus, AbsentSlave, readRegisters(0, 10)));
    QVERIFY2(timer.elapsed() >= 1150, qPrintable(QString::number(timer.elapsed())));
}

void RtuModbusTest::lineSettingsReachTheTerminal_data()
{
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<int>("parity");
    QTest::addColumn<int>("stopBits");
    QTest::addColumn<char>("character");
    QTest::addColumn<uint>("speed"); // a termios speed_t
    QTest::addColumn<bool>("oddParity");

    QTest::newRow("19200 none 1") << 19200 << 0 << 1 << 'N' << uint(B19200) << false;
    QTest::newRow("9600 odd 2") << 9600 << 1 << 2 << 'O' << uint(B9600) << true;
    QTest::newRow("38400 even 1") << 38400 << 2 << 1 << 'E' << uint(B38400) << false;
    QTest::newRow("unknown parity code") << 19200 << 5 << 1 << 'N' << uint(B19200) << false;
}

// What the terminal keeps of the settings libmodbus applied. A
// pseudo-terminal clears the parity enable flag and forces 8 data bits, but
// keeps the speed, the stop bits and the odd/even choice; whether parity is
// on at all is checked at the mapping to libmodbus's parity character.
void RtuModbusTest::lineSettingsReachTheTerminal()
{
    QFETCH(int, baudRate);
    QFETCH(int, parity);
    QFETCH(int, stopBits);
    QFETCH(char, character);
    QFETCH(uint, speed);
    QFETCH(bool, oddParity);
    QCOMPARE(parityCharacter(parity), character);

    SerialPortSettings settings;
    settings.setBaudRate(baudRate);
    settings.setParity(parity);
    settings.setStopBits(stopBits);
    RtuModbus modbus;
    QVERIFY(modbus.openPort(m_bus->portPath(), settings));
    const int fd = ::open(qPrintable(m_bus->portPath()), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    termios attributes {};
    const int rc = tcgetattr(fd, &attributes);
    ::close(fd);
    QCOMPARE(rc, 0);
    QCOMPARE(uint(cfgetospeed(&attributes)), speed);
    QCOMPARE(bool(attributes.c_cflag & PARODD), oddParity);
    QCOMPARE(bool(attributes.c_cflag & CSTOPB), stopBits == 2);
    QVERIFY(execute(modbus, 1, readRegisters(0, 10)));
}

void RtuModbusTest::portNamesMapToDevicePaths_data()
{
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("path");

    QTest::newRow("bare name") << "ttyUSB0"
                               << "/dev/ttyUSB0";
    QTest::newRow("absolute path") << "/dev/pts/3"
                                   << "/dev/pts/3";
    QTest::newRow("relative path") << "demo/ttyRELAYS"
                                   << "demo/ttyRELAYS";
}

void RtuModbusTest::portNamesMapToDevicePaths()
{
    QFETCH(QString, portName);
    QFETCH(QString, path);
    QCOMPARE(serialDevicePath(portName), path);
}

void RtuModbusTest::windowsPortNamesMapToDeviceNamespace_data()
{
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("device");

    QTest::newRow("COM1") << "COM1"
                          << R"(\\.\COM1)";
    QTest::newRow("COM10") << "COM10"
                           << R"(\\.\COM10)";
    QTest::newRow("COM256") << "COM256"
                            << R"(\\.\COM256)";
    QTest::newRow("lower case") << "com12"
                                << R"(\\.\com12)";
    QTest::newRow("typed with the prefix") << R"(\\.\COM10)"
                                           << R"(\\.\COM10)";
    QTest::newRow("prefix with slashes") << "//./COM3"
                                         << R"(\\.\COM3)";
    QTest::newRow("spaces around") << " COM11 "
                                   << R"(\\.\COM11)";
}

void RtuModbusTest::windowsPortNamesMapToDeviceNamespace()
{
    QFETCH(QString, portName);
    QFETCH(QString, device);
    QCOMPARE(windowsDevicePath(portName), device);
    // Mapping twice changes nothing: a stored mapped name opens the same port.
    QCOMPARE(windowsDevicePath(windowsDevicePath(portName)), device);
}

// libmodbus refuses a timeout of 0 and would keep the one it had (2 s here).
void RtuModbusTest::zeroResponseTimeoutBecomesOneMillisecond()
{
    RtuModbus modbus;
    modbus.setResponseTimeout(2000);
    QVERIFY(open(modbus));
    modbus.setResponseTimeout(0);

    QElapsedTimer timer;
    timer.start();
    const ModbusRequest read = readRegisters(0, 10);
    QVERIFY(execute(modbus, AbsentSlave, read));
    QCOMPARE(read.result(), ModbusRequest::Timeout);
    QVERIFY2(timer.elapsed() < 1500, qPrintable(QString::number(timer.elapsed())));
}

QTEST_GUILESS_MAIN(RtuModbusTest)
#include "tst_rtumodbus.moc"
