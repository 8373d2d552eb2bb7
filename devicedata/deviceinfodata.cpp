// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/deviceinfodata.h"

namespace {

enum Register : quint16 {
    DeviceTypeCode = 0,
    SoftwareVersion = 1,
    SerialNumberHigh = 2,
    SerialNumberLow = 3,
    // 4 to 7 carry nothing the program uses
    ModbusId = 8,
    ModbusBaudRate = 9,
};

} // namespace

void markOutdated(DeviceInfo &info)
{
    markOutdated(info.deviceTypeCode, info.softwareVersion, info.serialNumber, info.modbusId,
        info.modbusBaudRate);
}

DeviceInfoData::DeviceInfoData(QObject *parent) : DeviceData(parent)
{
    qRegisterMetaType<DeviceInfo>();
    readRequests().append(ModbusRequest(ModbusRequest::ReadHoldingRegisters, DeviceTypeCode, 10,
        [this](ModbusRequest::Result result, const ModbusRegisters &registers) {
            updateRecord(m_deviceInfo, result, [&registers] {
                DeviceInfo info;
                info.deviceTypeCode = validValue(registers.value(DeviceTypeCode));
                info.softwareVersion = validValue(registers.value(SoftwareVersion));
                info.serialNumber = validValue(quint32(registers.value(SerialNumberHigh)) << 16
                    | registers.value(SerialNumberLow));
                info.modbusId = validValue(registers.value(ModbusId));
                info.modbusBaudRate = validValue(registers.value(ModbusBaudRate));
                return info;
            });
        }));
}

void DeviceInfoData::resetData()
{
    m_deviceInfo = DeviceInfo();
}
