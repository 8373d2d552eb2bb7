// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/deviceinfodata.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/trafficmodel.h"
#include "modbus/rtumodbus.h"
#include "relaybus.h"
#include "testtimeouts.h"

#include <QColor>
#include <QtTest>

#include <modbus.h>

Q_DECLARE_METATYPE(FaultSettings)

// The endpoint's transaction records and the relays' health counts, over the
// simulated line: what the records say must be what happened on the line.
class TransactionRecordsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void recordNamesWhatHappened_data();
    void recordNamesWhatHappened();
    void recordsFollowTheLineThroughFaults();
    void scanStartsTheCountsAfresh();
    void silentRelayIsMarkedUntilItAnswers();
    void unusableAnswersCountAsUnanswered_data();
    void unusableAnswersCountAsUnanswered();

private:
    struct Issued
    {
        uint slaveId;
        quint16 address;
        quint16 count;
        ModbusRequest::Result result;
    };

    bool execute(RtuModbus &modbus, uint slaveId, quint16 address, quint16 count,
        ModbusRequest::Result *result = nullptr);
    bool refreshOnce(DeviceMonitor &monitor, int deviceId);
    // Connects, scans relays 1 and 2 and waits for the refresh of relay 1 the
    // scan leaves behind; a refresh reads three requests.
    void scanTwoRelays(DeviceMonitor &monitor);

    QScopedPointer<RelayBus> m_bus;
};

void TransactionRecordsTest::initTestCase()
{
    m_bus.reset(new RelayBus({ 1, 2 }));
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
}

void TransactionRecordsTest::init()
{
    m_bus->setFaults(FaultSettings());
    m_bus->setRelayOnline(1, true);
    m_bus->setRelayOnline(2, true);
}

void TransactionRecordsTest::cleanup()
{
    init();
}

bool TransactionRecordsTest::execute(
    RtuModbus &modbus, uint slaveId, quint16 address, quint16 count, ModbusRequest::Result *result)
{
    const ModbusRequest request(ModbusRequest::ReadHoldingRegisters, address, count,
        [](ModbusRequest::Result, const ModbusRegisters &) {});
    QSignalSpy finished(&modbus, &RtuModbus::requestFinished);
    if (!modbus.request(slaveId, request) || !finished.wait(PassWaitMs))
        return false;
    if (result)
        *result = request.result();
    return true;
}

bool TransactionRecordsTest::refreshOnce(DeviceMonitor &monitor, int deviceId)
{
    QSignalSpy states(&monitor, &DeviceMonitor::stateChanged);
    if (monitor.currentDeviceId() == deviceId)
        monitor.refresh();
    else
        monitor.setCurrentDeviceId(deviceId);
    return QTest::qWaitFor(
        [&] {
            return !states.isEmpty()
                && states.last().at(0).value<DeviceMonitor::State>() == DeviceMonitor::Idle;
        },
        20000);
}

void TransactionRecordsTest::recordNamesWhatHappened_data()
{
    QTest::addColumn<FaultSettings>("faults");
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("text");

    FaultSettings none;
    QTest::newRow("answered") << none << true << 16 << int(ModbusTransaction::Success) << "Success";
    QTest::newRow("relay switched off")
        << none << false << 16 << int(ModbusTransaction::Timeout) << "Timeout";
    QTest::newRow("address the relay lacks")
        << none << true << 1000 << int(ModbusTransaction::Exception)
        << "Exception 2: illegal data address";
    FaultSettings faults;
    faults.dropProbability = 1;
    QTest::newRow("answer lost") << faults << true << 16 << int(ModbusTransaction::Timeout)
                                 << "Timeout";
    faults = none;
    faults.badCrcProbability = 1;
    QTest::newRow("bad CRC") << faults << true << 16 << int(ModbusTransaction::InvalidCrc)
                             << "Invalid CRC";
    faults = none;
    faults.foreignSlaveProbability = 1;
    QTest::newRow("another slave answers")
        << faults << true << 16 << int(ModbusTransaction::ForeignAnswer)
        << "Answer from another slave";
    faults = none;
    faults.wrongByteCountProbability = 1;
    QTest::newRow("wrong byte count")
        << faults << true << 16 << int(ModbusTransaction::MalformedAnswer) << "Malformed answer";
}

void TransactionRecordsTest::recordNamesWhatHappened()
{
    QFETCH(FaultSettings, faults);
    QFETCH(bool, online);
    QFETCH(int, address);
    QFETCH(int, outcome);
    QFETCH(QString, text);

    m_bus->setFaults(faults);
    m_bus->setRelayOnline(2, online);
    RtuModbus modbus;
    modbus.setResponseTimeout(100);
    QVERIFY(modbus.openPort(m_bus->portPath(), SerialPortSettings()));
    QSignalSpy records(&modbus, &RtuModbus::transactionFinished);

    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    QVERIFY(execute(modbus, 2, quint16(address), 6));
    const qint64 after = QDateTime::currentMSecsSinceEpoch();

    QCOMPARE(records.count(), 1);
    const auto record = records.at(0).at(0).value<ModbusTransaction>();
    QCOMPARE(int(record.outcome), outcome);
    QCOMPARE(TrafficModel::resultText(record), text);
    QCOMPARE(record.slaveId, 2u);
    QCOMPARE(record.function, int(ModbusRequest::ReadHoldingRegisters));
    QCOMPARE(int(record.startAddress), address);
    QCOMPARE(int(record.count), 6);
    QVERIFY(record.startedAt >= before);
    QVERIFY(record.startedAt + record.durationUs / 1000 <= after);
    if (outcome == ModbusTransaction::Timeout)
        QVERIFY2(record.durationUs >= 90000, qPrintable(QString::number(record.durationUs)));
}

// 160 reads of two relays on a line that loses, damages and refuses
// answers: one record per transaction, in the order they were made, each with
// the result the request itself got; the counts per relay add up to what the
// simulator saw.
void TransactionRecordsTest::recordsFollowTheLineThroughFaults()
{
    FaultSettings faults;
    faults.dropProbability = 0.15;
    faults.badCrcProbability = 0.1;
    faults.exceptionProbability = 0.1;
    faults.foreignSlaveProbability = 0.05;
    faults.wrongByteCountProbability = 0.05;
    m_bus->setFaults(faults);

    // Long enough that no answer the simulator sent comes too late, even on a
    // loaded machine: a late answer would count as sent there, timed out here.
    RtuModbus modbus;
    modbus.setResponseTimeout(120);
    QVERIFY(modbus.openPort(m_bus->portPath(), SerialPortSettings()));
    TrafficModel traffic;
    DeviceListModel devices;
    connect(&modbus, &RtuModbus::transactionFinished, &traffic, &TrafficModel::addTransaction,
        Qt::QueuedConnection);
    connect(&modbus, &RtuModbus::transactionFinished, &devices, &DeviceListModel::countTransaction,
        Qt::QueuedConnection);

    const quint64 framesBefore = m_bus->framesReceived();
    const quint64 answersBefore = m_bus->answersSent();
    QVector<Issued> issued;
    for (int i = 0; i < 160; ++i) {
        Issued request { uint(1 + i % 2), quint16(16 + i % 5), quint16(1 + i % 6),
            ModbusRequest::NoResult };
        QVERIFY(execute(modbus, request.slaveId, request.address, request.count, &request.result));
        issued.append(request);
    }
    QCoreApplication::processEvents();
    traffic.flush();
    const quint64 frames = m_bus->framesReceived() - framesBefore;
    const quint64 answers = m_bus->answersSent() - answersBefore;

    QCOMPARE(traffic.rowCount(), issued.size());
    QHash<uint, int> requests, successes, timeouts;
    QSet<int> outcomes;
    for (int row = 0; row < issued.size(); ++row) {
        const ModbusTransaction &record = traffic.transactionAt(row);
        const Issued &request = issued.at(row);
        QCOMPARE(record.slaveId, request.slaveId);
        QCOMPARE(record.startAddress, request.address);
        QCOMPARE(record.count, request.count);
        if (row > 0)
            QVERIFY(record.startedAt >= traffic.transactionAt(row - 1).startedAt);
        const ModbusRequest::Result expected = record.outcome == ModbusTransaction::Success
            ? ModbusRequest::Success
            : record.outcome == ModbusTransaction::Timeout ? ModbusRequest::Timeout
                                                           : ModbusRequest::Error;
        QCOMPARE(request.result, expected);
        outcomes.insert(record.outcome);
        ++requests[request.slaveId];
        successes[request.slaveId] += request.result == ModbusRequest::Success;
        timeouts[request.slaveId] += request.result == ModbusRequest::Timeout;
    }
    // Every fault of the line showed up at least once.
    QCOMPARE(outcomes.size(), 6);

    int countedRequests = 0, countedTimeouts = 0, countedAnswersAndErrors = 0;
    for (uint slaveId : { 1u, 2u }) {
        const RelayHealth health = devices.health(int(slaveId));
        QCOMPARE(health.requests, requests.value(slaveId));
        QCOMPARE(health.answers, successes.value(slaveId));
        QCOMPARE(health.timeouts, timeouts.value(slaveId));
        QCOMPARE(health.requests, health.answers + health.timeouts + health.errors);
        QVERIFY(health.lastAnswerAt > 0);
        countedRequests += health.requests;
        countedTimeouts += health.timeouts;
        countedAnswersAndErrors += health.answers + health.errors;
    }
    QCOMPARE(quint64(countedRequests), frames);
    QCOMPARE(quint64(countedAnswersAndErrors), answers);
    QCOMPARE(quint64(countedTimeouts), frames - answers);
}

void TransactionRecordsTest::scanStartsTheCountsAfresh()
{
    DeviceMonitor monitor;
    monitor.setDeviceSettings({ 0, 50 });
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    QVERIFY(monitor.connectToPort(settings));
    DeviceListModel *devices = monitor.deviceListModel();

    for (int round = 0; round < 2; ++round) {
        QSignalSpy states(&monitor, &DeviceMonitor::stateChanged);
        monitor.scan(1, 3);
        // The scan ends in Idle; the refresh it starts has no blocks to read.
        QVERIFY(QTest::qWaitFor(
            [&] {
                for (const QList<QVariant> &state : states) {
                    if (state.at(0).value<DeviceMonitor::State>() == DeviceMonitor::Idle)
                        return true;
                }
                return false;
            },
            20000));
        monitor.stopRefresh();
        QTest::qWait(50);
        QCOMPARE(devices->rowCount(), 2);
        // Slave 3 is not on the line: one probe, unanswered.
        QCOMPARE(devices->health(3).requests, 1);
        QCOMPARE(devices->health(3).timeouts, 1);
        QCOMPARE(devices->health(2).requests, 1);
        QCOMPARE(devices->health(2).answers, 1);
        QVERIFY(devices->health(2).lastAnswerAt > 0);
    }
}

void TransactionRecordsTest::scanTwoRelays(DeviceMonitor &monitor)
{
    monitor.setAutoRefreshEnabled(false);
    monitor.setDeviceSettings({ 0, 50 });
    ConnectionSettings settings;
    settings.portName = m_bus->portPath();
    QVERIFY(monitor.connectToPort(settings));
    // Three reads of one request each make a pass.
    auto *block = new DeviceInfoData(&monitor);
    monitor.setDeviceDataList({ block, block, block });
    QSignalSpy states(&monitor, &DeviceMonitor::stateChanged);
    monitor.scan(1, 2);
    // Scanning, Idle, then the refresh of device 1 the scan leaves behind.
    QVERIFY(QTest::qWaitFor(
        [&] {
            return states.count() >= 4
                && states.last().at(0).value<DeviceMonitor::State>() == DeviceMonitor::Idle;
        },
        20000));
    QCOMPARE(monitor.currentDeviceId(), 1);
    QTest::qWait(50);
}

void TransactionRecordsTest::silentRelayIsMarkedUntilItAnswers()
{
    DeviceMonitor monitor;
    scanTwoRelays(monitor);
    if (QTest::currentTestFailed())
        return;
    DeviceListModel *devices = monitor.deviceListModel();

    const QModelIndex relay2 = devices->index(devices->rowOfDevice(2));
    QVERIFY(!devices->data(relay2, Qt::DecorationRole).isValid());
    QVERIFY(devices->data(relay2, Qt::ToolTipRole).toString().contains("Answers: 1"));

    m_bus->setRelayOnline(2, false);
    QSignalSpy changed(devices, &QAbstractItemModel::dataChanged);
    QVERIFY(refreshOnce(monitor, 2));
    QTest::qWait(50);
    QCOMPARE(devices->health(2).timeouts, 3);
    QCOMPARE(devices->data(relay2, Qt::DecorationRole).value<QColor>(), QColor(Qt::red));
    QVERIFY(devices->data(relay2, Qt::ToolTipRole)
                .toString()
                .startsWith("The relay has stopped answering."));
    QCOMPARE(changed.count(), 1);

    m_bus->setRelayOnline(2, true);
    QVERIFY(refreshOnce(monitor, 2));
    QTest::qWait(50);
    QVERIFY(!devices->data(relay2, Qt::DecorationRole).isValid());
    QCOMPARE(changed.count(), 2);
    QCOMPARE(devices->health(2).answers, 4);
}

void TransactionRecordsTest::unusableAnswersCountAsUnanswered_data()
{
    QTest::addColumn<FaultSettings>("faults");
    FaultSettings badCrc;
    badCrc.badCrcProbability = 1;
    FaultSettings foreign;
    foreign.foreignSlaveProbability = 1;
    FaultSettings shortFrame;
    shortFrame.shortFrameProbability = 1;
    QTest::newRow("bad CRC") << badCrc;
    QTest::newRow("another slave's") << foreign;
    QTest::newRow("cut short") << shortFrame;
}

void TransactionRecordsTest::unusableAnswersCountAsUnanswered()
{
    QFETCH(FaultSettings, faults);
    DeviceMonitor monitor;
    scanTwoRelays(monitor);
    if (QTest::currentTestFailed())
        return;
    DeviceListModel *devices = monitor.deviceListModel();

    m_bus->setFaults(faults);
    QVERIFY(refreshOnce(monitor, 2));
    QTest::qWait(50);
    const RelayHealth health = devices->health(2);
    QCOMPARE(health.errors + health.timeouts, 3);
    QVERIFY(health.hasStoppedAnswering());
    const QModelIndex relay2 = devices->index(devices->rowOfDevice(2));
    QCOMPARE(devices->data(relay2, Qt::DecorationRole).value<QColor>(), QColor(Qt::red));
}

QTEST_GUILESS_MAIN(TransactionRecordsTest)
#include "tst_transactionrecords.moc"
