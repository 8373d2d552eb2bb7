// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/writeidentitycheck.h"

#include "devicedata/deviceinfodata.h"
#include "devicedata/identitytext.h"
#include "devicemonitor/devicelistmodel.h"
#include "devicemonitor/devicemonitor.h"
#include "devicemonitor/droppedreads.h"

#include <utility>

WriteIdentityCheck::WriteIdentityCheck(DeviceMonitor *monitor, QObject *parent)
    : QObject(parent),
      m_monitor(monitor),
      m_identity(new DeviceInfoData(this)),
      m_droppedReads(new DroppedReads(
          monitor,
          [this] {
              return m_pending.isEmpty() ? QList<DeviceData *>()
                                         : QList<DeviceData *> { m_identity };
          },
          this))
{
    connect(m_identity, &DeviceData::stateChanged, this,
        [this](DeviceData::State current, DeviceData::State previous) {
            if (current == DeviceData::Inactive && previous == DeviceData::Reading)
                onIdentityRead();
        });
    connect(m_droppedReads, &DroppedReads::deviceLost, this,
        [this] { refuseAll(tr("Nothing was written: the device can no longer be reached.")); });
    // The write was meant for the relay that was current when it was asked for.
    connect(monitor, &DeviceMonitor::currentDeviceIdChanged, this,
        [this] { refuseAll(tr("Nothing was written: another device was chosen meanwhile.")); });
}

QString WriteIdentityCheck::anotherRelayText(int slaveId, qint64 serialNow, qint64 serialShown)
{
    return tr("Nothing was written: Device %1 is now serial number %2, not serial number %3 as "
              "shown. Scan the line again.")
        .arg(slaveId)
        .arg(serialNumberText(serialNow), serialNumberText(serialShown));
}

void WriteIdentityCheck::check(int slaveId, const QList<DeviceData *> &blocks)
{
    m_pending.append({ slaveId, blocks });
    // One read answers for every write asked for meanwhile.
    if (m_pending.size() == 1)
        m_monitor->readFromCurrentDevice({ m_identity });
}

void WriteIdentityCheck::onIdentityRead()
{
    // A read stopped on the way is asked for again.
    if (m_pending.isEmpty() || m_identity->isReadStopped())
        return;
    const QList<Pending> pending = std::exchange(m_pending, {});
    const DeviceInfo &read = m_identity->deviceInfo();
    for (const Pending &write : pending) {
        const DeviceListModel *devices = m_monitor->deviceListModel();
        const DeviceInfo *shown = devices->deviceInfoAt(devices->rowOfDevice(write.slaveId));
        if (!m_identity->isReadSuccessful() || read.serialNumber.status != Valid)
            emit refused(write.slaveId, write.blocks,
                tr("Nothing was written: Device %1 did not say which relay it is.")
                    .arg(write.slaveId));
        else if (shown && shown->serialNumber.status != NoData
            && shown->serialNumber.value != read.serialNumber.value)
            emit refused(write.slaveId, write.blocks,
                anotherRelayText(
                    write.slaveId, read.serialNumber.value, shown->serialNumber.value));
        else
            emit confirmed(write.slaveId, write.blocks);
    }
}

void WriteIdentityCheck::refuseAll(const QString &reason)
{
    const QList<Pending> pending = std::exchange(m_pending, {});
    for (const Pending &write : pending)
        emit refused(write.slaveId, write.blocks, reason);
}
