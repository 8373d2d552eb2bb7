// SPDX-License-Identifier: GPL-3.0-or-later
// A whole line read on a line paced like a real one (default device settings: readiness delay
// 60 ms).
//
//   L1  backing up a line: from the end of the scan to the last file written;
//   L2  comparing the same line with the files of that backup: from the end of the scan to the
//       last row judged;
//       each against its ideal: per relay, the identity, the modules and the three settings
//       blocks, each read's time on the wire plus the readiness delay. The relay session also
//       reads the clock and the crash count, for the line view's columns: a note gives the
//       figures against an ideal with those frames too.
//   L3  the line view of the real main window, offscreen, reading a line of many relays: the
//       longest stall of the event loop while the line is read, seen by a 5 ms timer.

#include "benchsupport.h"

#include "app/settings.h"
#include "devicedata/crashcountdata.h"
#include "devicedata/deviceinfodata.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/linebackup.h"
#include "devicemonitor/linefolder.h"
#include "devicemonitor/linereader.h"
#include "modbus/modbustransaction.h"
#include "ui/line/linedockwidget.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <optional>

using namespace bench;

namespace {

constexpr int ReadTimeoutMs = 600000;
constexpr int TickMs = 5;

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until `done` holds or the time-out passes; false on time-out.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = ReadTimeoutMs)
{
    const qint64 deadline = nowNs() + qint64(timeoutMs) * 1000000;
    while (!done()) {
        if (nowNs() > deadline)
            return false;
        runFor(2);
    }
    return true;
}

// A stuck read, or a modal message box in the window, would otherwise hang the whole run.
void armWatchdog(int seconds)
{
    auto *watchdog = new QTimer(qApp);
    watchdog->setSingleShot(true);
    QObject::connect(watchdog, &QTimer::timeout, [] {
        std::fprintf(stderr, "korvel-bench-line: a line read did not finish in time\n");
        std::_Exit(3);
    });
    watchdog->start(seconds * 1000);
}

// One pass of a block's reads on the wire, each followed by the readiness delay.
double readsIdealMs(
    const Line &line, int readinessDelay, std::initializer_list<DeviceData *> blocks)
{
    double ideal = 0;
    for (DeviceData *block : blocks) {
        for (const ModbusRequest &request : std::as_const(*block).readRequests()) {
            if (request.isEnabled())
                ideal += line.transactionMs(
                             ReadRequestBytes, readAnswerBytes(request.function(), request.count()))
                    + readinessDelay;
        }
    }
    return ideal;
}

int readCount(std::initializer_list<DeviceData *> blocks)
{
    int count = 0;
    for (DeviceData *block : blocks) {
        const QVector<ModbusRequest> &requests = std::as_const(*block).readRequests();
        count += int(std::count_if(requests.cbegin(), requests.cend(),
            [](const ModbusRequest &request) { return request.isEnabled(); }));
    }
    return count;
}

// Reads the line and times it from the scan's end, when the reader lays out the rows of the
// relays found, to the end of `afterRead`, or nothing when the read never ended.
std::optional<double> timedRead(
    LineReader &reader, int lastId, const std::function<void()> &afterRead = {})
{
    qint64 readingSince = 0;
    bool ended = false;
    QObject context;
    QObject::connect(&reader, &LineReader::rowsReset, &context, [&] {
        if (!reader.rows().isEmpty())
            readingSince = nowNs();
    });
    QObject::connect(&reader, &LineReader::finished, &context, [&] {
        if (afterRead)
            afterRead();
        ended = true;
    });
    reader.read(1, lastId);
    if (!waitUntil([&] { return ended; }) || readingSince == 0)
        return std::nullopt;
    return (nowNs() - readingSince) / 1e6;
}

// The pauses the line saw between two reads while the reader read the relays it had found, from
// an answer's end to the next request, kept apart for the first read of another relay: what a
// change of relay adds shows there. The scan's last read counts as a relay's.
class ReadPauses
{
public:
    ReadPauses(DeviceMonitor &monitor, const LineReader &reader)
    {
        QObject::connect(&monitor, &DeviceMonitor::transactionFinished, &m_context,
            [this, &reader](const ModbusTransaction &transaction) {
                const qint64 end = nowNs();
                const qint64 start = end - transaction.durationUs * 1000;
                // The rows are laid out once the scan has ended.
                if (m_lastEnd > 0 && !reader.rows().isEmpty())
                    (transaction.slaveId == m_lastSlaveId ? withinRelay : betweenRelays)
                        .append((start - m_lastEnd) / 1e6);
                m_lastEnd = end;
                m_lastSlaveId = transaction.slaveId;
            });
    }

    QVector<double> withinRelay; // ms
    QVector<double> betweenRelays; // ms

private:
    QObject m_context;
    qint64 m_lastEnd = 0;
    uint m_lastSlaveId = 0;
};

struct LineFigures
{
    QVector<double> backupMs;
    QVector<double> compareMs;
    QVector<double> pausesWithinRelayMs;
    QVector<double> pausesBetweenRelaysMs;
    QString problem; // why the figures are not to be trusted; empty when they are
};

LineFigures measureLine(DeviceMonitor &monitor, int relays, int passes)
{
    LineFigures figures;
    QTemporaryDir directory;
    QString error;
    std::optional<LineFolder> folder = LineFolder::create(directory.path(), &error);
    if (!folder) {
        figures.problem = error;
        return figures;
    }
    LineReader reader(&monitor);
    reader.setFolder(folder);
    for (int pass = 0; pass < passes; ++pass) {
        LineBackupResult result;
        const std::optional<double> ms = timedRead(
            reader, relays, [&] { result = LineBackup::write(*folder, reader.rows(), true); });
        if (!ms) {
            figures.problem = QStringLiteral("a backup's read never ended");
            return figures;
        }
        if (!result.isComplete() || result.written.size() != relays) {
            figures.problem = QStringLiteral("a backup wrote %1 files of %2 (%3)")
                                  .arg(result.written.size())
                                  .arg(relays)
                                  .arg(result.error);
            return figures;
        }
        figures.backupMs.append(*ms);
    }

    reader.setFolder(LineFolder::open(directory.path(), &error));
    const ReadPauses pauses(monitor, reader);
    for (int pass = 0; pass < passes; ++pass) {
        const std::optional<double> ms = timedRead(reader, relays);
        if (!ms) {
            figures.problem = QStringLiteral("a compare's read never ended");
            return figures;
        }
        const QVector<LineRow> &rows = reader.rows();
        const int identical = int(std::count_if(rows.cbegin(), rows.cend(),
            [](const LineRow &row) { return row.state == LineRow::Identical; }));
        if (identical != relays) {
            figures.problem = QStringLiteral("a compare found %1 relays of %2 at their files")
                                  .arg(identical)
                                  .arg(relays);
            return figures;
        }
        figures.compareMs.append(*ms);
    }
    figures.pausesWithinRelayMs = pauses.withinRelay;
    figures.pausesBetweenRelaysMs = pauses.betweenRelays;
    return figures;
}

int runLine(const QString &port, const Line &line, int relays, int passes, Report &report)
{
    const DeviceSettings settings; // the defaults a new installation runs with
    DeviceMonitor monitor;
    monitor.setAutoRefreshEnabled(false);
    monitor.setDeviceSettings(settings);
    ConnectionSettings connection;
    connection.portName = port;
    if (!monitor.connectToPort(connection)) {
        report.note(QStringLiteral("line: cannot open %1").arg(port));
        return 1;
    }
    const LineFigures figures = measureLine(monitor, relays, passes);
    monitor.disconnectFromPort();
    if (!figures.problem.isEmpty()) {
        report.note(QStringLiteral("line: ") + figures.problem);
        return 1;
    }

    DeviceInfoData identity;
    ModulesData modules;
    MeterageConfigurationData meterageConfiguration;
    ProtectionConfigurationData protectionConfiguration;
    SetpointsData setpoints;
    DeviceTimeData clock;
    CrashCountData crashCount;
    const int delay = settings.readinessDelay;
    const double relayIdeal = readsIdealMs(line, delay,
        { &identity, &modules, &meterageConfiguration, &protectionConfiguration, &setpoints });
    const int relayReads = readCount(
        { &identity, &modules, &meterageConfiguration, &protectionConfiguration, &setpoints });
    const double extraIdeal = readsIdealMs(line, delay, { &clock, &crashCount });
    const int extraReads = readCount({ &clock, &crashCount });
    const double ideal = relays * relayIdeal;
    const double idealWithExtras = relays * (relayIdeal + extraIdeal);

    const QString ms = QStringLiteral("ms");
    const QString reference = QStringLiteral("ideal %1 ms (%2 x %3 reads x (line + delay))")
                                  .arg(number(ideal, 1))
                                  .arg(relays)
                                  .arg(relayReads);
    const Summary backup = summarize(figures.backupMs);
    const Summary compare = summarize(figures.compareMs);
    report.ratioRow(
        QStringLiteral("L1 back up a %1-relay line, %2 baud").arg(relays).arg(line.baudRate),
        describe(backup, 1, ms), reference, backup.median / ideal, QStringLiteral("<= 1.02x"),
        backup.median / ideal <= 1.02);
    report.ratioRow(
        QStringLiteral("L2 compare a %1-relay line, %2 baud").arg(relays).arg(line.baudRate),
        describe(compare, 1, ms), reference, compare.median / ideal, QStringLiteral("<= 1.02x"),
        compare.median / ideal <= 1.02);
    report.note(QStringLiteral("L1-L2: from the scan's end; readiness delay %1 ms; %2 passes each. "
                               "Each relay's session also reads its clock and crash count (%3 "
                               "reads, %4 ms ideal per relay) for the line view's columns: against "
                               "an ideal with them, %5 ms, L1 is %6x and L2 %7x")
                    .arg(delay)
                    .arg(passes)
                    .arg(extraReads)
                    .arg(number(extraIdeal, 1))
                    .arg(number(idealWithExtras, 1))
                    .arg(number(backup.median / idealWithExtras, 3))
                    .arg(number(compare.median / idealWithExtras, 3)));
    report.note(
        QStringLiteral("L2: pauses between two reads of one relay %1, before the first read "
                       "of the next relay %2")
            .arg(describe(summarize(figures.pausesWithinRelayMs), 2, ms),
                describe(summarize(figures.pausesBetweenRelaysMs), 2, ms)));
    return 0;
}

// The window as a user has it, its scan range set to the line's IDs, a new line folder open in
// the line view, "Read the line" pressed.
int runView(const QString &port, int relays, Report &report)
{
    QTemporaryDir directory;
    QDir::setCurrent(directory.path());
    ConnectionSettings connection;
    connection.portName = port;
    saveConnectionSettings(connection);
    Preferences preferences;
    preferences.scanRange = QStringLiteral("1-%1").arg(relays);
    savePreferences(preferences);

    MainWindow window;
    window.show();
    auto *connect = window.findChild<QAction *>(QStringLiteral("actionConnect"));
    auto *monitor = window.findChild<DeviceMonitor *>(QStringLiteral("deviceMonitor"));
    auto *view = window.findChild<LineDockWidget *>(QStringLiteral("lineDockWidget"));
    if (!connect || !monitor || !view) {
        report.note(
            QStringLiteral("line view: the main window lacks an object the benchmark drives"));
        return 1;
    }
    // A failed connect opens a modal message box.
    if (!QFileInfo::exists(port)) {
        report.note(QStringLiteral("line view: no simulator at %1").arg(port));
        return 1;
    }
    connect->trigger();
    if (!monitor->isConnected()
        || !view->openFolder(directory.filePath(QStringLiteral("line")), true)) {
        report.note(
            QStringLiteral("line view: cannot connect to %1 or make a line folder").arg(port));
        return 1;
    }
    runFor(1000); // what connecting set off settles

    LineReader *reader = view->reader();
    bool ended = false;
    QObject::connect(reader, &LineReader::finished, view, [&ended] { ended = true; });
    StallTicker ticker(TickMs);
    const qint64 start = nowNs();
    ticker.start();
    view->readLine();
    const bool finished = waitUntil([&ended] { return ended; });
    ticker.stop();
    const double seconds = (nowNs() - start) / 1e9;
    const QVector<LineRow> &rows = reader->rows();
    const int read = int(std::count_if(rows.cbegin(), rows.cend(), [](const LineRow &row) {
        return row.state != LineRow::NotRead && row.state != LineRow::NotAnswering;
    }));
    if (!finished || read != relays) {
        report.note(QStringLiteral("line view: %1 relays of %2 read").arg(read).arg(relays));
        return 1;
    }

    const double stall = ticker.longestStallMs();
    report.row(QStringLiteral("L3 longest GUI stall, line view reading %1 relays").arg(relays),
        number(stall, 2) + QStringLiteral(" ms"),
        QStringLiteral("gaps of a %1 ms timer, %2 ticks").arg(TickMs).arg(ticker.ticks()),
        QStringLiteral("<= 50 ms"), stall <= 50);
    report.note(QStringLiteral("L3: the window with its default preferences; the read, scan "
                               "included, took %1 s; the stall is the longest gap between two "
                               "ticks less one tick")
                    .arg(number(seconds, 1)));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Q_INIT_RESOURCE(resources);
    QApplication application(argc, argv);
    QCommandLineParser parser;
    const PacedLineOptions lineOptions;
    const QCommandLineOption relaysOption(QStringLiteral("relays"),
        QStringLiteral("Relays backed up and compared: IDs 1 to n."), QStringLiteral("n"),
        QStringLiteral("10"));
    const QCommandLineOption passesOption(QStringLiteral("passes"),
        QStringLiteral("Backups and compares of the line, each."), QStringLiteral("n"),
        QStringLiteral("3"));
    const QCommandLineOption viewRelaysOption(QStringLiteral("view-relays"),
        QStringLiteral("Relays the line view reads: IDs 1 to n."), QStringLiteral("n"),
        QStringLiteral("63"));
    parser.addOptions(lineOptions.all());
    parser.addOptions({ relaysOption, passesOption, viewRelaysOption });
    parser.process(application);

    Report report(parser.value(lineOptions.out));
    Line line;
    line.baudRate = parser.value(lineOptions.baud).toInt();
    const QString port = parser.value(lineOptions.port);
    armWatchdog(ReadTimeoutMs / 1000 * 3);
    const int lineStatus = runLine(port, line, qMax(1, parser.value(relaysOption).toInt()),
        qMax(1, parser.value(passesOption).toInt()), report);
    const int viewStatus = runView(port, qMax(1, parser.value(viewRelaysOption).toInt()), report);
    return qMax(lineStatus, viewStatus);
}
