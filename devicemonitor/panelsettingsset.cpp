// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/panelsettingsset.h"

#include "devicedata/sendplan.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/settingstransfer.h"
#include "devicemonitor/writeoperation.h"

#include <QSet>

namespace {

// Besides the fields written, what the plan's order depends on: the current range, the modes of
// MTZ and TO and MTZ's time-current curve.
constexpr quint16 OrderRegisters[] = { 25, 32, 33, 36 };

} // namespace

PanelSettingsSet::PanelSettingsSet(DeviceMonitor *monitor, QObject *parent)
    : QObject(parent), m_monitor(monitor), m_transfer(new SettingsTransfer(monitor, this))
{
    connect(m_transfer, &SettingsTransfer::relayRead, this, &PanelSettingsSet::onRelayRead);
    connect(m_transfer, &SettingsTransfer::sendFinished, this, &PanelSettingsSet::onSendFinished);
    connect(m_transfer, &SettingsTransfer::failed, this, &PanelSettingsSet::onFailed);
}

bool PanelSettingsSet::isBusy() const
{
    return m_running;
}

DeviceData *PanelSettingsSet::writingBlock() const
{
    return m_transfer->writingBlock();
}

void PanelSettingsSet::start(
    JournalEntry::Kind kind, const SettingsValues &shown, const SettingsValues &wanted)
{
    if (m_running)
        return;
    m_kind = kind;
    m_shown = shown;
    m_edited.clear();
    for (auto value = wanted.cbegin(); value != wanted.cend(); ++value) {
        if (shown.value(value.key()) != *value)
            m_edited.insert(value.key(), *value);
    }
    if (m_edited.isEmpty()) {
        emit finished(Written,
            tr("Device %1 already holds these values; nothing was written.")
                .arg(m_monitor->currentDeviceId()));
        return;
    }
    m_running = true;
    m_transfer->readCurrentDevice();
}

QString PanelSettingsSet::obstacle(const RelaySettings &relay) const
{
    const DeviceListModel *devices = m_monitor->deviceListModel();
    const DeviceInfo *shownRelay
        = devices->deviceInfoAt(devices->rowOfDevice(relay.identity.slaveId));
    if (shownRelay && shownRelay->serialNumber.status != NoData
        && shownRelay->serialNumber.value != relay.identity.serialNumber)
        return WriteOperation::anotherRelayText(
            relay.identity.slaveId, relay.identity.serialNumber, shownRelay->serialNumber.value);

    QStringList changed;
    QSet<quint16> checked(std::begin(OrderRegisters), std::end(OrderRegisters));
    for (auto value = m_edited.cbegin(); value != m_edited.cend(); ++value)
        checked.insert(value.key());
    QList<quint16> addresses = checked.values();
    std::sort(addresses.begin(), addresses.end());
    for (quint16 address : std::as_const(addresses)) {
        const auto shown = m_shown.constFind(address);
        if (shown == m_shown.cend() || relay.values.value(address) == *shown)
            continue;
        changed.append(settingsFieldName(address));
    }
    if (!changed.isEmpty())
        return tr("Nothing was written: Device %1 changed since its values were shown (%2). "
                  "Press Cancel and edit again.")
            .arg(relay.identity.slaveId)
            .arg(changed.join(tr(", ", "list separator")));
    return QString();
}

void PanelSettingsSet::onRelayRead(const RelaySettings &relay)
{
    const QString refusal = obstacle(relay);
    if (!refusal.isEmpty()) {
        m_running = false;
        emit finished(Failed, refusal);
        return;
    }
    const SendPlan plan(relay, m_edited);
    if (plan.switchesProtectionOff() && !(m_confirmation && m_confirmation(plan))) {
        m_running = false;
        emit finished(
            Declined, tr("Nothing was written to Device %1.").arg(relay.identity.slaveId));
        return;
    }
    m_transfer->send(plan, m_kind);
}

void PanelSettingsSet::onSendFinished(const SettingsSendResult &result)
{
    m_running = false;
    QStringList text { result.stoppedText(), result.notTakenText() };
    text.removeAll(QString());
    emit finished(result.written ? Written : Failed, text.join(QLatin1Char(' ')));
}

void PanelSettingsSet::onFailed(const SettingsTransferError &error)
{
    m_running = false;
    QStringList text { error.text };
    if (error.stoppedSend)
        text.append(error.stoppedSend->stoppedText());
    text.removeAll(QString());
    emit finished(Failed, text.join(QLatin1Char(' ')));
}
