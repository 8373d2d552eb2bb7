// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/deviceinfowidget.h"
#include "ui/statusstyle.h"
#include "ui_deviceinfowidget.h"

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
    const auto serialNumber = quint32(info.serialNumber.value);
    setLabelValue(ui->serialNumberValueLabel, info.serialNumber.status,
        QStringLiteral("%1").arg(serialNumber, 7, 10, QLatin1Char('0')));

    // Hundredths, always with a "." whatever the locale: 105 is version 1.05.
    const auto version = quint16(info.softwareVersion.value);
    setLabelValue(ui->softwareVersionValueLabel, info.softwareVersion.status,
        QStringLiteral("%1.%2").arg(version / 100).arg(version % 100, 2, 10, QLatin1Char('0')));

    setLabelValue(
        ui->modbusIdValueLabel, info.modbusId.status, QString::number(info.modbusId.value));
    setLabelValue(ui->modbusBaudRateValueLabel, info.modbusBaudRate.status,
        QString::number(info.modbusBaudRate.value));
}
