// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DROPPEDREADS_H
#define DROPPEDREADS_H

#include <QList>
#include <QObject>

#include <functional>

class DeviceData;
class DeviceMonitor;

// Stopping a refresh drops every read queued, also those of an operation that
// waits for blocks of its own. This asks again for the awaited blocks that are
// no longer on their way. One still queued is read twice, which costs a pass
// and judges nothing wrongly.
class DroppedReads : public QObject
{
    Q_OBJECT

public:
    // The blocks whose reads have not come back yet; none while nothing is awaited.
    using Awaited = std::function<QList<DeviceData *>()>;

    DroppedReads(DeviceMonitor *monitor, Awaited awaited, QObject *parent = nullptr);

    // Deferred, so that a change of device or port that stopped the reads has
    // been announced, and has ended what waited for them, first. Called on
    // every readsStopped(); also for a stopped read seen some other way.
    void askAgainLater();

signals:
    // The dropped reads were queued again.
    void askedAgain();
    // Reads were awaited, but the current device can no longer be read.
    void deviceLost();

private:
    void askAgain();

    DeviceMonitor *m_monitor;
    Awaited m_awaited;
};

#endif // DROPPEDREADS_H
