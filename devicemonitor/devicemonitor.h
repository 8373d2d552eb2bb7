// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICEMONITOR_H
#define DEVICEMONITOR_H

#include "common/settingsrecords.h"
#include "devicedata/devicedata.h"
#include "devicemonitor/writeoperation.h"
#include "modbus/modbustransaction.h"
#include "modbus/serialportsettings.h"

#include <QList>
#include <QObject>

#include <memory>

class QTimer;
class DeviceDataManager;
class DeviceListModel;
class DeviceMonitorRefreshImpl;
class DeviceMonitorScanImpl;
class WriteJournal;

// The one object through which the user interface talks to the relays.
//
// It holds the connection, the device list found by the last scan, the current
// device and the blocks a refresh reads (the visible tab's, replaced by the main
// window). Two helpers carry out the long-running activities: the scanner probes
// a range of slave IDs, the refresher reads the current device once or on a
// timer. A small state machine keeps them apart: a scan and a refresh never run
// at once, and a refresh asked for during a scan starts when the scan ends.
// Writes bypass the state machine: each is a WriteOperation the monitor runs, one at a
// time and in the order asked for; the manager serialises their frames with the reads.
class DeviceMonitor : public QObject
{
    Q_OBJECT

public:
    enum State { Idle = 0, Scanning = 1, Refreshing = 2 };
    Q_ENUM(State)

    explicit DeviceMonitor(QObject *parent = nullptr);
    ~DeviceMonitor() override;

    // A serial port is connected, or not, on return. A network connection is
    // made without holding up the caller: connecting() says so at once, then
    // connected(true) or connectFailed() follows; disconnectFromPort() gives
    // it up meanwhile.
    bool connectToPort(const ConnectionSettings &settings);
    bool disconnectFromPort();
    bool isConnected() const;
    bool isConnecting() const;
    // Why the last connectToPort() failed: as the system puts it, or, when the
    // user may not open the port, what to do about it.
    QString connectionError() const;
    bool isCurrentDeviceAvailable() const;
    // Why the connection was lost (the adapter was pulled out, say), until
    // the next connect or disconnect; empty while nothing was lost.
    QString connectionLostReason() const { return m_connectionLostReason; }

    void scan(int firstId, int lastId);
    void cancelScan();
    DeviceListModel *deviceListModel() const { return m_model; }

    int currentDeviceId() const { return m_currentDeviceId; }
    void setCurrentDeviceId(int deviceId);

    void refresh();
    void stopRefresh();
    void setAutoRefreshEnabled(bool enabled);
    void setAutoRefreshDelay(int milliseconds);
    int autoRefreshDelay() const;

    void setDeviceSettings(const DeviceSettings &settings);
    DeviceSettings deviceSettings() const;

    State state() const { return m_state; }

    void setDeviceDataList(const QList<DeviceData *> &list);
    void readFromCurrentDevice(const QList<DeviceData *> &list);
    // False when there is nothing to write. Each block's end is told by deviceDataWritten(), a
    // write that did not go out by writeRefused() too.
    bool writeToCurrentDevice(const QList<DeviceData *> &list);
    bool writeToAllDevices(const QList<DeviceData *> &list);
    // The one way a write reaches a relay. The operation starts once the writes asked for
    // before it have ended, never before this returns, and is deleted after its finished().
    WriteOperation *startWrite(const WriteOrder &order);
    // Every write is recorded there before it goes out; none when null.
    void setWriteJournal(WriteJournal *journal) { m_journal = journal; }
    WriteJournal *writeJournal() const { return m_journal; }
    // The port or the gateway's address of the connection, as messages name it.
    QString endpointName() const { return m_endpointName; }
    void reset();

signals:
    void connecting();
    // A network connection could not be made; connectionError() says why.
    void connectFailed();
    void connected(bool connected);
    void currentDeviceAvailable(bool available);
    void stateChanged(DeviceMonitor::State state);
    void currentDeviceIdChanged(int deviceId);
    void scanProgress(int deviceId);
    // A write sequence ended; whether it landed is the block's
    // isWriteSuccessful(). Slave 0 means it went to all devices.
    void deviceDataWritten(DeviceData *deviceData, int slaveId);
    // A write to one relay did not go out, for the reason given: the relay was not the one the
    // device list shows, say. Follows the deviceDataWritten() of each of its blocks.
    void writeRefused(int slaveId, const QString &reason);
    // Every transaction on the line, as a record; connect to it queued.
    void transactionFinished(const ModbusTransaction &transaction);
    // The reads queued or running were dropped: a refresh was stopped, or the
    // current device, the port or a scan needs the line. A block that waited
    // for one is read only if asked for again.
    void readsStopped();

private slots:
    void onAllDeviceDataProcessed();
    void onDeviceDataProcessed(DeviceData *deviceData);
    void onPortFailed();
    void onOpenFinished(bool opened);
    void checkPortPresent();

private:
    // The helpers' view of the monitor (devicemonitoractivityhost.h).
    class ActivityHost;
    // The write operations' view of the line (writeendpoint.h).
    class Endpoint;

    void setState(State state);
    void startConnected();
    bool write(int slaveId, const QList<DeviceData *> &list);
    void startNextWrite();
    void onWriteFinished(WriteOperation *operation);
    // Ends every write, running or waiting: the line is needed elsewhere, or gone.
    void stopWrites(WriteResult::Stop cause, const QString &reason);
    void stopReads();
    void cancelReads();
    bool closeLine(bool cancelWrites);

    DeviceDataManager *m_manager;
    DeviceListModel *m_model;
    int m_currentDeviceId = -1;
    State m_state = Idle;
    bool m_pendingRefresh = false;
    bool m_disconnecting = false;
    QList<DeviceData *> m_deviceDataList;
    const std::unique_ptr<ActivityHost> m_activityHost;
    DeviceMonitorRefreshImpl *m_refresher;
    DeviceMonitorScanImpl *m_scanner;
    QString m_portName;
    QString m_endpointName;
    WriteJournal *m_journal = nullptr;
    Endpoint *m_endpoint;
    // The first runs, the others wait for it.
    QList<WriteOperation *> m_writes;
    QString m_connectionLostReason;
    // Notices an adapter pulled out while the line is quiet.
    QTimer *m_portWatch;
};

Q_DECLARE_METATYPE(DeviceMonitor::State)

#endif // DEVICEMONITOR_H
