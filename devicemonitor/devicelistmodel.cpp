// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/devicelistmodel.h"

#include "devicemonitor/relayhealthtext.h"
#include "devicemonitor/turnaroundstats.h"

#include <QColor>

#include <algorithm>

namespace {

// Writes to all relays go to slave 0; nobody answers them.
constexpr uint BroadcastSlaveId = 0;

} // namespace

DeviceListModel::DeviceListModel(QObject *parent) : QAbstractListModel(parent)
{
}

DeviceListModel::~DeviceListModel() = default;

int DeviceListModel::rowCount(const QModelIndex &) const
{
    return int(m_items.size());
}

QVariant DeviceListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const DeviceListItem &item = *m_items.at(size_t(index.row()));
    switch (role) {
    case Qt::DisplayRole:
        return tr("Device %1").arg(item.deviceId);
    case Qt::ForegroundRole:
        return QColor(
            isOfAnotherType(index.row()) ? QStringLiteral("orange") : QStringLiteral("black"));
    case Qt::ToolTipRole:
        return RelayHealthText::text(item.deviceId, health(item.deviceId), RelayHealthText::Lines,
            m_turnarounds ? m_turnarounds->relay(item.deviceId) : TurnaroundStats::Summary());
    case Qt::DecorationRole:
        if (health(item.deviceId).hasStoppedAnswering())
            return QColor(Qt::red);
        return QVariant();
    default:
        return QVariant();
    }
}

void DeviceListModel::addDevice(int deviceId, const DeviceInfo &info)
{
    const auto at = std::upper_bound(m_items.cbegin(), m_items.cend(), deviceId,
        [](int id, const std::unique_ptr<DeviceListItem> &item) { return id < item->deviceId; });
    const int row = int(at - m_items.cbegin());
    beginInsertRows(QModelIndex(), row, row);
    m_items.insert(at, std::make_unique<DeviceListItem>(DeviceListItem { deviceId, info }));
    endInsertRows();
}

void DeviceListModel::clear()
{
    beginResetModel();
    m_items.clear();
    m_health.clear();
    endResetModel();
}

const DeviceListModel::DeviceListItem *DeviceListModel::itemAt(int row) const
{
    return row >= 0 && row < rowCount() ? m_items[size_t(row)].get() : nullptr;
}

int DeviceListModel::deviceIdAt(int row) const
{
    const DeviceListItem *item = itemAt(row);
    return item ? item->deviceId : -1;
}

int DeviceListModel::rowOfDevice(int deviceId) const
{
    for (size_t row = 0; row < m_items.size(); ++row) {
        if (m_items[row]->deviceId == deviceId)
            return int(row);
    }
    return -1;
}

const DeviceInfo *DeviceListModel::deviceInfoAt(int row) const
{
    const DeviceListItem *item = itemAt(row);
    return item ? &item->info : nullptr;
}

// Anything that answers is listed, but a relay of another type stands out.
bool DeviceListModel::isOfAnotherType(int row) const
{
    const DeviceInfo *info = deviceInfoAt(row);
    return info && info->deviceTypeCode.value != OwnDeviceTypeCode;
}

RelayHealth DeviceListModel::health(int deviceId) const
{
    return m_health.value(deviceId);
}

void DeviceListModel::countTransaction(const ModbusTransaction &transaction)
{
    if (transaction.outcome == ModbusTransaction::Canceled
        || transaction.slaveId == BroadcastSlaveId)
        return;
    const int deviceId = int(transaction.slaveId);
    RelayHealth &health = m_health[deviceId];
    const bool wasSilent = health.hasStoppedAnswering();
    health.count(transaction);
    if (health.hasStoppedAnswering() != wasSilent) {
        const int row = rowOfDevice(deviceId);
        if (row >= 0)
            emit dataChanged(index(row), index(row), { Qt::DecorationRole });
    }
    emit healthChanged(deviceId);
}
