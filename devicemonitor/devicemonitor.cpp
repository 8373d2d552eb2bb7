// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/devicedatamanager.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitorrefreshimpl.h"
#include "devicemonitor/devicemonitorscanimpl.h"

#include <QDebug>

DeviceMonitor::DeviceMonitor(QObject *parent)
    : QObject(parent),
      manager(new DeviceDataManager(this)),
      model(new DeviceListModel(this)),
      refresher(new DeviceMonitorRefreshImpl(this)),
      scanner(new DeviceMonitorScanImpl(this))
{
    qRegisterMetaType<DeviceMonitor::State>();
    setObjectName(QStringLiteral("deviceMonitor"));
    connect(manager, &DeviceDataManager::deviceDataProcessed, this,
        &DeviceMonitor::onDeviceDataProcessed);
    connect(manager, &DeviceDataManager::allDeviceDataProcessed, this,
        &DeviceMonitor::onAllDeviceDataProcessed);
    connect(
        manager, &DeviceDataManager::deviceDataWritten, this, &DeviceMonitor::deviceDataWritten);
    connect(manager, &DeviceDataManager::transactionFinished, this,
        &DeviceMonitor::transactionFinished);
    // The list counts from the scan that filled it (clear() starts afresh).
    connect(manager, &DeviceDataManager::transactionFinished, model,
        &DeviceListModel::countTransaction, Qt::QueuedConnection);
}

bool DeviceMonitor::connectToPort(const ConnectionSettings &settings)
{
    if (!manager->openPort(settings))
        return false;
    emit connected(true);
    if (m_currentDeviceId > 0) {
        emit currentDeviceAvailable(true);
        refresher->refresh();
    }
    return true;
}

bool DeviceMonitor::disconnectFromPort()
{
    pendingRefresh = false;
    disconnecting = true;
    if (m_state == Scanning)
        scanner->cancel();
    else
        stopReads();
    // A write cut short must end now, not once the closed port fails it, so
    // that its block can be reset with the rest.
    manager->cancelWrites();
    reset();
    const bool closed = manager->closePort();
    disconnecting = false;
    if (closed) {
        emit currentDeviceAvailable(false);
        emit connected(false);
    }
    return closed;
}

bool DeviceMonitor::isConnected() const
{
    return manager->isOpen();
}

QString DeviceMonitor::connectionError() const
{
#ifdef Q_OS_LINUX
    // The usual first stumble with a new USB adapter: Debian and most other
    // distributions give serial ports to the group "dialout".
    if (manager->openPermissionDenied())
        return tr("You are not allowed to use this port. Ask your administrator to add "
                  "your user to the \"dialout\" group, then log out and log in again.");
#endif
    return manager->openError();
}

bool DeviceMonitor::isCurrentDeviceAvailable() const
{
    return isConnected() && m_currentDeviceId > 0 && m_state != Scanning;
}

void DeviceMonitor::scan(int firstId, int lastId)
{
    stopReads();
    scanner->scan(firstId, lastId);
}

void DeviceMonitor::cancelScan()
{
    scanner->cancel();
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

    if (deviceId <= 0 || !isConnected() || disconnecting) {
        emit currentDeviceAvailable(false);
        return;
    }
    if (m_state == Scanning) {
        pendingRefresh = true;
        return;
    }
    emit currentDeviceAvailable(true);
    refresher->refresh();
}

void DeviceMonitor::refresh()
{
    refresher->refresh();
}

void DeviceMonitor::stopRefresh()
{
    refresher->stop();
    pendingRefresh = false;
}

void DeviceMonitor::setAutoRefreshEnabled(bool enabled)
{
    refresher->setAutoRefreshEnabled(enabled);
}

void DeviceMonitor::setAutoRefreshDelay(int milliseconds)
{
    refresher->setAutoRefreshDelay(milliseconds);
}

int DeviceMonitor::autoRefreshDelay() const
{
    return refresher->autoRefreshDelay();
}

void DeviceMonitor::setDeviceSettings(const DeviceSettings &settings)
{
    manager->setReadinessDelay(settings.readinessDelay);
    manager->setResponseTimeout(settings.responseTimeout);
}

DeviceSettings DeviceMonitor::deviceSettings() const
{
    return { manager->readinessDelay(), manager->responseTimeout() };
}

void DeviceMonitor::setDeviceDataList(const QList<DeviceData *> &list)
{
    deviceDataList = list;
}

void DeviceMonitor::readFromCurrentDevice(const QList<DeviceData *> &list)
{
    if (list.isEmpty()) {
        qDebug() << "!!! Cann`t read !!! DeviceData list is empty";
        return;
    }
    for (DeviceData *deviceData : list)
        manager->read(m_currentDeviceId, deviceData);
}

void DeviceMonitor::writeToCurrentDevice(const QList<DeviceData *> &list)
{
    write(m_currentDeviceId, list);
}

void DeviceMonitor::writeToAllDevices(const QList<DeviceData *> &list)
{
    // Slave 0 is the Modbus broadcast address: every relay acts, none answers.
    write(0, list);
}

void DeviceMonitor::write(int slaveId, const QList<DeviceData *> &list)
{
    if (list.isEmpty()) {
        qDebug() << "!!! Cann`t write !!! DeviceData list is empty";
        return;
    }
    for (DeviceData *deviceData : list)
        manager->write(slaveId, deviceData);
}

void DeviceMonitor::reset()
{
    if (deviceDataList.isEmpty()) {
        qDebug() << "!!! Cann`t reset !!! DeviceData list is empty";
        return;
    }
    for (DeviceData *deviceData : qAsConst(deviceDataList))
        deviceData->reset();
}

// Ends the reads of the current device: a refresh, or a read asked for
// outside one (the crash log's). A scan's probes go on.
void DeviceMonitor::stopReads()
{
    if (m_state == Refreshing) {
        refresher->stop();
        pendingRefresh = false;
    } else if (m_state == Idle) {
        manager->cancelReads();
    }
}

void DeviceMonitor::setState(State state)
{
    if (state == m_state)
        return;
    const State previous = m_state;
    m_state = state;
    emit stateChanged(state);

    // A scan canceled by disconnecting must not announce the device it found.
    if (previous == Scanning && isConnected() && m_currentDeviceId > 0 && !disconnecting)
        emit currentDeviceAvailable(true);
    if (pendingRefresh && state == Idle) {
        pendingRefresh = false;
        refresher->refresh();
    }
}

void DeviceMonitor::onDeviceDataProcessed(DeviceData *deviceData)
{
    if (m_state == Scanning)
        scanner->onDeviceDataProcessed(deviceData);
    else if (m_state == Refreshing)
        refresher->onDeviceDataProcessed(deviceData);
}

void DeviceMonitor::onAllDeviceDataProcessed()
{
    if (m_state == Scanning)
        scanner->onAllDeviceDataProcessed();
    else if (m_state == Refreshing)
        refresher->onAllDeviceDataProcessed();
}
