// SPDX-License-Identifier: GPL-3.0-or-later
// The real main window, offscreen, connected to a simulated line.
//
//   --refresh        scans the line, then measures, over the given number of seconds, the
//                    longest stall of the GUI event loop and the CPU time taken during
//                    auto-refresh on the Monitor tab, and the CPU time taken while connected
//                    with auto-refresh off; then the same again with the traffic view open on
//                    a full ring, and the memory taken by five rings' worth more records.
//   --startup        runs the main window and an empty four-tab window as separate processes,
//                    several times each, and compares their start-up to the first painted
//                    window and their peak resident memory, on the Qt platform the benchmark
//                    runs on (--platform-label names it in the table, e.g. "Xvfb").
//   --client-window  one such process: the window as the program starts it, painted, connected,
//                    scanned and refreshed once; leaves its paint time and peak RSS in a file.
//
// Settings live in "settings.ini" in the working directory, as in the program itself, so every
// mode runs in a directory of its own.

#include "benchsupport.h"
#include "firstpaintprobe.h"

#include "app/settings.h"
#include "app/xcbopengl.h"
#include "devicedata/crashdata.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/trafficmodel.h"
#include "ui/diagnostics/trafficdockwidget.h"
#include "ui/mainwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace bench;

namespace {

// Event deliveries closer together than this belong to one pass of the event loop: input
// arriving in between would have waited all the same.
constexpr qint64 MergeGapNs = 100000;
constexpr int SetUpTimeoutMs = 30000;

// Measures how long the event loop is kept from coming back for new events: the longest run of
// top-level event deliveries, from the start of the first to the end of the last, with no gap
// longer than MergeGapNs in between.
class StallMeter : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        const bool outermost = m_depth++ == 0 && m_recording;
        qint64 start = 0;
        if (outermost) {
            start = nowNs();
            if (start - m_lastEnd > MergeGapNs)
                m_busySince = start;
        }
        const QEvent::Type type = event->type(); // the event may be gone afterwards
        const char *receiverClass = receiver->metaObject()->className();
        const bool result = QApplication::notify(receiver, event);
        if (--m_depth == 0 && outermost) {
            m_lastEnd = nowNs();
            ++m_events;
            m_timeByType[type] += m_lastEnd - start;
            m_longestStall = qMax(m_longestStall, m_lastEnd - m_busySince);
            if (m_lastEnd - start > m_longestEvent) {
                m_longestEvent = m_lastEnd - start;
                m_longestEventType = type;
                m_longestEventReceiver = QString::fromLatin1(receiverClass);
            }
        }
        return result;
    }

    void startRecording()
    {
        m_recording = true;
        m_lastEnd = 0;
    }
    // Forgets what was measured so far.
    void resetFigures()
    {
        m_longestStall = 0;
        m_longestEvent = 0;
        m_events = 0;
        m_timeByType.clear();
    }
    void stopRecording() { m_recording = false; }

    double longestStallMs() const { return m_longestStall / 1e6; }
    double longestEventMs() const { return m_longestEvent / 1e6; }
    QString longestEventText() const
    {
        return QStringLiteral("event type %1 to %2")
            .arg(m_longestEventType)
            .arg(m_longestEventReceiver);
    }
    qint64 events() const { return m_events; }
    // Where the GUI thread's time went: the event types that took most, with milliseconds.
    QString busiestEventTypes(int count) const
    {
        QList<QPair<qint64, int>> byTime;
        for (auto it = m_timeByType.cbegin(); it != m_timeByType.cend(); ++it)
            byTime.append({ it.value(), it.key() });
        std::sort(byTime.rbegin(), byTime.rend());
        QStringList parts;
        for (int i = 0; i < qMin(count, byTime.size()); ++i)
            parts << QStringLiteral("type %1 %2 ms")
                         .arg(byTime.at(i).second)
                         .arg(number(byTime.at(i).first / 1e6, 1));
        return parts.join(QStringLiteral(", "));
    }

private:
    int m_depth = 0;
    bool m_recording = false;
    qint64 m_busySince = 0;
    qint64 m_lastEnd = 0;
    qint64 m_longestStall = 0;
    qint64 m_longestEvent = 0;
    int m_longestEventType = 0;
    QString m_longestEventReceiver;
    qint64 m_events = 0;
    QHash<int, qint64> m_timeByType;
};

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs = SetUpTimeoutMs)
{
    const qint64 deadline = nowNs() + qint64(timeoutMs) * 1000000;
    while (!condition()) {
        if (nowNs() > deadline)
            return false;
        runFor(10);
    }
    return true;
}

// A stuck set-up would otherwise hang the whole benchmark run, a modal message box included.
void armWatchdog(int seconds, const char *what)
{
    auto *watchdog = new QTimer(qApp);
    watchdog->setSingleShot(true);
    QObject::connect(watchdog, &QTimer::timeout, [what] {
        std::fprintf(stderr, "korvel-bench-gui: %s did not finish in time\n", what);
        std::_Exit(3);
    });
    watchdog->start(seconds * 1000);
}

void writeSettings(const QString &port)
{
    ConnectionSettings connection;
    connection.portName = port;
    saveConnectionSettings(connection);
}

// Starts as app/main.cpp does.
void installTranslation(QTranslator &translator)
{
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    (void)translator.load(QStringLiteral(":/translations/korvel-client_ru.qm"));
    QApplication::installTranslator(&translator);
}

// Connects through the Connect action and scans the window's default range with the Scan
// button, as a user would. Ends once the first relay found has been refreshed in full.
class Session
{
public:
    explicit Session(MainWindow &window)
        : monitor(window.findChild<DeviceMonitor *>(QStringLiteral("deviceMonitor"))),
          connectAction(window.findChild<QAction *>(QStringLiteral("actionConnect"))),
          autoRefreshAction(window.findChild<QAction *>(QStringLiteral("actionAutoRefresh"))),
          scanButton(window.findChild<QAbstractButton *>(QStringLiteral("scanButton"))),
          lastBlock(window.findChild<CrashData *>())
    {
        if (lastBlock) {
            QObject::connect(lastBlock, &DeviceData::stateChanged, &context,
                [this](DeviceData::State current, DeviceData::State previous) {
                    if (current == DeviceData::Inactive && previous == DeviceData::Reading)
                        ++passes;
                });
        }
    }

    QString start(const QString &port)
    {
        if (!monitor || !connectAction || !autoRefreshAction || !scanButton || !lastBlock)
            return QStringLiteral("the main window lacks an object the benchmark drives");
        // A failed connect opens a modal message box.
        if (!QFileInfo::exists(port))
            return QStringLiteral("no simulator at %1").arg(port);
        connectAction->trigger();
        if (!monitor->isConnected())
            return QStringLiteral("cannot connect to %1").arg(port);
        scanButton->click();
        if (!waitUntil([this] { return passes > 0; }))
            return QStringLiteral("no refresh pass after the scan");
        return QString();
    }

    DeviceMonitor *monitor;
    QAction *connectAction;
    QAction *autoRefreshAction;
    QAbstractButton *scanButton;
    CrashData *lastBlock;
    int passes = 0; // the Monitor tab's last block read to the end
    QObject context; // ends the counting with the session
};

ModbusTransaction syntheticRecord(int n)
{
    ModbusTransaction record;
    record.startedAt = QDateTime::currentMSecsSinceEpoch();
    record.durationUs = 12000;
    record.slaveId = uint(1 + n % 3);
    record.function = 3;
    record.startAddress = quint16(16 + n % 40);
    record.count = 6;
    record.outcome = n % 7 ? ModbusTransaction::Success : ModbusTransaction::Timeout;
    return record;
}

// Auto-refresh on the Monitor tab with the traffic view open, its ring full from the start so
// that every batch also drops the oldest rows; then memory while five rings' worth of records
// more pass through it, fed as fast as the event loop takes them.
int runTrafficView(
    StallMeter &application, MainWindow &window, Session &session, int seconds, Report &report)
{
    auto *dock = window.findChild<TrafficDockWidget *>(QStringLiteral("trafficDockWidget"));
    auto *action = window.findChild<QAction *>(QStringLiteral("actionTraffic"));
    if (!dock || !action) {
        report.note(QStringLiteral("gui: the main window lacks the traffic view"));
        return 1;
    }
    if (!dock->isVisible())
        action->trigger();
    TrafficModel *model = dock->trafficModel();
    for (int n = 0; n < model->capacity(); ++n)
        model->addTransaction(syntheticRecord(n));
    model->flush();
    session.autoRefreshAction->setChecked(true);
    runFor(1000);

    const int passesBefore = session.passes;
    application.resetFigures();
    application.startRecording();
    const qint64 cpuStart = cpuNs();
    const qint64 start = nowNs();
    runFor(seconds * 1000);
    const double cpu = (cpuNs() - cpuStart) / double(nowNs() - start);
    application.stopRecording();
    const int passes = session.passes - passesBefore;
    const double stall = application.longestStallMs();

    const qint64 residentBefore = residentKb();
    const int more = 5 * model->capacity();
    for (int n = 0; n < more; n += 500) {
        for (int i = 0; i < 500; ++i)
            model->addTransaction(syntheticRecord(n + i));
        model->flush();
        QCoreApplication::processEvents();
    }
    runFor(500);
    const double grownMiB = (residentKb() - residentBefore) / 1024.0;
    const bool full = model->rowCount() == model->capacity();

    report.row(
        QStringLiteral("7 longest GUI stall, auto-refresh, traffic view open %1 s").arg(seconds),
        number(stall, 2) + QStringLiteral(" ms"), QStringLiteral("60 Hz frame 16.7 ms"),
        QStringLiteral("< 10 ms"), stall < 10);
    report.row(QStringLiteral("7 CPU, auto-refresh, traffic view open %1 s").arg(seconds),
        number(cpu * 100, 3) + QStringLiteral(" % of a core"), QStringLiteral("one core"),
        QStringLiteral("< 1 %"), cpu < 0.01);
    report.row(QStringLiteral("7 memory growth, %1 more records through the full ring").arg(more),
        number(grownMiB, 2) + QStringLiteral(" MiB"),
        QStringLiteral("ring of %1 rows").arg(model->capacity()), QStringLiteral("< 2 MiB"),
        grownMiB < 2 && full);
    report.note(QStringLiteral("7: %1 passes with the traffic view open, %2 rows at the end (%3); "
                               "GUI thread time by event type: %4")
                    .arg(passes)
                    .arg(model->rowCount())
                    .arg(full ? QStringLiteral("ring full") : QStringLiteral("NOT full"),
                        application.busiestEventTypes(4)));
    return 0;
}

int runRefresh(StallMeter &application, const QString &port, int seconds, Report &report)
{
    armWatchdog(3 * seconds + 120, "the refresh benchmark");
    QTemporaryDir directory;
    QDir::setCurrent(directory.path());
    writeSettings(port);
    QTranslator translator;
    installTranslation(translator);

    MainWindow window;
    window.show();
    Session session(window);
    const QString error = session.start(port);
    if (!error.isEmpty()) {
        report.note(QStringLiteral("gui: ") + error);
        return 1;
    }
    runFor(1000); // what the first pass set off settles

    const int passesBefore = session.passes;
    application.startRecording();
    const qint64 cpuStart = cpuNs();
    const qint64 start = nowNs();
    runFor(seconds * 1000);
    const double refreshingCpu = (cpuNs() - cpuStart) / double(nowNs() - start);
    application.stopRecording();
    const int passes = session.passes - passesBefore;
    const bool refreshing = session.monitor->state() == DeviceMonitor::Refreshing;

    session.autoRefreshAction->setChecked(false);
    runFor(1000);
    const bool idle = session.monitor->state() == DeviceMonitor::Idle;
    const int passesBeforeIdle = session.passes;
    const qint64 idleCpuStart = cpuNs();
    const qint64 idleStart = nowNs();
    runFor(seconds * 1000);
    const double idleCpu = (cpuNs() - idleCpuStart) / double(nowNs() - idleStart);
    const int idlePasses = session.passes - passesBeforeIdle;

    const double stall = application.longestStallMs();
    report.row(QStringLiteral("4 longest GUI stall, auto-refresh %1 s").arg(seconds),
        number(stall, 2) + QStringLiteral(" ms"), QStringLiteral("60 Hz frame 16.7 ms"),
        QStringLiteral("< 10 ms"), stall < 10);
    report.row(QStringLiteral("5 CPU, auto-refresh on Monitor tab %1 s").arg(seconds),
        number(refreshingCpu * 100, 3) + QStringLiteral(" % of a core"), QStringLiteral("one core"),
        QStringLiteral("< 1 %"), refreshingCpu < 0.01);
    report.row(QStringLiteral("5 CPU, connected, auto-refresh off %1 s").arg(seconds),
        number(idleCpu * 100, 3) + QStringLiteral(" % of a core"), QStringLiteral("one core"),
        QStringLiteral("< 0.1 %"), idleCpu < 0.001);
    report.note(
        QStringLiteral("4-5: %1 passes during auto-refresh (monitor %2), %3 while off "
                       "(monitor %4); %5 events, the longest single one %6 ms (%7); GUI "
                       "thread time by event type: %8")
            .arg(passes)
            .arg(refreshing ? QStringLiteral("refreshing") : QStringLiteral("NOT refreshing"))
            .arg(idlePasses)
            .arg(idle ? QStringLiteral("idle") : QStringLiteral("NOT idle"))
            .arg(application.events())
            .arg(number(application.longestEventMs(), 2), application.longestEventText(),
                application.busiestEventTypes(4)));
    return runTrafficView(application, window, session, seconds, report);
}

int runClientWindow(WindowResult measured, const QString &port, const QString &result, int holdMs)
{
    armWatchdog(60, "the main window process");
    QTranslator translator;
    installTranslation(translator);
    MainWindow window;
    measured.builtNs = nowNs();
    FirstPaintProbe probe(&window);
    // Built once the window is on screen.
    FirstPaintProbe chartProbe(&window, QStringLiteral("trendChartView"));
    window.show();
    if (!waitUntil([&] { return probe.paintedAtNs() != 0; }))
        return 1;
    Session session(window);
    if (!session.start(port).isEmpty())
        return 1;
    runFor(holdMs);
    measured.paintedNs = probe.paintedAtNs();
    measured.cpuAtPaintNs = probe.cpuAtPaintNs();
    measured.partPaintedNs = chartProbe.paintedAtNs();
    measured.peakRssKb = peakRssKb();
    return writeWindowResult(result, measured) ? 0 : 1;
}

struct WindowRun
{
    bool ok = false;
    double loadMs = 0; // process start to main()
    double buildMs = 0; // main() to the window object built
    double startUpMs = 0; // process start to the first paint
    double cpuMs = 0; // CPU time taken by then
    double partAfterMs = -1; // the first paint to that of a part built later; -1 never drawn
    double peakRssMiB = 0;
};

WindowRun runWindowProcess(const QString &program, QStringList arguments, const QString &directory)
{
    const QString resultPath = QDir(directory).filePath(QStringLiteral("window-result"));
    QFile::remove(resultPath);
    arguments << QStringLiteral("--result") << resultPath;
    QProcess process;
    process.setWorkingDirectory(directory);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const qint64 start = nowNs();
    process.start(program, arguments);
    WindowRun run;
    WindowResult result;
    if (!process.waitForFinished(90000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0 || !readWindowResult(resultPath, &result))
        return run;
    run.loadMs = (result.mainEnteredNs - start) / 1e6;
    run.buildMs = (result.builtNs - result.mainEnteredNs) / 1e6;
    run.startUpMs = (result.paintedNs - start) / 1e6;
    run.cpuMs = result.cpuAtPaintNs / 1e6;
    if (result.partPaintedNs > 0)
        run.partAfterMs = (result.partPaintedNs - result.paintedNs) / 1e6;
    run.peakRssMiB = result.peakRssKb / 1024.0;
    run.ok = run.startUpMs > 0;
    return run;
}

int runStartup(const QString &port, int runs, int holdMs, const QString &platform, Report &report)
{
    QTemporaryDir directory;
    QDir::setCurrent(directory.path());
    writeSettings(port);
    const QString self = QCoreApplication::applicationFilePath();
    const QStringList clientArguments = { QStringLiteral("--client-window"),
        QStringLiteral("--port"), port, QStringLiteral("--hold"), QString::number(holdMs) };
    const QStringList emptyArguments = { QStringLiteral("--hold"), QString::number(holdMs) };
    const QString emptyWindow = QStringLiteral(KORVEL_BENCH_EMPTY_WINDOW);

    QVector<double> clientStartUp, emptyStartUp, clientRss, emptyRss;
    QVector<double> clientLoad, emptyLoad, clientBuild, emptyBuild, clientCpu, emptyCpu;
    QVector<double> chartAfter;
    // Run 0 fills the caches and is not counted; the order alternates so neither side always
    // comes second.
    for (int i = 0; i <= runs; ++i) {
        WindowRun client;
        WindowRun empty;
        if (i % 2) {
            empty = runWindowProcess(emptyWindow, emptyArguments, directory.path());
            client = runWindowProcess(self, clientArguments, directory.path());
        } else {
            client = runWindowProcess(self, clientArguments, directory.path());
            empty = runWindowProcess(emptyWindow, emptyArguments, directory.path());
        }
        if (!client.ok || !empty.ok) {
            report.note(QStringLiteral("startup (%1): a window process failed (%2)")
                            .arg(platform,
                                client.ok ? QStringLiteral("empty window")
                                          : QStringLiteral("main window")));
            return 1;
        }
        if (i == 0)
            continue;
        clientStartUp.append(client.startUpMs);
        emptyStartUp.append(empty.startUpMs);
        clientRss.append(client.peakRssMiB);
        emptyRss.append(empty.peakRssMiB);
        clientLoad.append(client.loadMs);
        emptyLoad.append(empty.loadMs);
        clientBuild.append(client.buildMs);
        emptyBuild.append(empty.buildMs);
        clientCpu.append(client.cpuMs);
        emptyCpu.append(empty.cpuMs);
        if (client.partAfterMs >= 0)
            chartAfter.append(client.partAfterMs);
    }

    const Summary clientMemory = summarize(clientRss);
    const Summary emptyMemory = summarize(emptyRss);
    const double extra = clientMemory.median - emptyMemory.median;
    report.row(QStringLiteral("6 peak RSS, main window on Monitor tab (%1)").arg(platform),
        describe(clientMemory, 1, QStringLiteral("MiB"))
            + QStringLiteral(" (+%1)").arg(number(extra, 1)),
        QStringLiteral("empty 4-tab window ") + describe(emptyMemory, 1, QStringLiteral("MiB")),
        QStringLiteral("<= baseline + 10 MiB"), extra <= 10);
    const Summary clientTime = summarize(clientStartUp);
    const Summary emptyTime = summarize(emptyStartUp);
    const double ratio = clientTime.median / emptyTime.median;
    report.ratioRow(QStringLiteral("6 start-up to first paint (%1)").arg(platform),
        describe(clientTime, 1, QStringLiteral("ms")),
        QStringLiteral("empty 4-tab window ") + describe(emptyTime, 1, QStringLiteral("ms")), ratio,
        QStringLiteral("<= 1.5x"), ratio <= 1.5);
    // What the processes did themselves, however busy the machine is with others.
    const Summary clientCpuTime = summarize(clientCpu);
    const Summary emptyCpuTime = summarize(emptyCpu);
    const double cpuRatio = clientCpuTime.median / emptyCpuTime.median;
    report.ratioRow(QStringLiteral("6 CPU time to first paint (%1)").arg(platform),
        describe(clientCpuTime, 1, QStringLiteral("ms")),
        QStringLiteral("empty 4-tab window ") + describe(emptyCpuTime, 1, QStringLiteral("ms")),
        cpuRatio, QStringLiteral("<= 1.5x"), cpuRatio <= 1.5);
    report.note(
        QStringLiteral("6 (%1): the trend chart, built once the window is on screen, "
                       "is drawn %2 after the first paint")
            .arg(platform,
                chartAfter.size() == runs ? describe(summarize(chartAfter), 1, QStringLiteral("ms"))
                                          : QStringLiteral("NOT ALWAYS (%1 of %2 runs)")
                                                .arg(chartAfter.size())
                                                .arg(runs)));
    report.note(
        QStringLiteral("6 (%1): %2 runs of each, separate processes, after one uncounted run; "
                       "the main window process also connects, scans 1-3 and refreshes "
                       "once before its peak RSS is taken; start-up = loading to main() "
                       "%3 ms (empty %4) + application and window built %5 ms (empty %6) "
                       "+ shown and painted")
            .arg(platform)
            .arg(runs)
            .arg(number(summarize(clientLoad).median, 1), number(summarize(emptyLoad).median, 1),
                number(summarize(clientBuild).median, 1), number(summarize(emptyBuild).median, 1)));
    return 0;
}

QString argumentAfter(const QStringList &arguments, const QString &name, const QString &fallback)
{
    const int at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : fallback;
}

} // namespace

int main(int argc, char *argv[])
{
    WindowResult measured;
    measured.mainEnteredNs = nowNs();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    skipXcbOpenGlIntegration(); // as app/main.cpp, for the window processes above all
    Q_INIT_RESOURCE(resources);

    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString port = argumentAfter(arguments, QStringLiteral("--port"), QString());

    // The child process starts exactly as the program does: nothing ahead of the window.
    if (arguments.contains(QStringLiteral("--client-window"))) {
        QApplication application(argc, argv);
        return runClientWindow(measured, port,
            argumentAfter(arguments, QStringLiteral("--result"), QString()),
            argumentAfter(arguments, QStringLiteral("--hold"), QStringLiteral("300")).toInt());
    }

    Report report(argumentAfter(arguments, QStringLiteral("--out"), QString()));
    if (arguments.contains(QStringLiteral("--startup"))) {
        QCoreApplication application(argc, argv);
        return runStartup(port,
            qMax(
                1, argumentAfter(arguments, QStringLiteral("--runs"), QStringLiteral("5")).toInt()),
            argumentAfter(arguments, QStringLiteral("--hold"), QStringLiteral("300")).toInt(),
            argumentAfter(arguments, QStringLiteral("--platform-label"),
                qEnvironmentVariable("QT_QPA_PLATFORM")),
            report);
    }
    StallMeter application(argc, argv);
    return runRefresh(application, port,
        qMax(
            1, argumentAfter(arguments, QStringLiteral("--seconds"), QStringLiteral("30")).toInt()),
        report);
}
