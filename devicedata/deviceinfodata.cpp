// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/deviceinfodata.h"

namespace {

// 4 to 7 are read along and carry nothing the program uses.
constexpr Field<DeviceInfo> DeviceInfoFields[] = {
    { &DeviceInfo::deviceTypeCode, registerField(0, "deviceTypeCode") },
    { &DeviceInfo::softwareVersion, registerField(1, "softwareVersion") },
    { &DeviceInfo::serialNumber, doubleWordField(2, "serialNumber") },
    { &DeviceInfo::modbusId, registerField(8, "modbusId") },
    { &DeviceInfo::modbusBaudRate, registerField(9, "modbusBaudRate") },
};
static_assert(isWellFormed(DeviceInfoFields));

} // namespace

FieldList<DeviceInfo> deviceInfoFields()
{
    return DeviceInfoFields;
}

DeviceInfoData::DeviceInfoData(QObject *parent) : FieldBlock(DeviceInfoFields, parent, ReadOnly)
{
    qRegisterMetaType<DeviceInfo>();
}
