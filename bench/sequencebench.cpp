// SPDX-License-Identifier: GPL-3.0-or-later
// The request sequencer at work on a line paced like a real one: one refresh pass of the
// Monitor tab's blocks, and a scan of a slave ID range, each against its ideal, the time the
// line itself and the configured pauses take (default device settings: readiness delay 60 ms,
// response timeout 150 ms). What the program adds on top of that ideal is its overhead.

#include "benchsupport.h"

#include "devicedata/crashcountdata.h"
#include "devicedata/crashdata.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/discreteinputsdata.h"
#include "devicedata/ledsdata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/meteragedata.h"
#include "devicedata/modulesdata.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <functional>

using namespace bench;

namespace {

constexpr int SlaveId = 1;
constexpr int StateTimeoutMs = 60000;

// Runs the event loop until the monitor enters a state that `done` accepts; returns the moment it
// did, or -1 on time-out.
qint64 waitForState(DeviceMonitor &monitor, const std::function<bool(DeviceMonitor::State)> &done)
{
    if (done(monitor.state()))
        return nowNs();
    qint64 reachedAt = -1;
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(
        &monitor, &DeviceMonitor::stateChanged, &loop, [&](DeviceMonitor::State state) {
            if (reachedAt < 0 && done(state)) {
                reachedAt = nowNs();
                loop.quit();
            }
        });
    guard.start(StateTimeoutMs);
    loop.exec();
    return reachedAt;
}

bool isIdle(DeviceMonitor::State state)
{
    return state == DeviceMonitor::Idle;
}

bool isNotScanning(DeviceMonitor::State state)
{
    return state != DeviceMonitor::Scanning;
}

// The line time of every enabled read request of the list, each followed by the readiness delay.
double idealPassMs(
    const QList<DeviceData *> &blocks, const Line &line, int readinessDelayMs, int *transactions)
{
    double ms = 0;
    *transactions = 0;
    for (DeviceData *block : blocks) {
        for (const ModbusRequest &request : block->readRequests()) {
            if (!request.isEnabled())
                continue;
            ms += line.transactionMs(
                      ReadRequestBytes, readAnswerBytes(request.function(), request.count()))
                + readinessDelayMs;
            ++*transactions;
        }
    }
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    const PacedLineOptions lineOptions;
    const QCommandLineOption passesOption(QStringLiteral("passes"),
        QStringLiteral("Refresh passes."), QStringLiteral("n"), QStringLiteral("10"));
    const QCommandLineOption scanLastOption(QStringLiteral("scan-last"),
        QStringLiteral("Last slave ID of the scan from 1."), QStringLiteral("id"),
        QStringLiteral("63"));
    const QCommandLineOption scansOption(QStringLiteral("scans"), QStringLiteral("Scans."),
        QStringLiteral("n"), QStringLiteral("3"));
    parser.addOptions(lineOptions.all());
    parser.addOptions({ passesOption, scanLastOption, scansOption });
    parser.process(application);

    Report report(parser.value(lineOptions.out));
    Line line;
    line.baudRate = parser.value(lineOptions.baud).toInt();
    const int passes = qMax(1, parser.value(passesOption).toInt());
    const int scanLast = qBound(1, parser.value(scanLastOption).toInt(), 247);
    const int scans = qMax(1, parser.value(scansOption).toInt());

    const DeviceSettings settings; // the defaults a new installation runs with
    DeviceMonitor monitor;
    monitor.setAutoRefreshEnabled(false);
    monitor.setDeviceSettings(settings);

    // The Monitor tab's list, in the main window's order.
    ModulesData modules;
    DeviceTimeData deviceTime;
    MeterageConfigurationData meterageConfiguration;
    MeterageData meterage;
    DiscreteInputsData discreteInputs;
    LedsData leds;
    CrashCountData crashCount;
    CrashData crash;
    const QList<DeviceData *> monitorTab = { &modules, &deviceTime, &meterageConfiguration,
        &meterage, &discreteInputs, &leds, &crashCount, &crash };
    monitor.setDeviceDataList(monitorTab);

    ConnectionSettings connection;
    connection.portName = parser.value(lineOptions.port);
    if (!monitor.connectToPort(connection)) {
        std::fprintf(
            stderr, "korvel-bench-sequence: cannot open %s\n", qPrintable(connection.portName));
        report.note(QStringLiteral("sequence: cannot open %1").arg(connection.portName));
        return 1;
    }

    // The first pass, started by choosing the device, warms up and is not counted.
    monitor.setCurrentDeviceId(SlaveId);
    if (waitForState(monitor, isIdle) < 0) {
        report.note(QStringLiteral("sequence: the first refresh pass never ended"));
        return 1;
    }
    QVector<double> passMs;
    int failedPasses = 0;
    for (int i = 0; i < passes; ++i) {
        const qint64 start = nowNs();
        monitor.refresh();
        const qint64 end = waitForState(monitor, isIdle);
        if (end < 0) {
            report.note(QStringLiteral("sequence: a refresh pass never ended"));
            return 1;
        }
        passMs.append((end - start) / 1e6);
        for (DeviceData *block : monitorTab) {
            if (!block->isReadSuccessful()) {
                ++failedPasses;
                break;
            }
        }
    }
    int transactions = 0;
    const double passIdeal = idealPassMs(monitorTab, line, settings.readinessDelay, &transactions);
    const Summary pass = summarize(passMs);
    const QString ms = QStringLiteral("ms");
    report.ratioRow(QStringLiteral("2 Monitor refresh pass, %1 baud").arg(line.baudRate),
        describe(pass, 1, ms),
        QStringLiteral("ideal %1 ms (%2 x line + delay)")
            .arg(number(passIdeal, 1))
            .arg(transactions),
        pass.median / passIdeal, QStringLiteral("<= 1.02x"), pass.median / passIdeal <= 1.02);

    QVector<double> scanMs;
    int found = 0;
    for (int i = 0; i < scans; ++i) {
        const qint64 start = nowNs();
        monitor.scan(1, scanLast);
        const qint64 end = waitForState(monitor, isNotScanning);
        // The scan makes the lowest relay current, which refreshes it; let that end undisturbed.
        if (end < 0 || waitForState(monitor, isIdle) < 0) {
            report.note(QStringLiteral("sequence: a scan never ended"));
            return 1;
        }
        scanMs.append((end - start) / 1e6);
        found = monitor.deviceListModel()->rowCount(QModelIndex());
    }
    // Each probe is followed by the readiness delay except the last: the scan ends with its answer.
    const int absent = scanLast - found;
    const double identityMs = line.transactionMs(ReadRequestBytes, readAnswerBytes(3, 10));
    const double scanIdeal = absent * (settings.responseTimeout + settings.readinessDelay)
        + found * (identityMs + settings.readinessDelay) - settings.readinessDelay;
    const Summary scan = summarize(scanMs);
    report.ratioRow(QStringLiteral("3 scan 1..%1, %2 relays, %3 baud")
                        .arg(scanLast)
                        .arg(found)
                        .arg(line.baudRate),
        describe(scan, 0, ms),
        QStringLiteral("ideal %1 ms (%2 x (timeout + delay) + %3 x (line + delay) "
                       "- delay)")
            .arg(number(scanIdeal, 0))
            .arg(absent)
            .arg(found),
        scan.median / scanIdeal, QStringLiteral("<= 1.02x"), scan.median / scanIdeal <= 1.02);
    report.note(QStringLiteral("2-3: readiness delay %1 ms, response timeout %2 ms; %3 passes "
                               "(%4 with a failed read), %5 scans; the scan ends on the last "
                               "probe, so its ideal has one readiness delay fewer than probes")
                    .arg(settings.readinessDelay)
                    .arg(settings.responseTimeout)
                    .arg(passes)
                    .arg(failedPasses)
                    .arg(scans));
    monitor.disconnectFromPort();
    return 0;
}
