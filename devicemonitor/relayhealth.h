// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RELAYHEALTH_H
#define RELAYHEALTH_H

#include "modbus/modbustransaction.h"

#include <QString>

// How one relay has been answering: every transaction addressed to it is
// either answered (with data), timed out, or an error (an exception, a
// damaged or foreign answer), so requests = answers + timeouts + errors.
// Canceled transactions are not counted: the relay had no say in them. An
// answer that could not be used (a bad CRC, another slave's, malformed) is
// no better than none for telling whether the relay still answers.
struct RelayHealth
{
    // A relay is taken to have stopped answering after this many requests in a
    // row went unanswered; a single lost answer on a noisy line is not enough.
    static constexpr int SilentAfter = 3;

    int requests = 0;
    int answers = 0;
    int timeouts = 0;
    int errors = 0;
    qint64 lastAnswerAt = 0; // milliseconds since the epoch; 0: never
    int unansweredInRow = 0;

    void count(const ModbusTransaction &transaction);
    bool hasStoppedAnswering() const { return unansweredInRow >= SilentAfter; }

private:
    static bool isUnanswered(ModbusTransaction::Outcome outcome);
};

#endif // RELAYHEALTH_H
