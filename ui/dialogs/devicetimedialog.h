// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICETIMEDIALOG_H
#define DEVICETIMEDIALOG_H

#include "devicedata/devicetimedata.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QScopedPointer>

class DeviceMonitor;
class QTimer;

namespace Ui {
class DeviceTimeDialog;
}

// Sets the relay clock of the current device, or of every device on the line
// at once through a broadcast. The new time is the computer's own clock unless
// the user picks another; the relay shows it after the next read of the block.
// The DST flag is written only once somebody chose it: the current relay's
// flag as read, or the user's click; until then the box is partly checked and
// neither button writes.
class DeviceTimeDialog : public QDialog
{
    Q_OBJECT

public:
    DeviceTimeDialog(
        DeviceTimeData *deviceTimeData, DeviceMonitor *deviceMonitor, QWidget *parent = nullptr);
    ~DeviceTimeDialog() override;

    void setDeviceTimeData(DeviceTimeData *deviceTimeData);

private slots:
    void onDeviceTimeStateChanged(DeviceData::State state);
    void updateDateTimeValue();
    void on_setButton_clicked();
    void on_setToAllButton_clicked();
    void on_systemTimeCheckBox_clicked(bool checked);
    void setCurrentDevice(int deviceId);
    void ui_setStateConnected(bool connected);
    void ui_setCurrentDeviceAvailable(bool available);

private:
    void applySystemTimeMode();
    void onAutoDstStateChanged(int state);
    void showAutoDstKnown();
    void showAutoDstUnknown();
    bool isAutoDstKnown() const;
    bool confirmSetToAll();
    void write(int slaveId);
    void showWriteResult(int slaveId);
    void showResult(const QString &text, bool failure);

    QScopedPointer<Ui::DeviceTimeDialog> ui;
    QPointer<DeviceTimeData> deviceTimeData;
    QPointer<DeviceMonitor> deviceMonitor;
    QTimer *timer;
    bool autoDstInitialized = false;
    // The user set the box: a relay read no longer overrides it.
    bool autoDstChosenByUser = false;
    // Slave IDs of the writes asked for and not yet finished, 0 for all devices.
    QList<int> pendingWrites;
    bool writing = false;
};

#endif // DEVICETIMEDIALOG_H
