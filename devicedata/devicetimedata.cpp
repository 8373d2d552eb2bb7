// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/devicetimedata.h"

#include "devicedata/blockhelpers.h"
#include "devicedata/relaydatetime.h"

namespace {

constexpr quint16 YearMonthRegister = 12;
constexpr quint16 DayHourRegister = 13;
constexpr quint16 MinuteSecondRegister = 14;
constexpr quint16 AutoDstRegister = 15;

} // namespace

void markOutdated(DeviceTime &deviceTime)
{
    markOutdated(deviceTime.dateTime);
    markOutdated(deviceTime.autoDst);
}

DeviceTimeData::DeviceTimeData(QObject *parent) : DeviceData(parent)
{
    readRequests().append(ModbusRequest(ModbusRequest::ReadHoldingRegisters, YearMonthRegister, 4,
        [this](ModbusRequest::Result result, const ModbusRegisters &registers) {
            updateRecord(m_deviceTime, result, [&registers] {
                const RelayDateTimeWords words { registers.value(YearMonthRegister),
                    registers.value(DayHourRegister), registers.value(MinuteSecondRegister) };
                return DeviceTime { validValue(decodeRelayDateTime(words)),
                    validValue(registers.value(AutoDstRegister)) };
            });
        }));

    // The flag goes first, then the time from the seconds down to the year:
    // the relay takes the new time over when the year register arrives.
    writeRequests().append(
        singleRegisterWrite(AutoDstRegister, m_newDeviceTime, &DeviceTime::autoDst));
    const auto timeWord = [this](quint16 address, quint16 RelayDateTimeWords::*word) {
        return ModbusRequest(ModbusRequest::WriteSingleRegister, address, 1,
            [this, address, word](ModbusRegisters &registers) {
                const RelayDateTimeWords words
                    = encodeRelayDateTime(m_newDeviceTime.dateTime.value);
                registers.setValue(address, words.*word);
            });
    };
    writeRequests().append(timeWord(MinuteSecondRegister, &RelayDateTimeWords::minuteSecond));
    writeRequests().append(timeWord(DayHourRegister, &RelayDateTimeWords::dayHour));
    writeRequests().append(timeWord(YearMonthRegister, &RelayDateTimeWords::yearMonth));
}

void DeviceTimeData::setNewDeviceTime(const DeviceTime &deviceTime)
{
    m_newDeviceTime = deviceTime;
}

void DeviceTimeData::resetData()
{
    m_deviceTime = DeviceTime();
}
