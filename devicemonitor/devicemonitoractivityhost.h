// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICEMONITORACTIVITYHOST_H
#define DEVICEMONITORACTIVITYHOST_H

#include "devicemonitor/devicemonitor.h"

#include <QList>

class DeviceData;
class DeviceListModel;
class TurnaroundStats;

// What the scanner and the refresher may read of their monitor and ask of it.
// The monitor hands this view to those two alone; everyone else has its
// public operations, which never change the state directly.
class DeviceMonitorActivityHost
{
public:
    virtual ~DeviceMonitorActivityHost() = default;

    virtual DeviceMonitor::State state() const = 0;
    virtual void setState(DeviceMonitor::State state) = 0;
    virtual int currentDeviceId() const = 0;
    virtual void setCurrentDeviceId(int deviceId) = 0;
    // The blocks a refresh reads, as the main window last set them.
    virtual QList<DeviceData *> deviceDataList() const = 0;
    // The device list a scan fills.
    virtual DeviceListModel *model() const = 0;
    // The manager's read() and cancelReads().
    virtual void read(int slaveId, DeviceData *deviceData) = 0;
    virtual void cancelReads() = 0;
    virtual void reportScanProgress(int deviceId) = 0;
    // How quickly the line's relays have answered, and the configured response timeout.
    virtual const TurnaroundStats &turnarounds() const = 0;
    virtual int responseTimeout() const = 0;
};

#endif // DEVICEMONITORACTIVITYHOST_H
