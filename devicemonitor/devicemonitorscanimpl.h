// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICEMONITORSCANIMPL_H
#define DEVICEMONITORSCANIMPL_H

#include "modbus/modbustransaction.h"

#include <QObject>

#include <memory>

class DeviceData;
class DeviceInfoData;
class DeviceMonitorActivityHost;
class QTimer;
class ScanRetries;

// Finds the relays of a slave ID range by reading the identity block from
// each ID in turn; every ID whose own read succeeds becomes a row of the device
// list. The next probe is issued only when the previous one has finished.
//
// A thorough scan waits the full response timeout for every ID. A quick scan
// does so only until a relay on this line has answered; from then on it waits
// a few times what the line's relays have taken to answer (turnaroundstats.h),
// which is most of a silent ID's cost. A relay slower than that answers late,
// into another ID's window: scanretries.h says how such bytes are told and
// which IDs are then asked again, with the full timeout, after the range.
class DeviceMonitorScanImpl : public QObject
{
    Q_OBJECT

public:
    // The monitor, through its view for the helpers, and as the parent.
    DeviceMonitorScanImpl(DeviceMonitorActivityHost *monitor, QObject *parent);
    ~DeviceMonitorScanImpl() override;

    void scan(int firstId, int lastId);
    void cancel();
    void onDeviceDataProcessed(DeviceData *deviceData);
    void onAllDeviceDataProcessed() { }
    // Every transaction on the line, before its block is processed.
    void onTransactionFinished(const ModbusTransaction &transaction);

    bool isThorough() const { return m_thorough; }
    void setThorough(bool thorough) { m_thorough = thorough; }

    // The shortest wait of a quick scan, whatever the relays showed.
    static constexpr int MinShortWaitMs = 10;
    // What a quick scan waits for an ID once relays have answered: three times the slowest
    // relay's 99th-percentile turnaround beyond the request's own time on the wire, at least
    // MinShortWaitMs and never more than the response timeout.
    static int shortWaitMs(double requestWireMs, double slowestP99Ms, int responseTimeoutMs);

private:
    void probe(int id);
    void probeNextRetry();
    void finish();

    DeviceMonitorActivityHost *const m_monitor;
    DeviceInfoData *m_probe;
    int m_lastId = 0;
    int m_currentId = 0;
    bool m_thorough = false;
    // The quick scan's, from the start of a scan to its end.
    std::unique_ptr<ScanRetries> m_retries;
    bool m_retrying = false;
    // The transaction of the probe in flight, once it has ended.
    ModbusTransaction m_probeTransaction;
    bool m_probeTransactionSeen = false;
    // Holds the retries back until no late answer can still come.
    QTimer *m_quietTimer;
};

#endif // DEVICEMONITORSCANIMPL_H
