// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICEMONITORREFRESHIMPL_H
#define DEVICEMONITORREFRESHIMPL_H

#include <QObject>

class DeviceData;
class DeviceMonitorActivityHost;
class QTimer;

// Reads the current device's blocks once, or on a timer while auto-refresh is
// on. Ticks count from the start of the refresh; one that comes while a pass
// is still running is skipped rather than queued behind it.
class DeviceMonitorRefreshImpl : public QObject
{
    Q_OBJECT

public:
    // The monitor, through its view for the helpers, and as the parent.
    DeviceMonitorRefreshImpl(DeviceMonitorActivityHost *monitor, QObject *parent);

    void refresh();
    void readDeviceData();
    void stop();
    void onDeviceDataProcessed(DeviceData *) { }
    void onAllDeviceDataProcessed();

    void setAutoRefreshEnabled(bool enabled) { m_autoRefreshEnabled = enabled; }
    void setAutoRefreshDelay(int milliseconds);
    int autoRefreshDelay() const;

private slots:
    void onAutoRefreshDelayExpired();

private:
    DeviceMonitorActivityHost *const m_monitor;
    QTimer *m_autoRefreshTimer;
    bool m_autoRefreshEnabled = false;
    bool m_refreshInProgress = false;
};

#endif // DEVICEMONITORREFRESHIMPL_H
