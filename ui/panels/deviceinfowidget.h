// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICEINFOWIDGET_H
#define DEVICEINFOWIDGET_H

#include "devicedata/deviceinfodata.h"

#include <QGroupBox>
#include <QScopedPointer>

namespace Ui {
class DeviceInfoWidget;
}

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
