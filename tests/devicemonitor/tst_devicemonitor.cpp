// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/ledsdata.h"
#include "devicedata/meteragedata.h"
#include "devicedata/modulesdata.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "relaybus.h"
#include "simulatedline.h"
#include "testtimeouts.h"
#include "unansweredport.h"

#include <QColor>
#include <QElapsedTimer>
#include <QtTest>

#include <limits>

namespace {

// Debug lines the monitor wrote while a case ran. The monitor lives on the
// GUI thread; the transport's worker threads log too, and the list is not
// theirs to touch.
QStringList *capturedLines = nullptr;
QtMessageHandler previousHandler = nullptr;

void captureMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (capturedLines && QThread::currentThread() == QCoreApplication::instance()->thread())
        capturedLines->append(message);
    previousHandler(type, context, message);
}

QList<int> intArguments(const QSignalSpy &spy)
{
    QList<int> values;
    for (const QList<QVariant> &arguments : spy)
        values.append(arguments.at(0).toInt());
    return values;
}

QList<DeviceMonitor::State> states(const QSignalSpy &spy)
{
    QList<DeviceMonitor::State> values;
    for (const QList<QVariant> &arguments : spy)
        values.append(arguments.at(0).value<DeviceMonitor::State>());
    return values;
}

// The order in which blocks started being read.
class ReadOrder : public QObject
{
public:
    void watch(DeviceData *data, const QString &name)
    {
        connect(data, &DeviceData::stateChanged, this, [this, name](DeviceData::State state) {
            if (state == DeviceData::Reading)
                names.append(name);
        });
    }
    QStringList names;
};

} // namespace

// Relays at 2, 5 and 17 (17 of another type) on a simulated line.
class DeviceMonitorTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void scanListsTheRelaysThatAnswer();
    void scanThatFindsNothing();
    void rowsOutsideTheListHaveNoRelay();
    void refusedScans();
    void selectingDuringAScan();
    void cancellingKeepsWhatWasFound();
    void disconnectingDuringAScan();
    void reconnectingRefreshesTheCurrentDevice();
    void networkConnectionIsMadeInTheBackground();
    void singleRefreshReadsEachBlockOnce();
    void autoRefreshSkipsTicksWhileAPassRuns();
    void newListIsReadFromTheNextPass();
    void selectingAnotherDeviceRestartsTheRefresh();
    void scanStopsAutoRefresh();
    void writeToAllDevicesBroadcasts();
    void silentRelayTurnsOutdatedAndRecovers();

private:
    bool waitForState(DeviceMonitor::State state, int timeoutMs = PassWaitMs);
    bool waitForPasses(int passes);
    void connectMonitor();

    QScopedPointer<RelayBus> m_bus;
    QScopedPointer<DeviceMonitor> m_monitor;
    QScopedPointer<ModulesData> m_modules;
    QScopedPointer<MeterageData> m_meterage;
    QScopedPointer<LedsData> m_leds;
    QStringList m_lines;
};

void DeviceMonitorTest::initTestCase()
{
    previousHandler = qInstallMessageHandler(captureMessage);
    m_bus.reset(new RelayBus({ 2, 5, 17 }));
    QString error;
    serveTestLink(*m_bus);
    QVERIFY2(m_bus->start(&error), qPrintable(error));
    m_bus->setMeasurementsLive(false);
    m_bus->setDeviceTypeCode(17, 0x8D91);
    m_bus->setModules(2, 0x0001); // bit 0: auto-reclose
    m_bus->setModules(5, 0x0004); // bit 2: earth fault with 3I0 and 3U0
}

void DeviceMonitorTest::init()
{
    m_lines.clear();
    capturedLines = &m_lines;
    m_modules.reset(new ModulesData);
    m_meterage.reset(new MeterageData);
    m_leds.reset(new LedsData);
    m_monitor.reset(new DeviceMonitor);
    // Thorough: these cases hold the scan to waiting the response timeout for every ID
    // (tst_quickscan has the quick one).
    m_monitor->setDeviceSettings({ 0, 40, true });
    m_monitor->setAutoRefreshEnabled(false);
    m_monitor->setAutoRefreshDelay(100);
    m_monitor->setDeviceDataList({ m_modules.data(), m_meterage.data(), m_leds.data() });
    connectMonitor();
}

void DeviceMonitorTest::cleanup()
{
    m_monitor.reset();
    capturedLines = nullptr;
    for (int id : { 2, 5, 17 })
        m_bus->setRelayOnline(id, true);
}

void DeviceMonitorTest::connectMonitor()
{
    QVERIFY(connectAndWait(*m_monitor, testLinkSettings(*m_bus)));
    QVERIFY(m_monitor->isConnected());
}

bool DeviceMonitorTest::waitForState(DeviceMonitor::State state, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (m_monitor->state() != state && timer.elapsed() < timeoutMs)
        QTest::qWait(5);
    return m_monitor->state() == state;
}

bool DeviceMonitorTest::waitForPasses(int passes)
{
    QSignalSpy leds(m_leds.data(), &DeviceData::stateChanged);
    QElapsedTimer timer;
    timer.start();
    auto finishedPasses = [&] {
        int count = 0;
        for (const QList<QVariant> &arguments : leds)
            count += arguments.at(0).value<DeviceData::State>() == DeviceData::Inactive;
        return count;
    };
    while (finishedPasses() < passes && timer.elapsed() < PassWaitMs)
        QTest::qWait(5);
    return finishedPasses() >= passes;
}

void DeviceMonitorTest::scanListsTheRelaysThatAnswer()
{
    QSignalSpy progress(m_monitor.data(), &DeviceMonitor::scanProgress);
    QSignalSpy stateSpy(m_monitor.data(), &DeviceMonitor::stateChanged);
    QSignalSpy current(m_monitor.data(), &DeviceMonitor::currentDeviceIdChanged);

    m_monitor->scan(1, 20);
    QCOMPARE(m_monitor->state(), DeviceMonitor::Scanning);
    QVERIFY(!m_monitor->isCurrentDeviceAvailable());
    QVERIFY(progress.wait(StepWaitMs));
    QVERIFY(waitForState(DeviceMonitor::Idle));

    QList<int> expectedProgress;
    for (int id = 1; id <= 20; ++id)
        expectedProgress.append(id);
    QCOMPARE(intArguments(progress), expectedProgress);

    const DeviceListModel *model = m_monitor->deviceListModel();
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->deviceIdAt(0), 2);
    QCOMPARE(model->deviceIdAt(1), 5);
    QCOMPARE(model->deviceIdAt(2), 17);
    QCOMPARE(model->data(model->index(1), Qt::DisplayRole).toString(), QStringLiteral("Device 5"));
    QCOMPARE(model->data(model->index(0), Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));
    QCOMPARE(model->data(model->index(2), Qt::ForegroundRole).value<QColor>(),
        QColor(QStringLiteral("orange")));
    QCOMPARE(model->deviceInfoAt(1)->modbusId.value, 5);
    QCOMPARE(model->rowOfDevice(17), 2);
    QCOMPARE(model->rowOfDevice(3), -1);

    // The lowest found becomes current and is refreshed once the scan is over.
    QCOMPARE(intArguments(current), QList<int>({ 2 }));
    QCOMPARE(m_monitor->currentDeviceId(), 2);
    QCOMPARE(states(stateSpy),
        QList<DeviceMonitor::State>({ DeviceMonitor::Scanning, DeviceMonitor::Idle,
            DeviceMonitor::Refreshing, DeviceMonitor::Idle }));
    QCOMPARE(m_modules->modules(), validValue(ModuleApv));
}

void DeviceMonitorTest::scanThatFindsNothing()
{
    QSignalSpy stateSpy(m_monitor.data(), &DeviceMonitor::stateChanged);
    QSignalSpy available(m_monitor.data(), &DeviceMonitor::currentDeviceAvailable);
    m_monitor->scan(18, 20);
    QVERIFY(waitForState(DeviceMonitor::Idle));
    QTest::qWait(50);
    QCOMPARE(m_monitor->deviceListModel()->rowCount(), 0);
    QCOMPARE(m_monitor->currentDeviceId(), -1);
    QCOMPARE(states(stateSpy),
        QList<DeviceMonitor::State>({ DeviceMonitor::Scanning, DeviceMonitor::Idle }));
    QVERIFY(!intArguments(available).contains(1));
}

// Callers pass rows they got before the list changed, or rowOfDevice()'s -1.
void DeviceMonitorTest::rowsOutsideTheListHaveNoRelay()
{
    DeviceListModel model;
    DeviceInfo own;
    own.deviceTypeCode = validValue(OwnDeviceTypeCode);
    DeviceInfo other;
    other.deviceTypeCode = validValue(0x1234);
    model.addDevice(4, own);
    model.addDevice(9, other);
    QVERIFY(!model.isOfAnotherType(0));
    QVERIFY(model.isOfAnotherType(1));

    for (const int row : { -1, 2, std::numeric_limits<int>::max() }) {
        QCOMPARE(model.deviceIdAt(row), -1);
        QCOMPARE(model.deviceInfoAt(row), nullptr);
        QVERIFY(!model.isOfAnotherType(row));
    }
    QCOMPARE(model.deviceInfoAt(model.rowOfDevice(5)), nullptr);

    model.clear();
    QCOMPARE(model.deviceIdAt(0), -1);
    QCOMPARE(model.deviceInfoAt(0), nullptr);
    QVERIFY(!model.isOfAnotherType(1));
}

void DeviceMonitorTest::refusedScans()
{
    m_monitor->scan(5, 5);
    QVERIFY(waitForState(DeviceMonitor::Idle));
    QCOMPARE(m_monitor->deviceListModel()->rowCount(), 1);

    m_lines.clear();
    m_monitor->scan(0, 3);
    m_monitor->scan(7, 6);
    QCOMPARE(m_lines.count(QStringLiteral("Wrong scan range")), 2);
    QCOMPARE(m_monitor->deviceListModel()->rowCount(), 1);

    m_monitor->scan(1, 20);
    m_monitor->scan(1, 20);
    QVERIFY(m_lines.contains(QStringLiteral("Cann`t start scan - DeviceMonitor is busy")));
    m_monitor->refresh();
    QVERIFY(m_lines.contains(QStringLiteral("Cann`t start refresh - DeviceMonitor is busy")));
    m_monitor->cancelScan();
}

void DeviceMonitorTest::selectingDuringAScan()
{
    QSignalSpy available(m_monitor.data(), &DeviceMonitor::currentDeviceAvailable);
    QSignalSpy progress(m_monitor.data(), &DeviceMonitor::scanProgress);
    ReadOrder order;
    order.watch(m_modules.data(), QStringLiteral("modules"));

    m_monitor->scan(1, 20);
    QTRY_VERIFY(intArguments(progress).contains(6));
    available.clear();
    m_monitor->setCurrentDeviceId(5);
    QCOMPARE(m_monitor->currentDeviceId(), 5);
    QCOMPARE(available.count(), 0);
    QVERIFY(order.names.isEmpty());

    QVERIFY(waitForState(DeviceMonitor::Refreshing));
    QVERIFY(waitForState(DeviceMonitor::Idle));
    QCOMPARE(m_monitor->currentDeviceId(), 5);
    QCOMPARE(intArguments(available), QList<int>({ 1 }));
    QCOMPARE(order.names, QStringList({ "modules" }));
    QCOMPARE(m_modules->modules(), validValue(ModuleZnz3U0));
}

void DeviceMonitorTest::cancellingKeepsWhatWasFound()
{
    QSignalSpy progress(m_monitor.data(), &DeviceMonitor::scanProgress);
    m_monitor->scan(1, 20);
    QTRY_VERIFY(intArguments(progress).contains(6));
    m_monitor->cancelScan();
    QCOMPARE(m_monitor->deviceListModel()->rowCount(), 2);
    QCOMPARE(m_monitor->currentDeviceId(), 2);
    QVERIFY(waitForState(DeviceMonitor::Idle));
    QTest::qWait(100);
    QCOMPARE(m_monitor->deviceListModel()->rowCount(), 2);
}

void DeviceMonitorTest::disconnectingDuringAScan()
{
    QSignalSpy progress(m_monitor.data(), &DeviceMonitor::scanProgress);
    m_monitor->scan(1, 20);
    QTRY_VERIFY(intArguments(progress).contains(3));

    QStringList order;
    connect(m_monitor.data(), &DeviceMonitor::currentDeviceAvailable, this,
        [&](bool on) { order.append(on ? "available" : "unavailable"); });
    connect(m_monitor.data(), &DeviceMonitor::connected, this,
        [&](bool on) { order.append(on ? "connected" : "disconnected"); });
    QVERIFY(m_monitor->disconnectFromPort());
    QCOMPARE(m_monitor->state(), DeviceMonitor::Idle);
    QCOMPARE(m_monitor->currentDeviceId(), 2);
    // The device found before the cancel becomes current, but never available.
    QVERIFY(!order.contains(QStringLiteral("available")));
    QCOMPARE(order.mid(order.size() - 2), QStringList({ "unavailable", "disconnected" }));
    QVERIFY(!m_monitor->isConnected());
    QCOMPARE(m_modules->modules().status, NoData);
}

void DeviceMonitorTest::reconnectingRefreshesTheCurrentDevice()
{
    m_monitor->scan(2, 2);
    QVERIFY(waitForState(DeviceMonitor::Idle));
    QVERIFY(m_monitor->disconnectFromPort());
    QCOMPARE(m_modules->modules().status, NoData);

    QSignalSpy stateSpy(m_monitor.data(), &DeviceMonitor::stateChanged);
    connectMonitor();
    QCOMPARE(m_monitor->state(), DeviceMonitor::Refreshing);
    QVERIFY(waitForState(DeviceMonitor::Idle));
    QCOMPARE(m_modules->modules(), validValue(ModuleApv));
}

// Connecting to a gateway shows as connecting; Disconnect gives it up, and a
// refused connection says so by connectFailed() with the address.
void DeviceMonitorTest::networkConnectionIsMadeInTheBackground()
{
    QVERIFY(m_monitor->disconnectFromPort());
    UnansweredPort unanswered;
    ConnectionSettings settings;
    settings.link = ConnectionSettings::NetworkLink;
    settings.host = QStringLiteral("127.0.0.1");
    settings.tcpPort = unanswered.port();
    m_monitor->setDeviceSettings({ 0, 2000, true });

    QStringList order;
    connect(
        m_monitor.data(), &DeviceMonitor::connecting, this, [&] { order.append("connecting"); });
    connect(m_monitor.data(), &DeviceMonitor::connectFailed, this, [&] { order.append("failed"); });
    connect(m_monitor.data(), &DeviceMonitor::connected, this,
        [&](bool on) { order.append(on ? "connected" : "disconnected"); });
    QVERIFY(m_monitor->connectToPort(settings));
    QVERIFY(m_monitor->isConnecting());
    QVERIFY(!m_monitor->isConnected());
    QVERIFY(!m_monitor->isCurrentDeviceAvailable());
    QTest::qWait(50);
    QVERIFY(m_monitor->disconnectFromPort());
    QVERIFY(!m_monitor->isConnecting());
    QTest::qWait(100);
    QCOMPARE(order, QStringList({ "connecting", "disconnected" }));

    // Nothing listens any more: refused.
    order.clear();
    const quint16 closedPort = unanswered.port();
    unanswered.close();
    QVERIFY(m_monitor->connectToPort(settings));
    QTRY_COMPARE_WITH_TIMEOUT(order, QStringList({ "connecting", "failed" }), PassWaitMs);
    QVERIFY(!m_monitor->isConnected());
    QCOMPARE(m_monitor->connectionError(),
        QStringLiteral("Connection refused by 127.0.0.1:%1").arg(closedPort));

    // The gateway itself: connected, and the current device is refreshed.
    m_monitor->setCurrentDeviceId(2);
    order.clear();
    QVERIFY(connectAndWait(*m_monitor, testLinkSettings(*m_bus)));
    QCOMPARE(order.last(), QStringLiteral("connected"));
    QVERIFY(waitForState(DeviceMonitor::Idle));
    QCOMPARE(m_modules->modules(), validValue(ModuleApv));
}

void DeviceMonitorTest::singleRefreshReadsEachBlockOnce()
{
    m_monitor->scan(2, 2);
    QVERIFY(waitForState(DeviceMonitor::Idle));

    ReadOrder order;
    order.watch(m_modules.data(), QStringLiteral("modules"));
    order.watch(m_meterage.data(), QStringLiteral("meterage"));
    order.watch(m_leds.data(), QStringLiteral("leds"));
    m_lines.clear();
    m_monitor->refresh();
    m_monitor->refresh();
    QCOMPARE(m_lines.count(QStringLiteral("Cann`t start refresh - DeviceMonitor is busy")), 1);
    QVERIFY(waitForState(DeviceMonitor::Idle));
    QTest::qWait(50);
    QCOMPARE(order.names, QStringList({ "modules", "meterage", "leds" }));
    QCOMPARE(m_leds->leds().status, Valid);

    // Without blocks to read a refresh does not leave the monitor busy.
    m_monitor->setDeviceDataList({});
    m_monitor->refresh();
    QCOMPARE(m_monitor->state(), DeviceMonitor::Idle);
}

void DeviceMonitorTest::autoRefreshSkipsTicksWhileAPassRuns()
{
    m_monitor->scan(2, 2);
    QVERIFY(waitForState(DeviceMonitor::Idle));

    // A pass of three blocks with 60 ms between requests outlasts a 20 ms tick.
    m_monitor->setDeviceSettings({ 60, 40, true });
    m_monitor->setAutoRefreshDelay(20);
    m_monitor->setAutoRefreshEnabled(true);
    m_lines.clear();
    m_monitor->refresh();
    QVERIFY(waitForPasses(3));
    QCOMPARE(m_monitor->state(), DeviceMonitor::Refreshing);
    QVERIFY(
        m_lines.count(QStringLiteral("!!! AutoRefresh skipped !!! Refresh already in progress."))
        >= 3);

    m_monitor->stopRefresh();
    QCOMPARE(m_monitor->state(), DeviceMonitor::Idle);
    QSignalSpy reads(m_modules.data(), &DeviceData::stateChanged);
    QTest::qWait(150);
    QCOMPARE(reads.count(), 0);
}

void DeviceMonitorTest::newListIsReadFromTheNextPass()
{
    m_monitor->scan(2, 2);
    QVERIFY(waitForState(DeviceMonitor::Idle));
    m_monitor->setAutoRefreshEnabled(true);
    m_monitor->setAutoRefreshDelay(30);
    m_monitor->refresh();
    QVERIFY(waitForPasses(1));

    ReadOrder order;
    order.watch(m_modules.data(), QStringLiteral("modules"));
    order.watch(m_meterage.data(), QStringLiteral("meterage"));
    order.watch(m_leds.data(), QStringLiteral("leds"));
    m_monitor->setDeviceDataList({ m_leds.data() });
    QTRY_VERIFY(order.names.count(QStringLiteral("leds")) >= 3);
    m_monitor->stopRefresh();
    // Only a pass already under way may still read the old blocks.
    QVERIFY(order.names.count(QStringLiteral("modules")) <= 1);
    QCOMPARE(order.names.last(), QStringLiteral("leds"));
}

void DeviceMonitorTest::selectingAnotherDeviceRestartsTheRefresh()
{
    m_monitor->scan(1, 6);
    QVERIFY(waitForState(DeviceMonitor::Idle));
    m_monitor->setAutoRefreshEnabled(true);
    m_monitor->setAutoRefreshDelay(50);
    m_monitor->refresh();
    QVERIFY(waitForPasses(1));
    QCOMPARE(m_modules->modules(), validValue(ModuleApv));

    QSignalSpy modules(m_modules.data(), &DeviceData::stateChanged);
    m_monitor->setCurrentDeviceId(5);
    QCOMPARE(m_monitor->state(), DeviceMonitor::Refreshing);
    // The previous device's values are gone before the new ones come.
    QVERIFY(modules.count() >= 2);
    QTRY_COMPARE(m_modules->modules(), validValue(ModuleZnz3U0));
    QVERIFY(waitForPasses(2));
    QCOMPARE(m_monitor->state(), DeviceMonitor::Refreshing);
}

void DeviceMonitorTest::scanStopsAutoRefresh()
{
    m_monitor->scan(2, 2);
    QVERIFY(waitForState(DeviceMonitor::Idle));
    m_monitor->setAutoRefreshEnabled(true);
    m_monitor->refresh();
    QVERIFY(waitForPasses(1));

    QSignalSpy stateSpy(m_monitor.data(), &DeviceMonitor::stateChanged);
    m_monitor->scan(1, 3);
    QCOMPARE(states(stateSpy).mid(0, 2),
        QList<DeviceMonitor::State>({ DeviceMonitor::Idle, DeviceMonitor::Scanning }));
    QVERIFY(waitForState(DeviceMonitor::Refreshing));
    QCOMPARE(m_monitor->currentDeviceId(), 2);
    m_monitor->stopRefresh();
}

void DeviceMonitorTest::writeToAllDevicesBroadcasts()
{
    class FactorData : public DeviceData
    {
    public:
        FactorData()
        {
            writeRequests().append(ModbusRequest(ModbusRequest::WriteSingleRegister, 27, 1,
                [](ModbusRegisters &r) { r.setValue(27, 222); }));
        }

    protected:
        void resetData() override { }
    } factor;

    m_bus->clearReceivedWrites();
    QSignalSpy state(&factor, &DeviceData::stateChanged);
    m_monitor->writeToAllDevices({ &factor });
    QTRY_COMPARE(state.count(), 2);
    for (int id : { 2, 5, 17 })
        QCOMPARE(m_bus->holdingRegister(id, 27), quint16(222));
    QCOMPARE(m_bus->receivedWrites().size(), 1);
    QCOMPARE(m_bus->receivedWrites().at(0).slaveId, 0);

    m_lines.clear();
    m_monitor->writeToAllDevices({});
    m_monitor->readFromCurrentDevice({});
    QCOMPARE(m_lines,
        QStringList({ "!!! Cann`t write !!! DeviceData list is empty",
            "!!! Cann`t read !!! DeviceData list is empty" }));
}

// A relay that goes silent must show as outdated, and come back by itself.
void DeviceMonitorTest::silentRelayTurnsOutdatedAndRecovers()
{
    m_monitor->scan(5, 5);
    QVERIFY(waitForState(DeviceMonitor::Idle));
    m_monitor->setAutoRefreshEnabled(true);
    m_monitor->setAutoRefreshDelay(30);
    m_monitor->refresh();
    QVERIFY(waitForPasses(1));
    QCOMPARE(m_meterage->meterage().phaseACurrent.status, Valid);

    m_bus->setRelayOnline(5, false);
    QTRY_COMPARE(m_meterage->meterage().phaseACurrent.status, Outdated);
    QCOMPARE(m_modules->modules().status, Outdated);
    QVERIFY(waitForPasses(2));
    QCOMPARE(m_monitor->state(), DeviceMonitor::Refreshing);

    m_bus->setRelayOnline(5, true);
    QTRY_COMPARE(m_meterage->meterage().phaseACurrent.status, Valid);
    QTRY_COMPARE(m_modules->modules().status, Valid);
    m_monitor->stopRefresh();
}

QTEST_GUILESS_MAIN(DeviceMonitorTest)
#include "tst_devicemonitor.moc"
