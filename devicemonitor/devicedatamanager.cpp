// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicedatamanager.h"
#include "common/logging.h"
#include "modbus/rtumodbus.h"

#include <QTimer>

#include <utility>

DeviceDataManager::DeviceDataManager(QObject *parent)
    : QObject(parent), m_modbus(new RtuModbus(this)), m_readinessTimer(new QTimer(this))
{
    m_readinessTimer->setSingleShot(true);
    m_readinessTimer->setTimerType(Qt::PreciseTimer);
    m_readinessTimer->setInterval(0);
    connect(
        m_modbus, &RtuModbus::requestFinished, this, &DeviceDataManager::onModbusRequestFinished);
    connect(
        m_modbus, &RtuModbus::transactionFinished, this, &DeviceDataManager::transactionFinished);
    connect(m_modbus, &RtuModbus::portFailed, this, &DeviceDataManager::portFailed);
    connect(m_modbus, &RtuModbus::openFinished, this, &DeviceDataManager::openFinished);
    connect(m_readinessTimer, &QTimer::timeout, this,
        &DeviceDataManager::onDeviceReadinessDelayExpired);
}

bool DeviceDataManager::openPort(const ConnectionSettings &settings)
{
    return m_modbus->open(settings);
}

bool DeviceDataManager::closePort()
{
    const bool closed = m_modbus->closePort();
    // Closing aborts a transaction in flight without requestFinished(); let the
    // sequence go on so it fails on the closed port instead of waiting forever.
    if (m_inTransaction) {
        m_inTransaction = false;
        if (m_current) {
            auto &requests
                = m_operation == Read ? m_current->readRequests() : m_current->writeRequests();
            const int index = m_operation == Read ? m_readIndex : m_writeIndex;
            requests[index].setFailed(ModbusRequest::Error);
        }
        m_readinessTimer->start();
    }
    return closed;
}

bool DeviceDataManager::isOpen() const
{
    return m_modbus->isOpen();
}

bool DeviceDataManager::isConnecting() const
{
    return m_modbus->isConnecting();
}

QString DeviceDataManager::openError() const
{
    return m_modbus->openError();
}

bool DeviceDataManager::openPermissionDenied() const
{
    return m_modbus->openPermissionDenied();
}

int DeviceDataManager::readinessDelay() const
{
    return m_readinessTimer->interval();
}

void DeviceDataManager::setReadinessDelay(int milliseconds)
{
    // A hand-edited settings file may hold a negative delay.
    m_readinessTimer->setInterval(qMax(0, milliseconds));
}

int DeviceDataManager::responseTimeout() const
{
    return m_modbus->responseTimeout();
}

void DeviceDataManager::setResponseTimeout(int milliseconds)
{
    m_modbus->setResponseTimeout(qMax(0, milliseconds));
}

void DeviceDataManager::read(int slaveId, DeviceData *deviceData)
{
    if (m_busy) {
        m_readQueue.append({ slaveId, deviceData });
        return;
    }
    m_readIndex = 0;
    m_busy = startRead(slaveId, deviceData);
}

void DeviceDataManager::write(int slaveId, DeviceData *deviceData)
{
    if (m_busy) {
        m_writeQueue.append({ slaveId, deviceData });
        return;
    }
    m_writeIndex = 0;
    m_busy = startWrite(slaveId, deviceData);
}

// Requests the endpoint refuses (disabled ones above all) are skipped.
bool DeviceDataManager::startRead(int slaveId, DeviceData *deviceData)
{
    if (!deviceData)
        return false;
    const QVector<ModbusRequest> &requests = deviceData->readRequests();
    for (; m_readIndex < requests.size(); ++m_readIndex) {
        if (issue(slaveId, requests.at(m_readIndex))) {
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
    if (!deviceData || m_writeIndex >= deviceData->writeRequests().size())
        return false;
    if (!issue(slaveId, deviceData->writeRequests().at(m_writeIndex)))
        return false;
    begin(slaveId, deviceData, Write, DeviceData::Writing);
    return true;
}

bool DeviceDataManager::issue(int slaveId, const ModbusRequest &request)
{
    // Slave IDs outside 0..255 would wrap around as uint.
    if (slaveId < 0)
        return false;
    m_inTransaction = m_modbus->request(uint(slaveId), request);
    return m_inTransaction;
}

void DeviceDataManager::begin(
    int slaveId, DeviceData *deviceData, Operation op, DeviceData::State state)
{
    deviceData->setState(state);
    m_canceled = false;
    m_current = deviceData;
    m_currentSlaveId = slaveId;
    m_operation = op;
}

void DeviceDataManager::onModbusRequestFinished()
{
    qCDebug(lcMonitor) << "Modbus request finished";
    m_inTransaction = false;

    if (m_current) {
        bool moreToCome = false;
        if (m_operation == Write) {
            // A write the relay refused or left unanswered ends the block: the writes after it
            // were meant to land together with it, and stay unsent.
            const QVector<ModbusRequest> &requests = m_current->writeRequests();
            moreToCome = m_writeIndex + 1 < requests.size()
                && requests.at(m_writeIndex).result() == ModbusRequest::Success;
            if (!moreToCome)
                forgetUnsentWrites(m_writeIndex + 1);
        } else {
            const QVector<ModbusRequest> &requests = m_current->readRequests();
            for (int i = m_readIndex + 1; i < requests.size() && !moreToCome; ++i)
                moreToCome = requests.at(i).isEnabled();
        }
        if (!moreToCome)
            finishCurrent();
    }
    m_readinessTimer->start();
}

void DeviceDataManager::finishCurrent()
{
    DeviceData *finished = m_current;
    m_current = nullptr;
    finished->setState(DeviceData::Inactive);
    if (m_operation == Write)
        emit deviceDataWritten(finished, m_currentSlaveId);
    emit deviceDataProcessed(finished);
}

void DeviceDataManager::onDeviceReadinessDelayExpired()
{
    // busy stays set while blocks are finished here, so a read or write asked
    // for from a deviceDataProcessed() handler is queued, not started twice.
    bool started = m_current && continueSequence();
    if (!started)
        started = startNextQueued();
    m_busy = started;
    if (!m_busy && !m_canceled)
        emit allDeviceDataProcessed();
}

bool DeviceDataManager::continueSequence()
{
    int &index = m_operation == Read ? m_readIndex : m_writeIndex;
    const int next = ++index;
    const bool started = m_operation == Read ? startRead(m_currentSlaveId, m_current)
                                             : startWrite(m_currentSlaveId, m_current);
    if (!started)
        abandonSequence(next);
    return started;
}

// The rest of the sequence cannot go out (the port was closed, say). The block
// must not stay Reading or Writing for good: its unread requests count as
// failed, so known values turn Outdated; its unsent writes as not sent, which
// its success check reports as false all the same.
void DeviceDataManager::abandonSequence(int from)
{
    if (m_operation == Write) {
        forgetUnsentWrites(from);
    } else {
        QVector<ModbusRequest> &requests = m_current->readRequests();
        for (int i = from; i < requests.size(); ++i) {
            if (requests.at(i).isEnabled())
                requests[i].setFailed(ModbusRequest::Error);
        }
    }
    finishCurrent();
}

void DeviceDataManager::forgetUnsentWrites(int from)
{
    QVector<ModbusRequest> &requests = m_current->writeRequests();
    for (int i = from; i < requests.size(); ++i)
        requests[i].forgetResult();
}

bool DeviceDataManager::startNextQueued()
{
    while (!m_writeQueue.isEmpty()) {
        const QueueEntry entry = m_writeQueue.takeFirst();
        m_writeIndex = 0;
        if (startWrite(entry.slaveId, entry.deviceData))
            return true;
        // A write the user asked for must not vanish silently: it ends as a
        // failed write, like one whose requests went unanswered.
        if (entry.deviceData) {
            begin(entry.slaveId, entry.deviceData, Write, DeviceData::Writing);
            abandonSequence(0);
        }
    }
    while (!m_readQueue.isEmpty()) {
        const QueueEntry entry = m_readQueue.takeFirst();
        m_readIndex = 0;
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

void DeviceDataManager::markOutdated(const QList<DeviceData *> &list)
{
    for (DeviceData *deviceData : list) {
        // A block being written redraws when its write ends; an idle one
        // passes through Reading, so that whatever shows it redraws it.
        const bool idle = deviceData->state() == DeviceData::Inactive;
        if (idle)
            deviceData->setState(DeviceData::Reading);
        for (ModbusRequest &request : deviceData->readRequests()) {
            if (request.isEnabled())
                request.setFailed(ModbusRequest::Error);
        }
        if (idle)
            deviceData->setState(DeviceData::Inactive);
    }
}

void DeviceDataManager::cancel(Operation op)
{
    QList<QueueEntry> &queue = op == Read ? m_readQueue : m_writeQueue;
    const QList<QueueEntry> dropped = std::exchange(queue, {});
    if (m_current && m_operation == op)
        cancelCurrent();
    // Writes that never began end as not sent, each told like any other write's end.
    if (op != Write)
        return;
    for (const QueueEntry &entry : dropped) {
        if (!entry.deviceData)
            continue;
        for (ModbusRequest &request : entry.deviceData->writeRequests())
            request.forgetResult();
        emit deviceDataWritten(entry.deviceData, entry.slaveId);
    }
}

void DeviceDataManager::cancelCurrent()
{
    // The write on the line may have landed; those after it never went out.
    const bool inFlight = m_inTransaction;
    m_modbus->cancel();
    m_inTransaction = false;
    DeviceData *canceledData = m_current;
    // The canceled transaction's reply may have been decoded already.
    canceledData->discardRepliesInFlight();
    // A canceled read or write did not finish; its requests must not keep the
    // results of an earlier one that did. A read stopped is not a read failed:
    // the values it did not reach keep their state.
    if (m_operation == Write) {
        QVector<ModbusRequest> &requests = canceledData->writeRequests();
        for (int i = m_writeIndex; i < requests.size(); ++i) {
            if (i == m_writeIndex && inFlight)
                requests[i].setFailed(ModbusRequest::Error);
            else
                requests[i].forgetResult();
        }
    } else {
        QVector<ModbusRequest> &requests = canceledData->readRequests();
        for (int i = m_readIndex; i < requests.size(); ++i)
            requests[i].forgetResult();
    }
    m_current = nullptr;
    canceledData->setState(DeviceData::Inactive);
    m_canceled = true;
    m_readinessTimer->start();
    if (m_operation == Write)
        emit deviceDataWritten(canceledData, m_currentSlaveId);
}
