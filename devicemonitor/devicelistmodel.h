#ifndef DEVICELISTMODEL_H
#define DEVICELISTMODEL_H

#include "devicedata/deviceinfodata.h"

#include <QAbstractListModel>

#include <memory>
#include <vector>

// The relays found by the last scan, in the order they answered (ascending
// slave ID), each with the identity it reported.
class DeviceListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit DeviceListModel(QObject *parent = nullptr);
    ~DeviceListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    void addDevice(int deviceId, const DeviceInfo &info);
    void clear();

    int deviceIdAt(int row) const;
    int rowOfDevice(int deviceId) const;
    const DeviceInfo *deviceInfoAt(int row) const;

private:
    struct DeviceListItem
    {
        int deviceId;
        DeviceInfo info;
    };

    std::vector<std::unique_ptr<DeviceListItem>> m_items;
};

#endif // DEVICELISTMODEL_H
