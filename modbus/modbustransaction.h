// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MODBUSTRANSACTION_H
#define MODBUSTRANSACTION_H

#include <QMetaType>
#include <QString>
#include <QtGlobal>

// What became of one transaction on the line, as the endpoint saw it: a plain
// record, emitted by RtuModbus once per transaction for the traffic view and
// the relays' health counters.
struct ModbusTransaction
{
    enum Outcome {
        Success = 0, // the answer was taken; for a broadcast: it went out
        Timeout, // no (complete) answer within the response timeout
        InvalidCrc, // an answer came whose CRC was wrong
        Exception, // the relay answered with an exception; see exceptionCode
        ForeignAnswer, // the answer came from another slave ID
        MalformedAnswer, // an answer of the wrong length or layout
        OtherError, // anything else the system reported; see error
        Canceled // abandoned by the program before it ended
    };

    qint64 startedAt = 0; // milliseconds since the epoch, when the request went out
    qint64 durationUs = 0; // until the answer was taken or given up
    uint slaveId = 0;
    int function = 0;
    quint16 startAddress = 0;
    quint16 count = 0;
    Outcome outcome = Success;
    int exceptionCode = 0; // the relay's exception code, for Exception
    int error = 0; // the errno libmodbus left, for OtherError
    QString detail; // what was wrong with a malformed answer, where the transport could tell
    int responseTimeoutMs = 0; // how long it waited for the answer
    // Bytes found waiting on the line before the request went out, and thrown away: they came
    // after the previous transaction had ended (a late answer, or noise). The first of them, or
    // -1 when there were none.
    int strayBytes = 0;
    int strayFirstByte = -1;

    // The relay sent a well-formed answer: its data, or an exception.
    bool isAnswered() const { return outcome == Success || outcome == Exception; }

    // The one place that maps a libmodbus errno to an outcome.
    static ModbusTransaction::Outcome outcomeOfError(int error);
    // Whether the errno says the port itself failed (the adapter was pulled
    // out, the device went away) rather than a relay: no answer will come on
    // it until it is opened again.
    static bool isPortFailure(int error);
};

Q_DECLARE_METATYPE(ModbusTransaction)

#endif // MODBUSTRANSACTION_H
