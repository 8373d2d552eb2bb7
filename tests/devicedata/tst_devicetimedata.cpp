// SPDX-License-Identifier: GPL-3.0-or-later
#include "blocktesting.h"
#include "devicedata/devicetimedata.h"
#include "simulatedline.h"

#include <QtTest>

namespace {

DeviceTime validTime(const QDateTime &dateTime, int autoDst)
{
    return { validValue(dateTime), validValue(autoDst) };
}

// Seconds between two relay clock readings; the simulated clock keeps running.
qint64 secondsApart(const QDateTime &a, const QDateTime &b)
{
    return qAbs(a.secsTo(b));
}

} // namespace

class DeviceTimeDataTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void decoding_data();
    void decoding();
    void failedReadsKeepValuesOutdated();
    void resetKeepsThePendingTime();
    void writePayload_data();
    void writePayload();

    void readFromTheRelay();
    void writeReachesTheRelayInOrder();
    void writeToAllRelays();

private:
    QScopedPointer<SimulatedLine> m_line;
};

void DeviceTimeDataTest::initTestCase()
{
    m_line.reset(new SimulatedLine({ 1, 2, 3 }));
    QVERIFY(m_line->start());
    m_line->manager().setResponseTimeout(AnsweringRelayTimeoutMs);
}

void DeviceTimeDataTest::decoding_data()
{
    QTest::addColumn<int>("yearMonth");
    QTest::addColumn<int>("dayHour");
    QTest::addColumn<int>("minuteSecond");
    QTest::addColumn<int>("autoDst");
    QTest::addColumn<QDateTime>("expected");

    QTest::newRow("31.12.2013 23:59:58, DST on")
        << 0x0D0C << 0x1F17 << 0x3B3A << 1 << QDateTime({ 2013, 12, 31 }, { 23, 59, 58 });
    QTest::newRow("flag 2 kept as read")
        << 0x0D0C << 0x1F17 << 0x3B3A << 2 << QDateTime({ 2013, 12, 31 }, { 23, 59, 58 });
    QTest::newRow("first second of 2000")
        << 0x0001 << 0x0100 << 0x0000 << 0 << QDateTime({ 2000, 1, 1 }, { 0, 0, 0 });
    QTest::newRow("29 February of a leap year")
        << 0x1802 << 0x1D0C << 0x0000 << 0 << QDateTime({ 2024, 2, 29 }, { 12, 0, 0 });
    QTest::newRow("last year the byte holds")
        << 0xFF0C << 0x1F17 << 0x3B3B << 0 << QDateTime({ 2255, 12, 31 }, { 23, 59, 59 });
    QTest::newRow("month 0") << 0x0000 << 0x0101 << 0x0101 << 0 << QDateTime();
    QTest::newRow("month 13") << 0x0D0D << 0x0101 << 0x0101 << 0 << QDateTime();
    QTest::newRow("day 0") << 0x0D01 << 0x0001 << 0x0101 << 0 << QDateTime();
    QTest::newRow("29 February of 2023") << 0x1702 << 0x1D0C << 0x0000 << 0 << QDateTime();
    QTest::newRow("hour 25") << 0x0D01 << 0x0119 << 0x0101 << 0 << QDateTime();
    QTest::newRow("minute 60") << 0x0D01 << 0x0101 << 0x3C00 << 0 << QDateTime();
    QTest::newRow("second 60") << 0x0D01 << 0x0101 << 0x003C << 0 << QDateTime();
    QTest::newRow("all ones") << 0xFFFF << 0xFFFF << 0xFFFF << 0xFFFF << QDateTime();
}

void DeviceTimeDataTest::decoding()
{
    QFETCH(int, yearMonth);
    QFETCH(int, dayHour);
    QFETCH(int, minuteSecond);
    QFETCH(int, autoDst);
    QFETCH(QDateTime, expected);

    DeviceTimeData block;
    replyRegisters(block.readRequests()[0],
        { { 12, quint16(yearMonth) }, { 13, quint16(dayHour) }, { 14, quint16(minuteSecond) },
            { 15, quint16(autoDst) } });
    const DeviceTime &time = block.deviceTime();
    // An impossible date or time is shown blank, but the read did succeed.
    QCOMPARE(time.dateTime.status, Valid);
    QCOMPARE(time.dateTime.value.isValid(), expected.isValid());
    if (expected.isValid()) {
        QCOMPARE(time.dateTime.value, expected);
        QCOMPARE(time.dateTime.value.timeSpec(), Qt::LocalTime);
    }
    QCOMPARE(time.autoDst, validValue(autoDst));
}

void DeviceTimeDataTest::failedReadsKeepValuesOutdated()
{
    DeviceTimeData block;
    ModbusRequest &read = block.readRequests()[0];
    read.setFailed(ModbusRequest::Timeout);
    QCOMPARE(block.deviceTime().dateTime, DateTimeValue());
    QCOMPARE(block.deviceTime().autoDst, DataValue());

    replyRegisters(read, { { 12, 0x0D0C }, { 13, 0x1F17 }, { 14, 0x3B3A }, { 15, 1 } });
    read.setFailed(ModbusRequest::Error);
    const QDateTime expected({ 2013, 12, 31 }, { 23, 59, 58 });
    QCOMPARE(block.deviceTime().dateTime, (DateTimeValue { expected, Outdated }));
    QCOMPARE(block.deviceTime().autoDst, (DataValue { 1, Outdated }));

    replyRegisters(read, { { 12, 0x0D0C }, { 13, 0x1F17 }, { 14, 0x3B3A }, { 15, 0 } });
    QCOMPARE(block.deviceTime().dateTime, validValue(expected));
    QCOMPARE(block.deviceTime().autoDst, validValue(0));
}

void DeviceTimeDataTest::resetKeepsThePendingTime()
{
    DeviceTimeData block;
    replyRegisters(block.readRequests()[0], { { 12, 0x0D0C }, { 13, 0x1F17 }, { 15, 1 } });
    block.setNewDeviceTime(validTime(QDateTime({ 2024, 3, 5 }, { 8, 7, 6 }), 1));

    block.reset();
    QCOMPARE(block.deviceTime().dateTime, DateTimeValue());
    QVERIFY(block.deviceTime().dateTime.value.isNull());
    QCOMPARE(block.deviceTime().autoDst, DataValue());
    QCOMPARE(registerWrites(block),
        (QVector<QPair<int, int>> { { 15, 1 }, { 14, 0x0706 }, { 13, 0x0508 }, { 12, 0x1803 } }));
}

void DeviceTimeDataTest::writePayload_data()
{
    QTest::addColumn<QDateTime>("dateTime");
    QTest::addColumn<int>("autoDst");
    QTest::addColumn<int>("yearMonth");
    QTest::addColumn<int>("dayHour");
    QTest::addColumn<int>("minuteSecond");

    QTest::newRow("5 March 2024 08:07:06, DST off")
        << QDateTime({ 2024, 3, 5 }, { 8, 7, 6 }) << 0 << 0x1803 << 0x0508 << 0x0706;
    QTest::newRow("31.12.2013 23:59:58, DST on")
        << QDateTime({ 2013, 12, 31 }, { 23, 59, 58 }) << 1 << 0x0D0C << 0x1F17 << 0x3B3A;
    QTest::newRow("milliseconds are dropped")
        << QDateTime({ 2000, 1, 1 }, { 0, 0, 0, 999 }) << 0 << 0x0001 << 0x0100 << 0x0000;
    // Only the low 16 bits of (year - 2000) * 256 + month reach the relay.
    QTest::newRow("1999") << QDateTime({ 1999, 12, 1 }, { 0, 0, 0 }) << 0 << 0xFF0C << 0x0100 << 0;
    QTest::newRow("2256") << QDateTime({ 2256, 7, 1 }, { 0, 0, 0 }) << 0 << 0x0007 << 0x0100 << 0;
}

void DeviceTimeDataTest::writePayload()
{
    QFETCH(QDateTime, dateTime);
    QFETCH(int, autoDst);
    QFETCH(int, yearMonth);
    QFETCH(int, dayHour);
    QFETCH(int, minuteSecond);

    DeviceTimeData block;
    for (const ModbusRequest &request : block.writeRequests()) {
        QCOMPARE(request.function(), int(ModbusRequest::WriteSingleRegister));
        QCOMPARE(request.count(), quint16(1));
    }
    // The statuses of the pending time are not consulted.
    block.setNewDeviceTime({ { dateTime, Outdated }, { autoDst, NoData } });
    QCOMPARE(registerWrites(block),
        (QVector<QPair<int, int>> {
            { 15, autoDst }, { 14, minuteSecond }, { 13, dayHour }, { 12, yearMonth } }));
}

void DeviceTimeDataTest::readFromTheRelay()
{
    RelayBus &bus = m_line->bus();
    const QDateTime set({ 2019, 6, 30 }, { 22, 15, 0 });
    bus.setClock(2, set);
    bus.setHoldingRegister(2, 15, 0);

    DeviceTimeData block;
    QVERIFY(m_line->read(2, &block));
    QCOMPARE(block.deviceTime().dateTime.status, Valid);
    QVERIFY(secondsApart(block.deviceTime().dateTime.value, set) <= 2);
    QCOMPARE(block.deviceTime().autoDst, validValue(0));

    bus.setHoldingRegister(2, 15, 1);
    QVERIFY(m_line->read(2, &block));
    QCOMPARE(block.deviceTime().autoDst, validValue(1));
}

void DeviceTimeDataTest::writeReachesTheRelayInOrder()
{
    RelayBus &bus = m_line->bus();
    bus.setHoldingRegister(1, 15, 1);
    bus.clearReceivedWrites();

    DeviceTimeData block;
    const QDateTime written({ 2024, 3, 5 }, { 8, 7, 6 });
    block.setNewDeviceTime(validTime(written, 0));
    QVERIFY(m_line->write(1, &block));
    QVERIFY(block.isWriteSuccessful());
    QCOMPARE(receivedRegisterWrites(bus, 1),
        (QVector<QPair<int, int>> { { 15, 0 }, { 14, 0x0706 }, { 13, 0x0508 }, { 12, 0x1803 } }));

    // A write changes only the relay; the block learns of it on the next read.
    QCOMPARE(block.deviceTime().dateTime, DateTimeValue());
    QVERIFY(secondsApart(bus.clock(1), written) <= 2);
    QVERIFY(m_line->read(1, &block));
    QVERIFY(secondsApart(block.deviceTime().dateTime.value, written) <= 2);
    QCOMPARE(block.deviceTime().autoDst, validValue(0));
}

void DeviceTimeDataTest::writeToAllRelays()
{
    RelayBus &bus = m_line->bus();
    bus.clearReceivedWrites();

    DeviceTimeData block;
    const QDateTime written({ 2030, 1, 2 }, { 3, 4, 5 });
    block.setNewDeviceTime(validTime(written, 1));
    // Nobody answers a broadcast; every write still goes out.
    m_line->manager().setResponseTimeout(SilentRelayTimeoutMs);
    QVERIFY(m_line->write(0, &block));
    m_line->manager().setResponseTimeout(AnsweringRelayTimeoutMs);
    QCOMPARE(receivedRegisterWrites(bus, 0),
        (QVector<QPair<int, int>> { { 15, 1 }, { 14, 0x0405 }, { 13, 0x0203 }, { 12, 0x1E01 } }));
    for (int id : { 1, 2, 3 }) {
        QVERIFY(secondsApart(bus.clock(id), written) <= 2);
        QCOMPARE(bus.holdingRegister(id, 15), quint16(1));
    }
}

QTEST_GUILESS_MAIN(DeviceTimeDataTest)
#include "tst_devicetimedata.moc"
