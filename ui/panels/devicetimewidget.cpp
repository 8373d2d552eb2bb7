// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/panels/devicetimewidget.h"
#include "ui/panels/attachblock.h"
#include "ui/statusstyle.h"
#include "ui_devicetimewidget.h"

#include <QLocale>

DeviceTimeWidget::DeviceTimeWidget(QWidget *parent)
    : QGroupBox(parent), ui(new Ui::DeviceTimeWidget)
{
    ui->setupUi(this);
}

DeviceTimeWidget::~DeviceTimeWidget() = default;

void DeviceTimeWidget::setDeviceTimeData(DeviceTimeData *data)
{
    attachBlock(m_deviceTimeData, data, this, &DeviceTimeWidget::onDeviceTimeStateChanged);
}

void DeviceTimeWidget::showDeviceTime(
    const DeviceTime &deviceTime, QLabel *dateTimeLabel, QLabel *autoDstLabel)
{
    // An impossible clock (month 0, say) reads as an empty text.
    setLabelValue(dateTimeLabel, deviceTime.dateTime.status,
        QLocale::system().toString(deviceTime.dateTime.value, QLocale::ShortFormat));
    // Only 1 switches the adjustment on; the relay treats any other value as off.
    setLabelValue(autoDstLabel, deviceTime.autoDst.status,
        deviceTime.autoDst.value == 1 ? tr("Auto adjust for DST enabled")
                                      : tr("Auto adjust for DST disabled"),
        tr("Auto adjust for DST -"));
}

void DeviceTimeWidget::onDeviceTimeStateChanged(DeviceData::State state)
{
    if (state == DeviceData::Inactive && m_deviceTimeData)
        showDeviceTime(m_deviceTimeData->deviceTime(), ui->dateTimeLabel, ui->autoDstLabel);
}
