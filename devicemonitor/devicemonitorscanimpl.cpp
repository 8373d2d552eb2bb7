// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicemonitorscanimpl.h"
#include "common/logging.h"
#include "devicedata/deviceinfodata.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitoractivityhost.h"

DeviceMonitorScanImpl::DeviceMonitorScanImpl(DeviceMonitorActivityHost *monitor, QObject *parent)
    : QObject(parent), m_monitor(monitor), m_probe(new DeviceInfoData(this))
{
}

void DeviceMonitorScanImpl::scan(int firstId, int lastId)
{
    if (m_monitor->state() != DeviceMonitor::Idle) {
        qCDebug(lcMonitor) << "Cann`t start scan - DeviceMonitor is busy";
        return;
    }
    if (!(lastId >= firstId && firstId > 0)) {
        qCDebug(lcMonitor) << "Wrong scan range";
        return;
    }
    m_monitor->setState(DeviceMonitor::Scanning);
    m_monitor->model()->clear();
    m_monitor->setCurrentDeviceId(-1);
    m_currentId = firstId;
    m_lastId = lastId;
    m_monitor->read(firstId, m_probe);
}

void DeviceMonitorScanImpl::cancel()
{
    m_monitor->cancelReads();
    finish();
}

void DeviceMonitorScanImpl::onDeviceDataProcessed(DeviceData *deviceData)
{
    // A write finishing during the scan is not a probe.
    if (deviceData != m_probe)
        return;
    // Timeouts, exception replies and corrupt frames all mean nobody is there.
    if (m_probe->isReadSuccessful())
        m_monitor->model()->addDevice(m_currentId, m_probe->deviceInfo());
    m_monitor->reportScanProgress(m_currentId);

    if (++m_currentId <= m_lastId)
        m_monitor->read(m_currentId, m_probe);
    else
        finish();
}

void DeviceMonitorScanImpl::finish()
{
    DeviceListModel *model = m_monitor->model();
    if (m_monitor->currentDeviceId() == -1 && model->rowCount() > 0)
        m_monitor->setCurrentDeviceId(model->deviceIdAt(0));
    m_monitor->setState(DeviceMonitor::Idle);
}
