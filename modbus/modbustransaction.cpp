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
