#include "devicemonitor/devicelistmodel.h"

#include <QColor>

namespace {

// The type code of the relays this program is made for; anything else that
// answers is listed, but stands out.
const qint64 ownDeviceTypeCode = 0x8D90;

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
        return QColor(item.info.deviceTypeCode.value == ownDeviceTypeCode
                ? QStringLiteral("black")
                : QStringLiteral("orange"));
    default:
        return QVariant();
    }
}

void DeviceListModel::addDevice(int deviceId, const DeviceInfo &info)
{
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_items.push_back(std::make_unique<DeviceListItem>(DeviceListItem { deviceId, info }));
    endInsertRows();
}

void DeviceListModel::clear()
{
    beginResetModel();
    m_items.clear();
    endResetModel();
}

int DeviceListModel::deviceIdAt(int row) const
{
    return m_items.at(size_t(row))->deviceId;
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
    return &m_items.at(size_t(row))->info;
}
