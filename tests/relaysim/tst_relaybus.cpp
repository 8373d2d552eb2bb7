// SPDX-License-Identifier: GPL-3.0-or-later
#include "relaybus.h"
#include "rtuframer.h"

#include <QtTest>

#include <modbus.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <memory>
#include <thread>

namespace {

const QList<int> RelayIds = { 1, 2, 3, 5 };

// A plain libmodbus master on the client side of the line.
class Master
{
public:
    explicit Master(const QString &port, int timeoutMs = 200)
        : m_context(modbus_new_rtu(port.toLocal8Bit().constData(), 19200, 'N', 8, 1))
    {
        setTimeout(timeoutMs);
        m_connected = modbus_connect(m_context) == 0;
    }
    ~Master()
    {
        modbus_close(m_context);
        modbus_free(m_context);
    }

    bool isConnected() const { return m_connected; }
    void setTimeout(int ms)
    {
        modbus_set_response_timeout(m_context, ms / 1000, (ms % 1000) * 1000);
    }
    bool reconnect()
    {
        modbus_close(m_context);
        return modbus_connect(m_context) == 0;
    }

    // Each call returns 0 on success and errno otherwise.
    int read(int slave, int function, int address, int count, QList<quint16> *values = nullptr)
    {
        modbus_set_slave(m_context, slave);
        std::vector<quint16> registers(static_cast<size_t>(count));
        std::vector<quint8> bits(static_cast<size_t>(count));
        int rc = -1;
        switch (function) {
        case MODBUS_FC_READ_COILS:
            rc = modbus_read_bits(m_context, address, count, bits.data());
            break;
        case MODBUS_FC_READ_DISCRETE_INPUTS:
            rc = modbus_read_input_bits(m_context, address, count, bits.data());
            break;
        case MODBUS_FC_READ_HOLDING_REGISTERS:
            rc = modbus_read_registers(m_context, address, count, registers.data());
            break;
        case MODBUS_FC_READ_INPUT_REGISTERS:
            rc = modbus_read_input_registers(m_context, address, count, registers.data());
            break;
        }
        if (rc < 0)
            return errno;
        if (values) {
            values->clear();
            for (int i = 0; i < count; ++i)
                values->append(function <= MODBUS_FC_READ_DISCRETE_INPUTS ? bits[size_t(i)]
                                                                          : registers[size_t(i)]);
        }
        return 0;
    }
    int readRegisters(int slave, int address, int count, QList<quint16> *values = nullptr)
    {
        return read(slave, MODBUS_FC_READ_HOLDING_REGISTERS, address, count, values);
    }
    quint16 readRegister(int slave, int address)
    {
        QList<quint16> values;
        return readRegisters(slave, address, 1, &values) == 0 ? values.first() : 0xDEAD;
    }
    int write(int slave, int function, int address, const QList<quint16> &values)
    {
        modbus_set_slave(m_context, slave);
        std::vector<quint16> registers(values.begin(), values.end());
        std::vector<quint8> bits(values.begin(), values.end());
        int rc = -1;
        switch (function) {
        case MODBUS_FC_WRITE_SINGLE_COIL:
            rc = modbus_write_bit(m_context, address, values.first());
            break;
        case MODBUS_FC_WRITE_SINGLE_REGISTER:
            rc = modbus_write_register(m_context, address, values.first());
            break;
        case MODBUS_FC_WRITE_MULTIPLE_COILS:
            rc = modbus_write_bits(m_context, address, values.size(), bits.data());
            break;
        case MODBUS_FC_WRITE_MULTIPLE_REGISTERS:
            rc = modbus_write_registers(m_context, address, values.size(), registers.data());
            break;
        }
        return rc < 0 ? errno : 0;
    }
    int writeRegister(int slave, int address, quint16 value)
    {
        return write(slave, MODBUS_FC_WRITE_SINGLE_REGISTER, address, { value });
    }

private:
    modbus_t *m_context;
    bool m_connected = false;
};

// The client side opened byte-wise, for what a well-behaved master never sends.
class RawPort
{
public:
    explicit RawPort(const QString &path)
        : m_fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        termios attributes;
        if (m_fd >= 0 && tcgetattr(m_fd, &attributes) == 0) {
            cfmakeraw(&attributes);
            tcsetattr(m_fd, TCSANOW, &attributes);
        }
    }
    ~RawPort() { ::close(m_fd); }

    bool isOpen() const { return m_fd >= 0; }
    bool send(const QByteArray &bytes)
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // Everything that arrives until the line stays quiet for 30 ms after the first byte.
    QByteArray receive(int timeoutMs = 150)
    {
        QByteArray bytes;
        pollfd fd = { m_fd, POLLIN, 0 };
        while (::poll(&fd, 1, bytes.isEmpty() ? timeoutMs : 30) > 0) {
            char buffer[256];
            const ssize_t size = ::read(m_fd, buffer, sizeof buffer);
            if (size <= 0)
                break;
            bytes.append(buffer, int(size));
        }
        return bytes;
    }

private:
    int m_fd;
};

QList<quint16> zeros(int count)
{
    return QVector<quint16>(count, 0).toList();
}

QDateTime clockFromRegisters(const QList<quint16> &r)
{
    return QDateTime(QDate(2000 + (r.at(0) >> 8), r.at(0) & 0xFF, r.at(1) >> 8),
        QTime(r.at(1) & 0xFF, r.at(2) >> 8, r.at(2) & 0xFF));
}

bool near(const QDateTime &a, const QDateTime &b, int seconds = 2)
{
    return a.isValid() && b.isValid() && qAbs(a.secsTo(b)) <= seconds;
}

} // namespace

class TestRelayBus : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void mapMatchesState();
    void stateChangesReachTheLine();
    void mapBoundaries_data();
    void mapBoundaries();
    void malformedRequests_data();
    void malformedRequests();
    void modbusTcpRequestsCutShortAreRefused_data();
    void modbusTcpRequestsCutShortAreRefused();
    void absentIdsKeepFrameSync();
    void idsNotOnTheBusReadAsNullAndChangeNothing();
    void lineNoiseIsSkipped();
    void writesReadBackAndAreRecorded();
    void refusedWritesChangeNothing();
    void registerRulesRefuseAndClamp();
    void takeRefuseRuleKeepsTheValueAndAnswersAnException();
    void clockRunsAndIsSetRegisterByRegister();
    void commands();
    void broadcastReachesEveryOnlineRelaySilently();
    void crashLog();
    void measurements();
    void droppedAnswers();
    void corruptedAndDelayedAnswers();
    void slowRelayAnswersAfterItsTime();
    void pacedAnswersTakeTheirLineTime_data();
    void pacedAnswersTakeTheirLineTime();
    void switchedOffRelayIsSilent();
    void clientReopensThePort();
    void linkFollowsTheBus();

private:
    std::unique_ptr<RelayBus> m_bus;
    std::unique_ptr<Master> m_master;
};

void TestRelayBus::init()
{
    m_bus = std::make_unique<RelayBus>(RelayIds);
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_master = std::make_unique<Master>(m_bus->portPath());
    QVERIFY(m_master->isConnected());
}

void TestRelayBus::cleanup()
{
    m_master.reset();
    m_bus.reset();
}

void TestRelayBus::mapMatchesState()
{
    m_bus->setMeasurementsLive(false);
    QSet<quint32> serials;
    for (int id : RelayIds) {
        QList<quint16> values;
        QCOMPARE(m_master->readRegisters(id, 0, 52, &values), 0);
        for (int address = 0; address < 52; ++address) {
            if (address < 12 || address > 14) // the clock may tick between the two reads
                QCOMPARE(values.at(address), m_bus->holdingRegister(id, address));
        }
        QCOMPARE(values.at(0), quint16(0x8D90));
        QCOMPARE(values.at(8), quint16(id));
        QCOMPARE(values.at(24), quint16(0x000F));
        QCOMPARE(values.mid(10, 2), QList<quint16>({ 0, 0 }));
        QCOMPARE(values.mid(46, 2), QList<quint16>({ 0, 0 }));
        serials.insert(quint32(values.at(2)) << 16 | values.at(3));
        QVERIFY(near(clockFromRegisters(values.mid(12, 3)), m_bus->clock(id)));

        QCOMPARE(m_master->read(id, MODBUS_FC_READ_DISCRETE_INPUTS, 0x1000, 4, &values), 0);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(bool(values.at(i)), m_bus->discreteInput(id, 0x1000 + i));
        QCOMPARE(m_master->read(id, MODBUS_FC_READ_COILS, 0x1008, 8, &values), 0);
        for (int i = 0; i < 8; ++i)
            QCOMPARE(bool(values.at(i)), m_bus->coil(id, 0x1008 + i));
        QVERIFY(values.at(7)); // APV ready with the auto-reclose module

        QCOMPARE(m_master->readRegister(id, 0x4000), m_bus->holdingRegister(id, 0x4000));
        for (int page = 0; page < 4; ++page) {
            const int first = 0x4010 + 120 * page;
            QCOMPARE(m_master->readRegisters(id, first, 120, &values), 0);
            for (int i = 0; i < 120; ++i)
                QCOMPARE(values.at(i), m_bus->holdingRegister(id, first + i));
        }
    }
    QCOMPARE(serials.size(), RelayIds.size());
}

void TestRelayBus::stateChangesReachTheLine()
{
    m_bus->setMeasurementsLive(false);
    m_bus->setDeviceTypeCode(3, 0x8D91);
    m_bus->setModules(3, 0x0009);
    m_bus->setHoldingRegister(3, 16, 1234);
    m_bus->setHoldingRegister(3, 0x4000, 77);
    m_bus->setDiscreteInput(3, 0x1003, true);
    m_bus->setCoil(3, 0x100C, true);

    QCOMPARE(m_master->readRegister(3, 0), quint16(0x8D91));
    QCOMPARE(m_master->readRegister(3, 24), quint16(0x0009));
    QCOMPARE(m_master->readRegister(3, 16), quint16(1234));
    QCOMPARE(m_master->readRegister(3, 0x4000), quint16(77));
    QList<quint16> bits;
    QCOMPARE(m_master->read(3, MODBUS_FC_READ_DISCRETE_INPUTS, 0x1003, 1, &bits), 0);
    QCOMPARE(bits, QList<quint16> { 1 });
    QCOMPARE(m_master->read(3, MODBUS_FC_READ_COILS, 0x100C, 1, &bits), 0);
    QCOMPARE(bits, QList<quint16> { 1 });
    // The other relays keep their own state.
    QCOMPARE(m_master->readRegister(2, 0), quint16(0x8D90));
    QCOMPARE(m_master->readRegister(2, 24), quint16(0x000F));

    m_bus->setModules(3, 0x0000);
    QCOMPARE(m_master->read(3, MODBUS_FC_READ_COILS, 0x100F, 1, &bits), 0);
    QCOMPARE(bits, QList<quint16> { 0 }); // no APV ready without the module
}

void TestRelayBus::mapBoundaries_data()
{
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("error");

    const int read = MODBUS_FC_READ_HOLDING_REGISTERS;
    const int coils = MODBUS_FC_READ_COILS;
    const int inputs = MODBUS_FC_READ_DISCRETE_INPUTS;
    const int write = MODBUS_FC_WRITE_SINGLE_REGISTER;
    const int writeMany = MODBUS_FC_WRITE_MULTIPLE_REGISTERS;
    const int writeCoil = MODBUS_FC_WRITE_SINGLE_COIL;
    const int writeCoils = MODBUS_FC_WRITE_MULTIPLE_COILS;

    QTest::newRow("registers 0-51") << read << 0 << 52 << 0;
    QTest::newRow("crash count") << read << 0x4000 << 1 << 0;
    QTest::newRow("last crash record") << read << 0x41E8 << 8 << 0;
    QTest::newRow("coils 4104-4111") << coils << 0x1008 << 8 << 0;
    QTest::newRow("checkback coil") << coils << 0x2000 << 1 << 0;
    QTest::newRow("discrete inputs 4096-4099") << inputs << 0x1000 << 4 << 0;

    QTest::newRow("register 52") << read << 52 << 1 << EMBXILADD;
    QTest::newRow("registers 50-53") << read << 50 << 4 << EMBXILADD;
    QTest::newRow("register 1000") << read << 1000 << 1 << EMBXILADD;
    QTest::newRow("register before the count") << read << 0x3FFF << 1 << EMBXILADD;
    QTest::newRow("count and the gap after it") << read << 0x4000 << 2 << EMBXILADD;
    QTest::newRow("gap before the log") << read << 0x400F << 1 << EMBXILADD;
    QTest::newRow("past the log") << read << 0x41EF << 2 << EMBXILADD;
    QTest::newRow("coil 4103") << coils << 0x1007 << 1 << EMBXILADD;
    QTest::newRow("coils 4110-4112") << coils << 0x100E << 3 << EMBXILADD;
    QTest::newRow("coils 8192-8193") << coils << 0x2000 << 2 << EMBXILADD;
    QTest::newRow("discrete input 4100") << inputs << 0x1004 << 1 << EMBXILADD;
    QTest::newRow("discrete inputs 4095-4096") << inputs << 0x0FFF << 2 << EMBXILADD;
    QTest::newRow("input registers") << MODBUS_FC_READ_INPUT_REGISTERS << 0 << 1 << EMBXILFUN;

    QTest::newRow("write type code") << write << 0 << 1 << EMBXILADD;
    QTest::newRow("write reserved 11") << write << 11 << 1 << EMBXILADD;
    QTest::newRow("write measurement") << write << 16 << 1 << EMBXILADD;
    QTest::newRow("write modules") << write << 24 << 1 << EMBXILADD;
    QTest::newRow("write reserved 29") << write << 29 << 1 << EMBXILADD;
    QTest::newRow("write reserved 47") << write << 47 << 1 << EMBXILADD;
    QTest::newRow("write register 52") << write << 52 << 1 << EMBXILADD;
    QTest::newRow("write crash count") << write << 0x4000 << 1 << EMBXILADD;
    QTest::newRow("write crash record") << write << 0x4010 << 1 << EMBXILADD;
    QTest::newRow("write 44-47 over reserved") << writeMany << 44 << 4 << EMBXILADD;
    QTest::newRow("write LED") << writeCoil << 0x1008 << 1 << EMBXILADD;
    QTest::newRow("write coil 0") << writeCoil << 0 << 1 << EMBXILADD;
    QTest::newRow("write checkback and next") << writeCoils << 0x2000 << 2 << EMBXILADD;
}

void TestRelayBus::mapBoundaries()
{
    QFETCH(int, function);
    QFETCH(int, address);
    QFETCH(int, count);
    QFETCH(int, error);

    const int result = function <= MODBUS_FC_READ_INPUT_REGISTERS
        ? m_master->read(2, function, address, count)
        : m_master->write(2, function, address, zeros(count));
    QCOMPARE(result, error);
}

void TestRelayBus::malformedRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("report slave ID")
        << QByteArray::fromHex("0111") << QByteArray::fromHex("019101");
    QTest::newRow("diagnostics") << QByteArray::fromHex("010800000000")
                                 << QByteArray::fromHex("018801");
    QTest::newRow("read no registers")
        << QByteArray::fromHex("010300000000") << QByteArray::fromHex("018303");
    QTest::newRow("read 126 registers")
        << QByteArray::fromHex("01030000007e") << QByteArray::fromHex("018303");
    QTest::newRow("coil neither on nor off")
        << QByteArray::fromHex("010520001234") << QByteArray::fromHex("018503");
    QTest::newRow("byte count does not match")
        << QByteArray::fromHex("01100020000203000100") << QByteArray::fromHex("019003");
    QTest::newRow("checkback on") << QByteArray::fromHex("01052000ff00")
                                  << QByteArray::fromHex("01052000ff00");
}

void TestRelayBus::malformedRequests()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);

    RawPort port(m_bus->portPath());
    QVERIFY(port.isOpen());
    QVERIFY(port.send(RtuFramer::withCrc(request)));
    QCOMPARE(port.receive(), RtuFramer::withCrc(answer));
}

void TestRelayBus::modbusTcpRequestsCutShortAreRefused_data()
{
    QTest::addColumn<QByteArray>("request"); // unit identifier and PDU

    QTest::newRow("read without a count") << QByteArray::fromHex("010300");
    QTest::newRow("read without an address") << QByteArray::fromHex("0103");
    QTest::newRow("write register without its value") << QByteArray::fromHex("01060022");
    QTest::newRow("write registers short of their byte count")
        << QByteArray::fromHex("0110000c00555446");
    QTest::newRow("write coils short of their byte count")
        << QByteArray::fromHex("010f0000001002ff");
    QTest::newRow("write registers without a byte count") << QByteArray::fromHex("0110000c0001");
}

// The header, not the function, gives a Modbus TCP request's length: one shorter than its
// function's fields is refused as a bad value, and the connection goes on serving.
void TestRelayBus::modbusTcpRequestsCutShortAreRefused()
{
    QFETCH(QByteArray, request);

    RelayBus bus(RelayIds);
    bus.serveTcp(TcpProtocol::ModbusTcp);
    QVERIFY(bus.start());
    modbus_t *context = modbus_new_tcp("127.0.0.1", bus.tcpPort(TcpProtocol::ModbusTcp));
    const auto freeContext = qScopeGuard([context] {
        modbus_close(context);
        modbus_free(context);
    });
    QCOMPARE(modbus_connect(context), 0);
    QVERIFY(modbus_send_raw_request(
                context, reinterpret_cast<const uint8_t *>(request.constData()), request.size())
        > 0);
    uint8_t answer[MODBUS_TCP_MAX_ADU_LENGTH];
    QCOMPARE(modbus_receive_confirmation(context, answer), 9);
    const int function = quint8(request.at(1));
    QCOMPARE(int(answer[7]), function | 0x80);
    QCOMPARE(int(answer[8]), int(MODBUS_EXCEPTION_ILLEGAL_DATA_VALUE));

    modbus_set_slave(context, 1);
    quint16 deviceType = 0;
    QCOMPARE(modbus_read_registers(context, 0, 1, &deviceType), 1);
    QCOMPARE(deviceType, bus.holdingRegister(1, 0));
}

void TestRelayBus::absentIdsKeepFrameSync()
{
    // A scan: most IDs stay silent, and the relays behind them must still hear their requests.
    m_master->setTimeout(50);
    const quint64 frames = m_bus->framesReceived();
    const quint64 answers = m_bus->answersSent();
    QList<int> found;
    for (int id = 1; id <= 63; ++id) {
        const int error = m_master->readRegisters(id, 0, 10);
        if (error == 0)
            found.append(id);
        else
            QCOMPARE(error, ETIMEDOUT);
    }
    QCOMPARE(found, RelayIds);
    QCOMPARE(m_bus->framesReceived() - frames, quint64(63));
    QCOMPARE(m_bus->answersSent() - answers, quint64(RelayIds.size()));

    m_master->setTimeout(200);
    QCOMPARE(m_master->readRegister(2, 8), quint16(2));
}

// Tests and the console may name any ID; one not on the bus must not reach a relay that is.
void TestRelayBus::idsNotOnTheBusReadAsNullAndChangeNothing()
{
    const int absent = 4;
    QVERIFY(!RelayIds.contains(absent));
    // What a relay on the bus reads, so that the nulls below come from the absence alone.
    QVERIFY(m_bus->holdingRegister(1, 0) != 0);
    QVERIFY(m_bus->coil(1, 0x100F));
    QVERIFY(m_bus->isRelayOnline(1));
    QVERIFY(m_bus->clock(1).isValid());

    QCOMPARE(m_bus->holdingRegister(absent, 0), quint16(0));
    QVERIFY(!m_bus->coil(absent, 0x100F));
    QVERIFY(!m_bus->discreteInput(absent, 0x1000));
    QVERIFY(!m_bus->isRelayOnline(absent));
    QVERIFY(!m_bus->clock(absent).isValid());
    QCOMPARE(m_bus->checkbackCount(absent), 0);
    QVERIFY(!m_bus->setHoldingRegister(absent, 49, 95));
    QVERIFY(!m_bus->recordCrash(absent, 1, 100));

    const auto relays = [this] {
        QList<quint16> state;
        for (int id : RelayIds)
            state << m_bus->holdingRegister(id, 0) << m_bus->holdingRegister(id, 24)
                  << m_bus->holdingRegister(id, 0x4000) << m_bus->coil(id, 0x1008)
                  << m_bus->discreteInput(id, 0x1000) << m_bus->isRelayOnline(id);
        return state;
    };
    const QList<quint16> before = relays();
    m_bus->setCoil(absent, 0x1008, !m_bus->coil(1, 0x1008));
    m_bus->setDiscreteInput(absent, 0x1000, !m_bus->discreteInput(1, 0x1000));
    m_bus->setModules(absent, 0);
    m_bus->setCrashCount(absent, 0);
    m_bus->setRelayOnline(absent, false);
    m_bus->setClock(absent, QDateTime(QDate(2030, 1, 1), QTime(0, 0)));
    m_bus->setDeviceTypeCode(absent, 0x8D91);
    QCOMPARE(relays(), before);
    for (int id : RelayIds)
        QVERIFY(near(m_bus->clock(id), QDateTime::currentDateTime()));
    QCOMPARE(m_bus->holdingRegister(absent, 0), quint16(0));
}

void TestRelayBus::lineNoiseIsSkipped()
{
    RawPort port(m_bus->portPath());
    const QByteArray request = RtuFramer::withCrc(QByteArray::fromHex("0203000a0002"));
    QByteArray corrupted = request;
    corrupted[4] = char(corrupted.at(4) ^ 0x10);
    const quint64 frames = m_bus->framesReceived();

    QVERIFY(port.send(corrupted));
    QVERIFY(port.receive(100).isEmpty());
    QVERIFY(port.send(QByteArray::fromHex("0203")));
    QTest::qWait(20); // a silence ends the broken frame
    QVERIFY(port.send(request));
    const QByteArray answer = port.receive();
    QCOMPARE(answer.left(3), QByteArray::fromHex("020304"));
    QVERIFY(RtuFramer::hasValidCrc(answer));
    QCOMPARE(m_bus->framesReceived() - frames, quint64(1));

    // Two requests written at once are two requests.
    QVERIFY(port.send(request + RtuFramer::withCrc(QByteArray::fromHex("0503000a0002"))));
    const QByteArray answers = port.receive();
    QCOMPARE(answers.size(), 18);
    QCOMPARE(answers.mid(9, 3), QByteArray::fromHex("050304"));
}

void TestRelayBus::writesReadBackAndAreRecorded()
{
    const QList<quint16> settings = { 3, 150, 40, 0 }; // 25-28
    const QList<quint16> protection
        = { 0, 5, 0, 2, 300, 120, 0, 300, 15, 1, 2, 30, 150, 80, 400, 20 }; // 30-45
    const QList<quint16> apv = { 1, 90, 25, 40 }; // 48-51

    QList<ReceivedWrite> expected;
    for (int i = 0; i < settings.size(); ++i) {
        QCOMPARE(m_master->writeRegister(2, 25 + i, settings.at(i)), 0);
        expected.append({ 2, MODBUS_FC_WRITE_SINGLE_REGISTER, 25 + i, settings.at(i) });
    }
    QCOMPARE(m_master->write(2, MODBUS_FC_WRITE_MULTIPLE_REGISTERS, 30, protection), 0);
    for (int i = 0; i < protection.size(); ++i)
        expected.append({ 2, MODBUS_FC_WRITE_MULTIPLE_REGISTERS, 30 + i, protection.at(i) });
    for (int i = apv.size() - 1; i >= 0; --i) {
        QCOMPARE(m_master->writeRegister(2, 48 + i, apv.at(i)), 0);
        expected.append({ 2, MODBUS_FC_WRITE_SINGLE_REGISTER, 48 + i, apv.at(i) });
    }

    QList<quint16> values;
    QCOMPARE(m_master->readRegisters(2, 25, 27, &values), 0);
    QCOMPARE(values.mid(0, 4), settings);
    QCOMPARE(values.mid(5, 16), protection);
    QCOMPARE(values.mid(23, 4), apv);
    QCOMPARE(m_bus->holdingRegister(2, 26), quint16(150));
    QCOMPARE(m_master->readRegister(1, 26), quint16(60)); // only relay 2 was written

    const QList<ReceivedWrite> writes = m_bus->receivedWrites();
    QCOMPARE(writes.size(), expected.size());
    for (int i = 0; i < writes.size(); ++i) {
        QCOMPARE(writes.at(i).slaveId, expected.at(i).slaveId);
        QCOMPARE(writes.at(i).function, expected.at(i).function);
        QCOMPARE(writes.at(i).address, expected.at(i).address);
        QCOMPARE(writes.at(i).value, expected.at(i).value);
    }
    m_bus->clearReceivedWrites();
    QVERIFY(m_bus->receivedWrites().isEmpty());
}

void TestRelayBus::refusedWritesChangeNothing()
{
    QCOMPARE(m_master->write(1, MODBUS_FC_WRITE_MULTIPLE_REGISTERS, 44, { 1, 2, 3 }), EMBXILADD);
    QCOMPARE(m_master->writeRegister(1, 24, 0), EMBXILADD);
    QCOMPARE(m_master->writeRegister(1, 14, 0x3C00), EMBXILVAL); // minute 60
    QCOMPARE(m_master->readRegister(1, 44), quint16(300));
    QCOMPARE(m_master->readRegister(1, 45), quint16(5));
    QCOMPARE(m_master->readRegister(1, 24), quint16(0x000F));
    QVERIFY(m_bus->receivedWrites().isEmpty());
}

// A relay refuses a rule's register whole, clamps another to what it can hold and leaves the
// registers and relays without a rule alone; the log shows what was written and what was kept.
void TestRelayBus::registerRulesRefuseAndClamp()
{
    m_bus->setRegisterRule(2, 35, *RegisterRule::parse(QStringLiteral("refuse"), "4"));
    m_bus->setRegisterRule(2, 34, *RegisterRule::parse(QStringLiteral("clamp"), "10-200"));
    const quint16 timeBefore = m_bus->holdingRegister(2, 35);

    QCOMPARE(m_master->writeRegister(2, 35, 77), EMBXSFAIL);
    QCOMPARE(m_master->write(2, MODBUS_FC_WRITE_MULTIPLE_REGISTERS, 33, { 1, 150, 77 }), EMBXSFAIL);
    QCOMPARE(m_master->readRegister(2, 35), timeBefore);
    QCOMPARE(m_master->readRegister(2, 33), quint16(m_bus->holdingRegister(1, 33)));
    QVERIFY(m_bus->receivedWrites().isEmpty());

    QCOMPARE(m_master->writeRegister(2, 34, 450), 0);
    QCOMPARE(m_master->readRegister(2, 34), quint16(200));
    QCOMPARE(m_master->writeRegister(2, 34, 120), 0);
    QCOMPARE(m_master->readRegister(2, 34), quint16(120));
    QCOMPARE(m_master->writeRegister(1, 35, 77), 0); // another relay, no rule
    QCOMPARE(m_master->readRegister(1, 35), quint16(77));

    const QList<ReceivedWrite> writes = m_bus->receivedWrites();
    QCOMPARE(writes.size(), 3);
    QCOMPARE(writeLogLine(writes.at(0)),
        QStringLiteral("relay 2 register 34 = 450, kept 200 (function 6)"));
    QCOMPARE(writeLogLine(writes.at(1)), QStringLiteral("relay 2 register 34 = 120 (function 6)"));
    QCOMPARE(writeLogLine(writes.at(2)), QStringLiteral("relay 1 register 35 = 77 (function 6)"));

    QVERIFY(m_bus->removeRegisterRule(2, 35));
    QVERIFY(!m_bus->removeRegisterRule(2, 35));
    QCOMPARE(m_master->writeRegister(2, 35, 77), 0);
    QCOMPARE(m_bus->registerRules(),
        QStringList { QStringLiteral("relay 2 register 34: clamp 10-200") });
    m_bus->clearRegisterRules();
}

// A relay that takes a write and still answers it with an exception: the values land, the
// answer is the exception (and nothing else: the next request gets its own answer), the log
// names it, and a broadcast is taken without an answer.
void TestRelayBus::takeRefuseRuleKeepsTheValueAndAnswersAnException()
{
    m_bus->setRegisterRule(2, 35, *RegisterRule::parse(QStringLiteral("take-refuse"), "4"));
    m_bus->setRegisterRule(2, 34, *RegisterRule::parse(QStringLiteral("clamp"), "10-200"));

    QCOMPARE(m_master->writeRegister(2, 35, 77), EMBXSFAIL);
    QCOMPARE(m_master->readRegister(2, 35), quint16(77));
    QCOMPARE(m_master->write(2, MODBUS_FC_WRITE_MULTIPLE_REGISTERS, 33, { 2, 450, 88 }), EMBXSFAIL);
    QList<quint16> values;
    QCOMPARE(m_master->readRegisters(2, 33, 3, &values), 0);
    QCOMPARE(values, (QList<quint16> { 2, 200, 88 }));
    QCOMPARE(m_master->writeRegister(2, 34, 120), 0); // the rule is the register's, not the relay's
    QCOMPARE(m_master->writeRegister(3, 35, 66), 0);

    m_master->setTimeout(50);
    QCOMPARE(m_master->writeRegister(MODBUS_BROADCAST_ADDRESS, 35, 55), ETIMEDOUT);
    m_master->setTimeout(200);
    QCOMPARE(m_master->readRegister(2, 35), quint16(55));

    const QList<ReceivedWrite> writes = m_bus->receivedWrites();
    QStringList lines;
    for (const ReceivedWrite &write : writes)
        lines.append(writeLogLine(write));
    QCOMPARE(lines,
        (QStringList {
            QStringLiteral("relay 2 register 35 = 77, answered exception 4 (function 6)"),
            QStringLiteral("relay 2 register 33 = 2, answered exception 4 (function 16)"),
            QStringLiteral(
                "relay 2 register 34 = 450, kept 200, answered exception 4 (function 16)"),
            QStringLiteral("relay 2 register 35 = 88, answered exception 4 (function 16)"),
            QStringLiteral("relay 2 register 34 = 120 (function 6)"),
            QStringLiteral("relay 3 register 35 = 66 (function 6)"),
            QStringLiteral("relay 0 register 35 = 55 (function 6)") }));
    QCOMPARE(m_bus->registerRules(),
        (QStringList { QStringLiteral("relay 2 register 34: clamp 10-200"),
            QStringLiteral("relay 2 register 35: take-refuse 4") }));
    m_bus->clearRegisterRules();
    m_bus->clearReceivedWrites();
}

void TestRelayBus::clockRunsAndIsSetRegisterByRegister()
{
    QList<quint16> time;
    QCOMPARE(m_master->readRegisters(1, 12, 4, &time), 0);
    QVERIFY(near(clockFromRegisters(time), m_bus->clock(1)));
    QCOMPARE(time.at(3), quint16(1));

    const QDateTime set(QDate(2024, 3, 5), QTime(8, 7, 6));
    m_bus->setClock(3, set);
    QTest::qWait(1100);
    QCOMPARE(m_master->readRegisters(3, 12, 3, &time), 0);
    const QDateTime later = clockFromRegisters(time);
    QVERIFY2(later >= set.addSecs(1) && later <= set.addSecs(3), qPrintable(later.toString()));

    // The client sends the flag, then the time from the seconds up to the year.
    const QDateTime before = m_bus->clock(1);
    QCOMPARE(m_master->writeRegister(1, 15, 0), 0);
    QCOMPARE(m_master->writeRegister(1, 14, 0x0706), 0);
    QCOMPARE(m_master->writeRegister(1, 13, 0x0508), 0);
    QVERIFY(near(m_bus->clock(1), before)); // nothing happens before the year arrives
    QCOMPARE(m_master->writeRegister(1, 12, 0x1803), 0);
    QVERIFY(near(m_bus->clock(1), set));
    QCOMPARE(m_master->readRegister(1, 15), quint16(0));
    QCOMPARE(m_master->readRegisters(1, 12, 3, &time), 0);
    QVERIFY(near(clockFromRegisters(time), set));

    // 31 February does not exist: the clock keeps running as before.
    QCOMPARE(m_master->writeRegister(1, 13, 0x1F17), 0);
    QCOMPARE(m_master->writeRegister(1, 12, 0x1802), EMBXILVAL);
    QCOMPARE(m_master->writeRegister(1, 13, 0x0017), EMBXILVAL); // day 0
    QCOMPARE(m_master->writeRegister(1, 13, 0x0118), EMBXILVAL); // 24 o'clock
    QVERIFY(near(m_bus->clock(1), set));

    // All of it in one request works too.
    QCOMPARE(
        m_master->write(1, MODBUS_FC_WRITE_MULTIPLE_REGISTERS, 12, { 0x190C, 0x1F17, 0x3B3A }), 0);
    QVERIFY(near(m_bus->clock(1), QDateTime(QDate(2025, 12, 31), QTime(23, 59, 58))));
}

void TestRelayBus::commands()
{
    m_bus->setCoil(1, 0x1008, true);
    m_bus->setCoil(1, 0x100A, true);
    QCOMPARE(m_master->write(1, MODBUS_FC_WRITE_SINGLE_COIL, 0x2000, { 0 }), 0);
    QCOMPARE(m_bus->checkbackCount(1), 1);
    QCOMPARE(m_master->write(1, MODBUS_FC_WRITE_MULTIPLE_COILS, 0x2000, { 1 }), 0);
    QCOMPARE(m_bus->checkbackCount(1), 2);
    QCOMPARE(m_bus->checkbackCount(2), 0);
    // The trip indication goes out; APV ready is a state, not an indication.
    QList<quint16> leds;
    QCOMPARE(m_master->read(1, MODBUS_FC_READ_COILS, 0x1008, 8, &leds), 0);
    QCOMPARE(leds, QList<quint16>({ 0, 0, 0, 0, 0, 0, 0, 1 }));
    QCOMPARE(m_master->read(1, MODBUS_FC_READ_COILS, 0x2000, 1, &leds), 0);
    QCOMPARE(leds, QList<quint16> { 0 });

    QVERIFY(m_master->readRegister(1, 0x4000) > 0);
    QCOMPARE(m_master->write(1, MODBUS_FC_WRITE_SINGLE_COIL, 0x4000, { 0 }), 0);
    QCOMPARE(m_master->readRegister(1, 0x4000), quint16(0));
    QList<quint16> records;
    QCOMPARE(m_master->readRegisters(1, 0x4010, 120, &records), 0);
    QCOMPARE(records, zeros(120));
    QVERIFY(m_master->readRegister(2, 0x4000) > 0);

    const QList<ReceivedWrite> writes = m_bus->receivedWrites();
    QCOMPARE(writes.size(), 3);
    QCOMPARE(writes.at(0).address, 0x2000);
    QCOMPARE(writes.at(0).value, quint16(0));
    QCOMPARE(writes.at(1).function, MODBUS_FC_WRITE_MULTIPLE_COILS);
    QCOMPARE(writes.at(1).value, quint16(1));
    QCOMPARE(writes.at(2).address, 0x4000);
}

void TestRelayBus::broadcastReachesEveryOnlineRelaySilently()
{
    m_bus->setRelayOnline(5, false);
    const QDateTime set(QDate(2030, 6, 15), QTime(12, 0, 0));
    const QDateTime before5 = m_bus->clock(5);
    const quint64 answers = m_bus->answersSent();

    // libmodbus still waits for an answer to a broadcast, so the calls time out.
    m_master->setTimeout(50);
    for (const auto &write : QList<QPair<int, quint16>> {
             { 15, 0 }, { 14, 0x0000 }, { 13, 0x0F0C }, { 12, 0x1E06 }, { 31, 4 } })
        QCOMPARE(m_master->writeRegister(MODBUS_BROADCAST_ADDRESS, write.first, write.second),
            ETIMEDOUT);
    QCOMPARE(m_master->write(MODBUS_BROADCAST_ADDRESS, MODBUS_FC_WRITE_SINGLE_COIL, 0x2000, { 0 }),
        ETIMEDOUT);
    QCOMPARE(m_master->writeRegister(MODBUS_BROADCAST_ADDRESS, 0, 1), ETIMEDOUT); // refused
    m_master->setTimeout(200);

    QCOMPARE(m_bus->answersSent(), answers);
    for (int id : { 1, 2, 3 }) {
        QVERIFY(near(m_bus->clock(id), set));
        QCOMPARE(m_bus->holdingRegister(id, 15), quint16(0));
        QCOMPARE(m_bus->holdingRegister(id, 31), quint16(4));
        QCOMPARE(m_bus->checkbackCount(id), 1);
        QCOMPARE(m_master->readRegister(id, 31), quint16(4));
    }
    QVERIFY(near(m_bus->clock(5), before5));
    QCOMPARE(m_bus->holdingRegister(5, 31), quint16(3));
    QCOMPARE(m_bus->checkbackCount(5), 0);

    const QList<ReceivedWrite> writes = m_bus->receivedWrites();
    QCOMPARE(writes.size(), 6); // once per broadcast, whatever the number of relays
    for (const ReceivedWrite &write : writes)
        QCOMPARE(write.slaveId, 0);
    QCOMPARE(writes.at(3).address, 12);
    QCOMPARE(writes.at(3).value, quint16(0x1E06));
}

void TestRelayBus::crashLog()
{
    m_bus->setCrashCount(1, 100);
    QCOMPARE(m_master->readRegister(1, 0x4000), quint16(100));
    QList<quint16> log;
    for (int page = 0; page < 4; ++page) {
        QList<quint16> values;
        QCOMPARE(m_master->readRegisters(1, 0x4010 + 120 * page, 120, &values), 0);
        log += values;
    }
    QDateTime previous = m_bus->clock(1);
    for (int k = 0; k < 60; ++k) {
        const QList<quint16> record = log.mid(8 * k, 8);
        QCOMPARE(record.at(0), quint16(100 - k)); // newest first
        const QDateTime time = clockFromRegisters(record.mid(1, 3));
        QVERIFY2(time.isValid() && time < previous, qPrintable(QString::number(k)));
        previous = time;
        const int type = record.at(4);
        QVERIFY(type >= 1 && type <= 6);
        QCOMPARE(record.at(7), quint16(2)); // the configured current range
        if (type == 1) // above the MTZ pick-up of 250
            QVERIFY(record.at(5) > 250 && record.at(6) == 60);
        else if (type == 2) // above the TO pick-up of 100 tenths
            QVERIFY(record.at(5) > 1000 && record.at(6) == 60);
        else if (type == 3) // above the ZNZ pick-up of 500 mA
            QVERIFY(record.at(5) > 500 && record.at(6) == 30);
        else
            QCOMPARE(record.at(5), quint16(0));
    }

    m_bus->setCrashCount(1, 3);
    QCOMPARE(m_master->readRegisters(1, 0x4010, 120, &log), 0);
    QVERIFY(log.at(16) != 0);
    QCOMPARE(log.mid(24), zeros(96));

    m_bus->setCrashCount(1, 70000);
    QCOMPARE(m_master->readRegister(1, 0x4000), quint16(65535));
    QCOMPARE(m_master->readRegister(1, 0x41E8), quint16(65535 - 59));
}

void TestRelayBus::measurements()
{
    // Live values stay near a lightly loaded feeder's and move.
    QSet<QList<quint16>> seen;
    for (int i = 0; i < 6; ++i) {
        QList<quint16> values;
        QCOMPARE(m_master->readRegisters(1, 16, 6, &values), 0);
        seen.insert(values);
        const double phaseA = values.at(0) * 2 * 0.01; // range 2, secondary amperes
        QVERIFY2(phaseA > 1 && phaseA < 5, qPrintable(QString::number(phaseA)));
        QVERIFY(values.at(2) > 50 && values.at(2) < 250);
        QCOMPARE(values.at(1), quint16(0));
        QVERIFY(values.at(3) > 5 && values.at(3) < 100);
        QVERIFY(values.at(4) > 5 && values.at(4) < 100);
        QVERIFY(qAbs(qint16(values.at(5))) <= 180);
        QTest::qWait(250);
    }
    QVERIFY(seen.size() > 1);

    // The converter range scales the raw values, not the current they stand for.
    const double before = m_master->readRegister(2, 16);
    QCOMPARE(m_master->writeRegister(2, 25, 4), 0);
    const double after = m_master->readRegister(2, 16);
    QVERIFY2(after * 4 > before * 0.8 && after * 4 < before * 1.2,
        qPrintable(QStringLiteral("%1 %2").arg(before).arg(after)));

    // Without the zero sequence modules there is nothing to measure there.
    m_bus->setModules(3, 0x0002);
    QList<quint16> values;
    QCOMPARE(m_master->readRegisters(3, 19, 3, &values), 0);
    QVERIFY(values.at(0) > 0);
    QCOMPARE(values.mid(1), QList<quint16>({ 0, 0 }));
    m_bus->setModules(3, 0x0000);
    QCOMPARE(m_master->readRegisters(3, 19, 3, &values), 0);
    QCOMPARE(values, QList<quint16>({ 0, 0, 0 }));

    // Held still, they change only when told to.
    m_bus->setMeasurementsLive(false);
    QList<quint16> still;
    QCOMPARE(m_master->readRegisters(1, 16, 6, &still), 0);
    QTest::qWait(600);
    QCOMPARE(m_master->readRegisters(1, 16, 6, &values), 0);
    QCOMPARE(values, still);
    m_bus->setHoldingRegister(1, 21, quint16(-10));
    QCOMPARE(qint16(m_master->readRegister(1, 21)), qint16(-10));
}

void TestRelayBus::droppedAnswers()
{
    FaultSettings faults;
    faults.dropProbability = 0.3;
    m_bus->setFaults(faults);
    QCOMPARE(m_bus->faults().dropProbability, 0.3);
    m_master->setTimeout(100);
    const quint64 answers = m_bus->answersSent();
    int timeouts = 0;
    for (int i = 0; i < 100; ++i) {
        const int error = m_master->readRegisters(1, 0, 10);
        if (error == ETIMEDOUT)
            ++timeouts;
        else
            QCOMPARE(error, 0);
    }
    // 30 expected; the bounds are more than four standard deviations away.
    QVERIFY2(timeouts >= 12 && timeouts <= 50, qPrintable(QString::number(timeouts)));
    QCOMPARE(m_bus->answersSent() - answers, quint64(100 - timeouts));

    // A lost answer does not undo the write.
    faults.dropProbability = 1;
    m_bus->setFaults(faults);
    QCOMPARE(m_master->writeRegister(1, 31, 1), ETIMEDOUT);
    m_bus->setFaults(FaultSettings());
    QCOMPARE(m_master->readRegister(1, 31), quint16(1));
}

void TestRelayBus::corruptedAndDelayedAnswers()
{
    FaultSettings faults;
    faults.badCrcProbability = 1;
    m_bus->setFaults(faults);
    QCOMPARE(m_master->readRegisters(1, 0, 10), EMBBADCRC);
    m_bus->setFaults(FaultSettings());
    QCOMPARE(m_master->readRegisters(1, 0, 10), 0);

    faults = FaultSettings();
    faults.minDelayMs = 120;
    faults.maxDelayMs = 180;
    m_bus->setFaults(faults);
    m_master->setTimeout(1000);
    QElapsedTimer timer;
    for (int i = 0; i < 5; ++i) {
        timer.start();
        QCOMPARE(m_master->readRegisters(2, 0, 10), 0);
        QVERIFY2(timer.elapsed() >= 120 && timer.elapsed() < 500,
            qPrintable(QString::number(timer.elapsed())));
    }

    // The answer reflects the relay when the request came, not when it left.
    faults.minDelayMs = faults.maxDelayMs = 300;
    m_bus->setFaults(faults);
    std::thread change([this] {
        QThread::msleep(100);
        m_bus->setHoldingRegister(2, 26, 999);
    });
    QList<quint16> values;
    const int error = m_master->readRegisters(2, 26, 1, &values);
    change.join();
    QCOMPARE(error, 0);
    QCOMPARE(values, QList<quint16> { 60 });
    QCOMPARE(m_master->readRegister(2, 26), quint16(999));
}

// Only the slow relay takes its time.
void TestRelayBus::slowRelayAnswersAfterItsTime()
{
    m_bus->setAnswerTime(2, 120);
    m_bus->setAnswerTime(9, 50); // not on the line: nothing to slow down
    QCOMPARE(m_bus->answerTime(2), 120);
    QCOMPARE(m_bus->answerTime(9), 0);
    m_master->setTimeout(1000);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(m_master->readRegisters(2, 0, 10), 0);
    QVERIFY2(timer.elapsed() >= 120, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(m_master->readRegisters(1, 0, 10), 0);

    // Too slow for the master, yet the answer comes: as another slave's, in the next window.
    m_master->setTimeout(60);
    QCOMPARE(m_master->readRegisters(2, 0, 10), ETIMEDOUT);
    m_master->setTimeout(1000);
    QCOMPARE(m_master->readRegisters(1, 0, 10), EMBBADSLAVE);
}

void TestRelayBus::pacedAnswersTakeTheirLineTime_data()
{
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<int>("bitsPerCharacter");
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("lineMs"); // request + 3.5 characters + answer, worked out by hand

    // 8 + 3.5 + 25 characters of 10 bits.
    QTest::newRow("10 registers, 9600 8N1")
        << 9600 << 10 << MODBUS_FC_READ_HOLDING_REGISTERS << 10 << 38.02;
    // 8 + 3.5 + 7 characters of 11 bits: parity counts.
    QTest::newRow("1 register, 4800 8E1")
        << 4800 << 11 << MODBUS_FC_READ_HOLDING_REGISTERS << 1 << 42.40;
    // 37 + 3.5 + 8 characters: the request's length counts as much as the answer's.
    QTest::newRow("write 14 registers, 9600 8N1")
        << 9600 << 10 << MODBUS_FC_WRITE_MULTIPLE_REGISTERS << 14 << 50.52;
}

void TestRelayBus::pacedAnswersTakeTheirLineTime()
{
    QFETCH(int, baudRate);
    QFETCH(int, bitsPerCharacter);
    QFETCH(int, function);
    QFETCH(int, count);
    QFETCH(double, lineMs);

    m_bus->setLinePacing(baudRate, bitsPerCharacter);
    QCOMPARE(m_bus->linePacing().baudRate, baudRate);
    QCOMPARE(m_bus->linePacing().bitsPerCharacter, bitsPerCharacter);
    m_master->setTimeout(1000);
    const QList<quint16> values = QVector<quint16>(count, 3).toList();
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        timer.start();
        const int error = function == MODBUS_FC_WRITE_MULTIPLE_REGISTERS
            ? m_master->write(1, function, 32, values)
            : m_master->read(1, function, 0, count);
        const double elapsedMs = timer.nsecsElapsed() / 1e6;
        QCOMPARE(error, 0);
        // Answers never come early; how late they may be is the machine's business.
        QVERIFY2(elapsedMs >= lineMs - 0.01, qPrintable(QString::number(elapsedMs)));
    }

    m_bus->setLinePacing(0);
    QVERIFY(!m_bus->linePacing().isOn());
    QCOMPARE(m_master->read(1, MODBUS_FC_READ_HOLDING_REGISTERS, 0, 10), 0);
}

void TestRelayBus::switchedOffRelayIsSilent()
{
    m_bus->setRelayOnline(2, false);
    QCOMPARE(m_master->readRegisters(2, 0, 10), ETIMEDOUT);
    QCOMPARE(m_master->writeRegister(2, 31, 1), ETIMEDOUT);
    QCOMPARE(m_master->readRegisters(1, 0, 10), 0);
    m_bus->setRelayOnline(2, true);
    QCOMPARE(m_master->readRegister(2, 31), quint16(3));
}

void TestRelayBus::clientReopensThePort()
{
    for (int i = 0; i < 3; ++i) {
        QVERIFY(m_master->reconnect());
        QCOMPARE(m_master->readRegister(1, 8), quint16(1));
    }
    m_master.reset();
    Master other(m_bus->portPath());
    QVERIFY(other.isConnected());
    QCOMPARE(other.readRegister(5, 8), quint16(5));
}

void TestRelayBus::linkFollowsTheBus()
{
    QTemporaryDir directory;
    const QString link = directory.filePath(QStringLiteral("relays"));
    QVERIFY(m_bus->setLink(link));
    QCOMPARE(QFileInfo(link).symLinkTarget(), m_bus->portPath());
    {
        Master viaLink(link);
        QCOMPARE(viaLink.readRegister(3, 8), quint16(3));
    }
    const QString file = directory.filePath(QStringLiteral("file"));
    QFile(file).open(QIODevice::WriteOnly);
    QVERIFY(!m_bus->setLink(file));
    QVERIFY(QFileInfo(file).isFile());
    QVERIFY(QFileInfo(link).isSymLink());

    m_master.reset();
    m_bus->stop();
    QVERIFY(!QFileInfo(link).exists() && !QFileInfo(link).isSymLink());
    QVERIFY(m_bus->portPath().isEmpty());
    QVERIFY(!m_bus->setLink(link));

    QVERIFY(m_bus->start());
    Master again(m_bus->portPath());
    QCOMPARE(again.readRegister(2, 8), quint16(2));
}

QTEST_GUILESS_MAIN(TestRelayBus)
#include "tst_relaybus.moc"
