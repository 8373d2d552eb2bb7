// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/checkbackdata.h"

namespace {

const quint16 checkbackCoil = 0x2000;

} // namespace

CheckbackData::CheckbackData(QObject *parent) : DeviceData(parent)
{
    // The relay takes the command from the write itself; the coil value is OFF.
    writeRequests().append(ModbusRequest(ModbusRequest::WriteSingleCoil, checkbackCoil, 1,
        [](ModbusBits &coils) { coils.setValue(checkbackCoil, false); }));
}
