// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/clearcrashlogdata.h"

namespace {

// A coil, not the crash count register of the same number.
constexpr quint16 ClearCrashLogCoil = 0x4000;

} // namespace

ClearCrashLogData::ClearCrashLogData(QObject *parent) : DeviceData(parent)
{
    // The relay acts on the write itself; the coil value it carries is OFF.
    writeRequests().append(ModbusRequest(ModbusRequest::WriteSingleCoil, ClearCrashLogCoil, 1,
        [](ModbusBits &bits) { bits.setValue(ClearCrashLogCoil, false); }));
}
