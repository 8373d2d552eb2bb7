// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/modbusbackend.h"
#include "modbus/rtumodbus.h"
#include "modbus/rtuovertcp.h"
#include "relaybus.h"
#include "testtimeouts.h"
#include "unansweredport.h"

#include <QtTest>

#include <QDir>
#include <QTcpServer>
#include <QTcpSocket>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const int AbsentSlave = 9;

// A loopback port nobody listens on: bound by the system, then let go.
quint16 closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

int openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd")).count();
}

// A network connection is made on a worker thread: waits for its outcome.
bool openAndWait(RtuModbus &modbus, const ConnectionSettings &settings)
{
    QSignalSpy finished(&modbus, &RtuModbus::openFinished);
    if (!modbus.open(settings))
        return false;
    if (modbus.isConnecting() && !finished.wait(PassWaitMs))
        return false;
    return modbus.isOpen();
}

// A serial device server on loopback whose line answers each request (one whole frame a
// read) with the next of the frames given, byte for byte.
class ScriptedDeviceServer : public QObject
{
public:
    explicit ScriptedDeviceServer(QList<QByteArray> answers) : m_answers(std::move(answers))
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = m_server.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                socket->readAll();
                if (!m_answers.isEmpty())
                    socket->write(m_answers.takeFirst());
            });
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    QTcpServer m_server;
    QList<QByteArray> m_answers;
};

QByteArray withCrc(QByteArray frame)
{
    const quint16 crc = RtuOverTcp::crc16(frame);
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

} // namespace

Q_DECLARE_METATYPE(TcpProtocol)

// The endpoint over loopback TCP to the relay bus simulator, as to a Modbus
// TCP gateway and to a serial device server passing RTU frames through.
class NetworkModbusTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void readsAndWritesReachTheRelays_data();
    void readsAndWritesReachTheRelays();
    void broadcastGoesToEveryRelay_data();
    void broadcastGoesToEveryRelay();
    void spoiledAnswersAreTold();
    void overlongAnswerIsRefusedAndTheNextRequestSucceeds();
    void refusedConnectionNamesTheAddress();
    void connectingLeavesTheEventLoopRunning();
    void givenUpConnectLeavesNothingOpen();
    void lostConnectionIsOpenedAgainForTheNextRequest_data();
    void lostConnectionIsOpenedAgainForTheNextRequest();
    void requestFramesMatchLibmodbus_data();
    void requestFramesMatchLibmodbus();

private:
    ConnectionSettings settingsFor(TcpProtocol protocol) const;
    // Runs one request; returns the endpoint's record of it (Canceled if none came).
    ModbusTransaction execute(RtuModbus &modbus, uint slaveId, const ModbusRequest &request);
    static void addProtocolRows();

    QScopedPointer<RelayBus> m_bus;
};

void NetworkModbusTest::initTestCase()
{
    m_bus.reset(new RelayBus({ 1, 2, 3 }));
    m_bus->serveTcp(TcpProtocol::ModbusTcp);
    m_bus->serveTcp(TcpProtocol::RtuOverTcp);
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
    QVERIFY(m_bus->tcpPort(TcpProtocol::ModbusTcp) != 0);
    QVERIFY(m_bus->tcpPort(TcpProtocol::RtuOverTcp) != 0);
}

void NetworkModbusTest::init()
{
    m_bus->setFaults(FaultSettings());
    m_bus->clearReceivedWrites();
}

ConnectionSettings NetworkModbusTest::settingsFor(TcpProtocol protocol) const
{
    ConnectionSettings settings;
    settings.link = ConnectionSettings::NetworkLink;
    settings.host = QStringLiteral("127.0.0.1");
    settings.tcpPort = m_bus->tcpPort(protocol);
    settings.protocol = protocol == TcpProtocol::ModbusTcp ? ConnectionSettings::ModbusTcp
                                                           : ConnectionSettings::RtuOverTcp;
    return settings;
}

ModbusTransaction NetworkModbusTest::execute(
    RtuModbus &modbus, uint slaveId, const ModbusRequest &request)
{
    ModbusTransaction record;
    record.outcome = ModbusTransaction::Canceled;
    QSignalSpy finished(&modbus, &RtuModbus::requestFinished);
    QSignalSpy records(&modbus, &RtuModbus::transactionFinished);
    if (modbus.request(slaveId, request) && finished.wait(PassWaitMs) && records.count() == 1)
        record = records.at(0).at(0).value<ModbusTransaction>();
    return record;
}

void NetworkModbusTest::addProtocolRows()
{
    QTest::addColumn<TcpProtocol>("protocol");
    QTest::newRow("Modbus TCP") << TcpProtocol::ModbusTcp;
    QTest::newRow("RTU over TCP") << TcpProtocol::RtuOverTcp;
}

void NetworkModbusTest::readsAndWritesReachTheRelays_data()
{
    addProtocolRows();
}

void NetworkModbusTest::readsAndWritesReachTheRelays()
{
    QFETCH(TcpProtocol, protocol);
    RtuModbus modbus;
    modbus.setResponseTimeout(200);
    QVERIFY2(openAndWait(modbus, settingsFor(protocol)), qPrintable(modbus.openError()));

    ModbusRegisters registers;
    const ModbusRequest read(ModbusRequest::ReadHoldingRegisters, 0, 10,
        [&](ModbusRequest::Result, const ModbusRegisters &reply) { registers = reply; });
    for (int id : { 1, 3 }) {
        QCOMPARE(execute(modbus, uint(id), read).outcome, ModbusTransaction::Success);
        for (quint16 address = 0; address < 10; ++address)
            QCOMPARE(registers.value(address), m_bus->holdingRegister(id, address));
    }

    m_bus->setDiscreteInput(2, 0x1002, true);
    ModbusBits bits;
    const ModbusRequest inputs(ModbusRequest::ReadDiscreteInputs, 0x1000, 4,
        [&](ModbusRequest::Result, const ModbusBits &reply) { bits = reply; });
    QCOMPARE(execute(modbus, 2, inputs).outcome, ModbusTransaction::Success);
    QCOMPARE(bits.count(), 4);
    for (quint16 address = 0x1000; address < 0x1004; ++address)
        QCOMPARE(bits.value(address), m_bus->discreteInput(2, address));

    const ModbusRequest write(
        ModbusRequest::WriteMultipleRegisters, 26, 2, [](ModbusRegisters &values) {
            values.setValue(26, 321);
            values.setValue(27, 654);
        });
    QCOMPARE(execute(modbus, 2, write).outcome, ModbusTransaction::Success);
    QCOMPARE(m_bus->holdingRegister(2, 26), quint16(321));
    QCOMPARE(m_bus->holdingRegister(2, 27), quint16(654));
    const ModbusRequest single(ModbusRequest::WriteSingleRegister, 26, 1,
        [](ModbusRegisters &values) { values.setValue(26, 123); });
    QCOMPARE(execute(modbus, 2, single).outcome, ModbusTransaction::Success);
    QCOMPARE(m_bus->holdingRegister(2, 26), quint16(123));

    // A register outside the relay's map is refused with an exception, as on the line.
    const ModbusTransaction refused = execute(modbus, 1,
        ModbusRequest(ModbusRequest::ReadHoldingRegisters, 100, 2,
            [](ModbusRequest::Result, const ModbusRegisters &) {}));
    QCOMPARE(refused.outcome, ModbusTransaction::Exception);
    QCOMPARE(refused.exceptionCode, int(MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS));
    QCOMPARE(execute(modbus, AbsentSlave, read).outcome, ModbusTransaction::Timeout);
    QVERIFY(modbus.closePort());
}

void NetworkModbusTest::broadcastGoesToEveryRelay_data()
{
    addProtocolRows();
}

// A gateway takes unit 0 for the whole line; no relay answers it.
void NetworkModbusTest::broadcastGoesToEveryRelay()
{
    QFETCH(TcpProtocol, protocol);
    RtuModbus modbus;
    modbus.setResponseTimeout(100);
    QVERIFY(openAndWait(modbus, settingsFor(protocol)));
    const ModbusRequest write(ModbusRequest::WriteSingleRegister, 27, 1,
        [](ModbusRegisters &registers) { registers.setValue(27, 1999); });
    QCOMPARE(execute(modbus, MODBUS_BROADCAST_ADDRESS, write).outcome, ModbusTransaction::Success);
    QCOMPARE(write.result(), ModbusRequest::Success);
    for (int id : { 1, 2, 3 })
        QCOMPARE(m_bus->holdingRegister(id, 27), quint16(1999));
    const QList<ReceivedWrite> writes = m_bus->receivedWrites();
    QCOMPARE(writes.size(), 1);
    QCOMPARE(writes.at(0).slaveId, 0);
}

// The device server passes the line's answers through as they are; the
// checks libmodbus makes of an RTU answer are made of them all the same.
void NetworkModbusTest::spoiledAnswersAreTold()
{
    RtuModbus modbus;
    modbus.setResponseTimeout(100);
    QVERIFY(openAndWait(modbus, settingsFor(TcpProtocol::RtuOverTcp)));
    const ModbusRequest read(ModbusRequest::ReadHoldingRegisters, 0, 10,
        [](ModbusRequest::Result, const ModbusRegisters &) {});

    const QList<QPair<double FaultSettings::*, ModbusTransaction::Outcome>> faults = {
        { &FaultSettings::badCrcProbability, ModbusTransaction::InvalidCrc },
        { &FaultSettings::foreignSlaveProbability, ModbusTransaction::ForeignAnswer },
        { &FaultSettings::wrongByteCountProbability, ModbusTransaction::MalformedAnswer },
        { &FaultSettings::shortFrameProbability, ModbusTransaction::Timeout },
    };
    for (const auto &fault : faults) {
        FaultSettings settings;
        settings.*fault.first = 1.0;
        m_bus->setFaults(settings);
        QCOMPARE(execute(modbus, 1, read).outcome, fault.second);
        QCOMPARE(read.result() == ModbusRequest::Success, false);
    }
    m_bus->setFaults(FaultSettings());
    QCOMPARE(execute(modbus, 1, read).outcome, ModbusTransaction::Success);
}

// A byte count that the request cannot produce is never believed: the answer is not read past
// what a read of that size can be, and the rest of it is flushed.
void NetworkModbusTest::overlongAnswerIsRefusedAndTheNextRequestSucceeds()
{
    QByteArray overlong = QByteArray::fromHex("0103FF");
    overlong.append(QByteArray(297, char(0x5A)));
    QByteArray valid = QByteArray::fromHex("010314");
    for (quint16 i = 0; i < 10; ++i)
        valid.append(char(0)).append(char(i + 1));
    ScriptedDeviceServer server({ overlong, withCrc(valid) });

    ConnectionSettings settings = settingsFor(TcpProtocol::RtuOverTcp);
    settings.tcpPort = server.port();
    RtuModbus modbus;
    modbus.setResponseTimeout(100);
    QVERIFY(openAndWait(modbus, settings));
    ModbusRegisters read;
    const ModbusRequest request(ModbusRequest::ReadHoldingRegisters, 0, 10,
        [&read](ModbusRequest::Result, const ModbusRegisters &registers) { read = registers; });

    const ModbusTransaction refused = execute(modbus, 1, request);
    QCOMPARE(refused.outcome, ModbusTransaction::MalformedAnswer);
    QCOMPARE(refused.detail, QStringLiteral("byte count 255 does not fit a read of 10 registers"));
    QCOMPARE(request.result(), ModbusRequest::Error);

    const ModbusTransaction taken = execute(modbus, 1, request);
    QCOMPARE(taken.outcome, ModbusTransaction::Success);
    QVERIFY(taken.detail.isEmpty());
    QCOMPARE(read.count(), 10);
    QCOMPARE(read.value(9), quint16(10));
}

void NetworkModbusTest::refusedConnectionNamesTheAddress()
{
    ConnectionSettings settings = settingsFor(TcpProtocol::ModbusTcp);
    settings.tcpPort = closedPort();
    for (auto protocol : { ConnectionSettings::ModbusTcp, ConnectionSettings::RtuOverTcp }) {
        settings.protocol = protocol;
        RtuModbus modbus;
        QSignalSpy finished(&modbus, &RtuModbus::openFinished);
        QVERIFY(!openAndWait(modbus, settings));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), false);
        QVERIFY(!modbus.isOpen());
        QVERIFY(!modbus.isConnecting());
        QCOMPARE(modbus.openError(),
            QStringLiteral("Connection refused by 127.0.0.1:%1").arg(settings.tcpPort));
        QVERIFY(!modbus.openPermissionDenied());
    }
}

// The window stays responsive while a connection is not accepted, and a
// connect that outlasts the response timeout fails saying so.
void NetworkModbusTest::connectingLeavesTheEventLoopRunning()
{
    UnansweredPort unanswered;
    ConnectionSettings settings = settingsFor(TcpProtocol::ModbusTcp);
    settings.tcpPort = unanswered.port();
    RtuModbus modbus;
    modbus.setResponseTimeout(600);
    QStringList order;
    QTimer ticker;
    ticker.setInterval(20);
    connect(&ticker, &QTimer::timeout, this, [&] { order.append(QStringLiteral("tick")); });
    connect(&modbus, &RtuModbus::openFinished, this,
        [&](bool opened) { order.append(opened ? "opened" : "failed"); });
    QElapsedTimer clock;
    clock.start();
    ticker.start();
    QVERIFY(modbus.open(settings));
    QVERIFY(modbus.isConnecting());
    QVERIFY(!modbus.isOpen());
    // Not open yet: a request is refused as on a closed port.
    QVERIFY(!modbus.request(1,
        ModbusRequest(ModbusRequest::ReadHoldingRegisters, 0, 1,
            [](ModbusRequest::Result, const ModbusRegisters &) {})));

    QTRY_VERIFY_WITH_TIMEOUT(order.contains(QStringLiteral("failed")), PassWaitMs);
    QVERIFY(clock.elapsed() >= 500);
    // Ticks came while the connect was waiting, and it ended once.
    QVERIFY2(order.indexOf(QStringLiteral("failed")) >= 10, qPrintable(order.join(' ')));
    QCOMPARE(order.count(QStringLiteral("failed")), 1);
    QVERIFY(!modbus.isConnecting());
    QVERIFY(!modbus.isOpen());
    QCOMPARE(modbus.openError(),
        QStringLiteral("127.0.0.1:%1 did not accept the connection in time")
            .arg(unanswered.port()));
}

// Disconnect while connecting: nothing comes of the attempt, the socket it
// made is closed once it ends, and connecting elsewhere works at once.
void NetworkModbusTest::givenUpConnectLeavesNothingOpen()
{
    const int descriptorsBefore = openDescriptors();
    {
        UnansweredPort unanswered;
        ConnectionSettings settings = settingsFor(TcpProtocol::ModbusTcp);
        settings.tcpPort = unanswered.port();
        RtuModbus modbus;
        modbus.setResponseTimeout(400);
        QSignalSpy finished(&modbus, &RtuModbus::openFinished);
        QVERIFY(modbus.open(settings));
        QTest::qWait(50);
        QVERIFY(modbus.isConnecting());
        QVERIFY(modbus.closePort());
        QVERIFY(!modbus.isConnecting());
        QVERIFY(!modbus.isOpen());

        QVERIFY(openAndWait(modbus, settingsFor(TcpProtocol::ModbusTcp)));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toBool(), true);
        QCOMPARE(execute(modbus, 1,
                     ModbusRequest(ModbusRequest::ReadHoldingRegisters, 0, 10,
                         [](ModbusRequest::Result, const ModbusRegisters &) {}))
                     .outcome,
            ModbusTransaction::Success);
        // The given-up attempt runs out its timeout unheard.
        QTest::qWait(600);
        QCOMPARE(finished.count(), 1);
        QVERIFY(modbus.closePort());

        // Given up and the endpoint deleted at once: the attempt still ends cleanly.
        RtuModbus shortLived;
        QVERIFY(shortLived.open(settings));
    }
    QTRY_COMPARE_WITH_TIMEOUT(openDescriptors(), descriptorsBefore, PassWaitMs);
}

void NetworkModbusTest::lostConnectionIsOpenedAgainForTheNextRequest_data()
{
    addProtocolRows();
}

void NetworkModbusTest::lostConnectionIsOpenedAgainForTheNextRequest()
{
    QFETCH(TcpProtocol, protocol);
    RtuModbus modbus;
    modbus.setResponseTimeout(150);
    QVERIFY(openAndWait(modbus, settingsFor(protocol)));
    const ModbusRequest read(ModbusRequest::ReadHoldingRegisters, 0, 10,
        [](ModbusRequest::Result, const ModbusRegisters &) {});
    QCOMPARE(execute(modbus, 1, read).outcome, ModbusTransaction::Success);

    // The gateway restarts: the request on the closed connection fails as such...
    m_bus->closeTcpConnections();
    const ModbusTransaction lost = execute(modbus, 1, read);
    QCOMPARE(lost.outcome, ModbusTransaction::OtherError);
    QVERIFY2(isLostConnection(lost.error), qPrintable(QString::number(lost.error)));
    QCOMPARE(read.result(), ModbusRequest::Error);
    // ...and the next one connects again.
    QCOMPARE(execute(modbus, 1, read).outcome, ModbusTransaction::Success);

    // A gateway that keeps the connection but whose line went silent times out.
    m_bus->setRelayOnline(1, false);
    QCOMPARE(execute(modbus, 1, read).outcome, ModbusTransaction::Timeout);
    m_bus->setRelayOnline(1, true);
    QCOMPARE(execute(modbus, 1, read).outcome, ModbusTransaction::Success);
}

void NetworkModbusTest::requestFramesMatchLibmodbus_data()
{
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("slave");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("count");
    QTest::newRow("read coils") << int(MODBUS_FC_READ_COILS) << 1 << 0x2000 << 3;
    QTest::newRow("read inputs") << int(MODBUS_FC_READ_DISCRETE_INPUTS) << 17 << 0x1000 << 16;
    QTest::newRow("read holding") << int(MODBUS_FC_READ_HOLDING_REGISTERS) << 247 << 0 << 125;
    QTest::newRow("read input registers") << int(MODBUS_FC_READ_INPUT_REGISTERS) << 2 << 16 << 6;
    QTest::newRow("write coil") << int(MODBUS_FC_WRITE_SINGLE_COIL) << 3 << 0x2000 << 1;
    QTest::newRow("write register") << int(MODBUS_FC_WRITE_SINGLE_REGISTER) << 0 << 27 << 1;
    QTest::newRow("write 11 coils") << int(MODBUS_FC_WRITE_MULTIPLE_COILS) << 5 << 0x2000 << 11;
    QTest::newRow("write registers") << int(MODBUS_FC_WRITE_MULTIPLE_REGISTERS) << 63 << 26 << 5;
}

// libmodbus's RTU backend writes its frame into one end of a socket pair;
// ours must be the same bytes.
void NetworkModbusTest::requestFramesMatchLibmodbus()
{
    QFETCH(int, function);
    QFETCH(int, slave);
    QFETCH(int, address);
    QFETCH(int, count);
    quint8 bits[16] = { 1, 0, 1, 1, 0, 0, 0, 1, 1, 1, 0, 1, 0, 0, 1, 0 };
    quint16 registers[125];
    for (int i = 0; i < 125; ++i)
        registers[i] = quint16(0x1234 + 0x0F0F * i);

    int pair[2];
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    modbus_t *context = modbus_new_rtu("/dev/null", 19200, 'N', 8, 1);
    QVERIFY(context);
    modbus_set_socket(context, pair[0]);
    modbus_set_slave(context, slave);
    modbus_set_response_timeout(context, 0, 1000);
    const quint16 start = quint16(address);
    switch (function) {
    case MODBUS_FC_READ_COILS:
        modbus_read_bits(context, start, count, bits);
        break;
    case MODBUS_FC_READ_DISCRETE_INPUTS:
        modbus_read_input_bits(context, start, count, bits);
        break;
    case MODBUS_FC_READ_HOLDING_REGISTERS:
        modbus_read_registers(context, start, count, registers);
        break;
    case MODBUS_FC_READ_INPUT_REGISTERS:
        modbus_read_input_registers(context, start, count, registers);
        break;
    case MODBUS_FC_WRITE_SINGLE_COIL:
        modbus_write_bit(context, start, bits[0]);
        break;
    case MODBUS_FC_WRITE_SINGLE_REGISTER:
        modbus_write_register(context, start, registers[0]);
        break;
    case MODBUS_FC_WRITE_MULTIPLE_COILS:
        modbus_write_bits(context, start, count, bits);
        break;
    default:
        modbus_write_registers(context, start, count, registers);
        break;
    }
    char wire[MODBUS_RTU_MAX_ADU_LENGTH];
    const ssize_t size = ::recv(pair[1], wire, sizeof wire, MSG_DONTWAIT);
    modbus_free(context);
    ::close(pair[0]);
    ::close(pair[1]);

    QVERIFY(size > 0);
    QCOMPARE(RtuOverTcp::requestFrame(slave, function, start, quint16(count), bits, registers)
                 .toHex(' '),
        QByteArray(wire, int(size)).toHex(' '));
}

QTEST_GUILESS_MAIN(NetworkModbusTest)
#include "tst_networkmodbus.moc"
