// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/settingstransfer.h"

#include "devicedata/deviceinfodata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/registersequencedata.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/droppedreads.h"
#include "devicemonitor/writeoperation.h"

#include <QTimer>

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

SettingsTransfer::SettingsTransfer(DeviceMonitor *monitor, QObject *parent)
    : QObject(parent),
      m_monitor(monitor),
      m_deviceInfo(new DeviceInfoData(this)),
      m_modules(new ModulesData(this)),
      m_settings(this),
      m_sequence(new RegisterSequenceData(this)),
      m_stallTimer(new QTimer(this))
{
    m_stallTimer->setSingleShot(true);
    connect(m_stallTimer, &QTimer::timeout, this, [this] {
        if (m_operation != Reading)
            return;
        const int slaveId = m_slaveId;
        end();
        fail(SettingsTransferError::NoAnswer,
            tr("Device %1 did not answer in time; the operation was stopped.").arg(slaveId));
    });
    const QList<DeviceData *> blocks = allBlocks();
    for (DeviceData *block : blocks) {
        connect(block, &DeviceData::stateChanged, this,
            [this, block](DeviceData::State current, DeviceData::State previous) {
                if (current == DeviceData::Inactive && previous == DeviceData::Reading)
                    onBlockRead(block);
            });
    }
    connect(monitor, &DeviceMonitor::currentDeviceIdChanged, this,
        &SettingsTransfer::onCurrentDeviceChanged);
    connect(monitor, &DeviceMonitor::connected, this, &SettingsTransfer::onConnected);
    // A send is stopped by the monitor itself, and tells so through its operation.
    connect(monitor, &DeviceMonitor::stateChanged, this, [this](DeviceMonitor::State state) {
        if (state == DeviceMonitor::Scanning && m_operation == Reading)
            abortRead(SettingsTransferError::ScanStarted);
    });
    auto *droppedReads = new DroppedReads(
        monitor, [this] { return awaitedReads(); }, this);
    connect(droppedReads, &DroppedReads::askedAgain, m_stallTimer, qOverload<>(&QTimer::start));
    connect(droppedReads, &DroppedReads::deviceLost, this,
        [this] { abortRead(SettingsTransferError::NoLongerCurrent); });
}

DeviceData *SettingsTransfer::writingBlock() const
{
    return m_sequence;
}

QList<DeviceData *> SettingsTransfer::allBlocks() const
{
    return QList<DeviceData *> { m_deviceInfo, m_modules } + m_settings.list();
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
    m_lossTold = false;
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
    if (!start(Sending, plan.relay().identity.slaveId))
        return;
    WriteOrder order;
    order.slaveId = m_slaveId;
    order.plan = plan;
    order.sequence = m_sequence;
    order.kind = kind;
    WriteOperation *operation = m_monitor->startWrite(order);
    connect(operation, &WriteOperation::finished, this, &SettingsTransfer::onSendFinished);
}

void SettingsTransfer::onBlockRead(DeviceData *block)
{
    // A read stopped on the way stays pending: it is asked for again.
    if (m_operation != Reading || !m_pending.contains(block) || block->isReadStopped())
        return;
    m_pending.remove(block);
    m_stallTimer->start();
    if (m_pending.isEmpty())
        finishRead();
}

QList<DeviceData *> SettingsTransfer::awaitedReads() const
{
    QList<DeviceData *> awaited;
    if (m_operation != Reading)
        return awaited;
    const QList<DeviceData *> blocks = allBlocks();
    for (DeviceData *block : blocks) {
        if (m_pending.contains(block))
            awaited.append(block);
    }
    return awaited;
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
    RelaySettings relay;
    relay.identity.slaveId = m_slaveId;
    relay.values = m_settings.valuesRead(&unread);
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

void SettingsTransfer::onSendFinished(const WriteResult &result)
{
    const int slaveId = m_slaveId;
    end();
    switch (result.end) {
    case WriteResult::Finished:
        emit sendFinished(result.send);
        // The send ended on its relay; what it read back is not the current device's.
        if (m_monitor->currentDeviceId() != slaveId) {
            m_lossTold = true;
            emit relayLost(SettingsTransferError::NoLongerCurrent);
        }
        return;
    case WriteResult::Refused:
        if (result.refusal == WriteResult::JournalUnwritable)
            fail(SettingsTransferError::JournalUnwritable,
                tr("Nothing was sent to device %1: the journal could not record the send.")
                    .arg(slaveId));
        else
            fail(SettingsTransferError::NoDevice, result.reason);
        return;
    case WriteResult::Stopped:
        break;
    }
    const SettingsTransferError::Code code = result.stop == WriteResult::ScanStarted
        ? SettingsTransferError::ScanStarted
        : SettingsTransferError::PortClosed;
    m_lossTold = code == SettingsTransferError::PortClosed;
    // Nothing was read back: what was acknowledged may or may not have landed.
    emit failed({ code, stoppedText(code), result.send });
}

QString SettingsTransfer::stoppedText(SettingsTransferError::Code code) const
{
    switch (code) {
    case SettingsTransferError::PortClosed:
        return tr("The port was closed; the operation with Device %1 was stopped.").arg(m_slaveId);
    case SettingsTransferError::ScanStarted:
        return tr("A scan started; the operation with Device %1 was stopped.").arg(m_slaveId);
    default:
        return tr("Device %1 is no longer the current device; the operation was stopped.")
            .arg(m_slaveId);
    }
}

void SettingsTransfer::abortRead(SettingsTransferError::Code code)
{
    if (m_operation != Reading)
        return;
    const QString text = stoppedText(code);
    end();
    m_lossTold = code != SettingsTransferError::ScanStarted;
    fail(code, text);
}

void SettingsTransfer::fail(SettingsTransferError::Code code, const QString &text)
{
    emit failed({ code, text, std::nullopt });
}

// What was read belongs to one relay: losing it ends a read, and is told while nothing runs. A
// send goes on to its end on the relay it began with.
void SettingsTransfer::onCurrentDeviceChanged(int deviceId)
{
    if (m_operation == Reading)
        abortRead(SettingsTransferError::NoLongerCurrent);
    else if (!isBusy() && m_slaveId > 0 && deviceId != m_slaveId && !m_lossTold)
        emit relayLost(SettingsTransferError::NoLongerCurrent);
}

void SettingsTransfer::onConnected(bool connected)
{
    if (connected)
        return;
    if (m_operation == Reading)
        abortRead(SettingsTransferError::PortClosed);
    else if (!isBusy() && m_slaveId > 0 && !m_lossTold)
        emit relayLost(SettingsTransferError::PortClosed);
}

void SettingsTransfer::end()
{
    m_stallTimer->stop();
    m_operation = Idle;
    m_pending.clear();
}
