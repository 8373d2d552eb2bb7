// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/devicetimedialog.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "ui/attachblock.h"
#include "ui/devicetimewidget.h"
#include "ui_devicetimedialog.h"

#include <QDebug>
#include <QTimer>

namespace {

const int clockInterval = 250; // ms
const char failureStyle[] = "QLabel { color: red }";

} // namespace

DeviceTimeDialog::DeviceTimeDialog(
    DeviceTimeData *deviceTimeData, DeviceMonitor *deviceMonitor, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint),
      ui(new Ui::DeviceTimeDialog),
      deviceMonitor(deviceMonitor),
      timer(new QTimer(this))
{
    ui->setupUi(this);

    connect(deviceMonitor, &DeviceMonitor::currentDeviceIdChanged, this,
        &DeviceTimeDialog::setCurrentDevice);
    setCurrentDevice(deviceMonitor->currentDeviceId());
    ui->setToAllButton->setEnabled(deviceMonitor->isConnected());
    connect(
        deviceMonitor, &DeviceMonitor::connected, this, &DeviceTimeDialog::ui_setStateConnected);
    ui->setButton->setEnabled(deviceMonitor->isCurrentDeviceAvailable());
    connect(deviceMonitor, &DeviceMonitor::currentDeviceAvailable, this,
        &DeviceTimeDialog::ui_setCurrentDeviceAvailable);

    timer->setInterval(clockInterval);
    connect(timer, &QTimer::timeout, this, &DeviceTimeDialog::updateDateTimeValue);

    updateDateTimeValue();
    applySystemTimeMode();
    setDeviceTimeData(deviceTimeData);
}

DeviceTimeDialog::~DeviceTimeDialog() = default;

void DeviceTimeDialog::setDeviceTimeData(DeviceTimeData *data)
{
    // The DST check box follows the relay once per block, then the user.
    autoDstInitialized = false;
    pendingWrites.clear();
    writing = false;
    attachBlock(deviceTimeData, data, this, &DeviceTimeDialog::onDeviceTimeStateChanged);
}

void DeviceTimeDialog::onDeviceTimeStateChanged(DeviceData::State state)
{
    if (!deviceTimeData)
        return;
    if (state == DeviceData::Writing) {
        writing = true;
        return;
    }
    if (state != DeviceData::Inactive)
        return;
    if (writing) {
        writing = false;
        if (!pendingWrites.isEmpty())
            showWriteResult(pendingWrites.takeFirst());
    }

    const DeviceTime &deviceTime = deviceTimeData->deviceTime();
    DeviceTimeWidget::showDeviceTime(deviceTime, ui->dateTimeLabel, ui->autoDstLabel);
    const DataStatus dstStatus = deviceTime.autoDst.status;
    if (!autoDstInitialized && (dstStatus == Valid || dstStatus == Outdated)) {
        ui->autoDstCheckBox->setChecked(deviceTime.autoDst.value == 1);
        autoDstInitialized = true;
    }
}

void DeviceTimeDialog::updateDateTimeValue()
{
    ui->dateTimeEdit->setDateTime(QDateTime::currentDateTime());
}

void DeviceTimeDialog::on_setButton_clicked()
{
    if (deviceMonitor)
        write(deviceMonitor->currentDeviceId());
}

void DeviceTimeDialog::on_setToAllButton_clicked()
{
    write(0);
}

void DeviceTimeDialog::on_systemTimeCheckBox_clicked(bool)
{
    applySystemTimeMode();
}

void DeviceTimeDialog::setCurrentDevice(int deviceId)
{
    const DeviceListModel *model = deviceMonitor ? deviceMonitor->deviceListModel() : nullptr;
    const int row = model ? model->rowOfDevice(deviceId) : -1;
    if (row < 0)
        setWindowTitle(tr("Set time"));
    else
        setWindowTitle(tr("Set time - %1").arg(model->index(row).data().toString()));
}

void DeviceTimeDialog::ui_setStateConnected(bool connected)
{
    ui->setToAllButton->setEnabled(connected);
}

void DeviceTimeDialog::ui_setCurrentDeviceAvailable(bool available)
{
    ui->setButton->setEnabled(available);
}

void DeviceTimeDialog::applySystemTimeMode()
{
    const bool systemTime = ui->systemTimeCheckBox->isChecked();
    ui->dateTimeEdit->setReadOnly(systemTime);
    ui->dateTimeEdit->setFocusPolicy(systemTime ? Qt::ClickFocus : Qt::WheelFocus);
    if (systemTime) {
        updateDateTimeValue();
        timer->start();
    } else {
        timer->stop();
    }
}

void DeviceTimeDialog::write(int slaveId)
{
    if (!deviceTimeData || !deviceMonitor)
        return;
    // The worker reads the new time while the block is being written.
    if (deviceTimeData->state() == DeviceData::Writing) {
        qDebug() << "!!! Cann`t set time !!! The previous time is still being written";
        return;
    }

    DeviceTime deviceTime;
    deviceTime.dateTime = validValue(ui->dateTimeEdit->dateTime());
    deviceTime.autoDst = validValue(ui->autoDstCheckBox->isChecked() ? 1 : 0);
    deviceTimeData->setNewDeviceTime(deviceTime);

    ui->writeResultLabel->clear();
    pendingWrites.append(slaveId);
    if (slaveId == 0)
        deviceMonitor->writeToAllDevices({ deviceTimeData.data() });
    else
        deviceMonitor->writeToCurrentDevice({ deviceTimeData.data() });
}

void DeviceTimeDialog::showWriteResult(int slaveId)
{
    QLabel *label = ui->writeResultLabel;
    // No relay answers a broadcast, so its outcome is unknown, not failed.
    if (slaveId == 0) {
        label->setStyleSheet(QString());
        label->setText(tr("The new time was sent to all devices; a broadcast is not confirmed."));
        return;
    }
    if (deviceTimeData->isWriteSuccessful()) {
        label->setStyleSheet(QString());
        label->setText(tr("Device %1 took the new time.").arg(slaveId));
        return;
    }
    label->setStyleSheet(QLatin1String(failureStyle));
    // It may hold part of it: the flag, say, without the new time.
    label->setText(tr("Device %1 did not confirm the new time.").arg(slaveId));
}
