// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/crashdata.h"

namespace {

constexpr quint16 NewestCrashRegister = 0x4010;

} // namespace

CrashData::CrashData(QObject *parent) : DeviceData(parent)
{
    readRequests().append(ModbusRequest(ModbusRequest::ReadHoldingRegisters, NewestCrashRegister,
        CrashRecordSize, [this](ModbusRequest::Result result, const ModbusRegisters &registers) {
            updateRecord(m_crash, result,
                [&registers] { return decodeCrashRecord(registers, NewestCrashRegister); });
        }));
}

void CrashData::resetData()
{
    m_crash = CrashRecord();
}
