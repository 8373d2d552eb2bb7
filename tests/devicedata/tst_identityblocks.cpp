// SPDX-License-Identifier: GPL-3.0-or-later
#include "blockreplies.h"
#include "simulatedline.h"

#include "devicedata/checkbackdata.h"
#include "devicedata/deviceinfodata.h"
#include "devicedata/discreteinputsdata.h"
#include "devicedata/ledsdata.h"
#include "devicedata/modulesdata.h"

#include <QtTest>

namespace {

QVector<DataValue> deviceInfoValues(const DeviceInfoData &block)
{
    const DeviceInfo &info = block.deviceInfo();
    return { info.deviceTypeCode, info.softwareVersion, info.serialNumber, info.modbusId,
        info.modbusBaudRate };
}

} // namespace

// The identity and status blocks: decoding of their replies, and the same
// blocks read from and written to a simulated relay over a serial line.
class IdentityBlocksTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void replyRule_data();
    void replyRule();
    void serialNumberHighWordFirst_data();
    void serialNumberHighWordFirst();
    void deviceInfoIgnoresUnusedRegisters();
    void moduleBitsAreRearranged_data();
    void moduleBitsAreRearranged();
    void discreteInputs_data();
    void discreteInputs();
    void leds_data();
    void leds();
    void checkbackWritesCoilOff();

    void deviceInfoFromRelay();
    void flagsFromRelay_data();
    void flagsFromRelay();
    void silentRelayOutdatesValues();
    void checkbackReachesRelay();

private:
    SimulatedLine m_line;
};

void IdentityBlocksTest::initTestCase()
{
    QVERIFY(m_line.start());
}

void IdentityBlocksTest::init()
{
    m_line.bus().clearReceivedWrites();
}

void IdentityBlocksTest::replyRule_data()
{
    QTest::addColumn<BlockUnderTest>("block");

    QTest::newRow("device info") << blockUnderTest<DeviceInfoData>(
        [](DeviceData &block) {
            replyRegisters(block, { 0x8D90, 105, 0x0015, 0x6A20, 0, 0, 0, 0, 7, 192 });
        },
        deviceInfoValues);
    QTest::newRow("modules") << blockUnderTest<ModulesData>(
        [](DeviceData &block) { replyRegisters(block, { 0x0009 }); },
        [](const ModulesData &block) { return QVector<DataValue> { block.modules() }; });
    QTest::newRow("discrete inputs") << blockUnderTest<DiscreteInputsData>(
        [](DeviceData &block) {
            replyBits(block, { 0, 1, 0, 0 });
        },
        [](const DiscreteInputsData &block) {
            return QVector<DataValue> { block.discreteInputs() };
        });
    QTest::newRow("leds") << blockUnderTest<LedsData>(
        [](DeviceData &block) {
            replyBits(block, { 1, 0, 0, 0, 0, 0, 0, 0 });
        },
        [](const LedsData &block) { return QVector<DataValue> { block.leds() }; });
}

void IdentityBlocksTest::replyRule()
{
    QFETCH(BlockUnderTest, block);
    verifyReplyRule(block);
}

void IdentityBlocksTest::serialNumberHighWordFirst_data()
{
    QTest::addColumn<quint16>("high");
    QTest::addColumn<quint16>("low");
    QTest::addColumn<qint64>("serialNumber");

    QTest::newRow("one and two") << quint16(0x0001) << quint16(0x0002) << qint64(65538);
    QTest::newRow("low word only") << quint16(0) << quint16(0x8000) << qint64(32768);
    QTest::newRow("seven digits") << quint16(0x0015) << quint16(0x6A20) << qint64(1403424);
    QTest::newRow("all bits") << quint16(0xFFFF) << quint16(0xFFFF) << qint64(4294967295);
}

void IdentityBlocksTest::serialNumberHighWordFirst()
{
    QFETCH(quint16, high);
    QFETCH(quint16, low);
    QFETCH(qint64, serialNumber);

    DeviceInfoData block;
    replyRegisters(block, { 0, 0, high, low, 0, 0, 0, 0, 0, 0 });
    QCOMPARE(block.deviceInfo().serialNumber, validValue(serialNumber));
}

void IdentityBlocksTest::deviceInfoIgnoresUnusedRegisters()
{
    DeviceInfoData block;
    replyRegisters(block, { 0x8D90, 105, 1, 2, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 5, 96 });
    const QVector<DataValue> expected { validValue(0x8D90), validValue(105), validValue(65538),
        validValue(5), validValue(96) };
    QCOMPARE(deviceInfoValues(block), expected);
}

void IdentityBlocksTest::moduleBitsAreRearranged_data()
{
    QTest::addColumn<quint16>("register24");
    QTest::addColumn<int>("flags");

    QTest::newRow("bits 0 and 3: APV and IND, no earth fault")
        << quint16(0x0009) << (ModuleApv | ModuleInd);
    QTest::newRow("bit 1: ZNZ(3I0)") << quint16(0x0002) << int(ModuleZnz3I0);
    QTest::newRow("bit 2: ZNZ(3I0,3U0)") << quint16(0x0004) << int(ModuleZnz3U0);
    QTest::newRow("bit 3 alone: IND") << quint16(0x0008) << int(ModuleInd);
    QTest::newRow("all four") << quint16(0x000F) << 0x0F;
    QTest::newRow("upper bits ignored") << quint16(0xFFF0) << 0;
}

void IdentityBlocksTest::moduleBitsAreRearranged()
{
    QFETCH(quint16, register24);
    QFETCH(int, flags);

    ModulesData block;
    replyRegisters(block, { register24 });
    QCOMPARE(block.modules(), validValue(flags));
}

void IdentityBlocksTest::discreteInputs_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("flags");

    QTest::newRow("none") << QByteArray("\0\0\0\0", 4) << 0;
    QTest::newRow("0x1000 DI Block TO") << QByteArray("\1\0\0\0", 4) << int(DiBlockTo);
    QTest::newRow("0x1001 DI RPV") << QByteArray("\0\1\0\0", 4) << int(DiRpv);
    QTest::newRow("0x1002 DI AChR") << QByteArray("\0\0\1\0", 4) << int(DiAChR);
    QTest::newRow("0x1003 DI SIS") << QByteArray("\0\0\0\1", 4) << int(DiSis);
    QTest::newRow("bytes other than 1 count as set")
        << QByteArray("\2\0\xFF\x80", 4) << (DiBlockTo | DiAChR | DiSis);
}

void IdentityBlocksTest::discreteInputs()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, flags);

    DiscreteInputsData block;
    const auto byte = [&bytes](int i) { return quint8(bytes.at(i)); };
    replyBits(block, { byte(0), byte(1), byte(2), byte(3) });
    QCOMPARE(block.discreteInputs(), validValue(flags));
}

void IdentityBlocksTest::leds_data()
{
    QTest::addColumn<int>("coil");
    QTest::addColumn<int>("flags");

    QTest::newRow("0x1008 MTZ") << 0x1008 << int(LedMtz);
    QTest::newRow("0x1009 TO") << 0x1009 << int(LedTo);
    QTest::newRow("0x100A ZNZ") << 0x100A << int(LedZnz);
    QTest::newRow("0x100B APV") << 0x100B << int(LedApv);
    QTest::newRow("0x100C AChR") << 0x100C << int(LedAChR);
    QTest::newRow("0x100D unused") << 0x100D << 0;
    QTest::newRow("0x100E unused") << 0x100E << 0;
    QTest::newRow("0x100F APV ready") << 0x100F << int(LedApvReady);
}

void IdentityBlocksTest::leds()
{
    QFETCH(int, coil);
    QFETCH(int, flags);

    LedsData block;
    ModbusBits coils(0x1008, 8);
    coils.setValue(coil, true);
    block.readRequests()[0].setBitsReply(coils);
    QCOMPARE(block.leds(), validValue(flags));

    // With every coil set, the unused ones add nothing.
    std::fill(coils.data(), coils.data() + coils.count(), 0xFF);
    block.readRequests()[0].setBitsReply(coils);
    QCOMPARE(block.leds(), validValue(0x3F));
}

void IdentityBlocksTest::checkbackWritesCoilOff()
{
    CheckbackData block;
    QVERIFY(block.readRequests().isEmpty());
    QCOMPARE(block.writeRequests().size(), 1);
    const ModbusRequest &request = block.writeRequests().first();
    QCOMPARE(request.function(), int(ModbusRequest::WriteSingleCoil));
    ModbusBits coils(request.startAddress(), request.count());
    coils.setValue(0x2000, true);
    request.fillBits(coils);
    QCOMPARE(coils.value(0x2000), false);
    QCOMPARE(coils.count(), 1);
}

void IdentityBlocksTest::deviceInfoFromRelay()
{
    RelayBus &bus = m_line.bus();
    const quint16 identity[]
        = { 0x8D91, 217, 0x0012, 0x3456, 0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD, 2, 96 };
    for (int address = 0; address < 10; ++address)
        bus.setHoldingRegister(2, address, identity[address]);

    DeviceInfoData block;
    QVERIFY(m_line.read(2, &block));
    QVERIFY(block.isReadSuccessful());
    const QVector<DataValue> expected { validValue(0x8D91), validValue(217), validValue(0x00123456),
        validValue(2), validValue(96) };
    QCOMPARE(deviceInfoValues(block), expected);

    // A relay as the simulator builds it.
    QVERIFY(m_line.read(3, &block));
    const DeviceInfo &info = block.deviceInfo();
    QCOMPARE(info.deviceTypeCode, validValue(bus.holdingRegister(3, 0)));
    QCOMPARE(info.serialNumber,
        validValue(qint64(bus.holdingRegister(3, 2)) << 16 | bus.holdingRegister(3, 3)));
    QCOMPARE(info.modbusId, validValue(3));
}

void IdentityBlocksTest::flagsFromRelay_data()
{
    QTest::addColumn<quint16>("register24");
    QTest::addColumn<QVector<int>>("inputs");
    QTest::addColumn<QVector<int>>("coils");
    QTest::addColumn<int>("modules");
    QTest::addColumn<int>("discreteInputs");
    QTest::addColumn<int>("leds");

    QTest::newRow("nothing set") << quint16(0) << QVector<int>() << QVector<int>() << 0 << 0 << 0;
    QTest::newRow("APV and IND, RPV and SIS, MTZ and APV ready")
        << quint16(0x0009) << QVector<int> { 0x1001, 0x1003 } << QVector<int> { 0x1008, 0x100F }
        << (ModuleApv | ModuleInd) << (DiRpv | DiSis) << (LedMtz | LedApvReady);
    QTest::newRow("everything") << quint16(0x000F)
                                << QVector<int> { 0x1000, 0x1001, 0x1002, 0x1003 }
                                << QVector<int> { 0x1008, 0x1009, 0x100A, 0x100B, 0x100C, 0x100D,
                                       0x100E, 0x100F }
                                << 0x0F << 0x0F << 0x3F;
}

void IdentityBlocksTest::flagsFromRelay()
{
    QFETCH(quint16, register24);
    QFETCH(QVector<int>, inputs);
    QFETCH(QVector<int>, coils);
    QFETCH(int, modules);
    QFETCH(int, discreteInputs);
    QFETCH(int, leds);

    RelayBus &bus = m_line.bus();
    const int relay = 1;
    bus.setModules(relay, register24);
    for (int address = 0x1000; address <= 0x1003; ++address)
        bus.setDiscreteInput(relay, address, inputs.contains(address));
    for (int address = 0x1008; address <= 0x100F; ++address)
        bus.setCoil(relay, address, coils.contains(address));

    ModulesData modulesData;
    DiscreteInputsData discreteInputsData;
    LedsData ledsData;
    QVERIFY(m_line.read(relay, &modulesData));
    QVERIFY(m_line.read(relay, &discreteInputsData));
    QVERIFY(m_line.read(relay, &ledsData));
    QCOMPARE(modulesData.modules(), validValue(modules));
    QCOMPARE(discreteInputsData.discreteInputs(), validValue(discreteInputs));
    QCOMPARE(ledsData.leds(), validValue(leds));
}

void IdentityBlocksTest::silentRelayOutdatesValues()
{
    RelayBus &bus = m_line.bus();
    const int relay = 3;
    bus.setModules(relay, 0x0004);
    ModulesData block;
    QVERIFY(m_line.read(relay, &block));
    QCOMPARE(block.modules(), validValue(ModuleZnz3U0));

    bus.setRelayOnline(relay, false);
    const bool read = m_line.read(relay, &block);
    bus.setRelayOnline(relay, true);
    QVERIFY(read);
    QVERIFY(!block.isReadSuccessful());
    QCOMPARE(block.modules(), (DataValue { ModuleZnz3U0, Outdated }));
    QCOMPARE(block.state(), DeviceData::Inactive);

    QVERIFY(m_line.read(relay, &block));
    QCOMPARE(block.modules(), validValue(ModuleZnz3U0));
}

void IdentityBlocksTest::checkbackReachesRelay()
{
    RelayBus &bus = m_line.bus();
    const int checkbacks = bus.checkbackCount(2);
    CheckbackData block;
    QVERIFY(m_line.write(2, &block));
    QVERIFY(block.isWriteSuccessful());
    QCOMPARE(bus.checkbackCount(2), checkbacks + 1);
    const QList<ReceivedWrite> writes = bus.receivedWrites();
    QCOMPARE(writes.size(), 1);
    QCOMPARE(writes.first().slaveId, 2);
    QCOMPARE(writes.first().function, int(ModbusRequest::WriteSingleCoil));
    QCOMPARE(writes.first().address, 0x2000);
    QCOMPARE(writes.first().value, quint16(0));
}

QTEST_GUILESS_MAIN(IdentityBlocksTest)
#include "tst_identityblocks.moc"
