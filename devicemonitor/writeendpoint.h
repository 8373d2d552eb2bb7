// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WRITEENDPOINT_H
#define WRITEENDPOINT_H

#include <QObject>
#include <QString>

#include <optional>

class DeviceData;

// The line as a write operation sees it: the device monitor in the program, a fake in tests. A
// block read ends as its state returns from Reading to Inactive; one stopped on the way says so
// (DeviceData::isReadStopped()) and is asked for again.
class WriteEndpoint : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void read(int slaveId, DeviceData *block) = 0;
    virtual void write(int slaveId, DeviceData *block) = 0;
    // Drops the writes queued or on the line; each is told by written().
    virtual void cancelWrites() = 0;
    // The serial number the device list shows for the relay at `slaveId`; none when the list does
    // not show one (the ID was set directly, or the scan could not read it).
    virtual std::optional<qint64> shownSerialNumber(int slaveId) const = 0;
    // The port or the gateway's address, as the journal names it.
    virtual QString name() const = 0;

signals:
    // A write of `block` ended, also one dropped before it began: its requests tell how.
    void written(DeviceData *block);
    // Reads still queued were dropped, without telling their blocks.
    void readsStopped();
};

#endif // WRITEENDPOINT_H
