// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicedata/registersequencedata.h"

RegisterSequenceData::RegisterSequenceData(QObject *parent) : DeviceData(parent)
{
}

void RegisterSequenceData::setWrites(const QVector<Write> &writes)
{
    writeRequests().clear();
    for (const Write &write : writes) {
        // The builder runs on the Modbus worker: it captures the value, not the block.
        const quint16 address = write.first;
        const quint16 value = write.second;
        writeRequests().append(ModbusRequest(ModbusRequest::WriteSingleRegister, address, 1,
            [address, value](ModbusRegisters &registers) { registers.setValue(address, value); }));
    }
}
