// SPDX-License-Identifier: GPL-3.0-or-later
#include "modbus/rtuovertcp.h"

#include <QCoreApplication>

#include <algorithm>
#include <cerrno>

#include <sys/select.h>
#include <sys/socket.h>

namespace {

constexpr int ExceptionLength = 5; // slave, function, code, CRC
constexpr int WriteAnswerLength = 8; // slave, function, address, value or count, CRC

bool isRead(int function)
{
    return function >= MODBUS_FC_READ_COILS && function <= MODBUS_FC_READ_INPUT_REGISTERS;
}

bool readsBits(int function)
{
    return function == MODBUS_FC_READ_COILS || function == MODBUS_FC_READ_DISCRETE_INPUTS;
}

void appendWord(QByteArray *frame, quint16 word)
{
    frame->append(char(word >> 8));
    frame->append(char(word & 0xFF));
}

quint16 wordAt(const QByteArray &frame, int index)
{
    return quint16(quint8(frame.at(index)) << 8 | quint8(frame.at(index + 1)));
}

int fail(int error)
{
    errno = error;
    return -1;
}

// The time libmodbus would allow, in a timeval select() takes.
timeval responseTimeout(modbus_t *context)
{
    uint32_t seconds = 0;
    uint32_t microseconds = 0;
    modbus_get_response_timeout(context, &seconds, &microseconds);
    return { time_t(seconds), suseconds_t(microseconds) };
}

timeval byteTimeout(modbus_t *context)
{
    uint32_t seconds = 0;
    uint32_t microseconds = 0;
    modbus_get_byte_timeout(context, &seconds, &microseconds);
    // No byte timeout: the whole answer gets the response timeout.
    if (seconds == 0 && microseconds == 0)
        return responseTimeout(context);
    return { time_t(seconds), suseconds_t(microseconds) };
}

// Reads until the frame holds size bytes: the first within the response
// timeout, each further piece within the byte timeout, as on a line.
bool receive(modbus_t *context, QByteArray *frame, int size)
{
    const int socket = modbus_get_socket(context);
    while (frame->size() < size) {
        timeval timeout = frame->isEmpty() ? responseTimeout(context) : byteTimeout(context);
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        const int ready = select(socket + 1, &readable, nullptr, nullptr, &timeout);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return false;
        if (ready == 0) {
            errno = ETIMEDOUT;
            return false;
        }
        char buffer[MODBUS_RTU_MAX_ADU_LENGTH];
        const size_t wanted = std::min(size_t(size - frame->size()), sizeof buffer);
        const ssize_t got = recv(socket, buffer, wanted, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got == 0)
            errno = ECONNRESET; // the server closed the connection
        if (got <= 0)
            return false;
        frame->append(buffer, int(got));
    }
    return true;
}

QString byteCountMismatch(int function, int byteCount, int count)
{
    const char *text
        = QT_TRANSLATE_NOOP("RtuOverTcp", "byte count %1 does not fit a read of %2 registers");
    if (function == MODBUS_FC_READ_COILS)
        text = QT_TRANSLATE_NOOP("RtuOverTcp", "byte count %1 does not fit a read of %2 coils");
    else if (function == MODBUS_FC_READ_DISCRETE_INPUTS)
        text = QT_TRANSLATE_NOOP("RtuOverTcp", "byte count %1 does not fit a read of %2 inputs");
    return QCoreApplication::translate("RtuOverTcp", text).arg(byteCount).arg(count);
}

// The answer's whole length once its first bytes are in (a read's byte count
// too), or 0 with the reason in detail when it cannot be the answer to this
// request. A read's length comes from the request, never from the byte count
// alone: whoever is on the network path may send any count.
int answerLength(const QByteArray &head, int function, quint16 count, QString *detail)
{
    const int answered = quint8(head.at(1));
    if (answered == (function | 0x80))
        return ExceptionLength;
    if (answered != function) {
        *detail = QCoreApplication::translate(
            "RtuOverTcp", "function code %1 does not answer function %2")
                      .arg(answered)
                      .arg(function);
        return 0;
    }
    if (!isRead(function))
        return WriteAnswerLength;
    const int byteCount = quint8(head.at(2));
    const int expected = readsBits(function) ? (count + 7) / 8 : count * 2;
    if (byteCount != expected) {
        *detail = byteCountMismatch(function, byteCount, count);
        return 0;
    }
    return 3 + byteCount + 2;
}

// Sends the whole frame: a short send is followed by the rest, for half a
// frame left in the device server would go out on the line. On failure errno
// is send()'s own.
bool sendAll(int socket, const QByteArray &frame)
{
    qsizetype sent = 0;
    while (sent < frame.size()) {
        const ssize_t now
            = ::send(socket, frame.constData() + sent, size_t(frame.size() - sent), MSG_NOSIGNAL);
        if (now < 0 && errno == EINTR)
            continue;
        if (now == 0)
            errno = ECONNRESET;
        if (now <= 0)
            return false;
        sent += now;
    }
    return true;
}

// The libmodbus result of a complete answer with a valid CRC.
int takeAnswer(const QByteArray &answer, const QByteArray &request, quint16 count, quint8 *bits,
    quint16 *registers, QString *detail)
{
    const int function = quint8(request.at(1));
    if (quint8(answer.at(1)) == (function | 0x80)) {
        const int code = quint8(answer.at(2));
        return fail(code >= 1 && code <= MODBUS_EXCEPTION_GATEWAY_TARGET ? MODBUS_ENOBASE + code
                                                                         : EMBBADEXC);
    }
    if (!isRead(function)) {
        // A write is answered with its address and its value or count.
        if (answer.mid(2, 4) != request.mid(2, 4)) {
            *detail = QCoreApplication::translate(
                "RtuOverTcp", "the answer does not repeat the written address and value");
            return fail(EMBBADDATA);
        }
        const bool single = function == MODBUS_FC_WRITE_SINGLE_COIL
            || function == MODBUS_FC_WRITE_SINGLE_REGISTER;
        return single ? 1 : count;
    }
    for (int i = 0; i < count; ++i) {
        if (readsBits(function))
            bits[i] = (quint8(answer.at(3 + i / 8)) >> (i % 8)) & 1;
        else
            registers[i] = wordAt(answer, 3 + 2 * i);
    }
    return count;
}

} // namespace

namespace RtuOverTcp {

quint16 crc16(const QByteArray &bytes)
{
    quint16 crc = 0xFFFF;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
    }
    return crc;
}

QByteArray requestFrame(int slave, int function, quint16 address, quint16 count, const quint8 *bits,
    const quint16 *registers)
{
    QByteArray frame;
    frame.append(char(slave));
    frame.append(char(function));
    appendWord(&frame, address);
    switch (function) {
    case MODBUS_FC_WRITE_SINGLE_COIL:
        appendWord(&frame, bits[0] ? 0xFF00 : 0x0000);
        break;
    case MODBUS_FC_WRITE_SINGLE_REGISTER:
        appendWord(&frame, registers[0]);
        break;
    case MODBUS_FC_WRITE_MULTIPLE_COILS: {
        appendWord(&frame, count);
        const int bytes = (count + 7) / 8;
        frame.append(char(bytes));
        for (int byte = 0; byte < bytes; ++byte) {
            quint8 packed = 0;
            for (int bit = 0; bit < 8 && byte * 8 + bit < count; ++bit)
                packed |= quint8((bits[byte * 8 + bit] ? 1 : 0) << bit);
            frame.append(char(packed));
        }
        break;
    }
    case MODBUS_FC_WRITE_MULTIPLE_REGISTERS:
        appendWord(&frame, count);
        frame.append(char(count * 2));
        for (int i = 0; i < count; ++i)
            appendWord(&frame, registers[i]);
        break;
    default: // the reads
        appendWord(&frame, count);
        break;
    }
    const quint16 crc = crc16(frame);
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
    return frame;
}

int transfer(modbus_t *context, int function, quint16 address, quint16 count, quint8 *bits,
    quint16 *registers, QString *detail)
{
    detail->clear();
    const int slave = modbus_get_slave(context);
    const QByteArray request = requestFrame(slave, function, address, count, bits, registers);
    if (!sendAll(modbus_get_socket(context), request))
        return -1;

    // Slave and function tell how long the rest is; a read's byte count too.
    QByteArray answer;
    if (!receive(context, &answer, 2))
        return -1;
    const bool exception = quint8(answer.at(1)) == (function | 0x80);
    if (isRead(function) && !exception && !receive(context, &answer, 3))
        return -1;
    const int length = answerLength(answer, function, count, detail);
    if (length == 0)
        return fail(EMBBADDATA); // the rest is flushed before the next request
    if (!receive(context, &answer, length))
        return -1;

    // In the order libmodbus checks an RTU answer: the slave, the CRC, then the content.
    if (quint8(answer.at(0)) != slave && slave != MODBUS_BROADCAST_ADDRESS)
        return fail(EMBBADSLAVE);
    const QByteArray body = answer.left(length - 2);
    const quint16 crc = crc16(body);
    if (quint8(answer.at(length - 2)) != (crc & 0xFF) || quint8(answer.at(length - 1)) != crc >> 8)
        return fail(EMBBADCRC);
    return takeAnswer(answer, request, count, bits, registers, detail);
}

} // namespace RtuOverTcp
