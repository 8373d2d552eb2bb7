// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settingsfiles/settingscomparisondialog.h"
#include "ui_settingscomparisondialog.h"

#include "app/settings.h"
#include "devicedata/identitytext.h"
#include "devicedata/modulesdata.h"
#include "devicedata/sendplan.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/settingscomparisonmodel.h"
#include "devicemonitor/settingstransfer.h"
#include "ui/settingsfiles/planquestion.h"

#include <QCloseEvent>
#include <QDir>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>

SettingsComparisonDialog::SettingsComparisonDialog(DeviceMonitor *monitor, const SettingsFile &file,
    const QString &fileName, Mode mode, QWidget *parent)
    : QDialog(parent),
      ui(new Ui::SettingsComparisonDialog),
      m_monitor(monitor),
      m_transfer(new SettingsTransfer(monitor, this)),
      m_model(new SettingsComparisonModel(this)),
      m_file(file),
      m_mode(mode)
{
    ui->setupUi(this);
    ui->comparisonTableView->setModel(m_model);
    ui->comparisonTableView->horizontalHeader()->setSectionResizeMode(
        QHeaderView::ResizeToContents);
    ui->fileLabel->setText(tr("File: %1").arg(QDir::toNativeSeparators(fileName)));
    // A file edited since it was saved is compared and sent all the same, but not unawares.
    showWarnings(QStringList());
    showFingerprints(nullptr);
    ui->sendDifferencesButton->setVisible(mode == CompareAndSend);
    ui->sendAllButton->setVisible(mode == CompareAndSend);

    connect(m_transfer, &SettingsTransfer::relayRead, this, &SettingsComparisonDialog::onRelayRead);
    connect(m_transfer, &SettingsTransfer::sendFinished, this,
        &SettingsComparisonDialog::onSendFinished);
    connect(m_transfer, &SettingsTransfer::failed, this, &SettingsComparisonDialog::onFailed);
    // What is shown belongs to one relay; it must not be sent to another.
    connect(m_transfer, &SettingsTransfer::relayLost, this, &SettingsComparisonDialog::onRelayLost);

    const int slaveId = monitor->currentDeviceId();
    showState(tr("Reading the settings of Device %1…").arg(slaveId), false);
    m_transfer->readCurrentDevice();
    updateButtons();
}

SettingsComparisonDialog::~SettingsComparisonDialog()
{
    delete ui;
}

void SettingsComparisonDialog::onRelayRead(const RelaySettings &relay)
{
    if (m_valuesToSend.isEmpty())
        showComparison(relay);
    else
        sendIfUnchanged(relay);
}

void SettingsComparisonDialog::sendIfUnchanged(const RelaySettings &relay)
{
    const SettingsValues values = m_valuesToSend;
    m_valuesToSend.clear();
    const RelaySettings &compared = m_model->relay();
    if (relay.values != compared.values || relay.identity.modules != compared.identity.modules
        || relay.identity.serialNumber != compared.identity.serialNumber
        || relay.identity.deviceTypeCode != compared.identity.deviceTypeCode
        || relay.identity.softwareVersion != compared.identity.softwareVersion) {
        showComparison(relay);
        const QString text = tr("Device %1 changed since the comparison; nothing was written. "
                                "Check the new comparison and send again.")
                                 .arg(relay.identity.slaveId);
        showState(text, true);
        emit statusMessage(text);
        return;
    }
    showState(tr("Writing to Device %1 and reading it back…").arg(relay.identity.slaveId), false);
    m_transfer->send(SendPlan(m_model->relay(), values));
    updateButtons();
}

void SettingsComparisonDialog::showComparison(const RelaySettings &relay)
{
    m_relayKnown = true;
    m_model->setSettings(relay, m_file.relay.values);

    m_otherType = m_file.relay.identity.deviceTypeCode != relay.identity.deviceTypeCode;
    showWarnings(identityDifferences(relay.identity));
    showFingerprints(&relay);

    const int differences = m_model->differenceCount();
    if (differences == 0)
        showState(
            tr("Device %1 holds the settings of the file.").arg(relay.identity.slaveId), false);
    else
        showState(tr("Values that differ from the file: %1 (Device %2).")
                      .arg(differences)
                      .arg(relay.identity.slaveId),
            false);
    updateButtons();
}

void SettingsComparisonDialog::showWarnings(QStringList warnings)
{
    const QString altered = m_file.alterationWarning();
    if (!altered.isEmpty())
        warnings.prepend(altered);
    ui->warningLabel->setText(warnings.join(QLatin1Char('\n')));
    ui->warningLabel->setStyleSheet(QStringLiteral("QLabel { color: red; }"));
    ui->warningLabel->setVisible(!warnings.isEmpty());
}

void SettingsComparisonDialog::showFingerprints(const RelaySettings *relay)
{
    const auto text = [](const std::optional<quint32> &fingerprint) {
        return fingerprint ? fingerprintText(*fingerprint) : QStringLiteral("-");
    };
    const std::optional<quint32> file = m_file.fingerprint();
    const std::optional<quint32> held
        = relay ? settingsFingerprint(relay->values) : std::optional<quint32>();
    if (file && held && *file == *held)
        ui->fingerprintLabel->setText(
            tr("Settings fingerprint: file %1, relay %2: identical").arg(text(file), text(held)));
    else if (held)
        ui->fingerprintLabel->setText(
            tr("Settings fingerprint: file %1, relay %2: different").arg(text(file), text(held)));
    else
        ui->fingerprintLabel->setText(
            tr("Settings fingerprint: file %1, relay %2").arg(text(file), text(held)));
}

void SettingsComparisonDialog::on_sendDifferencesButton_clicked()
{
    send(m_model->differences());
}

void SettingsComparisonDialog::on_sendAllButton_clicked()
{
    send(m_file.relay.values);
}

void SettingsComparisonDialog::on_closeButton_clicked()
{
    close();
}

void SettingsComparisonDialog::closeEvent(QCloseEvent *event)
{
    if (m_transfer->isBusy())
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void SettingsComparisonDialog::reject()
{
    if (!m_transfer->isBusy())
        QDialog::reject();
}

void SettingsComparisonDialog::send(const SettingsValues &values)
{
    if (!isReady() || m_otherType || values.isEmpty())
        return;
    SettingsValues toWrite = values;
    for (quint16 address : std::as_const(m_file.unusedOutOfRange))
        toWrite.remove(address);
    if (toWrite.isEmpty())
        return;
    const SendPlan plan(m_model->relay(), toWrite);
    QStringList skipped;
    if (!plan.skipped().isEmpty()) {
        QStringList names;
        for (quint16 address : plan.skipped()) {
            const SettingsField *field = settingsFieldAt(address);
            names.append(field ? plainLabel(field->description) : QString::number(address));
        }
        skipped.append(tr("Not written, the relay lacks their modules: %1.")
                           .arg(names.join(tr(", ", "list separator"))));
    }
    // Nothing would go out, and nothing would come back to end the send.
    if (plan.steps().isEmpty()) {
        showState(skipped.value(0), true);
        return;
    }
    const bool write = askToWritePlan(this, tr("Send settings"), plan,
        identityDifferences(plan.relay().identity), skipped,
        m_monitor->deviceSettings().readinessDelay);
    // The relay may have gone while the question was open.
    if (!write || !isReady())
        return;
    const RelayIdentity &relay = plan.relay().identity;
    // What the question named is written only if the relay still holds what it was based on.
    showState(tr("Reading Device %1 again before writing…").arg(relay.slaveId), false);
    m_valuesToSend = toWrite;
    m_transfer->readCurrentDevice();
    updateButtons();
}

namespace {

// The modules' own short names, the same in every language.
QString modulesText(qint64 modules)
{
    static const std::pair<qint64, const char *> Names[] = { { ModuleApv, "APV" },
        { ModuleInd, "IND" }, { ModuleZnz3I0, "3I0" }, { ModuleZnz3U0, "3U0" } };
    QStringList names;
    for (const auto &name : Names) {
        if (modules & name.first)
            names.append(QLatin1String(name.second));
    }
    return names.isEmpty() ? QStringLiteral("-") : names.join(QLatin1String(", "));
}

} // namespace

QStringList SettingsComparisonDialog::identityDifferences(const RelayIdentity &relay) const
{
    const RelayIdentity &fromFile = m_file.relay.identity;
    QStringList differences;
    if (fromFile.deviceTypeCode != relay.deviceTypeCode)
        differences.append(tr("The file was saved from a device of type %1, this relay is of "
                              "type %2: the file cannot be sent to it.")
                               .arg(fromFile.deviceTypeCode)
                               .arg(relay.deviceTypeCode));
    // Settings prepared without a relay name no serial number or software version.
    const bool fromRelay = !m_file.isPreparedWithoutRelay();
    if (fromRelay && fromFile.serialNumber != relay.serialNumber)
        differences.append(tr("The file was saved from serial number %1, this relay is serial "
                              "number %2.")
                               .arg(serialNumberText(fromFile.serialNumber),
                                   serialNumberText(relay.serialNumber)));
    if (fromRelay && fromFile.softwareVersion != relay.softwareVersion)
        differences.append(tr("The file was saved from software version %1, this relay runs "
                              "version %2.")
                               .arg(softwareVersionText(fromFile.softwareVersion),
                                   softwareVersionText(relay.softwareVersion)));
    if (fromFile.modules != relay.modules)
        differences.append(tr("The file was saved from a relay with the modules %1, this relay "
                              "has %2.")
                               .arg(modulesText(fromFile.modules), modulesText(relay.modules)));
    return differences;
}

void SettingsComparisonDialog::onSendFinished(const SettingsSendResult &result)
{
    m_model->setSendResult(result);
    showFingerprints(&result.relay);
    const int slaveId = result.relay.identity.slaveId;
    // Counted from the rows, so that the headline and the table cannot disagree.
    const SendSummary summary = m_model->sendSummary();
    const QString stopped = result.stoppedText();
    const QString text = stopped.isEmpty() ? summary.headline(slaveId)
                                           : tr("%1. %2").arg(summary.headline(slaveId), stopped);
    const bool success = summary.isComplete();
    m_sendText = text;
    showState(text, !success);
    emit statusMessage(text);
    emit relaySettingsWritten();
    updateButtons();
}

void SettingsComparisonDialog::onFailed(const SettingsTransferError &error)
{
    m_valuesToSend.clear();
    QString text = error.text;
    // Whatever a stopped send wrote may have landed: no row passes for verified and no value
    // for one the relay holds, and the panels read the relay anew.
    if (error.stoppedSend) {
        m_model->setSendResult(*error.stoppedSend);
        text = QStringList { text, error.stoppedSend->stoppedText() }
                   .join(QLatin1Char(' '))
                   .trimmed();
        showFingerprints(&error.stoppedSend->relay);
        emit relaySettingsWritten();
    }
    emit statusMessage(text);
    // The status bar says what was stopped; the dialog, what is left to do.
    if (error.isRelayLost()) {
        onRelayLost(error.code);
        return;
    }
    // Anything else may be tried again.
    showState(text, true);
    updateButtons();
}

void SettingsComparisonDialog::onRelayLost(SettingsTransferError::Code code)
{
    if (m_relayLost)
        return;
    m_relayLost = true;
    const QString lost = code == SettingsTransferError::PortClosed
        ? tr("The port was closed; connect and open the file again.")
        : tr("Device %1 is no longer the current device; open the file again to "
             "compare it with another.")
              .arg(m_transfer->slaveId());
    // A send that ended on its relay after another was chosen keeps its account in view.
    showState(QStringList { m_sendText, lost }.join(QLatin1Char(' ')).trimmed(), true);
    updateButtons();
}

void SettingsComparisonDialog::updateButtons()
{
    const bool canSend = isReady() && !m_otherType && !m_transfer->isBusy();
    ui->sendDifferencesButton->setEnabled(canSend && !m_model->differences().isEmpty());
    ui->sendAllButton->setEnabled(canSend);
    ui->closeButton->setEnabled(!m_transfer->isBusy());
}

void SettingsComparisonDialog::showState(const QString &text, bool problem)
{
    ui->stateLabel->setText(text);
    ui->stateLabel->setStyleSheet(problem ? QStringLiteral("QLabel { color: red; }") : QString());
}
