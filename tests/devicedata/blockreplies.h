// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BLOCKREPLIES_H
#define BLOCKREPLIES_H

#include "devicedata/devicedata.h"

#include <QtTest>

#include <functional>
#include <initializer_list>
#include <memory>
#include <thread>

// Replies handed straight to a block's read requests on the test thread. The
// block takes them over at once, as it does when the Modbus worker delivers
// them, so decoding can be checked without a line.

inline QString dataValueText(const DataValue &value)
{
    return QStringLiteral("{%1, %2}").arg(value.value).arg(int(value.status));
}

inline char *toString(const DataValue &value)
{
    return QTest::toString(dataValueText(value));
}

inline char *toString(const QVector<DataValue> &values)
{
    QStringList texts;
    for (const DataValue &value : values)
        texts.append(dataValueText(value));
    return QTest::toString(texts.join(QLatin1String(", ")));
}

// Fills request `index` with consecutive values from its start address.
inline void replyRegisters(DeviceData &block, std::initializer_list<quint16> values, int index = 0)
{
    ModbusRequest &request = block.readRequests()[index];
    QCOMPARE(int(values.size()), int(request.count()));
    ModbusRegisters registers(request.startAddress(), request.count());
    quint16 address = request.startAddress();
    for (quint16 value : values)
        registers.setValue(address++, value);
    request.setRegistersReply(registers);
}

// The raw bytes as libmodbus leaves them, which need not be 0 or 1.
inline void replyBits(DeviceData &block, std::initializer_list<quint8> bytes, int index = 0)
{
    ModbusRequest &request = block.readRequests()[index];
    QCOMPARE(int(bytes.size()), int(request.count()));
    ModbusBits bits(request.startAddress(), request.count());
    std::copy(bytes.begin(), bytes.end(), bits.data());
    request.setBitsReply(bits);
}

inline void failRead(DeviceData &block, ModbusRequest::Result result = ModbusRequest::Timeout)
{
    for (ModbusRequest &request : block.readRequests())
        request.setFailed(result);
}

// What the payload builders of a write list put on the wire, in list order:
// {address, value} of each single-register write.
inline QVector<QPair<int, int>> registerWrites(DeviceData &block)
{
    QVector<QPair<int, int>> writes;
    for (const ModbusRequest &request : block.writeRequests()) {
        ModbusRegisters registers(request.startAddress(), request.count());
        request.fillRegisters(registers);
        writes.append({ request.startAddress(), registers.value(request.startAddress()) });
    }
    return writes;
}

// One block type for the reply rule every block shares: how to make one, feed
// it a successful reply with non-zero values, and list its values.
struct BlockUnderTest
{
    std::function<std::unique_ptr<DeviceData>()> create;
    std::function<void(DeviceData &)> replyWithData;
    std::function<QVector<DataValue>(const DeviceData &)> values;
};
Q_DECLARE_METATYPE(BlockUnderTest)

template<typename Block, typename Values>
BlockUnderTest blockUnderTest(std::function<void(DeviceData &)> replyWithData, Values values)
{
    return { [] { return std::unique_ptr<DeviceData>(new Block); }, std::move(replyWithData),
        [values](const DeviceData &block) { return values(static_cast<const Block &>(block)); } };
}

// Success makes every value Valid, a failure keeps the numbers but marks them
// Outdated (or leaves them without data if they never had any), and reset()
// clears everything.
inline void verifyReplyRule(const BlockUnderTest &test)
{
    const std::unique_ptr<DeviceData> block = test.create();
    const int fieldCount = test.values(*block).size();
    const QVector<DataValue> empty(fieldCount);
    QCOMPARE(test.values(*block), empty);

    failRead(*block);
    QCOMPARE(test.values(*block), empty);

    test.replyWithData(*block);
    const QVector<DataValue> read = test.values(*block);
    for (const DataValue &value : read) {
        QCOMPARE(value.status, Valid);
        QVERIFY2(value.value != 0, "the reply is expected to fill every field");
    }

    failRead(*block, ModbusRequest::Error);
    QVector<DataValue> outdated = read;
    for (DataValue &value : outdated)
        value.status = Outdated;
    QCOMPARE(test.values(*block), outdated);
    failRead(*block);
    QCOMPARE(test.values(*block), outdated);

    test.replyWithData(*block);
    QCOMPARE(test.values(*block), read);
    QVERIFY(block->hasData());

    block->reset();
    QCOMPARE(test.values(*block), empty);
    QVERIFY(!block->hasData());

    // A reply decoded on the worker and not yet applied when the block is
    // reset (another relay became current), or when its request is given
    // up on, must not land.
    const auto replyFromWorker = [&test, &block] {
        std::thread worker([&test, &block] { test.replyWithData(*block); });
        worker.join();
    };
    replyFromWorker();
    block->reset();
    QCoreApplication::processEvents();
    QCOMPARE(test.values(*block), empty);
    QVERIFY(!block->hasData());

    replyFromWorker();
    block->discardRepliesInFlight();
    QCoreApplication::processEvents();
    QCOMPARE(test.values(*block), empty);

    // Closing the port fails the request on the block's own thread.
    test.replyWithData(*block);
    replyFromWorker();
    failRead(*block, ModbusRequest::Error);
    QCoreApplication::processEvents();
    QCOMPARE(test.values(*block), outdated);
}

#endif // BLOCKREPLIES_H
