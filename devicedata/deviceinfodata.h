// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DEVICEINFODATA_H
#define DEVICEINFODATA_H

#include "devicedata/fieldtable.h"

#include <QMetaType>

// The device type code of the relays this program is made for, whose fields it knows.
inline constexpr qint64 OwnDeviceTypeCode = 0x8D90;

// A relay's identity. Copied by value into the device list, one per relay found.
struct DeviceInfo
{
    DataValue deviceTypeCode;
    DataValue softwareVersion; // hundredths: 105 is version 1.05
    DataValue serialNumber; // 32 bits, from two registers
    DataValue modbusId;
    DataValue modbusBaudRate; // as the relay stores it
};

FieldList<DeviceInfo> deviceInfoFields();

Q_DECLARE_METATYPE(DeviceInfo)

// Identity registers 0 to 9; the scan reads it from every slave ID it probes.
class DeviceInfoData : public FieldBlock<DeviceInfo>
{
    Q_OBJECT

public:
    explicit DeviceInfoData(QObject *parent = nullptr);

    const DeviceInfo &deviceInfo() const { return values(); }
};

#endif // DEVICEINFODATA_H
