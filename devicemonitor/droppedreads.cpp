// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/droppedreads.h"

#include "devicedata/devicedata.h"
#include "devicemonitor/devicemonitor.h"

#include <QTimer>

#include <utility>

DroppedReads::DroppedReads(DeviceMonitor *monitor, Awaited awaited, QObject *parent)
    : QObject(parent), m_monitor(monitor), m_awaited(std::move(awaited))
{
    connect(monitor, &DeviceMonitor::readsStopped, this, &DroppedReads::askAgainLater);
}

void DroppedReads::askAgainLater()
{
    QTimer::singleShot(0, this, &DroppedReads::askAgain);
}

void DroppedReads::askAgain()
{
    const QList<DeviceData *> awaited = m_awaited();
    if (awaited.isEmpty())
        return;
    if (!m_monitor->isCurrentDeviceAvailable()) {
        emit deviceLost();
        return;
    }
    QList<DeviceData *> dropped;
    for (DeviceData *block : awaited) {
        if (block->state() == DeviceData::Inactive)
            dropped.append(block);
    }
    if (dropped.isEmpty())
        return;
    m_monitor->readFromCurrentDevice(dropped);
    emit askedAgain();
}
