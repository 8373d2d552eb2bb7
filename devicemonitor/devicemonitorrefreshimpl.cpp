// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicemonitorrefreshimpl.h"
#include "common/logging.h"
#include "devicemonitor/devicemonitoractivityhost.h"

#include <QTimer>

DeviceMonitorRefreshImpl::DeviceMonitorRefreshImpl(
    DeviceMonitorActivityHost *monitor, QObject *parent)
    : QObject(parent), m_monitor(monitor), m_autoRefreshTimer(new QTimer(this))
{
    m_autoRefreshTimer->setTimerType(Qt::PreciseTimer);
    connect(m_autoRefreshTimer, &QTimer::timeout, this,
        &DeviceMonitorRefreshImpl::onAutoRefreshDelayExpired);
}

void DeviceMonitorRefreshImpl::refresh()
{
    if (m_monitor->state() != DeviceMonitor::Idle) {
        qCDebug(lcMonitor) << "Cann`t start refresh - DeviceMonitor is busy";
        return;
    }
    if (m_monitor->currentDeviceId() <= 0) {
        qCDebug(lcMonitor) << "Wrong device ID";
        return;
    }
    m_monitor->setState(DeviceMonitor::Refreshing);
    if (m_autoRefreshEnabled)
        m_autoRefreshTimer->start();
    readDeviceData();
}

void DeviceMonitorRefreshImpl::readDeviceData()
{
    // The list may change with the visible tab; this pass keeps its own copy.
    const QList<DeviceData *> list = m_monitor->deviceDataList();
    for (DeviceData *deviceData : list)
        m_monitor->read(m_monitor->currentDeviceId(), deviceData);
    if (!list.isEmpty()) {
        m_refreshInProgress = true;
        return;
    }
    qCDebug(lcMonitor) << "Nothing to read - DeviceData list is empty";
    // No pass will end to bring a single refresh back to Idle.
    if (!m_autoRefreshTimer->isActive())
        m_monitor->setState(DeviceMonitor::Idle);
}

void DeviceMonitorRefreshImpl::stop()
{
    m_monitor->cancelReads();
    m_autoRefreshTimer->stop();
    m_monitor->setState(DeviceMonitor::Idle);
}

void DeviceMonitorRefreshImpl::onAllDeviceDataProcessed()
{
    m_refreshInProgress = false;
    if (m_autoRefreshTimer->isActive())
        return;
    m_monitor->setState(DeviceMonitor::Idle);
}

void DeviceMonitorRefreshImpl::setAutoRefreshDelay(int milliseconds)
{
    m_autoRefreshTimer->setInterval(qMax(0, milliseconds));
}

int DeviceMonitorRefreshImpl::autoRefreshDelay() const
{
    return m_autoRefreshTimer->interval();
}

void DeviceMonitorRefreshImpl::onAutoRefreshDelayExpired()
{
    if (m_refreshInProgress) {
        qCDebug(lcMonitor) << "!!! AutoRefresh skipped !!! Refresh already in progress.";
        return;
    }
    readDeviceData();
}
