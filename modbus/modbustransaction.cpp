// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/modbustransaction.h"

#include <modbus.h>

#include <cerrno>

ModbusTransaction::Outcome ModbusTransaction::outcomeOfError(int error)
{
    if (error >= EMBXILFUN && error <= EMBXGTAR)
        return Exception;
    switch (error) {
    case ETIMEDOUT:
        return Timeout;
    case EMBBADCRC:
        return InvalidCrc;
    case EMBBADSLAVE:
        return ForeignAnswer;
    case EMBBADDATA:
    case EMBMDATA:
    case EMBBADEXC:
    case EMBUNKEXC:
        return MalformedAnswer;
    default:
        return OtherError;
    }
}

bool ModbusTransaction::isPortFailure(int error)
{
    switch (error) {
    case EIO: // a hung-up line: a USB adapter pulled out, a pseudo-terminal closed
    case ENXIO: // the device behind the open file is gone
    case ENODEV:
    case ECONNRESET: // libmodbus's word for a read that found the line hung up
        return true;
    default:
        return false;
    }
}
