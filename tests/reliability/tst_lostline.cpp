// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/settings.h"
#include "blockchecks.h"
#include "devicemonitor/devicedatamanager.h"
#include "devicemonitor/devicemonitor.h"
#include "mainwindowfixture.h"
#include "messageboxanswer.h"
#include "namedchild.h"
#include "settingsfolder.h"
#include "testtimeouts.h"
#include "ui/indicators/numberindicator.h"
#include "ui/indicators/numberindicatoreditor.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QStatusBar>
#include <QTabWidget>
#include <QtTest>

#include <ctime>
#include <optional>

// The line goes away under the program: the simulator program serving it is killed (SIGKILL, so
// its pseudo-terminal just closes, as a USB adapter's line does when it is pulled out) while the
// window auto-refreshes, writes or sits idle. The program must name the lost adapter rather than
// blame the relay, stop using the line, show what it had as outdated, and connect again to a
// simulator that serves the same path later, all without a restart.

namespace {

constexpr int SlaveId = 3;
constexpr int CrashCount = 4;

double processCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

} // namespace

class LostLineTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void lostDuringAutoRefresh();
    void lostDuringWrite();
    void lostWhileIdle();

private:
    bool startSimulator();
    void killSimulator();
    MainWindow *openConnectedWindow();
    // From now on, records the blocks whose reads end.
    void recordReads(MainWindow *window);
    // The statuses of the values of the blocks read since recordReads().
    QVector<DataStatus> readStatuses() const;
    // Lets the program run for the given time; returns the share of one core it used.
    double cpuShareOver(int ms);
    // Waits until the window shows the line as lost; false if it did not.
    bool waitForLostLine(MainWindow *window);

    std::optional<SettingsFolder> m_folder;
    QString m_link;
    QScopedPointer<QProcess> m_simulator;
    QSet<DeviceData *> m_read;
};

void LostLineTest::initTestCase()
{
    Q_INIT_RESOURCE(resources);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void LostLineTest::init()
{
    m_folder.emplace();
    QVERIFY(m_folder->isEntered());
    m_link = m_folder->filePath(QStringLiteral("relay-line"));
    ConnectionSettings connection;
    connection.portName = m_link;
    saveConnectionSettings(connection);
    // Long enough for a slow (sanitizer) build to answer in time.
    saveDeviceSettings({ 10, 200 });
    savePreferences({ QString::number(SlaveId), 100, true, true, int(Qt::TopToolBarArea) });
}

void LostLineTest::cleanup()
{
    closeMainWindows();
    killSimulator();
    m_folder.reset();
}

bool LostLineTest::startSimulator()
{
    m_simulator.reset(new QProcess);
    m_simulator->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_simulator->start(QStringLiteral(RELAYSIM_PROGRAM),
        { QStringLiteral("--ids"), QString::number(SlaveId), QStringLiteral("--crashes"),
            QString::number(CrashCount), QStringLiteral("--still"), QStringLiteral("--link"),
            m_link });
    // The program prints its device once the link is in place.
    if (!m_simulator->waitForStarted(StepWaitMs))
        return false;
    QElapsedTimer elapsed;
    elapsed.start();
    while (!m_simulator->canReadLine() && !elapsed.hasExpired(StepWaitMs))
        m_simulator->waitForReadyRead(100);
    return m_simulator->canReadLine() && QFileInfo::exists(m_link);
}

void LostLineTest::killSimulator()
{
    if (!m_simulator)
        return;
    m_simulator->kill();
    m_simulator->waitForFinished(StepWaitMs);
    m_simulator.reset();
    // A killed simulator leaves its link behind, pointing at a terminal number the system may
    // already have handed to another program's terminal: nothing must serve the path now.
    QFile::remove(m_link);
}

// Connected and scanned: the relay is the current device, its tab refreshing. The caller checks.
MainWindow *LostLineTest::openConnectedWindow()
{
    auto *window = new MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    child<QAction>(window, "actionConnect")->trigger();
    if (monitor->isConnected()) {
        child<QAbstractButton>(window, "scanButton")->click();
        (void)QTest::qWaitFor(
            [monitor] { return monitor->currentDeviceId() == SlaveId; }, PassWaitMs);
    }
    return window;
}

void LostLineTest::recordReads(MainWindow *window)
{
    m_read.clear();
    // The window's own blocks, those the panels show.
    for (DeviceData *block :
        window->findChildren<DeviceData *>(QString(), Qt::FindDirectChildrenOnly)) {
        connect(block, &DeviceData::stateChanged, this,
            [this, block](DeviceData::State current, DeviceData::State previous) {
                if (current == DeviceData::Inactive && previous == DeviceData::Reading)
                    m_read.insert(block);
            });
    }
}

QVector<DataStatus> LostLineTest::readStatuses() const
{
    QVector<DataStatus> statuses;
    for (DeviceData *block : m_read)
        statuses += valueStatuses(block);
    return statuses;
}

double LostLineTest::cpuShareOver(int ms)
{
    const double before = processCpuSeconds();
    QElapsedTimer elapsed;
    elapsed.start();
    QTest::qWait(ms);
    return (processCpuSeconds() - before) / (elapsed.elapsed() / 1000.0);
}

bool LostLineTest::waitForLostLine(MainWindow *window)
{
    QElapsedTimer elapsed;
    elapsed.start();
    auto *state = child<QLabel>(window, "connectionStateLabel");
    const QString removed = QStringLiteral("The adapter on %1 was removed").arg(m_link);
    if (!QTest::qWaitFor([state, &removed] { return state->text() == removed; }, StepWaitMs)) {
        qWarning() << "connection state:" << state->text();
        return false;
    }
    qInfo() << "lost line shown after" << elapsed.elapsed() << "ms";
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    // Not taken for a relay that stopped answering, and nothing left going on the dead line.
    return !monitor->isConnected() && monitor->state() == DeviceMonitor::Idle
        && child<QLabel>(window, "deviceAnswerLabel")->isHidden()
        && child<QAction>(window, "actionConnect")->isEnabled()
        && !child<QAction>(window, "actionDisconnect")->isEnabled();
}

void LostLineTest::lostDuringAutoRefresh()
{
    QVERIFY(startSimulator());
    MainWindow *window = openConnectedWindow();
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    QVERIFY(monitor->isConnected());
    QCOMPARE(monitor->currentDeviceId(), SlaveId);
    auto *crashCount = child<NumberIndicator>(window, "crashCountNumberIndicator");
    QTRY_COMPARE_WITH_TIMEOUT(crashCount->value(), (DoubleValue { CrashCount, Valid }), StepWaitMs);
    QCOMPARE(monitor->state(), DeviceMonitor::Refreshing);

    // The line dies in the middle of auto-refresh: the tab's values stay in view, outdated.
    killSimulator();
    QVERIFY(waitForLostLine(window));
    QCOMPARE(crashCount->value(), (DoubleValue { CrashCount, Outdated }));
    QCOMPARE(
        child<NumberIndicator>(window, "zeroVoltageNumberIndicator")->value().status, Outdated);

    // Nothing goes on reading the dead line, nor spins on it.
    recordReads(window);
    const double cpuShare = cpuShareOver(1500);
    QVERIFY2(cpuShare < 0.5, qPrintable(QStringLiteral("%1 of a core").arg(cpuShare)));
    QVERIFY(m_read.isEmpty());
    QCOMPARE(crashCount->value(), (DoubleValue { CrashCount, Outdated }));

    // Connect fails with a message while nothing serves the line.
    {
        MessageBoxAnswer answer(QStringLiteral("OK"));
        child<QAction>(window, "actionConnect")->trigger();
        QVERIFY(answer.answered());
        QVERIFY2(answer.text().contains(m_link), qPrintable(answer.text()));
    }
    QVERIFY(!monitor->isConnected());

    // A simulator serves the same path again: Connect refreshes the relay still chosen.
    QVERIFY(startSimulator());
    child<QAction>(window, "actionConnect")->trigger();
    QVERIFY(monitor->isConnected());
    QCOMPARE(monitor->currentDeviceId(), SlaveId);
    QTRY_COMPARE_WITH_TIMEOUT(crashCount->value(), (DoubleValue { CrashCount, Valid }), StepWaitMs);
    QTRY_COMPARE(monitor->state(), DeviceMonitor::Refreshing);
    QCOMPARE(child<QLabel>(window, "connectionStateLabel")->text(),
        QStringLiteral("Connected (%1)").arg(m_link));
    window->close();
}

// A write cut off by the lost line is reported as failed, and the program lets the user go on.
void LostLineTest::lostDuringWrite()
{
    QVERIFY(startSimulator());
    MainWindow *window = openConnectedWindow();
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    QVERIFY(monitor->isConnected());
    QCOMPARE(monitor->currentDeviceId(), SlaveId);
    auto *setpoints = child<QWidget>(window, "setpointsWidget");
    child<QTabWidget>(window, "tabWidget")->setCurrentWidget(setpoints);
    auto *delay = child<NumberIndicatorEditor>(setpoints, "mtzReactionDelayIndicatorEditor");
    QTRY_COMPARE_WITH_TIMEOUT(delay->value().status, Valid, StepWaitMs);

    // Two registers, one transaction each, with the readiness delay between them: the line dies
    // as soon as the first is answered.
    bool killed = false;
    connect(monitor, &DeviceMonitor::transactionFinished, this,
        [this, &killed](const ModbusTransaction &transaction) {
            if (killed || transaction.function != ModbusRequest::WriteSingleRegister)
                return;
            killed = true;
            killSimulator();
        });
    QTRY_VERIFY_WITH_TIMEOUT(
        child<QAbstractButton>(setpoints, "editButton")->isEnabled(), StepWaitMs);
    child<QAbstractButton>(setpoints, "editButton")->click();
    delay->findChild<QDoubleSpinBox *>()->setValue(delay->value().value == 2.0 ? 2.5 : 2.0);
    auto *resetting = child<NumberIndicatorEditor>(setpoints, "mtzToResettingDelayIndicatorEditor");
    resetting->findChild<QDoubleSpinBox *>()->setValue(resetting->value().value == 1.0 ? 1.5 : 1.0);
    child<QAbstractButton>(setpoints, "setButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(killed, StepWaitMs);
    recordReads(window);

    QTRY_VERIFY2_WITH_TIMEOUT(
        window->statusBar()->currentMessage().startsWith(
            QStringLiteral("Write failed: setpoints (Device %1)").arg(SlaveId)),
        qPrintable(window->statusBar()->currentMessage()), PassWaitMs);
    QTRY_VERIFY(!QApplication::overrideCursor());
    QVERIFY(waitForLostLine(window));
    QCOMPARE(delay->value().status, Outdated);
    QVERIFY(!readStatuses().contains(Valid));

    QVERIFY(startSimulator());
    child<QAction>(window, "actionConnect")->trigger();
    QVERIFY(monitor->isConnected());
    QTRY_COMPARE_WITH_TIMEOUT(delay->value().status, Valid, StepWaitMs);
    window->close();
}

// With nothing on the line, the adapter pulled out is still noticed.
void LostLineTest::lostWhileIdle()
{
    savePreferences({ QString::number(SlaveId), 100, false, true, int(Qt::TopToolBarArea) });
    QVERIFY(startSimulator());
    MainWindow *window = openConnectedWindow();
    auto *monitor = child<DeviceMonitor>(window, "deviceMonitor");
    QVERIFY(monitor->isConnected());
    auto *crashCount = child<NumberIndicator>(window, "crashCountNumberIndicator");
    QTRY_COMPARE_WITH_TIMEOUT(crashCount->value(), (DoubleValue { CrashCount, Valid }), StepWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(monitor->state(), DeviceMonitor::Idle, StepWaitMs);

    killSimulator();
    QVERIFY(waitForLostLine(window));
    QCOMPARE(crashCount->value(), (DoubleValue { CrashCount, Outdated }));

    QVERIFY(startSimulator());
    child<QAction>(window, "actionConnect")->trigger();
    QVERIFY(monitor->isConnected());
    QTRY_COMPARE_WITH_TIMEOUT(crashCount->value(), (DoubleValue { CrashCount, Valid }), StepWaitMs);
    window->close();
}

QTEST_MAIN(LostLineTest)
#include "tst_lostline.moc"
