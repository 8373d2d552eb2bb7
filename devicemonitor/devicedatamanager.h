// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICEDATAMANAGER_H
#define DEVICEDATAMANAGER_H

#include "devicedata/devicedata.h"
#include "modbus/modbustransaction.h"
#include "modbus/serialportsettings.h"

#include <QList>
#include <QObject>
#include <QPointer>

class QTimer;
class RtuModbus;

// Turns "read this block from slave n" and "write this block to slave n" into
// one strictly sequential stream of transactions on the single RTU endpoint.
//
// A block's requests go out in list order, one at a time, each followed by the
// readiness delay, the pause a relay needs before it takes the next request.
// Blocks asked for while a sequence runs wait in two queues; queued writes are
// served before queued reads. A block's write stops at the first request that
// fails; the requests after it are left without a result. deviceDataProcessed()
// reports each finished block and allDeviceDataProcessed() the end of all queued work.
class DeviceDataManager : public QObject
{
    Q_OBJECT

public:
    explicit DeviceDataManager(QObject *parent = nullptr);

    // A network connection is made on a worker thread: see RtuModbus::open().
    bool openPort(const ConnectionSettings &settings);
    bool closePort();
    bool isOpen() const;
    bool isConnecting() const;
    QString openError() const;
    bool openPermissionDenied() const;

    int readinessDelay() const;
    void setReadinessDelay(int milliseconds);
    int responseTimeout() const;
    void setResponseTimeout(int milliseconds);

    void read(int slaveId, DeviceData *deviceData);
    void write(int slaveId, DeviceData *deviceData);
    void cancelReads();
    void cancelWrites();
    // The line is gone: every value the blocks hold turns Outdated, as after
    // a read the relay did not answer.
    static void markOutdated(const QList<DeviceData *> &list);

signals:
    // A network connection openPort() started was made, or failed.
    void openFinished(bool opened);
    // Emitted right before deviceDataProcessed() for a finished write; slave
    // 0 is the broadcast address.
    void deviceDataWritten(DeviceData *deviceData, int slaveId);
    void deviceDataProcessed(DeviceData *deviceData);
    void allDeviceDataProcessed();
    // The endpoint's record of every transaction; connect to it queued.
    void transactionFinished(const ModbusTransaction &transaction);
    // The port itself failed (RtuModbus::portFailed()); it is still open.
    void portFailed();

private slots:
    void onModbusRequestFinished();
    void onDeviceReadinessDelayExpired();

private:
    enum Operation { Read, Write };

    struct QueueEntry
    {
        int slaveId;
        QPointer<DeviceData> deviceData;
    };

    bool startRead(int slaveId, DeviceData *deviceData);
    bool startWrite(int slaveId, DeviceData *deviceData);
    bool issue(int slaveId, const ModbusRequest &request);
    void begin(int slaveId, DeviceData *deviceData, Operation operation, DeviceData::State state);
    bool continueSequence();
    void abandonSequence(int from);
    // Requests of the current write from this index on did not go out: no result stands for them.
    void forgetUnsentWrites(int from);
    void finishCurrent();
    bool startNextQueued();
    void cancelCurrent();
    void cancel(Operation operation);

    RtuModbus *m_modbus;
    QList<QueueEntry> m_readQueue;
    QList<QueueEntry> m_writeQueue;
    bool m_busy = false;
    QTimer *m_readinessTimer;
    QPointer<DeviceData> m_current;
    int m_currentSlaveId = 0;
    int m_readIndex = 0;
    int m_writeIndex = 0;
    Operation m_operation = Read;
    bool m_canceled = false;
    // A transaction of the current sequence is on the line (not the pause).
    bool m_inTransaction = false;
};

#endif // DEVICEDATAMANAGER_H
