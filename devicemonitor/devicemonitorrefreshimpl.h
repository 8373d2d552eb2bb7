// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICEMONITORREFRESHIMPL_H
#define DEVICEMONITORREFRESHIMPL_H

#include <QObject>

class DeviceData;
class DeviceMonitor;
class QTimer;

// Reads the current device's blocks once, or on a timer while auto-refresh is
// on. Ticks count from the start of the refresh; one that comes while a pass
// is still running is skipped rather than queued behind it.
class DeviceMonitorRefreshImpl : public QObject
{
    Q_OBJECT

public:
    explicit DeviceMonitorRefreshImpl(DeviceMonitor *monitor);

    void refresh();
    void readDeviceData();
    void stop();
    void onDeviceDataProcessed(DeviceData *) { }
    void onAllDeviceDataProcessed();

    void setAutoRefreshEnabled(bool enabled) { autoRefreshEnabled = enabled; }
    void setAutoRefreshDelay(int milliseconds);
    int autoRefreshDelay() const;

private slots:
    void onAutoRefreshDelayExpired();

private:
    DeviceMonitor *monitor;
    QTimer *autoRefreshTimer;
    bool autoRefreshEnabled = false;
    bool refreshInProgress = false;
};

#endif // DEVICEMONITORREFRESHIMPL_H
