// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICELISTMODEL_H
#define DEVICELISTMODEL_H

#include "devicedata/deviceinfodata.h"
#include "devicemonitor/relayhealth.h"

class TurnaroundStats;

#include <QAbstractListModel>
#include <QHash>

#include <memory>
#include <vector>

// The relays found by the last scan, in ascending slave ID (a relay a quick
// scan found when it asked again takes its place among them), each with the
// identity it reported, and how each has been answering since that scan
// began: a tooltip with the counts and the relay's turnaround, and a red
// marker on a relay that stopped answering.
class DeviceListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit DeviceListModel(QObject *parent = nullptr);
    ~DeviceListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    void addDevice(int deviceId, const DeviceInfo &info);
    // Where the tooltips take each relay's turnaround from; none when null.
    void setTurnarounds(const TurnaroundStats *turnarounds) { m_turnarounds = turnarounds; }
    void clear();

    // The row accessors take any row, such as rowOfDevice()'s -1 or a row from before the list
    // changed: a row outside the list has no slave ID (-1), no identity (nullptr) and is not of
    // another type.
    int deviceIdAt(int row) const;
    int rowOfDevice(int deviceId) const;
    const DeviceInfo *deviceInfoAt(int row) const;
    // A relay this program is not made for: listed in orange.
    bool isOfAnotherType(int row) const;

    // Counted for every slave ID the line talked to since the last clear(),
    // listed or not; an ID never addressed reads as all zeros.
    RelayHealth health(int deviceId) const;

public slots:
    void countTransaction(const ModbusTransaction &transaction);

signals:
    void healthChanged(int deviceId);

private:
    struct DeviceListItem
    {
        int deviceId;
        DeviceInfo info;
    };

    const DeviceListItem *itemAt(int row) const;

    std::vector<std::unique_ptr<DeviceListItem>> m_items;
    QHash<int, RelayHealth> m_health;
    const TurnaroundStats *m_turnarounds = nullptr;
};

#endif // DEVICELISTMODEL_H
