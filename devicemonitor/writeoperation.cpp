// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/writeoperation.h"

#include "devicedata/deviceinfodata.h"
#include "devicedata/identitytext.h"
#include "devicedata/modulesdata.h"
#include "devicedata/registersequencedata.h"
#include "devicemonitor/requestoutcome.h"
#include "devicemonitor/writeendpoint.h"

#include <algorithm>

namespace {

// A block read before holds the results of then; this read must not mistake them for its own.
void clearReadResults(DeviceData *block)
{
    block->reset();
    for (ModbusRequest &request : block->readRequests())
        request.setFailed(ModbusRequest::NoResult);
}

} // namespace

WriteOperation::WriteOperation(
    WriteEndpoint *endpoint, WriteJournal *journal, WriteOrder order, QObject *parent)
    : QObject(parent),
      m_endpoint(endpoint),
      m_journal(journal),
      m_order(std::move(order)),
      m_identity(new DeviceInfoData(this)),
      m_modules(new ModulesData(this)),
      m_readBack(this)
{
    const QList<DeviceData *> reads = m_readBack.list() << m_identity << m_modules;
    for (DeviceData *block : reads) {
        connect(block, &DeviceData::stateChanged, this,
            [this, block](DeviceData::State current, DeviceData::State previous) {
                if (current == DeviceData::Inactive && previous == DeviceData::Reading)
                    onRead(block);
            });
    }
    connect(endpoint, &WriteEndpoint::written, this, &WriteOperation::onWritten);
    connect(endpoint, &WriteEndpoint::readsStopped, this, &WriteOperation::askAgainForDroppedReads);
}

QString WriteOperation::anotherRelayText(int slaveId, qint64 serialNow, qint64 serialShown)
{
    return tr("Nothing was written: Device %1 is now serial number %2, not serial number %3 as "
              "shown. Scan the line again.")
        .arg(slaveId)
        .arg(serialNumberText(serialNow), serialNumberText(serialShown));
}

QList<DeviceData *> WriteOperation::writtenBlocks() const
{
    if (isSettingsWrite())
        return { m_order.sequence };
    return m_order.blocks;
}

void WriteOperation::start()
{
    if (m_phase != Idle)
        return;
    // A broadcast reaches every relay and asks none which it is.
    if (m_order.slaveId == 0) {
        begin({ 0, m_endpoint->name(), 0, std::nullopt });
        return;
    }
    m_phase = CheckingIdentity;
    clearReadResults(m_identity);
    m_awaitedReads = { m_identity };
    m_endpoint->read(m_order.slaveId, m_identity);
}

void WriteOperation::onRead(DeviceData *block)
{
    // A read stopped on the way is asked for again (askAgainForDroppedReads()).
    if (!m_awaitedReads.contains(block) || block->isReadStopped())
        return;
    m_awaitedReads.removeOne(block);
    if (m_phase == CheckingIdentity)
        onIdentityRead();
    else if (m_phase == ReadingRelay && m_awaitedReads.isEmpty())
        onRelayRead();
    else if (m_phase == ReadingBack && m_awaitedReads.isEmpty())
        finish({});
}

void WriteOperation::askAgainForDroppedReads()
{
    for (DeviceData *block : std::as_const(m_awaitedReads)) {
        if (block->state() == DeviceData::Inactive)
            m_endpoint->read(m_order.slaveId, block);
    }
}

void WriteOperation::onIdentityRead()
{
    const int slaveId = m_order.slaveId;
    const DeviceInfo &read = m_identity->deviceInfo();
    if (!m_identity->isReadSuccessful() || read.serialNumber.status != Valid) {
        refuse(WriteResult::NoIdentity,
            tr("Nothing was written: Device %1 did not say which relay it is.").arg(slaveId));
        return;
    }
    // The relay must be the one the list shows, the one a plan was made from and the one
    // expected.
    std::optional<qint64> plannedFor;
    if (m_order.plan && m_order.plan->relay().identity.serialNumber != 0)
        plannedFor = m_order.plan->relay().identity.serialNumber;
    for (const std::optional<qint64> &serial :
        { m_endpoint->shownSerialNumber(slaveId), plannedFor, m_order.expectedSerial }) {
        if (serial && *serial != read.serialNumber.value) {
            refuse(WriteResult::AnotherRelay,
                anotherRelayText(slaveId, read.serialNumber.value, *serial));
            return;
        }
    }
    if (!m_order.fileValues) {
        begin(journalTarget());
        return;
    }
    m_phase = ReadingRelay;
    m_awaitedReads = QList<DeviceData *> { m_modules } + m_readBack.list();
    for (DeviceData *block : std::as_const(m_awaitedReads)) {
        clearReadResults(block);
        m_endpoint->read(slaveId, block);
    }
}

// The relay as read just now: the plan is made from it, for the values of the file that differ.
void WriteOperation::onRelayRead()
{
    QStringList unread;
    RelaySettings relay;
    relay.values = m_readBack.valuesRead(&unread);
    if (!m_modules->isReadSuccessful() || m_modules->modules().status != Valid)
        unread.prepend(tr("the modules"));
    if (!unread.isEmpty()) {
        refuse(WriteResult::Unread,
            tr("Nothing was written: Device %1 could not be read whole (%2).")
                .arg(m_order.slaveId)
                .arg(unread.join(tr(", ", "list separator"))));
        return;
    }
    if (m_order.expected && relay.values != *m_order.expected) {
        refuse(WriteResult::ChangedSinceShown,
            tr("Nothing was written: the settings of Device %1 changed since they were read.")
                .arg(m_order.slaveId));
        return;
    }
    const DeviceInfo &info = m_identity->deviceInfo();
    relay.identity.slaveId = m_order.slaveId;
    relay.identity.deviceTypeCode = info.deviceTypeCode.value;
    relay.identity.serialNumber = info.serialNumber.value;
    relay.identity.softwareVersion = info.softwareVersion.value;
    relay.identity.modules = m_modules->modules().value;
    m_order.plan = SendPlan(relay, differingValues(relay.values, *m_order.fileValues));
    begin(journalTarget());
}

WriteJournal::Target WriteOperation::journalTarget() const
{
    const DeviceInfo &read = m_identity->deviceInfo();
    return { m_order.slaveId, m_endpoint->name(), read.deviceTypeCode.value,
        read.serialNumber.value };
}

void WriteOperation::begin(const WriteJournal::Target &target)
{
    m_phase = Writing;
    if (m_order.plan) {
        QVector<RegisterSequenceData::Write> writes;
        for (const SendPlan::Step &step : m_order.plan->steps())
            writes.append({ step.address, quint16(step.value) });
        m_order.sequence->setWrites(writes);
        // Nothing to write (every value belongs to a module the relay lacks): only the read-back.
        if (!writes.isEmpty())
            m_toWrite = { m_order.sequence };
    } else {
        m_toWrite = m_order.blocks;
    }
    // The intent is on disk before the first frame goes out.
    if (m_journal && !m_toWrite.isEmpty()) {
        m_record = m_order.plan ? m_journal->recordIntent(target, *m_order.plan, m_order.kind)
                                : m_journal->recordIntent(target, m_order.blocks);
        if (!m_record) {
            m_toWrite.clear();
            refuse(WriteResult::JournalUnwritable,
                tr("Nothing was written to Device %1: the journal could not record the write.")
                    .arg(m_order.slaveId));
            return;
        }
    }
    m_began = true;
    writeNext();
}

void WriteOperation::writeNext()
{
    if (m_toWrite.isEmpty()) {
        readBack();
        return;
    }
    m_writing = m_toWrite.takeFirst();
    m_endpoint->write(m_order.slaveId, m_writing);
}

void WriteOperation::onWritten(DeviceData *block)
{
    if (block != m_writing)
        return;
    m_writing = nullptr;
    tell(block);
    if (m_stopping)
        return;
    // A block that did not land whole stops the rest: the relay may hold part of it.
    if (!block->isWriteSuccessful())
        dropUnwritten();
    writeNext();
}

void WriteOperation::tell(DeviceData *block)
{
    if (m_told.contains(block))
        return;
    m_told.append(block);
    emit blockWritten(block, m_order.slaveId);
}

// The blocks still to write never go out: neither an earlier result nor a reply stands for them.
void WriteOperation::dropUnwritten()
{
    const QList<DeviceData *> dropped = std::exchange(m_toWrite, {});
    for (DeviceData *block : dropped) {
        for (ModbusRequest &request : block->writeRequests())
            request.forgetResult();
        tell(block);
    }
}

void WriteOperation::readBack()
{
    if (!isSettingsWrite()) {
        finish({});
        return;
    }
    m_phase = ReadingBack;
    m_awaitedReads = m_readBack.list();
    for (DeviceData *block : std::as_const(m_awaitedReads)) {
        clearReadResults(block);
        m_endpoint->read(m_order.slaveId, block);
    }
}

// None of the blocks went out: neither an earlier result nor a reply stands for their writes.
void WriteOperation::forgetWrites()
{
    const QList<DeviceData *> blocks = writtenBlocks();
    for (DeviceData *block : blocks) {
        for (ModbusRequest &request : block->writeRequests())
            request.forgetResult();
    }
}

void WriteOperation::refuse(WriteResult::Refusal refusal, const QString &reason)
{
    forgetWrites();
    WriteResult result;
    result.end = WriteResult::Refused;
    result.refusal = refusal;
    result.reason = reason;
    finish(result);
}

void WriteOperation::stop(WriteResult::Stop cause, const QString &reason)
{
    if (m_phase == Done)
        return;
    m_stopping = true;
    // The frame on the line may have landed; those after it are told as not sent.
    if (m_writing)
        m_endpoint->cancelWrites();
    // Stopped before its first frame: nothing went out.
    if (!m_began)
        forgetWrites();
    dropUnwritten();
    WriteResult result;
    result.end = WriteResult::Stopped;
    result.stop = cause;
    result.reason = reason;
    finish(result);
}

// Each register's end is that of its last frame that reached the line. A protection switched off
// for a while (or perhaps switched off, if that frame failed) is judged by the frame meant to
// switch it back on, and says so when that frame did not land.
SettingsSendResult WriteOperation::lineResult() const
{
    SettingsSendResult result;
    const SendPlan &plan = *m_order.plan;
    result.relay.identity.slaveId = m_order.slaveId;
    result.sent = plan.target();
    // Every register counts as not sent until the line says otherwise.
    for (auto value = result.sent.cbegin(); value != result.sent.cend(); ++value)
        result.writes.insert(value.key(), RegisterWrite());
    const QVector<ModbusRequest> &requests = m_order.sequence->writeRequests();
    const QVector<SendPlan::Step> &steps = plan.steps();
    for (int i = 0; i < steps.size(); ++i) {
        result.steps.append({ steps.at(i),
            i < requests.size() && m_began ? registerWriteOf(requests.at(i)) : RegisterWrite() });
    }
    result.written = std::all_of(result.steps.cbegin(), result.steps.cend(),
        [](const SentStep &sent) { return sent.write.state == RegisterWrite::Acknowledged; });
    // The frames that surely landed; one that failed unanswered may have, and is told as such.
    const auto landed = std::find_if(result.steps.cbegin(), result.steps.cend(),
        [](const SentStep &sent) { return sent.write.state != RegisterWrite::Acknowledged; });
    if (landed != result.steps.cend())
        result.interim = plan.interimText(int(landed - result.steps.cbegin()));
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

void WriteOperation::finish(WriteResult result)
{
    const bool readBack = m_phase == ReadingBack && result.end == WriteResult::Finished;
    m_phase = Done;
    m_awaitedReads.clear();
    result.slaveId = m_order.slaveId;
    const QList<DeviceData *> blocks = writtenBlocks();
    for (DeviceData *block : blocks)
        tell(block);
    if (m_order.plan) {
        result.send = lineResult();
        if (readBack) {
            QStringList unread;
            result.send.relay.values = m_readBack.valuesRead(&unread);
            result.send.readBack = unread.isEmpty();
        }
        if (m_journal && m_record)
            m_journal->recordSendOutcome(*m_record, result.send);
    } else if (m_journal && m_record) {
        m_journal->recordLineOutcome(*m_record);
    }
    emit finished(result);
}
