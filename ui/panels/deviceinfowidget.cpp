// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/deviceinfowidget.h"
#include "ui/statusstyle.h"
#include "ui_deviceinfowidget.h"

#include "devicedata/identitytext.h"

DeviceInfoWidget::DeviceInfoWidget(QWidget *parent)
    : QGroupBox(parent), ui(new Ui::DeviceInfoWidget)
{
    ui->setupUi(this);
    // The device list already names the device by its ID, and the baud rate
    // is the line's own.
    for (QWidget *widget : { ui->modbusIdLabel, ui->modbusIdValueLabel, ui->modbusBaudRateLabel,
             ui->modbusBaudRateValueLabel })
        widget->hide();
    setDeviceInfo(DeviceInfo());
}

DeviceInfoWidget::~DeviceInfoWidget() = default;

void DeviceInfoWidget::setDeviceInfo(const DeviceInfo &info)
{
    setLabelValue(
        ui->serialNumberValueLabel, info.serialNumber.status, serialNumberText(info.serialNumber));
    setLabelValue(ui->softwareVersionValueLabel, info.softwareVersion.status,
        softwareVersionText(info.softwareVersion));

    setLabelValue(
        ui->modbusIdValueLabel, info.modbusId.status, QString::number(info.modbusId.value));
    setLabelValue(ui->modbusBaudRateValueLabel, info.modbusBaudRate.status,
        QString::number(info.modbusBaudRate.value));
}
