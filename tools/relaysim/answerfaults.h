// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef ANSWERFAULTS_H
#define ANSWERFAULTS_H

// Answers a confused relay, or another device on the line, sends instead of the right one.
//
// Apart from a frame cut short, every spoiled answer carries a valid CRC: only the master's own
// checks of slave ID, function code, byte count and length stand between it and wrong values.

#include <QByteArray>

#include <optional>
#include <random>

struct FaultSettings;

enum class AnswerFault {
    Exception, // an exception response to the request, code 1 to 4 or 6 (busy)
    ShortFrame, // the answer loses its last bytes, the CRC with them
    LongFrame, // bytes follow the complete answer: noise, or the answer once more
    WrongByteCount, // a read answer with one or two values more or fewer than asked for
    ForeignSlave, // the answer comes with another slave's ID
};

// At most one fault per answer, drawn with the probabilities of the fault settings.
std::optional<AnswerFault> drawAnswerFault(const FaultSettings &faults, std::mt19937 &random);

// The answer as the fault has it; random supplies what the fault makes up. A fault that does not
// apply to the answer (a byte count where the function has none) leaves it as it is.
QByteArray spoilAnswer(const QByteArray &answer, AnswerFault fault, std::mt19937 &random);

#endif // ANSWERFAULTS_H
