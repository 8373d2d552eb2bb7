// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/writejournal.h"

#include "devicedata/checkbackdata.h"
#include "devicedata/clearcrashlogdata.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/sendplan.h"
#include "devicedata/setpointsdata.h"
#include "devicedata/settingsfingerprint.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/journalstore.h"
#include "devicemonitor/settingstransfer.h"
#include "devicemonitor/trafficmodel.h"

#include <QSet>

#include <algorithm>
#include <utility>

namespace {

// The values of a block's fields that were read and still stand, by register.
template<typename Record>
SettingsValues validFieldValues(FieldList<Record> fields, const Record &record)
{
    SettingsValues values;
    for (const Field<Record> &field : fields) {
        const DataValue &value = record.*field.member;
        if (value.status == Valid)
            values.insert(field.description.address, value.value);
    }
    return values;
}

// What a block's write puts on the line, by register or coil; the coils' addresses into `coils`.
SettingsValues writtenValues(DeviceData &block, QSet<quint16> *coils)
{
    SettingsValues values = registersToWrite(block);
    for (const ModbusRequest &request : std::as_const(block.writeRequests())) {
        if (request.dataType() != ModbusRequest::Bits)
            continue;
        ModbusBits bits(request.startAddress(), request.count());
        request.fillBits(bits);
        for (int i = 0; i < request.count(); ++i) {
            const quint16 address = quint16(request.startAddress() + i);
            values.insert(address, bits.value(address) ? 1 : 0);
            coils->insert(address);
        }
    }
    return values;
}

bool isWriteFunction(int function)
{
    return function == ModbusRequest::WriteSingleCoil
        || function == ModbusRequest::WriteSingleRegister
        || function == ModbusRequest::WriteMultipleCoils
        || function == ModbusRequest::WriteMultipleRegisters;
}

QString userName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    return user;
}

QString fingerprintOf(const SettingsValues &values)
{
    const std::optional<quint32> fingerprint = settingsFingerprint(values);
    return fingerprint ? fingerprintText(*fingerprint) : QString();
}

// What the line alone says of a frame.
JournalOutcome lineOutcome(const RegisterWrite &write)
{
    switch (write.state) {
    case RegisterWrite::Acknowledged:
        return JournalOutcome::Acknowledged;
    case RegisterWrite::NotSent:
        return JournalOutcome::NotSent;
    case RegisterWrite::Failed:
        break;
    }
    return write.refused ? JournalOutcome::Refused : JournalOutcome::Unknown;
}

} // namespace

WriteJournal::WriteJournal(
    DeviceMonitor *monitor, std::unique_ptr<JournalStore> store, QObject *parent)
    : QObject(parent), m_monitor(monitor), m_store(std::move(store))
{
    connect(monitor, &DeviceMonitor::deviceDataWritten, this, &WriteJournal::onWritten);
    // Direct, not queued: a transaction's record comes just before its block is written,
    // and noting a failure is a small append.
    connect(monitor, &DeviceMonitor::transactionFinished, this, &WriteJournal::noteFailedWrite);
}

WriteJournal::~WriteJournal() = default;

JournalEntry WriteJournal::newEntry(int slaveId) const
{
    JournalEntry entry;
    entry.when = QDateTime::currentDateTimeUtc();
    entry.user = userName();
    entry.port = m_monitor->endpointName();
    entry.slaveId = slaveId;
    // A relay written without a scan (the current ID set directly) is not in the list.
    const DeviceListModel *devices = m_monitor->deviceListModel();
    const int row = slaveId > 0 ? devices->rowOfDevice(slaveId) : -1;
    const DeviceInfo *info = row >= 0 ? devices->deviceInfoAt(row) : nullptr;
    if (info && info->serialNumber.status != NoData) {
        entry.identityKnown = true;
        entry.deviceType = info->deviceTypeCode.value;
        entry.serialNumber = info->serialNumber.value;
    }
    return entry;
}

JournalEntry::Kind WriteJournal::kindOf(const DeviceData *block, int slaveId) const
{
    if (qobject_cast<const MeterageConfigurationData *>(block))
        return JournalEntry::MeterageConfigurationSet;
    if (qobject_cast<const ProtectionConfigurationData *>(block))
        return JournalEntry::ProtectionConfigurationSet;
    if (qobject_cast<const SetpointsData *>(block))
        return JournalEntry::SetpointsSet;
    if (qobject_cast<const DeviceTimeData *>(block))
        return slaveId == 0 ? JournalEntry::ClockSetToAll : JournalEntry::ClockSet;
    if (qobject_cast<const CheckbackData *>(block))
        return JournalEntry::Checkback;
    if (qobject_cast<const ClearCrashLogData *>(block))
        return JournalEntry::ClearCrashLog;
    return JournalEntry::OtherWrite;
}

SettingsValues WriteJournal::heldValues(const DeviceData *block) const
{
    if (const auto *meterage = qobject_cast<const MeterageConfigurationData *>(block))
        return validFieldValues(meterage->fields(), meterage->configuration());
    if (const auto *protection = qobject_cast<const ProtectionConfigurationData *>(block))
        return validFieldValues(protection->fields(), protection->configuration());
    if (const auto *setpoints = qobject_cast<const SetpointsData *>(block))
        return validFieldValues(setpoints->fields(), setpoints->setpoints());
    return {};
}

JournalRegister WriteJournal::journalRegister(quint16 address, std::optional<qint64> oldRaw,
    qint64 newRaw, const Multipliers &multipliers, bool coil) const
{
    JournalRegister reg;
    reg.address = address;
    reg.newRaw = newRaw;
    const SettingsField *field = settingsFieldAt(address);
    if (field)
        reg.field = plainLabel(field->description);
    else if (coil)
        reg.field = tr("coil %1").arg(address);
    else
        reg.field = tr("register %1").arg(address);
    const auto shown = [field](qint64 raw, qint64 multiplier) {
        return field ? field->description.shownText(raw, multiplier) : QString::number(raw);
    };
    reg.newShown = shown(newRaw, multipliers.after);
    if (oldRaw) {
        reg.hasOld = true;
        reg.oldRaw = *oldRaw;
        reg.oldShown = shown(*oldRaw, multipliers.before);
    }
    return reg;
}

// Pick-up currents are shown at the range the values themselves name, else the panels'.
WriteJournal::Multipliers WriteJournal::multipliers(
    const SettingsValues &oldValues, const SettingsValues &newValues) const
{
    SettingsValues range;
    if (m_rangeSource)
        range = validFieldValues(m_rangeSource->fields(), m_rangeSource->configuration());
    SettingsValues oldRange = range;
    oldRange.insert(oldValues);
    SettingsValues newRange = oldRange;
    newRange.insert(newValues);
    return { shownRangeMultiplier(oldRange), shownRangeMultiplier(newRange) };
}

void WriteJournal::addRegisters(JournalEntry &entry, const SettingsValues &oldValues,
    const SettingsValues &newValues, const QSet<quint16> &coils) const
{
    const Multipliers scale = multipliers(oldValues, newValues);
    for (auto value = newValues.cbegin(); value != newValues.cend(); ++value) {
        const auto old = oldValues.constFind(value.key());
        entry.registers.append(journalRegister(value.key(),
            old == oldValues.cend() ? std::nullopt : std::optional<qint64>(*old), *value, scale,
            coils.contains(value.key())));
    }
}

bool WriteJournal::recordWrite(int slaveId, const QList<DeviceData *> &list)
{
    QList<const DeviceData *> recorded;
    for (DeviceData *block : list) {
        if (block == m_sendBlock)
            continue;
        JournalEntry entry = newEntry(slaveId);
        entry.kind = kindOf(block, slaveId);
        QSet<quint16> coils;
        const SettingsValues written = writtenValues(*block, &coils);
        addRegisters(entry, heldValues(block), written, coils);
        if (!add(block, entry)) {
            // The write does not go out: the blocks already recorded were not sent.
            for (const DeviceData *sibling : qAsConst(recorded)) {
                const auto pending = m_pending.find(sibling);
                if (pending == m_pending.end())
                    continue;
                for (JournalRegister &reg : pending->entry.registers)
                    reg.outcome = JournalOutcome::NotSent;
                finish(sibling);
            }
            return false;
        }
        recorded.append(block);
    }
    return true;
}

bool WriteJournal::recordSend(
    const SendPlan &plan, const DeviceData *sequence, JournalEntry::Kind kind)
{
    JournalEntry entry = newEntry(plan.relay().identity.slaveId);
    entry.kind = kind;
    if (plan.relay().identity.serialNumber != 0) {
        entry.identityKnown = true;
        entry.deviceType = plan.relay().identity.deviceTypeCode;
        entry.serialNumber = plan.relay().identity.serialNumber;
    }
    entry.fingerprintBefore = fingerprintOf(plan.relay().values);
    // A row per frame: a protection switched off for a while has its switch-off and its
    // switch-on, each with the value it replaced.
    const Multipliers scale = multipliers(plan.relay().values, plan.target());
    SettingsValues held = plan.relay().values;
    for (const SendPlan::Step &step : plan.steps()) {
        const auto old = held.constFind(step.address);
        entry.registers.append(journalRegister(step.address,
            old == held.cend() ? std::nullopt : std::optional<qint64>(*old), step.value, scale));
        held.insert(step.address, step.value);
    }
    m_sendBlock = nullptr;
    if (!add(sequence, entry))
        return false;
    m_sendBlock = sequence;
    return true;
}

bool WriteJournal::add(const DeviceData *block, const JournalEntry &entry)
{
    if (m_suspended)
        return true;
    // A block written again before its last write's outcome came: that outcome stays unknown.
    m_pending.remove(block);
    const std::optional<qint64> id = m_store ? m_store->addEntry(entry) : std::nullopt;
    if (id) {
        m_pending.insert(block, { *id, entry });
        emit recorded();
        return true;
    }
    const QString reason = m_store && !m_store->errorText().isEmpty()
        ? m_store->errorText()
        : tr("The journal could not be opened.");
    emit unwritable(reason);
    if (m_unwritableHandler && m_unwritableHandler(reason)) {
        m_suspended = true;
        m_pending.clear();
        return true;
    }
    return false;
}

void WriteJournal::finish(const DeviceData *block)
{
    const Pending pending = m_pending.take(block);
    if (m_suspended || !m_store)
        return;
    if (m_store->recordOutcomes(
            pending.id, pending.entry.registers, pending.entry.fingerprintAfter))
        emit recorded();
    else
        emit unwritable(m_store->errorText());
}

void WriteJournal::noteFailedWrite(const ModbusTransaction &transaction)
{
    if (transaction.outcome != ModbusTransaction::Success && isWriteFunction(transaction.function))
        m_failedWrites.append(transaction);
}

// What the line said of each register or coil a block's write covered: a refusal with the
// relay's exception, any other failure with what happened on the line. Those that failed
// without the relay's answer, and so may have landed, go into `unanswered`.
RegisterWrites WriteJournal::lineWrites(
    DeviceData &block, int slaveId, QSet<quint16> *unanswered) const
{
    RegisterWrites writes;
    for (const ModbusRequest &request : std::as_const(block.writeRequests())) {
        RegisterWrite write;
        bool answered = true;
        switch (request.result()) {
        case ModbusRequest::Success:
            write.state = RegisterWrite::Acknowledged;
            break;
        case ModbusRequest::NoResult:
            write.state = RegisterWrite::NotSent;
            break;
        case ModbusRequest::Timeout:
        case ModbusRequest::Error: {
            write.state = RegisterWrite::Failed;
            const auto record = std::find_if(m_failedWrites.crbegin(), m_failedWrites.crend(),
                [&request, slaveId](const ModbusTransaction &transaction) {
                    return int(transaction.slaveId) == slaveId
                        && transaction.function == request.function()
                        && transaction.startAddress == request.startAddress();
                });
            if (record != m_failedWrites.crend()) {
                write.failure = TrafficModel::resultText(*record);
                write.refused = record->outcome == ModbusTransaction::Exception;
            } else {
                write.failure = request.result() == ModbusRequest::Timeout
                    ? tr("no answer")
                    : tr("the relay or the line reported an error");
            }
            // Only an exception says the relay did not take it; a garbled answer or none at all
            // leaves it open.
            answered = write.refused;
            break;
        }
        }
        for (int i = 0; i < request.count(); ++i) {
            const quint16 address = quint16(request.startAddress() + i);
            writes.insert(address, write);
            if (!answered && unanswered)
                unanswered->insert(address);
        }
    }
    return writes;
}

void WriteJournal::onWritten(DeviceData *block, int slaveId)
{
    QSet<quint16> unanswered;
    const RegisterWrites writes = lineWrites(*block, slaveId, &unanswered);
    m_failedWrites.clear();
    const auto pending = m_pending.find(block);
    if (pending == m_pending.end())
        return;
    // A send is judged by its read-back, in recordSendResult().
    if (block == m_sendBlock)
        return;
    for (JournalRegister &reg : pending->entry.registers) {
        const RegisterWrite write = writes.value(reg.address);
        switch (write.state) {
        case RegisterWrite::Acknowledged:
            reg.outcome = slaveId == 0 ? JournalOutcome::Unconfirmed : JournalOutcome::Acknowledged;
            break;
        case RegisterWrite::NotSent:
            reg.outcome = JournalOutcome::NotSent;
            break;
        case RegisterWrite::Failed:
            // Unanswered, it may still have landed.
            reg.outcome = unanswered.contains(reg.address) ? JournalOutcome::Unknown
                                                           : JournalOutcome::Refused;
            reg.detail = write.failure;
            break;
        }
    }
    finish(block);
}

void WriteJournal::recordSendResult(const SettingsSendResult &result)
{
    const auto pending = m_pending.find(m_sendBlock);
    m_sendBlock = nullptr;
    if (pending == m_pending.end())
        return;
    JournalEntry &entry = pending->entry;
    const qint64 multiplier = shownRangeMultiplier(result.relay.values);
    for (int i = 0; i < entry.registers.size() && i < result.steps.size(); ++i) {
        JournalRegister &reg = entry.registers[i];
        const SentStep &sent = result.steps.at(i);
        const bool overwritten = std::any_of(
            result.steps.cbegin() + i + 1, result.steps.cend(), [&sent](const SentStep &later) {
                return later.step.address == sent.step.address
                    && later.write.state != RegisterWrite::NotSent;
            });
        reg.detail = sent.write.failure;
        // A frame a later one overwrote is told by the line alone; the last that reached the
        // relay, by what the relay holds.
        if (overwritten) {
            reg.outcome = lineOutcome(sent.write);
            continue;
        }
        const SendVerdict verdict
            = sendVerdict(sent.write, sent.step.value, result.relay.values, sent.step.address);
        reg.outcome = journalOutcome(verdict);
        if (verdict == SendVerdict::Unknown && sent.write.state == RegisterWrite::Acknowledged)
            reg.detail = tr("acknowledged, not read back");
        if (verdict == SendVerdict::Changed) {
            const SettingsField *field = settingsFieldAt(reg.address);
            const qint64 value = result.relay.values.value(reg.address);
            reg.detail = tr("holds %1")
                             .arg(field ? field->description.shownText(value, multiplier)
                                        : QString::number(value));
        }
        const RegisterWrite final = result.writes.value(sent.step.address);
        if (sent.step.role == SendPlan::Step::InterimOff
            && sendVerdict(final, result.sent.value(sent.step.address), result.relay.values,
                   sent.step.address)
                == SendVerdict::SwitchedOff)
            reg.detail = tr("switched off, not switched back on");
    }
    entry.fingerprintAfter = fingerprintOf(result.relay.values);
    finish(pending.key());
}
