// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/deviceinfodata.h"

namespace {

// 4 to 7 are read along and carry nothing the program uses.
const Field<DeviceInfo> DeviceInfoFields[] = {
    { &DeviceInfo::deviceTypeCode, { 0, "deviceTypeCode" } },
    { &DeviceInfo::softwareVersion, { 1, "softwareVersion" } },
    { &DeviceInfo::serialNumber, { 2, "serialNumber", FieldDescription::DoubleWord } },
    { &DeviceInfo::modbusId, { 8, "modbusId" } },
    { &DeviceInfo::modbusBaudRate, { 9, "modbusBaudRate" } },
};

} // namespace

FieldList<DeviceInfo> deviceInfoFields()
{
    return DeviceInfoFields;
}

void markOutdated(DeviceInfo &info)
{
    markFieldsOutdated(deviceInfoFields(), info);
}

DeviceInfoData::DeviceInfoData(QObject *parent) : FieldBlock(DeviceInfoFields, parent, ReadOnly)
{
    qRegisterMetaType<DeviceInfo>();
}
