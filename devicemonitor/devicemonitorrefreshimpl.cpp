// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicemonitorrefreshimpl.h"
#include "devicemonitor/devicedatamanager.h"
#include "devicemonitor/devicemonitor.h"

#include <QDebug>
#include <QTimer>

DeviceMonitorRefreshImpl::DeviceMonitorRefreshImpl(DeviceMonitor *monitor)
    : QObject(monitor), monitor(monitor), autoRefreshTimer(new QTimer(this))
{
    autoRefreshTimer->setTimerType(Qt::PreciseTimer);
    connect(autoRefreshTimer, &QTimer::timeout, this,
        &DeviceMonitorRefreshImpl::onAutoRefreshDelayExpired);
}

void DeviceMonitorRefreshImpl::refresh()
{
    if (monitor->state() != DeviceMonitor::Idle) {
        qDebug() << "Cann`t start refresh - DeviceMonitor is busy";
        return;
    }
    if (monitor->currentDeviceId() <= 0) {
        qDebug() << "Wrong device ID";
        return;
    }
    monitor->setState(DeviceMonitor::Refreshing);
    if (autoRefreshEnabled)
        autoRefreshTimer->start();
    readDeviceData();
}

void DeviceMonitorRefreshImpl::readDeviceData()
{
    // The list may change with the visible tab; this pass keeps its own copy.
    const QList<DeviceData *> list = monitor->deviceDataList;
    for (DeviceData *deviceData : list)
        monitor->manager->read(monitor->currentDeviceId(), deviceData);
    if (!list.isEmpty()) {
        refreshInProgress = true;
        return;
    }
    qDebug() << "Nothing to read - DeviceData list is empty";
    // No pass will end to bring a single refresh back to Idle.
    if (!autoRefreshTimer->isActive())
        monitor->setState(DeviceMonitor::Idle);
}

void DeviceMonitorRefreshImpl::stop()
{
    monitor->manager->cancelReads();
    autoRefreshTimer->stop();
    monitor->setState(DeviceMonitor::Idle);
}

void DeviceMonitorRefreshImpl::onAllDeviceDataProcessed()
{
    refreshInProgress = false;
    if (autoRefreshTimer->isActive())
        return;
    monitor->setState(DeviceMonitor::Idle);
}

void DeviceMonitorRefreshImpl::setAutoRefreshDelay(int milliseconds)
{
    autoRefreshTimer->setInterval(qMax(0, milliseconds));
}

int DeviceMonitorRefreshImpl::autoRefreshDelay() const
{
    return autoRefreshTimer->interval();
}

void DeviceMonitorRefreshImpl::onAutoRefreshDelayExpired()
{
    if (refreshInProgress) {
        qDebug() << "!!! AutoRefresh skipped !!! Refresh already in progress.";
        return;
    }
    readDeviceData();
}
