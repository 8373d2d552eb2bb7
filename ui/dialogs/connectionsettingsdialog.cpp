// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/connectionsettingsdialog.h"
#include "devicemonitor/timingadvice.h"
#include "modbus/serialportsettings.h"
#include "ui_connectionsettingsdialog.h"

#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSerialPortInfo>
#include <QTimer>

#include <algorithm>

namespace {

const int maxPortItemLength = 40;
// Adapters plugged in or pulled out show in the list within this time.
const int portWatchIntervalMs = 1000;
const int serialNumberRole = Qt::UserRole + 1;

// "COM10" is port 10; a name without a number counts as port 0.
int portNumber(QString portName)
{
    return portName.remove(QStringLiteral("COM")).toInt();
}

void selectData(QComboBox *comboBox, const QVariant &data)
{
    comboBox->setCurrentIndex(comboBox->findData(data));
}

} // namespace

ConnectionSettingsDialog::ConnectionSettingsDialog(ConnectionSettings &settings, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint),
      ui(new Ui::ConnectionSettingsDialog),
      settings(settings),
      portWatch(new QTimer(this))
{
    ui->setupUi(this);
    // Shown by setTiming().
    ui->timingGroupBox->hide();
    connect(this, &QDialog::accepted, this, &ConnectionSettingsDialog::onDialogAccepted);
    portWatch->setInterval(portWatchIntervalMs);
    connect(portWatch, &QTimer::timeout, this, &ConnectionSettingsDialog::onPortWatchTimeout);
    portWatch->start();

    fillPortNames();
    fillBaudRates();
    fillDataBits();
    fillParity();
    fillStopBits();
    fillNetworkChoices();

    const SerialPortSettings &line = settings.serialPortSettings;
    selectPortName(settings.portName);
    selectBaudRate(line.baudRate());
    selectParity(line.parity());
    selectDataBits(line.dataBits());
    selectStopBits(line.stopBits());
    ui->hostLineEdit->setText(settings.host);
    ui->tcpPortSpinBox->setValue(settings.tcpPort);
    selectData(ui->protocolComboBox, settings.protocol);
    selectData(ui->linkComboBox, settings.link);
    showLink();
}

ConnectionSettingsDialog::~ConnectionSettingsDialog() = default;

void ConnectionSettingsDialog::setTiming(DeviceSettings &timing, const TurnaroundStats &turnarounds)
{
    this->timing = &timing;
    ui->responseTimeoutSpinBox->setValue(timing.responseTimeout);
    ui->readinessDelaySpinBox->setValue(timing.readinessDelay);
    ui->thoroughScanCheckBox->setChecked(timing.thoroughScan);
    const TimingAdvice advice(turnarounds);
    ui->timingAdviceLabel->setText(advice.text());
    proposedTimeoutMs = advice.hasProposal() ? advice.proposedTimeoutMs() : 0;
    ui->takeProposalButton->setEnabled(advice.hasProposal());
    if (advice.hasProposal())
        ui->takeProposalButton->setText(tr("Use %1 ms").arg(proposedTimeoutMs));
    ui->readinessAdviceLabel->setText(TimingAdvice::readinessDelayText());
    ui->timingGroupBox->setVisible(true);
    adjustSize();
}

void ConnectionSettingsDialog::on_takeProposalButton_clicked()
{
    ui->responseTimeoutSpinBox->setValue(proposedTimeoutMs);
}

QString ConnectionSettingsDialog::portItemText(
    const QString &portName, const QString &description, const QString &serialNumber)
{
    QString text = QStringLiteral("%1 (%2)").arg(portName, description);
    if (text.length() > maxPortItemLength)
        text = text.left(maxPortItemLength - 4) + QStringLiteral(" ...)");
    if (serialNumber.isEmpty())
        return text;
    return tr("%1, serial number %2").arg(text, serialNumber);
}

bool ConnectionSettingsDialog::portNameLessThan(const QString &first, const QString &second)
{
    const int firstNumber = portNumber(first);
    const int secondNumber = portNumber(second);
    if (firstNumber != secondNumber)
        return firstNumber < secondNumber;
    return first < second;
}

void ConnectionSettingsDialog::fillPortNames()
{
    ui->portNameComboBox->clear();
    QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    std::sort(ports.begin(), ports.end(), [](const QSerialPortInfo &a, const QSerialPortInfo &b) {
        return portNameLessThan(a.portName(), b.portName());
    });
    for (const QSerialPortInfo &port : qAsConst(ports)) {
        ui->portNameComboBox->addItem(
            portItemText(port.portName(), port.description(), port.serialNumber()),
            port.portName());
        ui->portNameComboBox->setItemData(
            ui->portNameComboBox->count() - 1, port.serialNumber(), serialNumberRole);
    }

#ifdef Q_OS_UNIX
    // A pseudo-terminal (a simulator's, say) or a symbolic link to a port is
    // not listed by the system, yet it opens like a port: keep offering the
    // configured one while it exists, or saving would lose it.
    const QString configured = settings.portName;
    if (!configured.isEmpty() && findPortName(configured) < 0
        && QFileInfo::exists(serialDevicePath(configured)))
        ui->portNameComboBox->addItem(configured, configured);
#endif
    shownPorts = portListSignature();
}

QStringList ConnectionSettingsDialog::portListSignature() const
{
    QStringList signature;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        signature << port.portName() + QLatin1Char('\n') + port.serialNumber();
    signature.sort();
#ifdef Q_OS_UNIX
    if (QFileInfo::exists(serialDevicePath(settings.portName)))
        signature << settings.portName;
#endif
    return signature;
}

void ConnectionSettingsDialog::fillBaudRates()
{
    ui->baudRateComboBox->clear();
    const QList<qint32> rates = QSerialPortInfo::standardBaudRates();
    for (qint32 rate : rates)
        ui->baudRateComboBox->addItem(QString::number(rate), uint(rate));
}

void ConnectionSettingsDialog::fillDataBits()
{
    ui->dataBitsComboBox->clear();
    for (int bits = 5; bits <= 8; ++bits)
        ui->dataBitsComboBox->addItem(QString::number(bits), bits);
}

void ConnectionSettingsDialog::fillParity()
{
    ui->parityComboBox->clear();
    ui->parityComboBox->addItem(tr("None", "parity"), SerialPortSettings::NoParity);
    ui->parityComboBox->addItem(tr("Even", "parity"), SerialPortSettings::EvenParity);
    ui->parityComboBox->addItem(tr("Odd", "parity"), SerialPortSettings::OddParity);
}

void ConnectionSettingsDialog::fillStopBits()
{
    ui->stopBitsComboBox->clear();
    ui->stopBitsComboBox->addItem(QStringLiteral("1"), 1);
    ui->stopBitsComboBox->addItem(QStringLiteral("2"), 2);
}

void ConnectionSettingsDialog::fillNetworkChoices()
{
    ui->linkComboBox->addItem(tr("Serial port"), ConnectionSettings::SerialLink);
    ui->linkComboBox->addItem(tr("Network"), ConnectionSettings::NetworkLink);
    ui->protocolComboBox->addItem(tr("Modbus TCP"), ConnectionSettings::ModbusTcp);
    ui->protocolComboBox->addItem(tr("RTU over TCP"), ConnectionSettings::RtuOverTcp);
    ui->protocolComboBox->setToolTip(
        tr("Modbus TCP for a Modbus gateway; RTU over TCP for a serial device server that "
           "passes the line's bytes through unchanged"));
    // A host name or an IPv4 or IPv6 address, nothing a resolver would choke on.
    ui->hostLineEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z0-9._:-]{0,253}")), ui->hostLineEdit));
}

// Only the fields of the chosen link are shown, and a network link needs a
// host before it can be saved.
void ConnectionSettingsDialog::showLink()
{
    const bool network = ui->linkComboBox->currentData().toInt() == ConnectionSettings::NetworkLink;
    const QList<QWidget *> serialWidgets = { ui->portNameLabel, ui->portNameComboBox,
        ui->refreshPortNameListButton, ui->descriptionLabel, ui->descritptionValueLabel,
        ui->manufacturerLabel, ui->manufacturerValueLabel, ui->baudRateLabel, ui->baudRateComboBox,
        ui->parityLabel, ui->parityComboBox, ui->dataBitsLabel, ui->dataBitsComboBox,
        ui->stopBitsLabel, ui->stopBitsComboBox };
    for (QWidget *widget : serialWidgets)
        widget->setVisible(!network);
    ui->networkGroupBox->setVisible(network);
    ui->saveButton->setEnabled(!network || !ui->hostLineEdit->text().trimmed().isEmpty());
    adjustSize();
}

// "ttyUSB0" and "/dev/ttyUSB0" name the same port.
int ConnectionSettingsDialog::findPortName(const QString &portName) const
{
    const QString path = serialDevicePath(portName);
    for (int i = 0; i < ui->portNameComboBox->count(); ++i) {
        if (serialDevicePath(ui->portNameComboBox->itemData(i).toString()) == path)
            return i;
    }
    return -1;
}

void ConnectionSettingsDialog::selectPortName(const QString &portName)
{
    selectedPortName = portName;
    const int index = findPortName(portName);
    ui->portNameComboBox->setCurrentIndex(index);
    // Kept while the port is away, to know it again by.
    if (index >= 0)
        selectedSerialNumber = ui->portNameComboBox->itemData(index, serialNumberRole).toString();
}

void ConnectionSettingsDialog::selectBaudRate(int baudRate)
{
    selectData(ui->baudRateComboBox, uint(baudRate));
}

void ConnectionSettingsDialog::selectParity(int parity)
{
    selectData(ui->parityComboBox, parity);
}

void ConnectionSettingsDialog::selectDataBits(int dataBits)
{
    selectData(ui->dataBitsComboBox, dataBits);
}

void ConnectionSettingsDialog::selectStopBits(int stopBits)
{
    selectData(ui->stopBitsComboBox, stopBits);
}

void ConnectionSettingsDialog::on_portNameComboBox_activated(int index)
{
    selectedPortName = ui->portNameComboBox->itemData(index).toString();
    selectedSerialNumber = ui->portNameComboBox->itemData(index, serialNumberRole).toString();
}

void ConnectionSettingsDialog::on_portNameComboBox_currentIndexChanged(int index)
{
    const QSerialPortInfo port(ui->portNameComboBox->itemData(index).toString());
    ui->descritptionValueLabel->setText(port.description());
    ui->manufacturerValueLabel->setText(port.manufacturer());
}

void ConnectionSettingsDialog::on_refreshPortNameListButton_clicked()
{
    refreshPortNames();
}

void ConnectionSettingsDialog::onPortWatchTimeout()
{
    if (portListSignature() != shownPorts)
        refreshPortNames();
}

// Keeps the chosen port; an adapter that came back under another name is
// found again by its serial number.
void ConnectionSettingsDialog::refreshPortNames()
{
    fillPortNames();
    if (findPortName(selectedPortName) < 0 && !selectedSerialNumber.isEmpty()) {
        const int index = ui->portNameComboBox->findData(selectedSerialNumber, serialNumberRole);
        if (index >= 0)
            selectedPortName = ui->portNameComboBox->itemData(index).toString();
    }
    selectPortName(selectedPortName);
}

void ConnectionSettingsDialog::on_linkComboBox_currentIndexChanged(int index)
{
    Q_UNUSED(index)
    showLink();
}

void ConnectionSettingsDialog::on_hostLineEdit_textChanged(const QString &text)
{
    Q_UNUSED(text)
    showLink();
}

void ConnectionSettingsDialog::onDialogAccepted()
{
    settings.link = ConnectionSettings::Link(ui->linkComboBox->currentData().toInt());
    settings.host = ui->hostLineEdit->text().trimmed();
    settings.tcpPort = ui->tcpPortSpinBox->value();
    settings.protocol
        = ConnectionSettings::NetworkProtocol(ui->protocolComboBox->currentData().toInt());
    settings.portName = ui->portNameComboBox->currentData().toString();
    SerialPortSettings &line = settings.serialPortSettings;
    line.setBaudRate(ui->baudRateComboBox->currentData().toInt());
    line.setParity(ui->parityComboBox->currentData().toInt());
    line.setDataBits(ui->dataBitsComboBox->currentData().toInt());
    line.setStopBits(ui->stopBitsComboBox->currentData().toInt());
    if (timing) {
        timing->responseTimeout = ui->responseTimeoutSpinBox->value();
        timing->readinessDelay = ui->readinessDelaySpinBox->value();
        timing->thoroughScan = ui->thoroughScanCheckBox->isChecked();
    }
}
