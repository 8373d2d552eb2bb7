// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/devicetimedialog.h"
#include "common/logging.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "ui/dialogs/confirmation.h"
#include "ui/panels/attachblock.h"
#include "ui/panels/devicetimewidget.h"
#include "ui_devicetimedialog.h"

#include <QLocale>
#include <QMessageBox>
#include <QSignalBlocker>
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
    // A Set that never went out (not the relay shown, say) ends with the reason.
    connect(deviceMonitor, &DeviceMonitor::writeRefused, this, [this](int, const QString &reason) {
        if (pendingWrites.isEmpty())
            return;
        pendingWrites.removeFirst();
        showResult(reason, true);
    });
    setCurrentDevice(deviceMonitor->currentDeviceId());
    ui->setToAllButton->setEnabled(deviceMonitor->isConnected());
    connect(
        deviceMonitor, &DeviceMonitor::connected, this, &DeviceTimeDialog::ui_setStateConnected);
    ui->setButton->setEnabled(deviceMonitor->isCurrentDeviceAvailable());
    connect(deviceMonitor, &DeviceMonitor::currentDeviceAvailable, this,
        &DeviceTimeDialog::ui_setCurrentDeviceAvailable);

    timer->setInterval(clockInterval);
    connect(timer, &QTimer::timeout, this, &DeviceTimeDialog::updateDateTimeValue);

    connect(ui->autoDstCheckBox, &QCheckBox::stateChanged, this,
        &DeviceTimeDialog::onAutoDstStateChanged);
    showAutoDstUnknown();

    updateDateTimeValue();
    applySystemTimeMode();
    setDeviceTimeData(deviceTimeData);
}

DeviceTimeDialog::~DeviceTimeDialog() = default;

void DeviceTimeDialog::setDeviceTimeData(DeviceTimeData *data)
{
    // The DST check box follows the relay once per block, then the user.
    autoDstInitialized = false;
    if (!autoDstChosenByUser)
        showAutoDstUnknown();
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
    // Another relay: the flag read from the last one is not this one's.
    if (state == DeviceData::Resetting) {
        autoDstInitialized = false;
        if (!autoDstChosenByUser)
            showAutoDstUnknown();
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
        autoDstInitialized = true;
        if (!autoDstChosenByUser) {
            const QSignalBlocker notAChoice(ui->autoDstCheckBox);
            ui->autoDstCheckBox->setCheckState(
                deviceTime.autoDst.value == 1 ? Qt::Checked : Qt::Unchecked);
            showAutoDstKnown();
        }
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
    // A write cut off by closing the port ends without going out.
    if (!connected) {
        pendingWrites.clear();
        writing = false;
    }
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

// The box changes by itself only with its signals blocked: this is the user.
void DeviceTimeDialog::onAutoDstStateChanged(int state)
{
    if (state == Qt::PartiallyChecked)
        return;
    autoDstChosenByUser = true;
    showAutoDstKnown();
}

void DeviceTimeDialog::showAutoDstKnown()
{
    ui->autoDstCheckBox->setTristate(false);
    ui->autoDstCheckBox->setText(tr("Auto adjust for DST"));
}

void DeviceTimeDialog::showAutoDstUnknown()
{
    const QSignalBlocker notAChoice(ui->autoDstCheckBox);
    ui->autoDstCheckBox->setTristate(true);
    ui->autoDstCheckBox->setCheckState(Qt::PartiallyChecked);
    ui->autoDstCheckBox->setText(tr("Auto adjust for DST (not read yet)"));
}

bool DeviceTimeDialog::isAutoDstKnown() const
{
    return ui->autoDstCheckBox->checkState() != Qt::PartiallyChecked;
}

// A broadcast reaches every relay on the line, also those the scan did not
// list and those of another type, and none of them answers it.
bool DeviceTimeDialog::confirmSetToAll()
{
    const QString time
        = QLocale::system().toString(ui->dateTimeEdit->dateTime(), QLocale::ShortFormat);
    QStringList paragraphs;
    paragraphs << (ui->autoDstCheckBox->isChecked()
            ? tr("Every device on the line, listed or not, will be set to %1 with auto adjust "
                 "for DST enabled.")
            : tr("Every device on the line, listed or not, will be set to %1 with auto adjust "
                 "for DST disabled."))
                      .arg(time);
    if (ui->systemTimeCheckBox->isChecked())
        paragraphs << tr("The computer's clock is sent as it is when you confirm.");
    QStringList others;
    if (const DeviceListModel *model = deviceMonitor->deviceListModel()) {
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->isOfAnotherType(row))
                others << model->index(row).data().toString();
        }
    }
    if (!others.isEmpty())
        paragraphs << tr("Devices of another type receive it too: %1.")
                          .arg(others.join(QLatin1String(", ")));
    paragraphs << tr("Set the time of all devices?");

    return Confirmation::ask(this, QMessageBox::Question, tr("Set time of all devices"),
        paragraphs.join(QLatin1String("\n\n")), tr("Set to All"));
}

void DeviceTimeDialog::write(int slaveId)
{
    if (!deviceTimeData || !deviceMonitor)
        return;
    if (!isAutoDstKnown()) {
        showResult(tr("The relay's DST flag has not been read yet: choose \"Auto adjust for "
                      "DST\" before setting the time."),
            true);
        return;
    }
    if (slaveId == 0) {
        if (!confirmSetToAll() || !deviceTimeData || !deviceMonitor)
            return;
        if (ui->systemTimeCheckBox->isChecked())
            updateDateTimeValue();
    }
    // The worker reads the new time while the block is being written, also a write that still
    // waits its turn: a second Set would change the time the first one carries.
    if (!pendingWrites.isEmpty()) {
        qCDebug(lcUi) << "!!! Cann`t set time !!! The previous time is still being written";
        showResult(
            tr("The previous time is still being written; press Set again once it is."), true);
        return;
    }

    DeviceTime deviceTime;
    deviceTime.dateTime = validValue(ui->dateTimeEdit->dateTime());
    deviceTime.autoDst = validValue(ui->autoDstCheckBox->isChecked() ? 1 : 0);
    deviceTimeData->setNewDeviceTime(deviceTime);

    ui->writeResultLabel->clear();
    pendingWrites.append(slaveId);
    const bool sent = slaveId == 0 ? deviceMonitor->writeToAllDevices({ deviceTimeData.data() })
                                   : deviceMonitor->writeToCurrentDevice({ deviceTimeData.data() });
    // Not sent: the journal could not record it and the user kept it back.
    if (!sent)
        pendingWrites.removeLast();
}

void DeviceTimeDialog::showWriteResult(int slaveId)
{
    const bool written = deviceTimeData->isWriteSuccessful();
    // No relay answers a broadcast: one that went out is unconfirmed, not
    // failed. One cut short may have left part of it (the flag, say, without
    // the new time) in every relay.
    if (slaveId == 0) {
        showResult(written
                ? tr("The new time was sent to all devices; a broadcast is not confirmed.")
                : tr("The new time could not be sent to all devices; they may hold part of it "
                     "(the DST flag without the new time, say)."),
            !written);
        return;
    }
    showResult(written ? tr("Device %1 took the new time.").arg(slaveId)
                       : tr("Device %1 did not confirm the new time.").arg(slaveId),
        !written);
}

void DeviceTimeDialog::showResult(const QString &text, bool failure)
{
    ui->writeResultLabel->setStyleSheet(failure ? QLatin1String(failureStyle) : QString());
    ui->writeResultLabel->setText(text);
}
