// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicemonitorscanimpl.h"
#include "devicedata/deviceinfodata.h"
#include "devicemonitor/devicedatamanager.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"

#include <QDebug>

DeviceMonitorScanImpl::DeviceMonitorScanImpl(DeviceMonitor *monitor)
    : QObject(monitor), monitor(monitor), probe(new DeviceInfoData(this))
{
}

void DeviceMonitorScanImpl::scan(int firstId, int lastId)
{
    if (monitor->state() != DeviceMonitor::Idle) {
        qDebug() << "Cann`t start scan - DeviceMonitor is busy";
        return;
    }
    if (!(lastId >= firstId && firstId > 0)) {
        qDebug() << "Wrong scan range";
        return;
    }
    monitor->setState(DeviceMonitor::Scanning);
    monitor->model->clear();
    monitor->setCurrentDeviceId(-1);
    currentId = firstId;
    this->lastId = lastId;
    monitor->manager->read(firstId, probe);
}

void DeviceMonitorScanImpl::cancel()
{
    monitor->manager->cancelReads();
    finish();
}

void DeviceMonitorScanImpl::onDeviceDataProcessed(DeviceData *deviceData)
{
    // A write finishing during the scan is not a probe.
    if (deviceData != probe)
        return;
    // Timeouts, exception replies and corrupt frames all mean nobody is there.
    if (probe->isReadSuccessful())
        monitor->model->addDevice(currentId, probe->deviceInfo());
    emit monitor->scanProgress(currentId);

    if (++currentId <= lastId)
        monitor->manager->read(currentId, probe);
    else
        finish();
}

void DeviceMonitorScanImpl::finish()
{
    if (monitor->currentDeviceId() == -1 && monitor->model->rowCount() > 0)
        monitor->setCurrentDeviceId(monitor->model->deviceIdAt(0));
    monitor->setState(DeviceMonitor::Idle);
}
