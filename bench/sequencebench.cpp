// SPDX-License-Identifier: GPL-3.0-or-later
// The request sequencer at work on a line paced like a real one: one refresh pass of the
// Monitor tab's blocks, and a thorough scan of a slave ID range, each against its ideal, the time
// the line itself and the configured pauses take (default device settings: readiness delay 60 ms,
// response timeout 150 ms). What the program adds on top of that ideal is its overhead. A quick
// scan of the same range is held to the line's bound: per ID the request's time on the wire, the
// readiness delay and the slowest relay's turnaround (its 99th percentile, as measured in the same
// run). Given a second simulator with a slow relay, quick scans must find it every time.

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
#include "devicemonitor/turnaroundstats.h"

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

// Scans firstId..lastId `scans` times and returns the time of each, or nothing when a scan never
// ended; eachFound hears the IDs each scan listed.
QVector<double> timeScans(DeviceMonitor &monitor, int firstId, int lastId, int scans,
    const std::function<void(const QList<int> &found)> &eachFound = {})
{
    QVector<double> scanMs;
    for (int i = 0; i < scans; ++i) {
        const qint64 start = nowNs();
        monitor.scan(firstId, lastId);
        const qint64 end = waitForState(monitor, isNotScanning);
        // The scan makes the lowest relay current, which refreshes it; let that end undisturbed.
        if (end < 0 || waitForState(monitor, isIdle) < 0)
            return {};
        scanMs.append((end - start) / 1e6);
        if (eachFound) {
            QList<int> found;
            const DeviceListModel *model = monitor.deviceListModel();
            for (int row = 0; row < model->rowCount(); ++row)
                found.append(model->deviceIdAt(row));
            eachFound(found);
        }
    }
    return scanMs;
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
    const QCommandLineOption slowPortOption(QStringLiteral("slow-port"),
        QStringLiteral("Device of a paced simulator with one slow relay."), QStringLiteral("path"));
    const QCommandLineOption slowIdOption(QStringLiteral("slow-id"),
        QStringLiteral("The slow relay's slave ID."), QStringLiteral("id"), QStringLiteral("2"));
    const QCommandLineOption slowMsOption(QStringLiteral("slow-ms"),
        QStringLiteral("How long the slow relay takes to answer."), QStringLiteral("ms"),
        QStringLiteral("120"));
    const QCommandLineOption slowScansOption(QStringLiteral("slow-scans"),
        QStringLiteral("Quick scans of the slow relay's line, of 1..5."), QStringLiteral("n"),
        QStringLiteral("100"));
    parser.addOptions({ passesOption, scanLastOption, scansOption, slowPortOption, slowIdOption,
        slowMsOption, slowScansOption });
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

    int found = 0;
    DeviceSettings thorough = settings;
    thorough.thoroughScan = true;
    monitor.setDeviceSettings(thorough);
    const QVector<double> scanMs = timeScans(
        monitor, 1, scanLast, scans, [&found](const QList<int> &ids) { found = ids.size(); });
    if (scanMs.isEmpty()) {
        report.note(QStringLiteral("sequence: a scan never ended"));
        return 1;
    }
    // Each probe is followed by the readiness delay except the last: the scan ends with its answer.
    const int absent = scanLast - found;
    const double identityMs = line.transactionMs(ReadRequestBytes, readAnswerBytes(3, 10));
    const double scanIdeal = absent * (settings.responseTimeout + settings.readinessDelay)
        + found * (identityMs + settings.readinessDelay) - settings.readinessDelay;
    const Summary scan = summarize(scanMs);
    report.ratioRow(QStringLiteral("3 thorough scan 1..%1, %2 relays, %3 baud")
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

    // The line has answered the passes and scans above: every quick scan waits short.
    monitor.setDeviceSettings(settings);
    const QVector<double> quickMs = timeScans(monitor, 1, scanLast, scans);
    if (quickMs.isEmpty()) {
        report.note(QStringLiteral("sequence: a quick scan never ended"));
        return 1;
    }
    const TurnaroundStats &turnarounds = monitor.turnarounds();
    const double requestMs = line.characterMs() * ReadRequestBytes;
    const double slowestMs = turnarounds.slowestP99Ms();
    const double bound = scanLast * (requestMs + settings.readinessDelay + slowestMs);
    const Summary quick = summarize(quickMs);
    report.ratioRow(QStringLiteral("3q quick scan 1..%1, %2 relays, %3 baud")
                        .arg(scanLast)
                        .arg(found)
                        .arg(line.baudRate),
        describe(quick, 0, ms),
        QStringLiteral("line bound %1 ms (%2 x (%3 ms request + %4 ms delay + %5 ms turnaround))")
            .arg(number(bound, 0))
            .arg(scanLast)
            .arg(number(requestMs, 1))
            .arg(settings.readinessDelay)
            .arg(number(slowestMs, 1)),
        quick.median / bound, QStringLiteral("<= 1.3x"), quick.median / bound <= 1.3);
    report.note(QStringLiteral("3q: the turnaround is the slowest relay's 99th percentile over "
                               "%1 answers of this run (the line's median %2 ms); the last ID of "
                               "a quick scan waits the whole response timeout")
                    .arg(turnarounds.line().answers)
                    .arg(number(turnarounds.line().medianMs, 1)));
    monitor.disconnectFromPort();

    if (!parser.isSet(slowPortOption))
        return 0;
    // A line with a relay that answers at 0.8 x the response timeout, long after a short wait.
    const int slowId = parser.value(slowIdOption).toInt();
    const int slowScans = qMax(1, parser.value(slowScansOption).toInt());
    connection.portName = parser.value(slowPortOption);
    DeviceMonitor slowLine;
    slowLine.setAutoRefreshEnabled(false);
    slowLine.setDeviceSettings(settings);
    if (!slowLine.connectToPort(connection)) {
        report.note(QStringLiteral("sequence: cannot open %1").arg(connection.portName));
        return 1;
    }
    int foundSlow = 0;
    const QVector<double> slowMs = timeScans(slowLine, 1, 5, slowScans,
        [&](const QList<int> &ids) { foundSlow += ids.contains(slowId); });
    if (slowMs.isEmpty()) {
        report.note(QStringLiteral("sequence: a scan of the slow relay's line never ended"));
        return 1;
    }
    report.row(QStringLiteral("3s quick scans of 1..5 finding relay %1, answering in %2 ms")
                   .arg(slowId)
                   .arg(parser.value(slowMsOption)),
        QStringLiteral("%1 of %2").arg(foundSlow).arg(slowScans),
        QStringLiteral("response timeout %1 ms; scan %2")
            .arg(settings.responseTimeout)
            .arg(describe(summarize(slowMs), 0, ms)),
        QStringLiteral("all"), foundSlow == slowScans);
    slowLine.disconnectFromPort();
    return 0;
}
