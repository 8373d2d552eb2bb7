// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICEINFOWIDGET_H
#define DEVICEINFOWIDGET_H

#include "devicedata/deviceinfodata.h"

#include <QGroupBox>
#include <QScopedPointer>

namespace Ui {
class DeviceInfoWidget;
}

// The identity values as the panel shows them, for every other place that
// names the relay: the serial number with seven digits, the software version
// from hundredths.
QString serialNumberText(const DataValue &serialNumber);
QString softwareVersionText(const DataValue &softwareVersion);

// The identity of the current device, as the scan found it.
class DeviceInfoWidget : public QGroupBox
{
    Q_OBJECT

public:
    explicit DeviceInfoWidget(QWidget *parent = nullptr);
    ~DeviceInfoWidget() override;

    // An all-NoData record shows "-" everywhere: there is no current device.
    void setDeviceInfo(const DeviceInfo &info);

private:
    QScopedPointer<Ui::DeviceInfoWidget> ui;
};

#endif // DEVICEINFOWIDGET_H
