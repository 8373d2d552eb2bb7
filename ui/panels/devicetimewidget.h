// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICETIMEWIDGET_H
#define DEVICETIMEWIDGET_H

#include "devicedata/devicetimedata.h"

#include <QGroupBox>
#include <QPointer>
#include <QScopedPointer>

class QLabel;

namespace Ui {
class DeviceTimeWidget;
}

// The relay clock and its daylight-saving flag. The main window opens the
// device time dialog from this panel's setTimeButton, which it reaches by
// object name.
class DeviceTimeWidget : public QGroupBox
{
    Q_OBJECT

public:
    explicit DeviceTimeWidget(QWidget *parent = nullptr);
    ~DeviceTimeWidget() override;

    void setDeviceTimeData(DeviceTimeData *deviceTimeData);

    // Shared with the device time dialog, which shows the same two values.
    static void showDeviceTime(
        const DeviceTime &deviceTime, QLabel *dateTimeLabel, QLabel *autoDstLabel);

public slots:
    void onDeviceTimeStateChanged(DeviceData::State state);

private:
    QScopedPointer<Ui::DeviceTimeWidget> ui;
    QPointer<DeviceTimeData> m_deviceTimeData;
};

#endif // DEVICETIMEWIDGET_H
