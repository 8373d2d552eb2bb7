// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICEMONITORSCANIMPL_H
#define DEVICEMONITORSCANIMPL_H

#include <QObject>

class DeviceData;
class DeviceInfoData;
class DeviceMonitorActivityHost;

// Finds the relays of a slave ID range by reading the identity block from
// each ID in turn; every ID whose read succeeds becomes a row of the device
// list. The next probe is issued only when the previous one has finished.
class DeviceMonitorScanImpl : public QObject
{
    Q_OBJECT

public:
    // The monitor, through its view for the helpers, and as the parent.
    DeviceMonitorScanImpl(DeviceMonitorActivityHost *monitor, QObject *parent);

    void scan(int firstId, int lastId);
    void cancel();
    void onDeviceDataProcessed(DeviceData *deviceData);
    void onAllDeviceDataProcessed() { }

private:
    void finish();

    DeviceMonitorActivityHost *const m_monitor;
    DeviceInfoData *m_probe;
    int m_lastId = 0;
    int m_currentId = 0;
};

#endif // DEVICEMONITORSCANIMPL_H
