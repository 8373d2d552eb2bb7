// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicedatamanager.h"
#include "modbus/rtumodbus.h"

#include <QDebug>
#include <QTimer>

DeviceDataManager::DeviceDataManager(QObject *parent)
    : QObject(parent), modbus(new RtuModbus(this)), readinessTimer(new QTimer(this))
{
    readinessTimer->setSingleShot(true);
    readinessTimer->setTimerType(Qt::PreciseTimer);
    readinessTimer->setInterval(0);
    connect(modbus, &RtuModbus::requestFinished, this, &DeviceDataManager::onModbusRequestFinished);
    connect(modbus, &RtuModbus::transactionFinished, this, &DeviceDataManager::transactionFinished);
    connect(
        readinessTimer, &QTimer::timeout, this, &DeviceDataManager::onDeviceReadinessDelayExpired);
}

bool DeviceDataManager::openPort(const ConnectionSettings &settings)
{
    return modbus->openPort(settings.portName, settings.serialPortSettings);
}

bool DeviceDataManager::closePort()
{
    const bool closed = modbus->closePort();
    // Closing aborts a transaction in flight without requestFinished(); let the
    // sequence go on so it fails on the closed port instead of waiting forever.
    if (inTransaction) {
        inTransaction = false;
        if (current) {
            auto &requests = operation == Read ? current->readRequests() : current->writeRequests();
            const int index = operation == Read ? readIndex : writeIndex;
            requests[index].setFailed(ModbusRequest::Error);
        }
        readinessTimer->start();
    }
    return closed;
}

bool DeviceDataManager::isOpen() const
{
    return modbus->isOpen();
}

QString DeviceDataManager::openError() const
{
    return modbus->openError();
}

bool DeviceDataManager::openPermissionDenied() const
{
    return modbus->openPermissionDenied();
}

int DeviceDataManager::readinessDelay() const
{
    return readinessTimer->interval();
}

void DeviceDataManager::setReadinessDelay(int milliseconds)
{
    // A hand-edited settings file may hold a negative delay.
    readinessTimer->setInterval(qMax(0, milliseconds));
}

int DeviceDataManager::responseTimeout() const
{
    return modbus->responseTimeout();
}

void DeviceDataManager::setResponseTimeout(int milliseconds)
{
    modbus->setResponseTimeout(qMax(0, milliseconds));
}

void DeviceDataManager::read(int slaveId, DeviceData *deviceData)
{
    if (busy) {
        readQueue.append({ slaveId, deviceData });
        return;
    }
    readIndex = 0;
    busy = startRead(slaveId, deviceData);
}

void DeviceDataManager::write(int slaveId, DeviceData *deviceData)
{
    if (busy) {
        writeQueue.append({ slaveId, deviceData });
        return;
    }
    writeIndex = 0;
    busy = startWrite(slaveId, deviceData);
}

// Requests the endpoint refuses (disabled ones above all) are skipped.
bool DeviceDataManager::startRead(int slaveId, DeviceData *deviceData)
{
    if (!deviceData)
        return false;
    const QVector<ModbusRequest> &requests = deviceData->readRequests();
    for (; readIndex < requests.size(); ++readIndex) {
        if (issue(slaveId, requests.at(readIndex))) {
            begin(slaveId, deviceData, Read, DeviceData::Reading);
            return true;
        }
    }
    return false;
}

// A refused write request is not skipped: the writes of a block go out in
// order or not at all.
bool DeviceDataManager::startWrite(int slaveId, DeviceData *deviceData)
{
    if (!deviceData || writeIndex >= deviceData->writeRequests().size())
        return false;
    if (!issue(slaveId, deviceData->writeRequests().at(writeIndex)))
        return false;
    begin(slaveId, deviceData, Write, DeviceData::Writing);
    return true;
}

bool DeviceDataManager::issue(int slaveId, const ModbusRequest &request)
{
    // Slave IDs outside 0..255 would wrap around as uint.
    if (slaveId < 0)
        return false;
    inTransaction = modbus->request(uint(slaveId), request);
    return inTransaction;
}

void DeviceDataManager::begin(
    int slaveId, DeviceData *deviceData, Operation op, DeviceData::State state)
{
    deviceData->setState(state);
    canceled = false;
    current = deviceData;
    currentSlaveId = slaveId;
    operation = op;
}

void DeviceDataManager::onModbusRequestFinished()
{
    qDebug() << "Modbus request finished";
    inTransaction = false;

    if (current) {
        bool moreToCome = false;
        if (operation == Write) {
            moreToCome = writeIndex + 1 < current->writeRequests().size();
        } else {
            const QVector<ModbusRequest> &requests = current->readRequests();
            for (int i = readIndex + 1; i < requests.size() && !moreToCome; ++i)
                moreToCome = requests.at(i).isEnabled();
        }
        if (!moreToCome)
            finishCurrent();
    }
    readinessTimer->start();
}

void DeviceDataManager::finishCurrent()
{
    DeviceData *finished = current;
    current = nullptr;
    finished->setState(DeviceData::Inactive);
    if (operation == Write)
        emit deviceDataWritten(finished, currentSlaveId);
    emit deviceDataProcessed(finished);
}

void DeviceDataManager::onDeviceReadinessDelayExpired()
{
    // busy stays set while blocks are finished here, so a read or write asked
    // for from a deviceDataProcessed() handler is queued, not started twice.
    bool started = current && continueSequence();
    if (!started)
        started = startNextQueued();
    busy = started;
    if (!busy && !canceled)
        emit allDeviceDataProcessed();
}

bool DeviceDataManager::continueSequence()
{
    int &index = operation == Read ? readIndex : writeIndex;
    const int next = ++index;
    const bool started = operation == Read ? startRead(currentSlaveId, current)
                                           : startWrite(currentSlaveId, current);
    if (!started)
        abandonSequence(next);
    return started;
}

// The rest of the sequence cannot go out (the port was closed, say). The block
// must not stay Reading or Writing for good: its unsent requests count as
// failed, so known values turn Outdated and its success check reports false.
void DeviceDataManager::abandonSequence(int from)
{
    auto &requests = operation == Read ? current->readRequests() : current->writeRequests();
    for (int i = from; i < requests.size(); ++i) {
        if (requests.at(i).isEnabled())
            requests[i].setFailed(ModbusRequest::Error);
    }
    finishCurrent();
}

bool DeviceDataManager::startNextQueued()
{
    while (!writeQueue.isEmpty()) {
        const QueueEntry entry = writeQueue.takeFirst();
        writeIndex = 0;
        if (startWrite(entry.slaveId, entry.deviceData))
            return true;
        // A write the user asked for must not vanish silently: it ends as a
        // failed write, like one whose requests went unanswered.
        if (entry.deviceData) {
            begin(entry.slaveId, entry.deviceData, Write, DeviceData::Writing);
            abandonSequence(0);
        }
    }
    while (!readQueue.isEmpty()) {
        const QueueEntry entry = readQueue.takeFirst();
        readIndex = 0;
        if (startRead(entry.slaveId, entry.deviceData))
            return true;
    }
    return false;
}

void DeviceDataManager::cancelReads()
{
    cancel(Read);
}

void DeviceDataManager::cancelWrites()
{
    cancel(Write);
}

void DeviceDataManager::cancel(Operation op)
{
    (op == Read ? readQueue : writeQueue).clear();
    if (!current || operation != op)
        return;
    modbus->cancel();
    inTransaction = false;
    DeviceData *canceledData = current;
    // The canceled transaction's reply may have been decoded already.
    canceledData->discardRepliesInFlight();
    // A canceled write did not land; its requests must not keep the results
    // of an earlier write that did.
    if (op == Write) {
        QVector<ModbusRequest> &requests = canceledData->writeRequests();
        for (int i = writeIndex; i < requests.size(); ++i)
            requests[i].setFailed(ModbusRequest::Error);
    }
    current = nullptr;
    canceledData->setState(DeviceData::Inactive);
    canceled = true;
    readinessTimer->start();
}
