// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/deviceinfowidget.h"
#include "ui/statusstyle.h"
#include "ui_deviceinfowidget.h"

QString serialNumberText(const DataValue &serialNumber)
{
    return QStringLiteral("%1").arg(quint32(serialNumber.value), 7, 10, QLatin1Char('0'));
}

// Hundredths, always with a "." whatever the locale: 105 is version 1.05.
QString softwareVersionText(const DataValue &softwareVersion)
{
    const auto version = quint16(softwareVersion.value);
    return QStringLiteral("%1.%2").arg(version / 100).arg(version % 100, 2, 10, QLatin1Char('0'));
}

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
