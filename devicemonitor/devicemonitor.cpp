// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicemonitor.h"
#include "common/logging.h"
#include "devicemonitor/devicedatamanager.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitoractivityhost.h"
#include "devicemonitor/devicemonitorrefreshimpl.h"
#include "devicemonitor/devicemonitorscanimpl.h"
#include "devicemonitor/writeendpoint.h"
#include "devicemonitor/writejournal.h"

#include <QFileInfo>
#include <QTimer>

#include <utility>

namespace {

// Often enough that a pulled-out adapter shows within a second.
constexpr int PortWatchIntervalMs = 400;

} // namespace

class DeviceMonitor::ActivityHost final : public DeviceMonitorActivityHost
{
public:
    explicit ActivityHost(DeviceMonitor *monitor) : m_monitor(monitor) { }

    DeviceMonitor::State state() const override { return m_monitor->m_state; }
    void setState(DeviceMonitor::State state) override { m_monitor->setState(state); }
    int currentDeviceId() const override { return m_monitor->m_currentDeviceId; }
    void setCurrentDeviceId(int deviceId) override { m_monitor->setCurrentDeviceId(deviceId); }
    QList<DeviceData *> deviceDataList() const override { return m_monitor->m_deviceDataList; }
    DeviceListModel *model() const override { return m_monitor->m_model; }
    void read(int slaveId, DeviceData *deviceData) override
    {
        m_monitor->m_manager->read(slaveId, deviceData);
    }
    void cancelReads() override { m_monitor->cancelReads(); }
    void reportScanProgress(int deviceId) override { emit m_monitor->scanProgress(deviceId); }

private:
    DeviceMonitor *const m_monitor;
};

class DeviceMonitor::Endpoint final : public WriteEndpoint
{
public:
    explicit Endpoint(DeviceMonitor *monitor) : WriteEndpoint(monitor), m_monitor(monitor) { }

    void read(int slaveId, DeviceData *block) override
    {
        m_monitor->m_manager->read(slaveId, block);
    }
    void write(int slaveId, DeviceData *block) override
    {
        m_monitor->m_manager->write(slaveId, block);
    }
    void cancelWrites() override { m_monitor->m_manager->cancelWrites(); }
    std::optional<qint64> shownSerialNumber(int slaveId) const override
    {
        const DeviceListModel *devices = m_monitor->m_model;
        const DeviceInfo *shown = devices->deviceInfoAt(devices->rowOfDevice(slaveId));
        if (!shown || shown->serialNumber.status == NoData)
            return std::nullopt;
        return shown->serialNumber.value;
    }
    QString name() const override { return m_monitor->m_endpointName; }

private:
    DeviceMonitor *const m_monitor;
};

DeviceMonitor::DeviceMonitor(QObject *parent)
    : QObject(parent),
      m_manager(new DeviceDataManager(this)),
      m_model(new DeviceListModel(this)),
      m_activityHost(std::make_unique<ActivityHost>(this)),
      m_refresher(new DeviceMonitorRefreshImpl(m_activityHost.get(), this)),
      m_scanner(new DeviceMonitorScanImpl(m_activityHost.get(), this)),
      m_endpoint(new Endpoint(this)),
      m_portWatch(new QTimer(this))
{
    qRegisterMetaType<DeviceMonitor::State>();
    setObjectName(QStringLiteral("deviceMonitor"));
    connect(m_manager, &DeviceDataManager::deviceDataProcessed, this,
        &DeviceMonitor::onDeviceDataProcessed);
    connect(m_manager, &DeviceDataManager::allDeviceDataProcessed, this,
        &DeviceMonitor::onAllDeviceDataProcessed);
    connect(m_manager, &DeviceDataManager::deviceDataWritten, m_endpoint, &WriteEndpoint::written);
    connect(this, &DeviceMonitor::readsStopped, m_endpoint, &WriteEndpoint::readsStopped);
    connect(m_manager, &DeviceDataManager::transactionFinished, this,
        &DeviceMonitor::transactionFinished);
    // The list counts from the scan that filled it (clear() starts afresh).
    connect(m_manager, &DeviceDataManager::transactionFinished, m_model,
        &DeviceListModel::countTransaction, Qt::QueuedConnection);
    // Handled once the failed transaction's own end has been dealt with.
    connect(m_manager, &DeviceDataManager::portFailed, this, &DeviceMonitor::onPortFailed,
        Qt::QueuedConnection);
    connect(m_manager, &DeviceDataManager::openFinished, this, &DeviceMonitor::onOpenFinished);
    m_portWatch->setInterval(PortWatchIntervalMs);
    connect(m_portWatch, &QTimer::timeout, this, &DeviceMonitor::checkPortPresent);
}

// Here, where ActivityHost is complete. The helpers, children of the monitor,
// outlive it only while QObject deletes them, with no call back.
DeviceMonitor::~DeviceMonitor() = default;

bool DeviceMonitor::connectToPort(const ConnectionSettings &settings)
{
    if (!m_manager->openPort(settings))
        return false;
    m_portName = settings.portName;
    m_endpointName = settings.endpointName();
    m_connectionLostReason.clear();
    if (m_manager->isConnecting()) {
        emit connecting();
        return true;
    }
#ifdef Q_OS_UNIX
    m_portWatch->start();
#endif
    startConnected();
    return true;
}

void DeviceMonitor::onOpenFinished(bool opened)
{
    if (opened)
        startConnected();
    else
        emit connectFailed();
}

void DeviceMonitor::startConnected()
{
    emit connected(true);
    if (m_currentDeviceId > 0) {
        emit currentDeviceAvailable(true);
        m_refresher->refresh();
    }
}

bool DeviceMonitor::disconnectFromPort()
{
    m_connectionLostReason.clear();
    // A write cut short must end now, not once the closed port fails it, so
    // that its block can be reset with the rest.
    const bool closed = closeLine(true);
    if (closed) {
        emit currentDeviceAvailable(false);
        emit connected(false);
    }
    return closed;
}

// Ends what runs on the line and closes the port. A write still going is
// canceled and the blocks reset when asked for; otherwise the write fails on
// the closed port, and says so.
bool DeviceMonitor::closeLine(bool cancelWrites)
{
    m_portWatch->stop();
    m_pendingRefresh = false;
    m_disconnecting = true;
    stopWrites(WriteResult::LineClosed, tr("The port was closed."));
    if (m_state == Scanning)
        m_scanner->cancel();
    else
        stopReads();
    if (cancelWrites)
        reset();
    const bool closed = m_manager->closePort();
    m_disconnecting = false;
    return closed;
}

// The adapter was pulled out, or the line hung up: nothing will answer
// until the port is opened again, so nothing goes on trying. What the blocks
// hold stays in view as outdated.
void DeviceMonitor::onPortFailed()
{
    if (!isConnected() || m_disconnecting)
        return;
#ifdef Q_OS_WIN
    const QString device = m_portName;
#else
    const QString device = serialDevicePath(m_portName);
#endif
    m_connectionLostReason = tr("The adapter on %1 was removed").arg(device);
    closeLine(false);
    DeviceDataManager::markOutdated(m_deviceDataList);
    emit currentDeviceAvailable(false);
    emit connected(false);
}

void DeviceMonitor::checkPortPresent()
{
    if (isConnected() && !QFileInfo::exists(serialDevicePath(m_portName)))
        onPortFailed();
}

bool DeviceMonitor::isConnected() const
{
    return m_manager->isOpen();
}

bool DeviceMonitor::isConnecting() const
{
    return m_manager->isConnecting();
}

QString DeviceMonitor::connectionError() const
{
#ifdef Q_OS_LINUX
    // The usual first stumble with a new USB adapter: Debian and most other
    // distributions give serial ports to the group "dialout".
    if (m_manager->openPermissionDenied())
        return tr("You are not allowed to use this port. Ask your administrator to add "
                  "your user to the \"dialout\" group, then log out and log in again.");
#endif
    return m_manager->openError();
}

bool DeviceMonitor::isCurrentDeviceAvailable() const
{
    return isConnected() && m_currentDeviceId > 0 && m_state != Scanning;
}

void DeviceMonitor::scan(int firstId, int lastId)
{
    stopWrites(WriteResult::ScanStarted, tr("A scan started."));
    stopReads();
    m_scanner->scan(firstId, lastId);
}

void DeviceMonitor::cancelScan()
{
    m_scanner->cancel();
}

void DeviceMonitor::setCurrentDeviceId(int deviceId)
{
    if (deviceId == m_currentDeviceId)
        return;
    stopReads();
    m_currentDeviceId = deviceId;
    emit currentDeviceIdChanged(deviceId);
    // The blocks still hold the previous device's values.
    reset();

    if (deviceId <= 0 || !isConnected() || m_disconnecting) {
        emit currentDeviceAvailable(false);
        return;
    }
    if (m_state == Scanning) {
        m_pendingRefresh = true;
        return;
    }
    emit currentDeviceAvailable(true);
    m_refresher->refresh();
}

void DeviceMonitor::refresh()
{
    m_refresher->refresh();
}

void DeviceMonitor::stopRefresh()
{
    m_refresher->stop();
    m_pendingRefresh = false;
}

void DeviceMonitor::setAutoRefreshEnabled(bool enabled)
{
    m_refresher->setAutoRefreshEnabled(enabled);
}

void DeviceMonitor::setAutoRefreshDelay(int milliseconds)
{
    m_refresher->setAutoRefreshDelay(milliseconds);
}

int DeviceMonitor::autoRefreshDelay() const
{
    return m_refresher->autoRefreshDelay();
}

void DeviceMonitor::setDeviceSettings(const DeviceSettings &settings)
{
    m_manager->setReadinessDelay(settings.readinessDelay);
    m_manager->setResponseTimeout(settings.responseTimeout);
}

DeviceSettings DeviceMonitor::deviceSettings() const
{
    return { m_manager->readinessDelay(), m_manager->responseTimeout() };
}

void DeviceMonitor::setDeviceDataList(const QList<DeviceData *> &list)
{
    m_deviceDataList = list;
}

void DeviceMonitor::readFromCurrentDevice(const QList<DeviceData *> &list)
{
    if (list.isEmpty()) {
        qCDebug(lcMonitor) << "!!! Cann`t read !!! DeviceData list is empty";
        return;
    }
    for (DeviceData *deviceData : list)
        m_manager->read(m_currentDeviceId, deviceData);
}

bool DeviceMonitor::writeToCurrentDevice(const QList<DeviceData *> &list)
{
    return write(m_currentDeviceId, list);
}

bool DeviceMonitor::writeToAllDevices(const QList<DeviceData *> &list)
{
    // Slave 0 is the Modbus broadcast address: every relay acts, none answers.
    return write(0, list);
}

bool DeviceMonitor::write(int slaveId, const QList<DeviceData *> &list)
{
    if (list.isEmpty()) {
        qCDebug(lcMonitor) << "!!! Cann`t write !!! DeviceData list is empty";
        return false;
    }
    WriteOrder order;
    order.slaveId = slaveId;
    order.blocks = list;
    startWrite(order);
    return true;
}

WriteOperation *DeviceMonitor::startWrite(const WriteOrder &order)
{
    auto *operation = new WriteOperation(m_endpoint, m_journal, order, this);
    connect(operation, &WriteOperation::blockWritten, this, &DeviceMonitor::deviceDataWritten);
    connect(
        operation, &WriteOperation::finished, this, [this, operation](const WriteResult &result) {
            if (result.end == WriteResult::Refused)
                emit writeRefused(result.slaveId, result.reason);
            onWriteFinished(operation);
        });
    m_writes.append(operation);
    // Started from the event loop, so that whoever asked has connected to it first.
    if (m_writes.size() == 1)
        QMetaObject::invokeMethod(this, &DeviceMonitor::startNextWrite, Qt::QueuedConnection);
    return operation;
}

void DeviceMonitor::startNextWrite()
{
    if (m_writes.isEmpty() || m_writes.first()->isRunning())
        return;
    WriteOperation *next = m_writes.first();
    if (isConnected())
        next->start();
    else
        next->stop(WriteResult::LineClosed, tr("Not connected."));
}

void DeviceMonitor::onWriteFinished(WriteOperation *operation)
{
    operation->deleteLater();
    if (m_writes.removeOne(operation))
        startNextWrite();
}

void DeviceMonitor::stopWrites(WriteResult::Stop cause, const QString &reason)
{
    // Taken first, so that none of them starts as another ends.
    const QList<WriteOperation *> writes = std::exchange(m_writes, {});
    for (WriteOperation *operation : writes)
        operation->stop(cause, reason);
}

void DeviceMonitor::reset()
{
    if (m_deviceDataList.isEmpty()) {
        qCDebug(lcMonitor) << "!!! Cann`t reset !!! DeviceData list is empty";
        return;
    }
    for (DeviceData *deviceData : qAsConst(m_deviceDataList))
        deviceData->reset();
}

// Ends the reads of the current device: a refresh, or a read asked for
// outside one (the crash log's). A scan's probes go on.
void DeviceMonitor::stopReads()
{
    if (m_state == Refreshing) {
        m_refresher->stop();
        m_pendingRefresh = false;
    } else if (m_state == Idle) {
        cancelReads();
    }
}

void DeviceMonitor::cancelReads()
{
    m_manager->cancelReads();
    emit readsStopped();
}

void DeviceMonitor::setState(State state)
{
    if (state == m_state)
        return;
    const State previous = m_state;
    m_state = state;
    emit stateChanged(state);

    // A scan canceled by disconnecting must not announce the device it found.
    if (previous == Scanning && isConnected() && m_currentDeviceId > 0 && !m_disconnecting)
        emit currentDeviceAvailable(true);
    if (m_pendingRefresh && state == Idle) {
        m_pendingRefresh = false;
        m_refresher->refresh();
    }
}

void DeviceMonitor::onDeviceDataProcessed(DeviceData *deviceData)
{
    if (m_state == Scanning)
        m_scanner->onDeviceDataProcessed(deviceData);
    else if (m_state == Refreshing)
        m_refresher->onDeviceDataProcessed(deviceData);
}

void DeviceMonitor::onAllDeviceDataProcessed()
{
    if (m_state == Scanning)
        m_scanner->onAllDeviceDataProcessed();
    else if (m_state == Refreshing)
        m_refresher->onAllDeviceDataProcessed();
}
