// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WRITEIDENTITYCHECK_H
#define WRITEIDENTITYCHECK_H

#include <QList>
#include <QObject>
#include <QString>

class DeviceData;
class DeviceInfoData;
class DeviceMonitor;
class DroppedReads;

// Before a write to one relay goes out, reads who the relay is: the cable may have moved to
// another bus with the same ID, or the relay been swapped, since the scan that listed it. The
// write goes on only when the relay is the one the list shows (or the list shows none), and is
// the current device still.
class WriteIdentityCheck : public QObject
{
    Q_OBJECT

public:
    explicit WriteIdentityCheck(DeviceMonitor *monitor, QObject *parent = nullptr);

    // Checks the current device for the write of `blocks`; confirmed() or refused() follows.
    void check(int slaveId, const QList<DeviceData *> &blocks);

    // Why nothing is written to a relay that is not the one shown, naming both serial numbers.
    static QString anotherRelayText(int slaveId, qint64 serialNow, qint64 serialShown);

signals:
    void confirmed(int slaveId, const QList<DeviceData *> &blocks);
    void refused(int slaveId, const QList<DeviceData *> &blocks, const QString &reason);

private:
    struct Pending
    {
        int slaveId;
        QList<DeviceData *> blocks;
    };

    void onIdentityRead();
    void refuseAll(const QString &reason);

    DeviceMonitor *m_monitor;
    DeviceInfoData *m_identity;
    DroppedReads *m_droppedReads;
    QList<Pending> m_pending;
};

#endif // WRITEIDENTITYCHECK_H
