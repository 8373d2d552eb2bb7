// SPDX-License-Identifier: GPL-3.0-or-later
#include "devicemonitor/relayhealth.h"

void RelayHealth::count(const ModbusTransaction &transaction)
{
    if (transaction.outcome == ModbusTransaction::Canceled)
        return;
    ++requests;
    switch (transaction.outcome) {
    case ModbusTransaction::Success:
        ++answers;
        break;
    case ModbusTransaction::Timeout:
        ++timeouts;
        break;
    default:
        ++errors;
        break;
    }
    if (transaction.isAnswered()) {
        lastAnswerAt = transaction.startedAt + transaction.durationUs / 1000;
        unansweredInRow = 0;
    } else if (isUnanswered(transaction.outcome)) {
        ++unansweredInRow;
    }
}

bool RelayHealth::isUnanswered(ModbusTransaction::Outcome outcome)
{
    switch (outcome) {
    case ModbusTransaction::Timeout:
    case ModbusTransaction::InvalidCrc:
    case ModbusTransaction::ForeignAnswer:
    case ModbusTransaction::MalformedAnswer:
        return true;
    default:
        return false;
    }
}
