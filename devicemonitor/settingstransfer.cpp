// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/settingstransfer.h"

#include "devicedata/deviceinfodata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/registersequencedata.h"
#include "devicedata/setpointsdata.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/droppedreads.h"
#include "devicemonitor/trafficmodel.h"
#include "devicemonitor/writejournal.h"

#include <QTimer>

#include <algorithm>

namespace {

// A read the monitor dropped is asked for again (DroppedReads); should a
// block still never report back, the operation gives up once nothing has
// moved for this many answer times.
constexpr int StallTransactions = 50;
constexpr int StallMarginMs = 5000;

// A block read or written before holds the results of then; the next
// operation must not mistake them for its own.
void clearResults(QVector<ModbusRequest> &requests)
{
    for (ModbusRequest &request : requests)
        request.setFailed(ModbusRequest::NoResult);
}

} // namespace

const SentStep *SettingsSendResult::failedStep() const
{
    const auto failed = std::find_if(steps.cbegin(), steps.cend(),
        [](const SentStep &sent) { return sent.write.state == RegisterWrite::Failed; });
    return failed == steps.cend() ? nullptr : &*failed;
}

SendVerdict SettingsSendResult::verdictOf(quint16 address) const
{
    return sendVerdict(writes.value(address), sent.value(address), relay.values, address);
}

SendSummary SettingsSendResult::summary() const
{
    SendSummary summary;
    for (auto value = sent.cbegin(); value != sent.cend(); ++value)
        summary.add(verdictOf(value.key()));
    return summary;
}

QString SettingsSendResult::stoppedText() const
{
    QStringList sentences;
    if (const SentStep *failed = failedStep()) {
        sentences.append(
            SettingsTransfer::tr("The write to Device %1 stopped at %2 (register %3): %4.")
                .arg(relay.identity.slaveId)
                .arg(settingsFieldName(failed->step.address))
                .arg(failed->step.address)
                .arg(failed->write.failure));
    }
    sentences += interim;
    return sentences.join(QLatin1Char(' '));
}

QString SettingsSendResult::notTakenText() const
{
    const qint64 multiplier = shownRangeMultiplier(relay.values);
    QStringList values;
    for (auto value = sent.cbegin(); value != sent.cend(); ++value) {
        const quint16 address = value.key();
        const SettingsField *field = settingsFieldAt(address);
        const auto shown = [field, multiplier](qint64 raw) {
            return field ? field->description.shownText(raw, multiplier) : QString::number(raw);
        };
        switch (verdictOf(address)) {
        case SendVerdict::Changed:
            values.append(SettingsTransfer::tr("%1 (register %2): sent %3, holds %4")
                              .arg(settingsFieldName(address))
                              .arg(address)
                              .arg(shown(*value), shown(relay.values.value(address))));
            break;
        case SendVerdict::Refused:
            values.append(SettingsTransfer::tr("%1 (register %2): %3")
                              .arg(settingsFieldName(address))
                              .arg(address)
                              .arg(writes.value(address).failure));
            break;
        default:
            break;
        }
    }
    if (!values.isEmpty())
        return SettingsTransfer::tr("Device %1 did not take every value: %2")
            .arg(relay.identity.slaveId)
            .arg(values.join(QStringLiteral("; ")));
    if (!readBack)
        return SettingsTransfer::tr("Device %1 could not be read back after writing: whether it "
                                    "took the values is not known.")
            .arg(relay.identity.slaveId);
    return QString();
}

SettingsTransfer::SettingsTransfer(DeviceMonitor *monitor, QObject *parent)
    : QObject(parent),
      m_monitor(monitor),
      m_deviceInfo(new DeviceInfoData(this)),
      m_modules(new ModulesData(this)),
      m_meterageConfiguration(new MeterageConfigurationData(this)),
      m_protectionConfiguration(new ProtectionConfigurationData(this)),
      m_setpoints(new SetpointsData(this)),
      m_sequence(new RegisterSequenceData(this)),
      m_stallTimer(new QTimer(this))
{
    m_stallTimer->setSingleShot(true);
    connect(m_stallTimer, &QTimer::timeout, this, [this] {
        abort(SettingsTransferError::NoAnswer,
            tr("Device %1 did not answer in time; the operation was stopped.").arg(m_slaveId));
    });
    const QList<DeviceData *> blocks = allBlocks() << m_sequence;
    for (DeviceData *block : blocks) {
        connect(block, &DeviceData::stateChanged, this,
            [this, block](DeviceData::State current, DeviceData::State previous) {
                if (current == DeviceData::Inactive
                    && (previous == DeviceData::Reading || previous == DeviceData::Writing))
                    onBlockFinished(block, previous == DeviceData::Reading);
            });
    }
    connect(monitor, &DeviceMonitor::currentDeviceIdChanged, this,
        &SettingsTransfer::onCurrentDeviceChanged);
    connect(monitor, &DeviceMonitor::connected, this, &SettingsTransfer::onConnected);
    connect(monitor, &DeviceMonitor::stateChanged, this, [this](DeviceMonitor::State state) {
        if (state == DeviceMonitor::Scanning)
            abort(SettingsTransferError::ScanStarted,
                tr("A scan started; the operation with Device %1 was stopped.").arg(m_slaveId));
    });
    connect(monitor, &DeviceMonitor::transactionFinished, this, &SettingsTransfer::noteFailedWrite);
    auto *droppedReads = new DroppedReads(
        monitor, [this] { return awaitedReads(); }, this);
    connect(droppedReads, &DroppedReads::askedAgain, m_stallTimer, qOverload<>(&QTimer::start));
    connect(droppedReads, &DroppedReads::deviceLost, this, &SettingsTransfer::abortNoLongerCurrent);
}

DeviceData *SettingsTransfer::writingBlock() const
{
    return m_sequence;
}

QList<DeviceData *> SettingsTransfer::settingsBlocks() const
{
    return { m_meterageConfiguration, m_protectionConfiguration, m_setpoints };
}

QList<DeviceData *> SettingsTransfer::allBlocks() const
{
    return QList<DeviceData *> { m_deviceInfo, m_modules } + settingsBlocks();
}

bool SettingsTransfer::start(Operation operation, int slaveId)
{
    if (isBusy()) {
        fail(SettingsTransferError::Busy, tr("Another settings operation is still running."));
        return false;
    }
    if (!m_monitor->isCurrentDeviceAvailable() || slaveId != m_monitor->currentDeviceId()) {
        fail(SettingsTransferError::NoDevice,
            tr("No device to work with: connect and choose a device first."));
        return false;
    }
    m_operation = operation;
    m_slaveId = slaveId;
    const DeviceSettings settings = m_monitor->deviceSettings();
    m_stallTimer->setInterval(
        StallTransactions * (settings.responseTimeout + settings.readinessDelay) + StallMarginMs);
    return true;
}

void SettingsTransfer::readCurrentDevice()
{
    if (!start(Reading, m_monitor->currentDeviceId()))
        return;
    readBlocks(allBlocks());
}

void SettingsTransfer::readBlocks(const QList<DeviceData *> &list)
{
    for (DeviceData *block : list) {
        block->reset();
        clearResults(block->readRequests());
        m_pending.insert(block);
    }
    m_stallTimer->start();
    m_monitor->readFromCurrentDevice(list);
}

void SettingsTransfer::send(const SendPlan &plan, JournalEntry::Kind kind)
{
    if (!start(Writing, plan.relay().identity.slaveId))
        return;
    m_plan = plan;
    QVector<RegisterSequenceData::Write> writes;
    for (const SendPlan::Step &step : plan.steps())
        writes.append({ step.address, quint16(step.value) });
    m_sequence->setWrites(writes);

    m_result = SettingsSendResult();
    m_result.relay.identity.slaveId = m_slaveId;
    m_result.written = true;
    m_result.sent = plan.target();
    // Every register counts as not sent until the line says otherwise.
    for (auto value = m_result.sent.cbegin(); value != m_result.sent.cend(); ++value)
        m_result.writes.insert(value.key(), RegisterWrite());
    m_failedWrites.clear();
    // Nothing to write (every value belongs to a module the relay lacks): only the read-back.
    if (plan.steps().isEmpty()) {
        finishWrite();
        return;
    }
    // The intent is on disk before the first register goes out.
    WriteJournal *journal = m_monitor->writeJournal();
    if (journal && !journal->recordSend(plan, m_sequence, kind)) {
        end();
        fail(SettingsTransferError::JournalUnwritable,
            tr("Nothing was sent to device %1: the journal could not record the send.")
                .arg(m_slaveId));
        return;
    }
    m_toWrite = { m_sequence };
    writeNextBlock();
}

// One block at a time: a relay that stops being current between two blocks
// is not sent the rest.
void SettingsTransfer::writeNextBlock()
{
    if (m_toWrite.isEmpty()) {
        finishWrite();
        return;
    }
    if (!m_monitor->isCurrentDeviceAvailable() || m_monitor->currentDeviceId() != m_slaveId) {
        abortNoLongerCurrent();
        return;
    }
    DeviceData *block = m_toWrite.takeFirst();
    m_pending.insert(block);
    m_stallTimer->start();
    m_monitor->writeToCurrentDevice({ block });
}

void SettingsTransfer::onBlockFinished(DeviceData *block, bool read)
{
    // A read stopped on the way stays pending: it is asked for again.
    if (!m_pending.contains(block) || (read && block->isReadStopped()))
        return;
    m_pending.remove(block);
    m_stallTimer->start();
    if (m_operation == Writing && !read) {
        if (block->isWriteSuccessful()) {
            writeNextBlock();
            return;
        }
        m_result.written = false;
        m_toWrite.clear();
        // Read back what the relay holds now, unless the failure was the
        // port closing or the relay changing: those arrive right after.
        QTimer::singleShot(0, this, [this] {
            if (m_operation == Writing)
                finishWrite();
        });
        return;
    }
    if (!m_pending.isEmpty())
        return;
    // A read canceled because the current device changes ends just before
    // the change is announced: look at the outcome once it has been.
    QTimer::singleShot(0, this, [this] {
        if (m_operation == Reading)
            finishRead();
        else if (m_operation == ReadingBack)
            finishReadBack();
    });
}

QList<DeviceData *> SettingsTransfer::awaitedReads() const
{
    QList<DeviceData *> awaited;
    if (m_operation != Reading && m_operation != ReadingBack)
        return awaited;
    const QList<DeviceData *> blocks = allBlocks();
    for (DeviceData *block : blocks) {
        if (m_pending.contains(block))
            awaited.append(block);
    }
    return awaited;
}

void SettingsTransfer::finishWrite()
{
    m_operation = ReadingBack;
    readBlocks(settingsBlocks());
}

// Only blocks read whole count: a value never read must not pass for one the relay holds.
RelaySettings SettingsTransfer::settingsRead(QStringList *unread) const
{
    RelaySettings relay;
    relay.identity.slaveId = m_slaveId;
    const auto collect
        = [&relay, unread](bool read, const QString &name, auto fields, const auto &record) {
              SettingsValues values;
              if (read && collectFieldValues(fields, record, values))
                  relay.values.insert(values);
              else
                  unread->append(name);
          };
    collect(m_meterageConfiguration->isReadSuccessful(), tr("the measurement configuration"),
        m_meterageConfiguration->fields(), m_meterageConfiguration->configuration());
    collect(m_protectionConfiguration->isReadSuccessful(), tr("the protection configuration"),
        m_protectionConfiguration->fields(), m_protectionConfiguration->configuration());
    collect(m_setpoints->isReadSuccessful(), tr("the setpoints"), m_setpoints->fields(),
        m_setpoints->setpoints());
    return relay;
}

void SettingsTransfer::noteFailedWrite(const ModbusTransaction &transaction)
{
    if (m_operation != Writing || int(transaction.slaveId) != m_slaveId
        || transaction.function != ModbusRequest::WriteSingleRegister
        || transaction.outcome == ModbusTransaction::Success)
        return;
    RegisterWrite &write = m_failedWrites[transaction.startAddress];
    write.state = RegisterWrite::Failed;
    write.failure = TrafficModel::resultText(transaction);
    write.refused = transaction.outcome == ModbusTransaction::Exception;
}

// Each frame of the plan as its request recorded it.
QVector<SentStep> SettingsTransfer::sentSteps() const
{
    QVector<SentStep> steps;
    if (!m_plan)
        return steps;
    const QVector<SendPlan::Step> &planned = m_plan->steps();
    const QVector<ModbusRequest> &requests = m_sequence->writeRequests();
    for (int i = 0; i < planned.size(); ++i) {
        SentStep sent { planned.at(i), RegisterWrite() };
        switch (i < requests.size() ? requests.at(i).result() : ModbusRequest::NoResult) {
        case ModbusRequest::NoResult:
            break;
        case ModbusRequest::Success:
            sent.write.state = RegisterWrite::Acknowledged;
            break;
        case ModbusRequest::Timeout:
        case ModbusRequest::Error:
            // The send stops at its first failure: the register names the frame.
            sent.write = m_failedWrites.value(sent.step.address);
            sent.write.state = RegisterWrite::Failed;
            if (sent.write.failure.isEmpty())
                sent.write.failure = requests.at(i).result() == ModbusRequest::Timeout
                    ? tr("No answer")
                    : tr("The write failed");
            break;
        }
        steps.append(sent);
    }
    return steps;
}

// Each register's end is that of its last frame that reached the line. A protection switched off
// for a while (or perhaps switched off, if that frame failed) is judged by the frame meant to
// switch it back on, and says so when that frame did not land.
SettingsSendResult SettingsTransfer::lineResult() const
{
    SettingsSendResult result = m_result;
    result.steps = sentSteps();
    // The frames that surely landed; one that failed unanswered may have, and is told as such.
    const auto landed = std::find_if(result.steps.cbegin(), result.steps.cend(),
        [](const SentStep &sent) { return sent.write.state != RegisterWrite::Acknowledged; });
    if (m_plan && landed != result.steps.cend())
        result.interim = m_plan->interimText(int(landed - result.steps.cbegin()));
    for (const SentStep &sent : std::as_const(result.steps)) {
        const auto write = result.writes.find(sent.step.address);
        if (write == result.writes.end() || sent.write.state == RegisterWrite::NotSent)
            continue;
        if (sent.step.role == SendPlan::Step::InterimOff) {
            *write = sent.write.state == RegisterWrite::Acknowledged ? RegisterWrite() : sent.write;
            write->switchedOff = true;
            continue;
        }
        const bool switchedOff = write->switchedOff;
        *write = sent.write;
        write->switchedOff = switchedOff;
    }
    return result;
}

void SettingsTransfer::finishRead()
{
    QStringList unread;
    const DeviceInfo &info = m_deviceInfo->deviceInfo();
    if (!m_deviceInfo->isReadSuccessful() || info.deviceTypeCode.status != Valid
        || info.serialNumber.status != Valid || info.softwareVersion.status != Valid)
        unread.append(tr("the identity"));
    if (!m_modules->isReadSuccessful() || m_modules->modules().status != Valid)
        unread.append(tr("the modules"));
    RelaySettings relay = settingsRead(&unread);
    const int slaveId = m_slaveId;
    end();
    if (!unread.isEmpty()) {
        fail(SettingsTransferError::Unread,
            tr("Could not read from Device %1: %2.")
                .arg(slaveId)
                .arg(unread.join(tr(", ", "list separator"))));
        return;
    }
    relay.identity.deviceTypeCode = info.deviceTypeCode.value;
    relay.identity.serialNumber = info.serialNumber.value;
    relay.identity.softwareVersion = info.softwareVersion.value;
    relay.identity.modules = m_modules->modules().value;
    emit relayRead(relay);
}

void SettingsTransfer::finishReadBack()
{
    QStringList unread;
    SettingsSendResult result = lineResult();
    result.relay = settingsRead(&unread);
    result.readBack = unread.isEmpty();
    end();
    journalSend(result);
    emit sendFinished(result);
}

void SettingsTransfer::abort(SettingsTransferError::Code code, const QString &text)
{
    if (!isBusy())
        return;
    const bool sending = m_operation == Writing || m_operation == ReadingBack;
    // Nothing was read back: what was acknowledged may or may not have landed.
    const SettingsSendResult result = lineResult();
    end();
    SettingsTransferError error { code, text, std::nullopt };
    if (sending) {
        journalSend(result);
        error.stoppedSend = result;
    }
    emit failed(error);
}

void SettingsTransfer::fail(SettingsTransferError::Code code, const QString &text)
{
    emit failed({ code, text, std::nullopt });
}

void SettingsTransfer::journalSend(const SettingsSendResult &result)
{
    if (WriteJournal *journal = m_monitor->writeJournal())
        journal->recordSendResult(result);
}

// What was read belongs to one relay: losing it ends what runs, and is told while nothing does.
void SettingsTransfer::onCurrentDeviceChanged(int deviceId)
{
    if (isBusy())
        abortNoLongerCurrent();
    else if (m_slaveId > 0 && deviceId != m_slaveId)
        emit relayLost(SettingsTransferError::NoLongerCurrent);
}

void SettingsTransfer::onConnected(bool connected)
{
    if (connected)
        return;
    if (isBusy())
        abort(SettingsTransferError::PortClosed,
            tr("The port was closed; the operation with Device %1 was stopped.").arg(m_slaveId));
    else if (m_slaveId > 0)
        emit relayLost(SettingsTransferError::PortClosed);
}

void SettingsTransfer::abortNoLongerCurrent()
{
    abort(SettingsTransferError::NoLongerCurrent,
        tr("Device %1 is no longer the current device; the operation was stopped.").arg(m_slaveId));
}

void SettingsTransfer::end()
{
    m_stallTimer->stop();
    m_operation = Idle;
    m_pending.clear();
    m_toWrite.clear();
}
