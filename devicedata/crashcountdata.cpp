// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/crashcountdata.h"

namespace {

constexpr quint16 CrashCountRegister = 0x4000;

} // namespace

CrashCountData::CrashCountData(QObject *parent) : DeviceData(parent)
{
    readRequests().append(ModbusRequest(ModbusRequest::ReadHoldingRegisters, CrashCountRegister, 1,
        [this](ModbusRequest::Result result, const ModbusRegisters &registers) {
            updateRecord(m_crashCount, result,
                [&registers] { return validValue(registers.value(CrashCountRegister)); });
        }));
}

void CrashCountData::resetData()
{
    m_crashCount = DataValue();
}
