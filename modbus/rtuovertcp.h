// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef RTUOVERTCP_H
#define RTUOVERTCP_H

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <modbus.h>

// Modbus RTU transactions over a TCP socket, for a serial device server that
// passes the line's bytes through unchanged; libmodbus has no such backend.
// The socket belongs to a libmodbus TCP context, which connects it, keeps its
// slave ID and timeouts and flushes it. transfer() frames the request, reads
// the answer and checks it as libmodbus's RTU backend does, and ends as the
// libmodbus call would (the same return value and errno), so the endpoint
// handles both transports alike.
namespace RtuOverTcp {

// The Modbus CRC-16 of the bytes, as it goes on the wire (low byte first).
quint16 crc16(const QByteArray &bytes);

// The request as it goes on the wire, CRC included. A write takes its values
// from bits (0 or 1 a byte) or registers; a read needs neither.
QByteArray requestFrame(int slave, int function, quint16 address, quint16 count, const quint8 *bits,
    const quint16 *registers);

// One transaction with the context's slave: returns what the libmodbus call
// of the function returns (the count read or written, 1 for a single write,
// -1 with errno set on failure). A read fills bits or registers. An answer
// that cannot be this request's (EMBBADDATA) leaves what is wrong with it in
// detail, which is empty otherwise.
int transfer(modbus_t *context, int function, quint16 address, quint16 count, quint8 *bits,
    quint16 *registers, QString *detail);

} // namespace RtuOverTcp

#endif // RTUOVERTCP_H
