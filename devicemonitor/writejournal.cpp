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
#include "devicemonitor/journalstore.h"
#include "devicemonitor/linewrite.h"
#include "devicemonitor/settingssendresult.h"

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

WriteJournal::WriteJournal(std::unique_ptr<JournalStore> store, QObject *parent)
    : QObject(parent), m_store(std::move(store))
{
}

WriteJournal::~WriteJournal() = default;

JournalEntry WriteJournal::newEntry(const Target &target) const
{
    JournalEntry entry;
    entry.when = QDateTime::currentDateTimeUtc();
    entry.user = userName();
    entry.port = target.port;
    entry.slaveId = target.slaveId;
    if (target.serialNumber) {
        entry.identityKnown = true;
        entry.deviceType = target.deviceTypeCode;
        entry.serialNumber = *target.serialNumber;
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

std::optional<WriteJournal::Record> WriteJournal::recordIntent(
    const Target &target, const QList<DeviceData *> &blocks)
{
    Record record;
    for (DeviceData *block : blocks) {
        JournalEntry entry = newEntry(target);
        entry.kind = kindOf(block, target.slaveId);
        QSet<quint16> coils;
        const SettingsValues written = writtenValues(*block, &coils);
        addRegisters(entry, heldValues(block), written, coils);
        if (!add(record, entry, block)) {
            // The write does not go out: the blocks already recorded were not sent.
            for (Record::Entry &written : record.m_entries) {
                for (JournalRegister &reg : written.entry.registers)
                    reg.outcome = JournalOutcome::NotSent;
            }
            finish(record);
            return std::nullopt;
        }
    }
    return record;
}

std::optional<WriteJournal::Record> WriteJournal::recordIntent(
    const Target &target, const SendPlan &plan, JournalEntry::Kind kind)
{
    JournalEntry entry = newEntry(target);
    entry.kind = kind;
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
    Record record;
    if (!add(record, entry))
        return std::nullopt;
    return record;
}

bool WriteJournal::add(Record &record, const JournalEntry &entry, DeviceData *block)
{
    if (m_suspended)
        return true;
    const std::optional<qint64> id = m_store ? m_store->addEntry(entry) : std::nullopt;
    if (id) {
        record.m_entries.append({ *id, entry, block });
        emit recorded();
        return true;
    }
    const QString reason = m_store && !m_store->errorText().isEmpty()
        ? m_store->errorText()
        : tr("The journal could not be opened.");
    emit unwritable(reason);
    if (m_unwritableHandler && m_unwritableHandler(reason)) {
        m_suspended = true;
        return true;
    }
    return false;
}

void WriteJournal::finish(const Record &record)
{
    if (m_suspended || !m_store)
        return;
    for (const Record::Entry &written : record.m_entries) {
        if (m_store->recordOutcomes(
                written.id, written.entry.registers, written.entry.fingerprintAfter))
            emit recorded();
        else
            emit unwritable(m_store->errorText());
    }
}

void WriteJournal::recordLineOutcome(Record &record)
{
    for (Record::Entry &written : record.m_entries) {
        // What the line said of each register or coil the block's write covered.
        RegisterWrites writes;
        for (const ModbusRequest &request : std::as_const(written.block->writeRequests())) {
            const RegisterWrite write = lineWriteOf(request);
            for (int i = 0; i < request.count(); ++i)
                writes.insert(quint16(request.startAddress() + i), write);
        }
        for (JournalRegister &reg : written.entry.registers) {
            const RegisterWrite write = writes.value(reg.address);
            reg.outcome = write.state == RegisterWrite::Acknowledged && written.entry.slaveId == 0
                ? JournalOutcome::Unconfirmed
                : lineOutcome(write);
            reg.detail = write.failure;
        }
    }
    finish(record);
}

void WriteJournal::recordSendOutcome(Record &record, const SettingsSendResult &result)
{
    if (record.m_entries.isEmpty())
        return;
    JournalEntry &entry = record.m_entries.first().entry;
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
    finish(record);
}
