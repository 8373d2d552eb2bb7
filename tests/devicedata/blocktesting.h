// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BLOCKTESTING_H
#define BLOCKTESTING_H

#include "blockreplies.h"
#include "relaybus.h"
#include "testtimeouts.h"

#include <QMap>

// Replies by address, for blocks whose requests are large or resized, and the
// writes a relay on the simulated line took.

// Answers one read request as the worker would after a successful
// transaction, `wordAt(address)` in each register of its window.
template<typename WordAt>
void replyRegisters(ModbusRequest &request, WordAt wordAt)
{
    ModbusRegisters registers(request.startAddress(), request.count());
    for (int i = 0; i < request.count(); ++i) {
        const quint16 address = quint16(request.startAddress() + i);
        registers.setValue(address, quint16(wordAt(address)));
    }
    request.setRegistersReply(registers);
}

// Registers not in `words` read as 0.
inline void replyRegisters(ModbusRequest &request, const QMap<quint16, quint16> &words)
{
    replyRegisters(request, [&words](quint16 address) { return words.value(address); });
}

// {address, value} of each single-register write the relay took, in order;
// comparable with registerWrites() of a block.
inline QVector<QPair<int, int>> receivedRegisterWrites(const RelayBus &bus, int slaveId)
{
    QVector<QPair<int, int>> writes;
    for (const ReceivedWrite &write : bus.receivedWrites()) {
        if (write.slaveId == slaveId && write.function == ModbusRequest::WriteSingleRegister)
            writes.append({ write.address, write.value });
    }
    return writes;
}

#endif // BLOCKTESTING_H
