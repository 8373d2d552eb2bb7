// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/writereadback.h"

#include "devicedata/codeconversions.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/droppedreads.h"
#include "devicemonitor/writejournal.h"

#include <QTimer>

#include <algorithm>
#include <utility>

WriteReadBack::WriteReadBack(DeviceMonitor *monitor,
    MeterageConfigurationData *meterageConfiguration,
    ProtectionConfigurationData *protectionConfiguration, SetpointsData *setpoints, QObject *parent)
    : QObject(parent),
      m_monitor(monitor),
      m_meterageConfiguration(meterageConfiguration),
      m_droppedReads(new DroppedReads(
          monitor, [this] { return m_awaiting.keys(); }, this))
{
    watch(meterageConfiguration, [meterageConfiguration](SettingsValues &values) {
        return collectFieldValues(
            meterageConfiguration->fields(), meterageConfiguration->configuration(), values);
    });
    watch(protectionConfiguration, [protectionConfiguration](SettingsValues &values) {
        return collectFieldValues(
            protectionConfiguration->fields(), protectionConfiguration->configuration(), values);
    });
    watch(setpoints, [setpoints](SettingsValues &values) {
        return collectFieldValues(setpoints->fields(), setpoints->setpoints(), values);
    });
    connect(monitor, &DeviceMonitor::deviceDataWritten, this, &WriteReadBack::onWritten);
    connect(monitor, &DeviceMonitor::currentDeviceIdChanged, this, &WriteReadBack::clear);
    connect(monitor, &DeviceMonitor::connected, this, &WriteReadBack::clear);
    connect(m_droppedReads, &DroppedReads::deviceLost, this, &WriteReadBack::clear);
}

void WriteReadBack::watch(DeviceData *block, const ValuesOf &valuesOf)
{
    m_valuesOf.insert(block, valuesOf);
    connect(block, &DeviceData::stateChanged, this,
        [this, block](DeviceData::State current, DeviceData::State previous) {
            // A read canceled because the current device changes ends just
            // before the change is announced: judge it once it has been.
            if (current == DeviceData::Inactive && previous == DeviceData::Reading)
                QTimer::singleShot(0, this, [this, block] { onReadBack(block); });
        });
}

void WriteReadBack::onWritten(DeviceData *block, int slaveId)
{
    // A broadcast has no answer to check. A failed write is read back too: the user must learn
    // which of its values landed before it stopped.
    if (!m_valuesOf.contains(block) || slaveId <= 0 || slaveId != m_monitor->currentDeviceId())
        return;
    if (m_awaiting.isEmpty()) {
        m_notTaken.clear();
        m_stoppedTexts.clear();
        m_unread = false;
    }
    m_slaveId = slaveId;
    m_awaiting.insert(block, registersToWrite(*block));
    if (!block->isWriteSuccessful())
        m_stopped.insert(block, stoppedWrite(*block));
    // Any read of the block from now on shows what the relay took: the
    // manager runs one sequence at a time.
    m_monitor->readFromCurrentDevice({ block });
}

void WriteReadBack::onReadBack(DeviceData *block)
{
    if (!m_awaiting.contains(block) || block->state() == DeviceData::Reading)
        return;
    if (block->isReadStopped()) {
        m_droppedReads->askAgainLater();
        return;
    }
    const SettingsValues sent = m_awaiting.take(block);
    std::optional<StoppedWrite> stopped;
    if (m_stopped.contains(block))
        stopped = m_stopped.take(block);

    SettingsValues held;
    const bool read = block->isReadSuccessful() && m_valuesOf.value(block)(held);
    if (WriteJournal *journal = m_monitor->writeJournal())
        journal->recordReadBack(block, read ? held : SettingsValues());
    if (!read) {
        m_unread = true;
    } else {
        const qint64 multiplier
            = shownRangeMultiplier(m_meterageConfiguration->configuration().currentRange);
        // The values after the failure were never sent: they are named, not compared.
        if (stopped)
            describeStoppedWrite(*stopped, sent, held);
        for (auto value = sent.cbegin(); value != sent.cend(); ++value) {
            const qint64 relayValue = held.value(value.key());
            const SettingsField *field = settingsFieldAt(value.key());
            if (relayValue == *value || !field
                || (stopped && !stopped->acknowledged.contains(value.key())))
                continue;
            const FieldDescription &description = field->description;
            m_notTaken.append(tr("%1 (register %2): sent %3, holds %4")
                                  .arg(plainLabel(description))
                                  .arg(description.address)
                                  .arg(description.shownText(*value, multiplier),
                                      description.shownText(relayValue, multiplier)));
        }
    }
    if (!m_awaiting.isEmpty())
        return;
    if (!m_stoppedTexts.isEmpty())
        emit mismatch(tr("Device %1 did not take the whole write: %2")
                          .arg(m_slaveId)
                          .arg((m_stoppedTexts + m_notTaken).join(QStringLiteral("; "))));
    else if (!m_notTaken.isEmpty())
        emit mismatch(tr("Device %1 did not take every value: %2")
                          .arg(m_slaveId)
                          .arg(m_notTaken.join(QStringLiteral("; "))));
    else if (m_unread)
        emit mismatch(tr("Device %1 could not be read back after writing: whether it took "
                         "the values is not known.")
                          .arg(m_slaveId));
}

void WriteReadBack::clear()
{
    m_awaiting.clear();
    m_stopped.clear();
}

WriteReadBack::StoppedWrite WriteReadBack::stoppedWrite(DeviceData &block)
{
    StoppedWrite stopped;
    for (const ModbusRequest &request : std::as_const(block.writeRequests())) {
        if (request.result() == ModbusRequest::Success)
            stopped.acknowledged.insert(request.startAddress());
        else if (request.result() == ModbusRequest::NoResult)
            stopped.notSent.append(request.startAddress());
        else if (!stopped.failedAt)
            stopped.failedAt = request.startAddress();
    }
    return stopped;
}

void WriteReadBack::describeStoppedWrite(
    const StoppedWrite &stopped, const SettingsValues &sent, const SettingsValues &held)
{
    const auto names = [](const QList<quint16> &addresses) {
        QStringList names;
        for (quint16 address : addresses) {
            const SettingsField *field = settingsFieldAt(address);
            names.append(field
                    ? tr("%1 (register %2)").arg(plainLabel(field->description)).arg(address)
                    : QString::number(address));
        }
        return names.isEmpty() ? tr("none") : names.join(tr(", ", "list separator"));
    };
    QList<quint16> landed;
    for (quint16 address : stopped.acknowledged) {
        if (held.contains(address) && held.value(address) == sent.value(address))
            landed.append(address);
    }
    std::sort(landed.begin(), landed.end());
    const QList<quint16> failed
        = stopped.failedAt ? QList<quint16> { *stopped.failedAt } : QList<quint16>();
    m_stoppedTexts.append(tr("refused or unanswered: %1; landed: %2; not sent: %3")
                              .arg(names(failed), names(landed), names(stopped.notSent)));
}
