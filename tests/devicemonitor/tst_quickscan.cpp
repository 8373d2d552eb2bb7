// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/deviceinfodata.h"
#include "devicemonitor/devicedatamanager.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "relaybus.h"
#include "simulatedline.h"
#include "testtimeouts.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

// Long enough that a loaded machine's short wait stays far below the slow relay's time.
constexpr int ResponseTimeoutMs = 300;
constexpr int ReadinessDelayMs = 60;
// Answers within the response timeout, but far beyond any short wait.
constexpr int SlowAnswerMs = ResponseTimeoutMs * 8 / 10;

QList<int> listedIds(const DeviceListModel *model)
{
    QList<int> ids;
    for (int row = 0; row < model->rowCount(); ++row)
        ids.append(model->deviceIdAt(row));
    return ids;
}

// The probes of a scan as the line saw them: slave ID and how long each waited.
struct Probe
{
    int id;
    int waitMs;
};

} // namespace

// A quick scan on a simulated line with a fast relay at 1, so that the line has answered before
// the IDs that matter are asked, and whatever a case puts beyond it.
class QuickScanTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void slowRelayIsFoundByTheRetry_data();
    void slowRelayIsFoundByTheRetry();
    void tooSlowRelayIsNeverListed();
    void answersFromAnotherSlaveListNobody();
    void waitsShortOnlyOnceTheLineHasAnswered();
    void thoroughScanWaitsTheTimeoutForEveryId();
    void lateAnswerIsFoundWaitingWithItsSlaveId();

private:
    bool scan(int firstId, int lastId);

    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<DeviceMonitor> m_monitor;
    QList<Probe> m_probes;
    QList<ModbusTransaction> m_transactions;
};

void QuickScanTest::initTestCase()
{
    m_bus.reset(new RelayBus({ 1, 4, 5, 8 }));
    QString error;
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
}

void QuickScanTest::init()
{
    for (int id : m_bus->ids()) {
        m_bus->setRelayOnline(id, true);
        m_bus->setAnswerTime(id, 0);
    }
    m_bus->setFaults({});
    m_monitor.reset(new DeviceMonitor);
    m_monitor->setDeviceSettings({ ReadinessDelayMs, ResponseTimeoutMs });
    m_monitor->setAutoRefreshEnabled(false);
    m_probes.clear();
    m_transactions.clear();
    connect(m_monitor.data(), &DeviceMonitor::transactionFinished, this,
        [this](const ModbusTransaction &transaction) {
            m_transactions.append(transaction);
            if (transaction.function == ModbusRequest::ReadHoldingRegisters
                && transaction.startAddress == 0)
                m_probes.append({ int(transaction.slaveId), transaction.responseTimeoutMs });
        });
    ConnectionSettings line;
    line.portName = m_bus->portPath();
    QVERIFY(m_monitor->connectToPort(line));
}

void QuickScanTest::cleanup()
{
    m_monitor.reset();
}

bool QuickScanTest::scan(int firstId, int lastId)
{
    m_monitor->scan(firstId, lastId);
    QElapsedTimer timer;
    timer.start();
    while (m_monitor->state() == DeviceMonitor::Scanning && timer.elapsed() < PassWaitMs)
        QTest::qWait(5);
    // The records come queued; the last probe's is in once the event loop has turned.
    QTest::qWait(20);
    m_monitor->stopRefresh();
    return m_monitor->state() != DeviceMonitor::Scanning;
}

// Relay 4 answers at 0.8 x the response timeout, long after its short wait: its answer comes
// while later IDs are asked, and must bring it back for a retry that finds it.
void QuickScanTest::slowRelayIsFoundByTheRetry_data()
{
    QTest::addColumn<int>("lastId");
    QTest::addColumn<QList<int>>("silent");
    QTest::addColumn<QList<int>>("expected");
    QTest::addColumn<int>("shortAsks");

    QTest::newRow("a relay after it answers on time")
        << 8 << QList<int>() << QList<int>({ 1, 4, 5, 8 }) << 1;
    QTest::newRow("silent IDs after it") << 8 << QList<int>({ 5, 8 }) << QList<int>({ 1, 4 }) << 1;
    QTest::newRow("next to last") << 5 << QList<int>({ 5 }) << QList<int>({ 1, 4 }) << 1;
    // The last ID waits the full timeout: found at once.
    QTest::newRow("last of the range") << 4 << QList<int>() << QList<int>({ 1, 4 }) << 0;
}

void QuickScanTest::slowRelayIsFoundByTheRetry()
{
    QFETCH(int, lastId);
    QFETCH(QList<int>, silent);
    QFETCH(QList<int>, expected);
    QFETCH(int, shortAsks);
    for (int id : silent)
        m_bus->setRelayOnline(id, false);
    m_bus->setAnswerTime(4, SlowAnswerMs);

    QSignalSpy progress(m_monitor.data(), &DeviceMonitor::scanProgress);
    QVERIFY(scan(1, lastId));
    QCOMPARE(listedIds(m_monitor->deviceListModel()), expected);
    // Progress goes through the range once; the retries do not move it back.
    QCOMPARE(progress.count(), lastId);
    QCOMPARE(progress.last().at(0).toInt(), lastId);
    // Relay 4 was asked with a short wait, then once more with the full timeout.
    QList<int> waits;
    for (const Probe &probe : qAsConst(m_probes)) {
        if (probe.id == 4)
            waits.append(probe.waitMs);
    }
    QCOMPARE(waits.size(), shortAsks + 1);
    QVERIFY(shortAsks == 0 || waits.first() < ResponseTimeoutMs);
    QCOMPARE(waits.last(), ResponseTimeoutMs);
}

// An answer beyond the response timeout is late even for the retry: neither that relay nor the
// IDs whose windows it fell into are listed.
void QuickScanTest::tooSlowRelayIsNeverListed()
{
    m_bus->setRelayOnline(5, false);
    m_bus->setAnswerTime(4, ResponseTimeoutMs * 3 / 2);
    QVERIFY(scan(1, 8));
    QCOMPARE(listedIds(m_monitor->deviceListModel()), QList<int>({ 1, 8 }));
}

// Every answer names another slave: libmodbus takes none, and each ID that got one is asked
// again with the full timeout, with the one before it.
void QuickScanTest::answersFromAnotherSlaveListNobody()
{
    QVERIFY(scan(1, 1)); // the line has answered
    m_probes.clear();
    FaultSettings faults;
    faults.foreignSlaveProbability = 1;
    m_bus->setFaults(faults);
    QVERIFY(scan(1, 5));
    QCOMPARE(m_monitor->deviceListModel()->rowCount(), 0);
    QList<int> retried;
    for (const Probe &probe : qAsConst(m_probes)) {
        if (probe.waitMs == ResponseTimeoutMs)
            retried.append(probe.id);
    }
    // 2 may be asked again as well: its short wait's answer could still have been on its way.
    for (int id : { 1, 3, 4, 5 })
        QVERIFY2(retried.contains(id), qPrintable(QString::number(id)));
}

void QuickScanTest::waitsShortOnlyOnceTheLineHasAnswered()
{
    m_bus->setRelayOnline(1, false);
    QVERIFY(scan(2, 6));
    QCOMPARE(listedIds(m_monitor->deviceListModel()), QList<int>({ 4, 5 }));
    QList<int> waits;
    for (const Probe &probe : qAsConst(m_probes))
        waits.append(probe.waitMs);
    // 2 to 4 before relay 4 answered; after it a short wait, at least 10 ms, except for the
    // last ID, whose full wait sees any late answer. Nothing came late, so nothing was asked
    // again.
    QCOMPARE(waits.size(), 5);
    QCOMPARE(
        waits.mid(0, 3), QList<int>({ ResponseTimeoutMs, ResponseTimeoutMs, ResponseTimeoutMs }));
    QVERIFY2(waits.at(3) >= 10 && waits.at(3) < ResponseTimeoutMs,
        qPrintable(QString::number(waits.at(3))));
    QCOMPARE(waits.at(4), ResponseTimeoutMs);
    QVERIFY(m_monitor->turnarounds().hasAnswers());
    QCOMPARE(m_monitor->turnarounds().relay(4).answers, 1);
}

void QuickScanTest::thoroughScanWaitsTheTimeoutForEveryId()
{
    m_monitor->setDeviceSettings({ ReadinessDelayMs, ResponseTimeoutMs, true });
    QCOMPARE(m_monitor->deviceSettings().thoroughScan, true);
    m_bus->setAnswerTime(4, SlowAnswerMs);
    QVERIFY(scan(1, 8));
    QCOMPARE(listedIds(m_monitor->deviceListModel()), QList<int>({ 1, 4, 5, 8 }));
    QCOMPARE(m_probes.size(), 8);
    for (int i = 0; i < m_probes.size(); ++i) {
        QCOMPARE(m_probes.at(i).id, i + 1);
        QCOMPARE(m_probes.at(i).waitMs, ResponseTimeoutMs);
    }
}

// The transport's part: a request waits its own time, and the slow relay's answer, come after
// it, is found waiting on the line before the next request, its first byte naming the relay.
void QuickScanTest::lateAnswerIsFoundWaitingWithItsSlaveId()
{
    QVERIFY(m_monitor->disconnectFromPort());
    DeviceDataManager manager;
    manager.setResponseTimeout(ResponseTimeoutMs);
    ConnectionSettings line;
    line.portName = m_bus->portPath();
    QVERIFY(manager.openPort(line));
    QList<ModbusTransaction> records;
    connect(&manager, &DeviceDataManager::transactionFinished, this,
        [&records](const ModbusTransaction &transaction) { records.append(transaction); });
    QSignalSpy processed(&manager, &DeviceDataManager::deviceDataProcessed);
    m_bus->setAnswerTime(4, SlowAnswerMs);
    DeviceInfoData slow;
    slow.readRequests().first().setResponseTimeout(20);
    const quint64 answersBefore = m_bus->answersSent();
    manager.read(4, &slow);
    QVERIFY(processed.wait(PassWaitMs));
    QTRY_VERIFY_WITH_TIMEOUT(m_bus->answersSent() > answersBefore, PassWaitMs);
    QTest::qWait(20); // counted just before it is written
    DeviceInfoData fast;
    manager.read(1, &fast);
    QVERIFY(processed.wait(PassWaitMs));

    QVERIFY(!slow.isReadSuccessful());
    QVERIFY(fast.isReadSuccessful());
    QCOMPARE(records.size(), 2);
    QCOMPARE(records.at(0).outcome, ModbusTransaction::Timeout);
    QCOMPARE(records.at(0).responseTimeoutMs, 20);
    QCOMPARE(records.at(1).responseTimeoutMs, ResponseTimeoutMs);
    QCOMPARE(records.at(1).strayBytes, 25); // the answer to 10 registers
    QCOMPARE(records.at(1).strayFirstByte, 4);
}

QTEST_GUILESS_MAIN(QuickScanTest)
#include "tst_quickscan.moc"
