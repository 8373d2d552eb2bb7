// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/relaysession.h"

#include "devicedata/crashcountdata.h"
#include "devicedata/crashlogdata.h"
#include "devicedata/deviceinfodata.h"
#include "devicedata/devicetimedata.h"
#include "devicedata/meterageconfigurationdata.h"
#include "devicedata/modulesdata.h"
#include "devicedata/protectionconfigurationdata.h"
#include "devicedata/setpointsdata.h"
#include "devicemonitor/devicemonitor.h"

#include <algorithm>
#include <utility>

RelaySession::RelaySession(DeviceMonitor *monitor, int slaveId, QObject *parent)
    : QObject(parent),
      m_monitor(monitor),
      m_slaveId(slaveId),
      m_deviceInfo(new DeviceInfoData(this)),
      m_modules(new ModulesData(this)),
      m_deviceTime(new DeviceTimeData(this)),
      m_crashCount(new CrashCountData(this)),
      m_crashLog(new CrashLogData(this)),
      m_meterageConfiguration(new MeterageConfigurationData(this)),
      m_protectionConfiguration(new ProtectionConfigurationData(this)),
      m_setpoints(new SetpointsData(this))
{
    const QList<DeviceData *> blocks = ownTypeBlocks() << m_deviceInfo << m_crashLog;
    for (DeviceData *block : blocks) {
        connect(block, &DeviceData::stateChanged, this,
            [this, block](DeviceData::State current, DeviceData::State previous) {
                if (current == DeviceData::Inactive && previous == DeviceData::Reading)
                    onBlockRead(block);
            });
    }
    // The monitor drops the reads queued when the line or the current device changes: they
    // would never come back.
    connect(monitor, &DeviceMonitor::readsStopped, this, [this] {
        if (isReading())
            finish(Stopped);
    });
}

RelaySession::~RelaySession() = default;

QList<DeviceData *> RelaySession::ownTypeBlocks() const
{
    return { m_modules, m_deviceTime, m_crashCount, m_meterageConfiguration,
        m_protectionConfiguration, m_setpoints };
}

void RelaySession::read()
{
    if (isReading())
        return;
    m_outcome = NotRead;
    m_clockOffset.reset();
    m_deviceTimeReadAt = QDateTime();
    m_crashLogReadAt = QDateTime();
    const QList<DeviceData *> blocks = ownTypeBlocks() << m_deviceInfo << m_crashLog;
    for (DeviceData *block : blocks)
        block->reset();
    m_monitor->setCurrentDeviceId(m_slaveId);
    // Another type's registers mean other things: only its identity is asked for.
    queue({ m_deviceInfo });
}

// The reads already queued still go out, a few frames, and are let be: dropping them would stop
// the window's refresh of the same relay too.
void RelaySession::cancel()
{
    if (isReading())
        finish(Stopped);
}

void RelaySession::queue(const QList<DeviceData *> &blocks)
{
    m_pending += blocks;
    m_monitor->readFromCurrentDevice(blocks);
}

void RelaySession::onBlockRead(DeviceData *block)
{
    if (!m_pending.removeOne(block))
        return;
    if (block == m_deviceInfo) {
        if (!block->isReadSuccessful())
            return finish(NotAnswering);
        if (!isOfOwnType())
            return finish(AnotherType);
        queue(ownTypeBlocks());
        return;
    }
    if (block == m_deviceTime && block->isReadSuccessful()) {
        m_deviceTimeReadAt = QDateTime::currentDateTime();
        m_clockOffset = m_deviceTimeReadAt.secsTo(m_deviceTime->deviceTime().dateTime.value);
    }
    if (block == m_crashCount && m_readsCrashLog && block->isReadSuccessful()) {
        const int count = int(m_crashCount->crashCount().value);
        // A relay with no crash stores no record: there is nothing to ask for.
        if (count > 0) {
            m_crashLog->setCrashCount(count);
            queue({ m_crashLog });
        } else {
            m_crashLogReadAt = QDateTime::currentDateTime();
        }
    }
    if (block == m_crashLog) {
        // Only the pages the count asks for go out; the others keep no result.
        const QVector<ModbusRequest> &pages = std::as_const(*m_crashLog).readRequests();
        if (std::all_of(pages.cbegin(), pages.cend(), [](const ModbusRequest &page) {
                return !page.isEnabled() || page.result() == ModbusRequest::Success;
            }))
            m_crashLogReadAt = QDateTime::currentDateTime();
    }
    if (m_pending.isEmpty()) {
        const QList<DeviceData *> read = ownTypeBlocks() << m_deviceInfo;
        const bool whole = std::all_of(
            read.cbegin(), read.cend(), [](DeviceData *each) { return each->isReadSuccessful(); });
        finish(whole && (!m_readsCrashLog || m_crashLogReadAt.isValid()) ? Complete : Incomplete);
    }
}

void RelaySession::finish(Outcome outcome)
{
    m_pending.clear();
    m_outcome = outcome;
    emit finished();
}

const DeviceInfo &RelaySession::deviceInfo() const
{
    return m_deviceInfo->deviceInfo();
}

bool RelaySession::isOfOwnType() const
{
    const DataValue &type = deviceInfo().deviceTypeCode;
    return type.status != NoData && type.value == OwnDeviceTypeCode;
}

const DataValue &RelaySession::modules() const
{
    return m_modules->modules();
}

const DataValue &RelaySession::crashCount() const
{
    return m_crashCount->crashCount();
}

std::optional<qint64> RelaySession::clockOffsetSeconds() const
{
    return m_clockOffset;
}

std::optional<RelaySettings> RelaySession::settings() const
{
    const DeviceInfo &info = deviceInfo();
    const QList<DataValue> identity { info.deviceTypeCode, info.serialNumber, info.softwareVersion,
        modules() };
    if (std::any_of(identity.cbegin(), identity.cend(),
            [](const DataValue &value) { return value.status != Valid; }))
        return std::nullopt;
    RelaySettings relay;
    relay.identity = { info.deviceTypeCode.value, info.serialNumber.value,
        info.softwareVersion.value, modules().value, m_slaveId };
    const bool whole = collectFieldValues(m_meterageConfiguration->fields(),
                           m_meterageConfiguration->configuration(), relay.values)
        && collectFieldValues(m_protectionConfiguration->fields(),
            m_protectionConfiguration->configuration(), relay.values)
        && collectFieldValues(m_setpoints->fields(), m_setpoints->setpoints(), relay.values);
    if (!whole)
        return std::nullopt;
    return relay;
}

ReportSources RelaySession::reportSources() const
{
    ReportSources sources;
    sources.deviceId = m_slaveId;
    sources.deviceInfo = deviceInfo();
    sources.modules = m_modules;
    sources.deviceTime = m_deviceTime;
    sources.meterageConfiguration = m_meterageConfiguration;
    sources.protectionConfiguration = m_protectionConfiguration;
    sources.setpoints = m_setpoints;
    sources.crashCount = m_crashCount;
    sources.crashLog = m_crashLog;
    sources.deviceTimeReadAt = m_deviceTimeReadAt;
    sources.crashLogReadAt = m_crashLogReadAt;
    return sources;
}
