// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/devicedata.h"

#include <QtTest>

#include <thread>

namespace {

struct Pair
{
    DataValue first;
    DataValue second;
};

// Two requests, each decoding one register into one half of the record.
class PairData : public DeviceData
{
public:
    explicit PairData(QObject *parent = nullptr) : DeviceData(parent)
    {
        for (quint16 address : { 10, 20 }) {
            readRequests().append(ModbusRequest(ModbusRequest::ReadHoldingRegisters, address, 1,
                [this, address](ModbusRequest::Result result, const ModbusRegisters &registers) {
                    if (address == 10)
                        updateRecord(
                            m_pair.first, result, [&] { return validValue(registers.value(10)); });
                    else
                        updateRecord(
                            m_pair.second, result, [&] { return validValue(registers.value(20)); });
                }));
        }
    }

    const Pair &pair() const { return m_pair; }
    int resets = 0;
    State stateDuringReset = Inactive;

    void reply(int index, quint16 value)
    {
        ModbusRegisters registers(readRequests().at(index).startAddress(), 1);
        registers.setValue(registers.startAddress(), value);
        readRequests()[index].setRegistersReply(registers);
    }

protected:
    void resetData() override
    {
        ++resets;
        stateDuringReset = state();
        m_pair = Pair();
    }

private:
    Pair m_pair;
};

using StateChange = QPair<DeviceData::State, DeviceData::State>;

QList<StateChange> stateChanges(const QSignalSpy &spy)
{
    QList<StateChange> changes;
    for (const QList<QVariant> &arguments : spy)
        changes.append({ arguments.at(0).value<DeviceData::State>(),
            arguments.at(1).value<DeviceData::State>() });
    return changes;
}

} // namespace

class DeviceDataTest : public QObject
{
    Q_OBJECT

private slots:
    void setStateSignalsOnlyChanges();
    void resetClearsBetweenTwoSignals();
    void resetRefusedWhileBusy();
    void successNeedsEveryRequest();
    void failedReadKeepsValuesAsOutdated();
    void workerRepliesApplyOnTheBlocksThread();
    void combinedStatusTakesTheWorst();
};

void DeviceDataTest::setStateSignalsOnlyChanges()
{
    PairData data;
    QSignalSpy spy(&data, &DeviceData::stateChanged);
    data.setState(DeviceData::Inactive);
    QCOMPARE(spy.count(), 0);
    data.setState(DeviceData::Reading);
    data.setState(DeviceData::Reading);
    data.setState(DeviceData::Inactive);
    QCOMPARE(stateChanges(spy),
        (QList<StateChange> { { DeviceData::Reading, DeviceData::Inactive },
            { DeviceData::Inactive, DeviceData::Reading } }));
}

void DeviceDataTest::resetClearsBetweenTwoSignals()
{
    PairData data;
    data.reply(0, 5);
    QSignalSpy spy(&data, &DeviceData::stateChanged);
    data.reset();
    QCOMPARE(data.resets, 1);
    QCOMPARE(data.stateDuringReset, DeviceData::Resetting);
    QCOMPARE(stateChanges(spy),
        (QList<StateChange> { { DeviceData::Resetting, DeviceData::Inactive },
            { DeviceData::Inactive, DeviceData::Resetting } }));
    QCOMPARE(data.pair().first, DataValue());
}

void DeviceDataTest::resetRefusedWhileBusy()
{
    PairData data;
    data.reply(0, 5);
    data.setState(DeviceData::Reading);
    QSignalSpy spy(&data, &DeviceData::stateChanged);
    QTest::ignoreMessage(QtDebugMsg, "!!! Reset data only possible in Inactive state !!!");
    data.reset();
    QCOMPARE(spy.count(), 0);
    QCOMPARE(data.resets, 0);
    QCOMPARE(data.state(), DeviceData::Reading);
    QCOMPARE(data.pair().first, validValue(5));
}

void DeviceDataTest::successNeedsEveryRequest()
{
    PairData data;
    QVERIFY(!data.isReadSuccessful());
    QVERIFY2(data.isWriteSuccessful(), "an empty list has nothing that failed");
    data.reply(0, 1);
    QVERIFY(!data.isReadSuccessful());
    data.reply(1, 2);
    QVERIFY(data.isReadSuccessful());
    data.readRequests()[0].setFailed(ModbusRequest::Timeout);
    QVERIFY(!data.isReadSuccessful());

    // A request switched off keeps its last result.
    data.reply(0, 1);
    data.readRequests()[1].setEnabled(false);
    QVERIFY(data.isReadSuccessful());
}

void DeviceDataTest::failedReadKeepsValuesAsOutdated()
{
    PairData data;
    data.reply(0, 42);
    data.readRequests()[0].setFailed(ModbusRequest::Timeout);
    data.readRequests()[1].setFailed(ModbusRequest::Error);
    QCOMPARE(data.pair().first, (DataValue { 42, Outdated }));
    QCOMPARE(data.pair().second, DataValue());

    data.reply(0, 43);
    QCOMPARE(data.pair().first, validValue(43));
    data.reset();
    QCOMPARE(data.pair().first, DataValue());
}

// Reply handlers run on the Modbus worker thread; the block's fields must
// change only once the block's own thread takes the decoded record over.
void DeviceDataTest::workerRepliesApplyOnTheBlocksThread()
{
    PairData data;
    std::thread worker([&data] { data.reply(0, 7); });
    worker.join();
    QCOMPARE(data.pair().first, DataValue());
    QCoreApplication::processEvents();
    QCOMPARE(data.pair().first, validValue(7));

    std::thread failing([&data] { data.readRequests()[0].setFailed(ModbusRequest::Timeout); });
    failing.join();
    QCOMPARE(data.pair().first.status, Valid);
    QCoreApplication::processEvents();
    QCOMPARE(data.pair().first.status, Outdated);
}

void DeviceDataTest::combinedStatusTakesTheWorst()
{
    QCOMPARE(combinedStatus({ Valid, Valid }), Valid);
    QCOMPARE(combinedStatus({ Valid, Outdated }), Outdated);
    QCOMPARE(combinedStatus({ Outdated, NoData, Valid }), NoData);
    QCOMPARE(combinedStatus({}), Valid);
}

QTEST_GUILESS_MAIN(DeviceDataTest)
#include "tst_devicedata.moc"
