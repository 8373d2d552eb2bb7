// SPDX-License-Identifier: GPL-3.0-or-later
// Sends settings to relay 2 on the serial port given, journalled in the file given, slowly
// enough for a test to kill it in the middle of the send:
//   journal-send-helper <port> <journal>
#include "devicedata/sendplan.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/settingstransfer.h"
#include "devicemonitor/writejournal.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fputs("usage: journal-send-helper <port> <journal>\n", stderr);
        return 2;
    }
    constexpr int SlaveId = 2;
    DeviceMonitor monitor;
    // A long pause between requests stretches the send over seconds.
    monitor.setDeviceSettings({ 250, 500 });
    monitor.setAutoRefreshEnabled(false);
    auto store = std::make_unique<JournalStore>(args.at(2));
    if (!store->open()) {
        std::fprintf(stderr, "%s\n", qPrintable(store->errorText()));
        return 1;
    }
    WriteJournal journal(std::move(store));
    monitor.setWriteJournal(&journal);
    ConnectionSettings settings;
    settings.portName = args.at(1);
    if (!monitor.connectToPort(settings)) {
        std::fprintf(stderr, "%s\n", qPrintable(monitor.connectionError()));
        return 1;
    }
    SettingsTransfer transfer(&monitor);
    QObject::connect(
        &monitor, &DeviceMonitor::currentDeviceAvailable, &transfer, [&transfer](bool available) {
            if (available && !transfer.isBusy())
                transfer.readCurrentDevice();
        });
    QObject::connect(&transfer, &SettingsTransfer::relayRead, &transfer,
        [&transfer](const RelaySettings &relay) {
            SettingsValues values;
            // Delays the relay takes: the MTZ's, the TO's, the auto-reclose's readiness.
            for (quint16 address : { 35, 38, 49 })
                values.insert(address, relay.values.value(address) == 12 ? 13 : 12);
            transfer.send(SendPlan(relay, values));
        });
    QObject::connect(&transfer, &SettingsTransfer::sendFinished, &app, &QCoreApplication::quit);
    QObject::connect(
        &transfer, &SettingsTransfer::failed, &app, [](const SettingsTransferError &error) {
            std::fprintf(stderr, "%s\n", qPrintable(error.text));
            QCoreApplication::exit(1);
        });
    monitor.scan(SlaveId, SlaveId);
    return app.exec();
}
