// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICEMONITORSCANIMPL_H
#define DEVICEMONITORSCANIMPL_H

#include <QObject>

class DeviceData;
class DeviceInfoData;
class DeviceMonitor;

// Finds the relays of a slave ID range by reading the identity block from
// each ID in turn; every ID whose read succeeds becomes a row of the device
// list. The next probe is issued only when the previous one has finished.
class DeviceMonitorScanImpl : public QObject
{
    Q_OBJECT

public:
    explicit DeviceMonitorScanImpl(DeviceMonitor *monitor);

    void scan(int firstId, int lastId);
    void cancel();
    void onDeviceDataProcessed(DeviceData *deviceData);
    void onAllDeviceDataProcessed() { }

private:
    void finish();

    DeviceMonitor *monitor;
    DeviceInfoData *probe;
    int lastId = 0;
    int currentId = 0;
};

#endif // DEVICEMONITORSCANIMPL_H
