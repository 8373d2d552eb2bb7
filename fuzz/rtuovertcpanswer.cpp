// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever a device server passes back is read by RtuOverTcp::transfer(). The first three bytes
// choose the request (function and count); the rest is the answer, waiting in a socket pair whose
// far end is shut, so that a short answer ends at once instead of after a timeout.
#include "modbus/rtuovertcp.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int RequestBytes = 3;
constexpr int Functions[] = { MODBUS_FC_READ_COILS, MODBUS_FC_READ_DISCRETE_INPUTS,
    MODBUS_FC_READ_HOLDING_REGISTERS, MODBUS_FC_READ_INPUT_REGISTERS, MODBUS_FC_WRITE_SINGLE_COIL,
    MODBUS_FC_WRITE_SINGLE_REGISTER, MODBUS_FC_WRITE_MULTIPLE_COILS,
    MODBUS_FC_WRITE_MULTIPLE_REGISTERS };

// The most a request of this function asks for, as the endpoint would send it.
int maximumCount(int function)
{
    switch (function) {
    case MODBUS_FC_READ_COILS:
    case MODBUS_FC_READ_DISCRETE_INPUTS:
        return MODBUS_MAX_READ_BITS;
    case MODBUS_FC_READ_HOLDING_REGISTERS:
    case MODBUS_FC_READ_INPUT_REGISTERS:
        return MODBUS_MAX_READ_REGISTERS;
    case MODBUS_FC_WRITE_MULTIPLE_COILS:
        return MODBUS_MAX_WRITE_BITS;
    case MODBUS_FC_WRITE_MULTIPLE_REGISTERS:
        return MODBUS_MAX_WRITE_REGISTERS;
    default:
        return 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < RequestBytes)
        return 0;
    const int function = Functions[data[0] % (sizeof Functions / sizeof Functions[0])];
    const int count = 1 + (data[1] | data[2] << 8) % maximumCount(function);

    int sockets[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
        abort();
    const size_t answerSize = size - RequestBytes;
    if (answerSize > 0 && write(sockets[1], data + RequestBytes, answerSize) != ssize_t(answerSize))
        abort();
    shutdown(sockets[1], SHUT_WR);

    modbus_t *context = modbus_new_tcp("127.0.0.1", MODBUS_TCP_DEFAULT_PORT);
    modbus_set_slave(context, 1);
    modbus_set_socket(context, sockets[0]);
    modbus_set_response_timeout(context, 1, 0);
    // Exactly as long as the request: AddressSanitizer catches a value written past them.
    std::vector<quint8> bits(size_t(count), 0);
    std::vector<quint16> registers(size_t(count), 0);
    QString detail;
    const int result = RtuOverTcp::transfer(
        context, function, 0, quint16(count), bits.data(), registers.data(), &detail);
    const int error = errno;

    // Never more than was asked for; an answer refused as malformed says why.
    if (result > count || result < -1 || result == 0)
        abort();
    if (result == -1 && error == EMBBADDATA && detail.isEmpty())
        abort();
    if (result > 0 && !detail.isEmpty())
        abort();

    modbus_free(context);
    close(sockets[0]);
    close(sockets[1]);
    return 0;
}
