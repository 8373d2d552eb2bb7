// SPDX-License-Identifier: GPL-3.0-or-later
#include "blocktesting.h"
#include "devicedata/setpointsdata.h"
#include "simulatedline.h"

#include <QtTest>

namespace {

using Field = DataValue Setpoints::*;

// Where the relay keeps each setpoint.
const QVector<QPair<int, Field>> FieldRegisters = {
    { 32, &Setpoints::mtzMode },
    { 33, &Setpoints::mtzPickupCharacteristic },
    { 34, &Setpoints::mtzPickupCurrent },
    { 35, &Setpoints::mtzReactionDelay },
    { 36, &Setpoints::toMode },
    { 37, &Setpoints::toPickupCurrent },
    { 38, &Setpoints::toReactionDelay },
    { 39, &Setpoints::mtzToResettingDelay },
    { 40, &Setpoints::znzMode },
    { 41, &Setpoints::znz3I03U0FirstAngle },
    { 42, &Setpoints::znz3I03U0LastAngle },
    { 43, &Setpoints::znzPickupCurrent },
    { 44, &Setpoints::znzPickupVoltage },
    { 45, &Setpoints::znzReactionDelay },
    { 48, &Setpoints::apvMode },
    { 49, &Setpoints::apvReadinessDelay },
    { 50, &Setpoints::apvReactionDelay1st },
    { 51, &Setpoints::apvReactionDelay2nd },
};

// A distinct word per register, so that a field read from a neighbour shows.
quint16 wordAt(quint16 address)
{
    return quint16(0x0100 + address);
}

QVector<QPair<int, int>> expectedWrites(const Setpoints &setpoints)
{
    QVector<QPair<int, int>> writes;
    for (const auto &entry : FieldRegisters)
        writes.append({ entry.first, int(quint16((setpoints.*entry.second).value)) });
    return writes;
}

Setpoints pendingSetpoints(DataStatus status)
{
    Setpoints setpoints;
    for (const auto &entry : FieldRegisters)
        setpoints.*entry.second = { 1000 + entry.first, status };
    return setpoints;
}

} // namespace

class SetpointsDataTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void eachFieldComesFromItsRegister();
    void reservedRegistersReachNoField();
    void failedReadsKeepValuesOutdated();
    void writePayloadIgnoresStatuses();
    void resetKeepsThePendingSetpoints();

    void writeReachesTheRelayInOrder();

private:
    QScopedPointer<SimulatedLine> m_line;
};

void SetpointsDataTest::initTestCase()
{
    m_line.reset(new SimulatedLine({ 1, 2 }));
    QVERIFY(m_line->start());
    m_line->manager().setResponseTimeout(AnsweringRelayTimeoutMs);
}

void SetpointsDataTest::eachFieldComesFromItsRegister()
{
    SetpointsData block;
    replyRegisters(block.readRequests()[0], wordAt);
    for (const auto &entry : FieldRegisters) {
        QCOMPARE(block.setpoints().*entry.second, validValue(wordAt(quint16(entry.first))));
    }
}

void SetpointsDataTest::reservedRegistersReachNoField()
{
    SetpointsData block;
    replyRegisters(block.readRequests()[0], { { 46, 0xBEEF }, { 47, 0xBEEF } });
    for (const auto &entry : FieldRegisters)
        QCOMPARE(block.setpoints().*entry.second, validValue(0));
}

void SetpointsDataTest::failedReadsKeepValuesOutdated()
{
    SetpointsData block;
    ModbusRequest &read = block.readRequests()[0];
    read.setFailed(ModbusRequest::Timeout);
    for (const auto &entry : FieldRegisters)
        QCOMPARE(block.setpoints().*entry.second, DataValue());

    replyRegisters(read, wordAt);
    read.setFailed(ModbusRequest::Error);
    for (const auto &entry : FieldRegisters) {
        const DataValue expected { wordAt(quint16(entry.first)), Outdated };
        QCOMPARE(block.setpoints().*entry.second, expected);
    }
    QVERIFY(!block.isReadSuccessful());
}

void SetpointsDataTest::writePayloadIgnoresStatuses()
{
    SetpointsData block;
    for (DataStatus status : { Valid, Outdated, NoData }) {
        const Setpoints pending = pendingSetpoints(status);
        block.setNewSetpoints(pending);
        QCOMPARE(registerWrites(block), expectedWrites(pending));
    }
}

void SetpointsDataTest::resetKeepsThePendingSetpoints()
{
    SetpointsData block;
    replyRegisters(block.readRequests()[0], wordAt);
    const Setpoints pending = pendingSetpoints(Valid);
    block.setNewSetpoints(pending);

    QSignalSpy states(&block, &DeviceData::stateChanged);
    block.reset();
    QCOMPARE(states.count(), 2);
    for (const auto &entry : FieldRegisters)
        QCOMPARE(block.setpoints().*entry.second, DataValue());
    QCOMPARE(registerWrites(block), expectedWrites(pending));
}

void SetpointsDataTest::writeReachesTheRelayInOrder()
{
    RelayBus &bus = m_line->bus();
    bus.clearReceivedWrites();

    SetpointsData block;
    QVERIFY(m_line->read(1, &block));
    // As the panel does: start from what was read and change some fields.
    Setpoints edited = block.setpoints();
    edited.mtzPickupCurrent.value = 321;
    edited.apvReactionDelay1st.value = 25;
    edited.znz3I03U0LastAngle.value = 170;
    block.setNewSetpoints(edited);

    QVERIFY(m_line->write(1, &block));
    QVERIFY(block.isWriteSuccessful());
    // Every setpoint goes out, changed or not, in register order.
    QCOMPARE(receivedRegisterWrites(bus, 1), expectedWrites(edited));
    QVERIFY(receivedRegisterWrites(bus, 2).isEmpty());

    // The block's own record waits for the next read.
    QVERIFY(block.setpoints().mtzPickupCurrent.value != 321);
    QVERIFY(m_line->read(1, &block));
    for (const auto &entry : FieldRegisters)
        QCOMPARE(block.setpoints().*entry.second, validValue((edited.*entry.second).value));
}

QTEST_GUILESS_MAIN(SetpointsDataTest)
#include "tst_setpointsdata.moc"
