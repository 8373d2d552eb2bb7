// SPDX-License-Identifier: GPL-3.0-or-later
// Sending a whole settings file to a relay on a line paced like a real one, and reading it back
// to verify, each against its ideal: the line time of its transactions and the readiness delays
// between them (default device settings). The writes go one register at a time, the read-back
// is one read per settings block.

#include "benchsupport.h"

#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/sendplan.h"
#include "devicedata/setpointsdata.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/settingstransfer.h"
#include "devicemonitor/writejournal.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <optional>

using namespace bench;

namespace {

constexpr int SlaveId = 1;
constexpr int TimeoutMs = 60000;
// Function 6 request and its echo: address, function, register, value, CRC.
constexpr int WriteSingleRegisterBytes = 8;

// Runs the event loop until `signal` of `sender` comes or the time-out passes; false on time-out.
template<typename Sender, typename Signal>
bool waitFor(Sender *sender, Signal signal)
{
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    bool came = false;
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(sender, signal, &loop, [&] {
        came = true;
        loop.quit();
    });
    guard.start(TimeoutMs);
    loop.exec();
    return came;
}

// Sends the whole file as a user does, well after the line's last transaction: a send begun
// within its readiness delay would first wait out a delay that is not the send's own. Returns
// when the send began, or nothing when it never ended.
std::optional<qint64> sendAfterQuietLine(
    SettingsTransfer &transfer, const RelaySettings &relay, int readinessDelayMs)
{
    QEventLoop idle;
    QTimer::singleShot(readinessDelayMs, &idle, &QEventLoop::quit);
    idle.exec();
    const qint64 start = nowNs();
    transfer.send(SendPlan(relay, relay.values));
    if (!waitFor(&transfer, &SettingsTransfer::sendFinished))
        return std::nullopt;
    return start;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    const PacedLineOptions lineOptions;
    const QCommandLineOption sendsOption(QStringLiteral("sends"),
        QStringLiteral("Sends of the whole file."), QStringLiteral("n"), QStringLiteral("5"));
    parser.addOptions(lineOptions.all());
    parser.addOption(sendsOption);
    parser.process(application);

    Report report(parser.value(lineOptions.out));
    Line line;
    line.baudRate = parser.value(lineOptions.baud).toInt();
    const int sends = qMax(1, parser.value(sendsOption).toInt());

    const DeviceSettings settings; // the defaults a new installation runs with
    DeviceMonitor monitor;
    monitor.setAutoRefreshEnabled(false);
    monitor.setDeviceSettings(settings);
    ConnectionSettings connection;
    connection.portName = parser.value(lineOptions.port);
    if (!monitor.connectToPort(connection)) {
        std::fprintf(
            stderr, "korvel-bench-settings: cannot open %s\n", qPrintable(connection.portName));
        report.note(QStringLiteral("settings: cannot open %1").arg(connection.portName));
        return 1;
    }
    monitor.setCurrentDeviceId(SlaveId);

    SettingsTransfer transfer(&monitor);
    RelaySettings relay;
    QString failure;
    QObject::connect(&transfer, &SettingsTransfer::relayRead, &application,
        [&relay](const RelaySettings &read) { relay = read; });
    QObject::connect(&transfer, &SettingsTransfer::failed, &application,
        [&failure](const SettingsTransferError &error) { failure = error.text; });
    transfer.readCurrentDevice();
    if (!waitFor(&transfer, &SettingsTransfer::relayRead)) {
        report.note(QStringLiteral("settings: the relay could not be read: %1").arg(failure));
        return 1;
    }

    // The send writes one register after another as one sequence; its end comes before the
    // read-back is asked.
    QVector<qint64> blocksWrittenAt;
    QObject::connect(&monitor, &DeviceMonitor::deviceDataWritten, &application,
        [&blocksWrittenAt] { blocksWrittenAt.append(nowNs()); });
    SettingsSendResult result;
    QObject::connect(&transfer, &SettingsTransfer::sendFinished, &application,
        [&result](const SettingsSendResult &finished) { result = finished; });

    MeterageConfigurationData meterageConfiguration;
    ProtectionConfigurationData protectionConfiguration;
    SetpointsData setpoints;
    QVector<double> writeMs;
    QVector<double> readBackMs;
    int unverified = 0;
    for (int i = 0; i < sends; ++i) {
        const std::optional<qint64> start
            = sendAfterQuietLine(transfer, relay, settings.readinessDelay);
        if (!start) {
            report.note(QStringLiteral("settings: a send never ended: %1").arg(failure));
            return 1;
        }
        const qint64 end = nowNs();
        if (blocksWrittenAt.size() != 1) {
            report.note(
                QStringLiteral("settings: %1 write sequences, not 1").arg(blocksWrittenAt.size()));
            return 1;
        }
        const qint64 lastWriteAt = blocksWrittenAt.last();
        writeMs.append((lastWriteAt - *start) / 1e6);
        readBackMs.append((end - lastWriteAt) / 1e6);
        blocksWrittenAt.clear();
        if (!result.written || !result.readBack || result.relay.values != relay.values)
            ++unverified;
    }

    // The same send with the journal on and off, alternating so that both meet the same line.
    QTemporaryDir journalFolder;
    auto store
        = std::make_unique<JournalStore>(journalFolder.filePath(QStringLiteral("journal.sqlite")));
    if (!store->open()) {
        report.note(QStringLiteral("settings: no journal: %1").arg(store->errorText()));
        return 1;
    }
    WriteJournal journal(std::move(store));
    QVector<double> journalOffMs;
    QVector<double> journalOnMs;
    for (int i = 0; i < 2 * sends; ++i) {
        const bool journalled = i % 2 == 1;
        monitor.setWriteJournal(journalled ? &journal : nullptr);
        const std::optional<qint64> start
            = sendAfterQuietLine(transfer, relay, settings.readinessDelay);
        if (!start) {
            report.note(QStringLiteral("settings: a send never ended: %1").arg(failure));
            return 1;
        }
        (journalled ? journalOnMs : journalOffMs).append((nowNs() - *start) / 1e6);
    }
    monitor.setWriteJournal(nullptr);
    const int journalEntries = journal.store()->entries(-1, QDate()).size();

    // Writes: one transaction per field with a readiness delay between two.
    const int writes = relay.values.size();
    const double writeIdeal
        = writes * line.transactionMs(WriteSingleRegisterBytes, WriteSingleRegisterBytes)
        + (writes - 1) * settings.readinessDelay;
    // Read-back: the delay after the last write, then one pass of the three blocks' reads.
    double passIdeal = 0;
    int reads = 0;
    for (DeviceData *block : { static_cast<DeviceData *>(&meterageConfiguration),
             static_cast<DeviceData *>(&protectionConfiguration),
             static_cast<DeviceData *>(&setpoints) }) {
        for (const ModbusRequest &request : block->readRequests()) {
            passIdeal += settings.readinessDelay
                + line.transactionMs(
                    ReadRequestBytes, readAnswerBytes(request.function(), request.count()));
            ++reads;
        }
    }

    const Summary write = summarize(writeMs);
    const Summary readBack = summarize(readBackMs);
    const QString ms = QStringLiteral("ms");
    report.ratioRow(QStringLiteral("S1 send a settings file, %1 values, %2 baud")
                        .arg(writes)
                        .arg(line.baudRate),
        describe(write, 1, ms),
        QStringLiteral("ideal %1 ms (%2 x line + %3 x delay)")
            .arg(number(writeIdeal, 1))
            .arg(writes)
            .arg(writes - 1),
        write.median / writeIdeal, QStringLiteral("<= 1.02x"), write.median / writeIdeal <= 1.02);
    report.ratioRow(QStringLiteral("S2 read-back after the send, %1 reads").arg(reads),
        describe(readBack, 1, ms),
        QStringLiteral("one pass %1 ms (%2 x (delay + line))").arg(number(passIdeal, 1)).arg(reads),
        readBack.median / passIdeal, QStringLiteral("<= 1 pass + 2 %"),
        readBack.median / passIdeal <= 1.02);
    const Summary journalOff = summarize(journalOffMs);
    const Summary journalOn = summarize(journalOnMs);
    report.ratioRow(
        QStringLiteral("J1 send and read-back with the journal on, %1 baud").arg(line.baudRate),
        describe(journalOn, 1, ms),
        QStringLiteral("journal off %1").arg(describe(journalOff, 1, ms)),
        journalOn.median / journalOff.median, QStringLiteral("<= 1.01x"),
        journalOn.median / journalOff.median <= 1.01 && journalEntries == sends);
    report.note(
        QStringLiteral("S1-S2: readiness delay %1 ms; %2 sends, %3 not verified; one "
                       "write with its delay: %4 ms ideal")
            .arg(settings.readinessDelay)
            .arg(sends)
            .arg(unverified)
            .arg(number(line.transactionMs(WriteSingleRegisterBytes, WriteSingleRegisterBytes)
                    + settings.readinessDelay,
                1)));
    monitor.disconnectFromPort();
    return unverified == 0 ? 0 : 1;
}
