// SPDX-License-Identifier: GPL-3.0-or-later
#include "answerfaults.h"

#include "relaybus.h"
#include "rtuframer.h"

namespace {

constexpr int MinAnswerLength = 5; // slave, function, one byte, CRC

int randomInt(std::mt19937 &random, int low, int high)
{
    return std::uniform_int_distribution<int>(low, high)(random);
}

bool isReadAnswer(const QByteArray &answer)
{
    const int function = static_cast<quint8>(answer.at(1));
    return function >= 1 && function <= 4;
}

} // namespace

std::optional<AnswerFault> drawAnswerFault(const FaultSettings &faults, std::mt19937 &random)
{
    const std::pair<double, AnswerFault> chances[] = {
        { faults.exceptionProbability, AnswerFault::Exception },
        { faults.shortFrameProbability, AnswerFault::ShortFrame },
        { faults.longFrameProbability, AnswerFault::LongFrame },
        { faults.wrongByteCountProbability, AnswerFault::WrongByteCount },
        { faults.foreignSlaveProbability, AnswerFault::ForeignSlave },
    };
    std::uniform_real_distribution<double> chance(0, 1);
    for (const auto &entry : chances) {
        if (chance(random) < entry.first)
            return entry.second;
    }
    return std::nullopt;
}

QByteArray spoilAnswer(const QByteArray &answer, AnswerFault fault, std::mt19937 &random)
{
    if (answer.size() < MinAnswerLength)
        return answer;
    const QByteArray body = answer.left(answer.size() - 2); // without the CRC

    switch (fault) {
    case AnswerFault::Exception: {
        static const char ExceptionCodes[] = { 1, 2, 3, 4, 6 };
        QByteArray frame = body.left(2);
        frame[1] = char(static_cast<quint8>(frame.at(1)) | 0x80);
        frame.append(ExceptionCodes[randomInt(random, 0, int(sizeof ExceptionCodes) - 1)]);
        return RtuFramer::withCrc(frame);
    }
    case AnswerFault::ShortFrame:
        return answer.left(randomInt(random, 1, answer.size() - 1));
    case AnswerFault::LongFrame: {
        if (randomInt(random, 0, 1) == 0)
            return answer + answer;
        QByteArray noise(randomInt(random, 1, 300), Qt::Uninitialized);
        for (char &byte : noise)
            byte = char(randomInt(random, 0, 255));
        return answer + noise;
    }
    case AnswerFault::WrongByteCount: {
        if (!isReadAnswer(answer))
            return answer;
        // Registers come in two bytes, bits eight to a byte: one or two units either way.
        const int function = static_cast<quint8>(answer.at(1));
        const int unit = function >= 3 ? 2 : 1;
        const int byteCount = static_cast<quint8>(answer.at(2));
        const int step = unit * randomInt(random, 1, 2);
        const bool fewer
            = byteCount >= step && (byteCount + step > 250 || randomInt(random, 0, 1) == 0);
        const int newCount = fewer ? byteCount - step : byteCount + step;
        QByteArray frame = body.left(3 + qMin(byteCount, newCount));
        while (frame.size() < 3 + newCount)
            frame.append(char(randomInt(random, 0, 255)));
        frame[2] = char(newCount);
        return RtuFramer::withCrc(frame);
    }
    case AnswerFault::ForeignSlave: {
        QByteArray frame = body;
        const int slave = static_cast<quint8>(frame.at(0));
        frame[0] = char(slave % 247 + 1); // another ID from 1 to 247, never the broadcast
        return RtuFramer::withCrc(frame);
    }
    }
    return answer;
}
