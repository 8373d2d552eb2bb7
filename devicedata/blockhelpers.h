// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BLOCKHELPERS_H
#define BLOCKHELPERS_H

#include "devicedata/datavalue.h"
#include "modbus/modbusrequest.h"

// Building blocks shared by the data blocks' request lists.

// One flag of a block's flag set and where the relay keeps it: a bit number
// of a register or the Modbus address of a coil or discrete input. The relay's
// order seldom matches the flags', so every block spells out its own mapping.
struct FlagPosition
{
    int position;
    int flag;
};

template<typename Positions, typename IsSet>
qint64 decodeFlags(const Positions &positions, IsSet isSet)
{
    qint64 flags = 0;
    for (const FlagPosition &position : positions) {
        if (isSet(position.position))
            flags |= position.flag;
    }
    return flags;
}

// A write of one field of a block's pending record to its own register. The
// builder runs on the Modbus worker and reads the record in place, so the
// record must not change while the block is being written.
template<typename Record>
ModbusRequest singleRegisterWrite(quint16 address, const Record &pending, DataValue Record::*field)
{
    return ModbusRequest(ModbusRequest::WriteSingleRegister, address, 1,
        [&pending, address, field](ModbusRegisters &registers) {
            registers.setValue(address, quint16((pending.*field).value));
        });
}

// A command without values: the relay acts on the write of its coil, whose
// value is OFF.
inline ModbusRequest coilCommand(quint16 coil)
{
    return ModbusRequest(ModbusRequest::WriteSingleCoil, coil, 1,
        [coil](ModbusBits &coils) { coils.setValue(coil, false); });
}

#endif // BLOCKHELPERS_H
